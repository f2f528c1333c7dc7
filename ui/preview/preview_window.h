#pragma once

// The "Aperçu" window: the current row's EPS drawn at its bounding box, scaled to fit with its
// aspect kept, its box in points and millimetres and its file size below. Owned by the main
// window, never modal; Escape or the close box hide it. It follows the file it is given, unless
// frozen (while the job runs), and keeps its place beside the main window as that moves. Screen
// readers know it as a window of its own, not as a dialog waiting for an answer.

#include "preview/preview_renderer.h"

#include <QByteArray>
#include <QDialog>
#include <QImage>
#include <QString>

class QLabel;
class QTimer;

class PreviewWindow : public QDialog
{
    Q_OBJECT

public:
    explicit PreviewWindow(QWidget *owner);

    // Shows the file at path (the file system's own bytes), named name in the title; files
    // likely to come next are rendered ahead.
    void showFile(const QByteArray &path, const QString &name, const QList<QByteArray> &next = {});
    void setFrozen(bool frozen) { m_frozen = frozen; }
    bool frozen() const { return m_frozen; }

    void setVisible(bool visible) override;

    preview::PreviewRenderer &renderer() { return m_renderer; }
    const QByteArray &path() const { return m_path; }
    // What the picture area says when it shows no picture ("Aperçu impossible : ...").
    QString message() const;
    // Why Ghostscript could not draw the file whose own TIFF picture stays shown; empty else.
    QString problem() const;
    QImage picture() const { return m_image; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QSize pictureSize() const;
    void placeBesideOwner();
    void render();
    void display(const QImage &image);
    void showFacts(const preview::EpsFacts &facts);
    void showFailure(const QString &reason);

    preview::PreviewRenderer m_renderer;
    QLabel *m_picture;
    QLabel *m_problem;
    QLabel *m_facts;
    QTimer *m_resized;
    QByteArray m_path;
    QList<QByteArray> m_next;
    QImage m_image;
    bool m_frozen = false;
};
