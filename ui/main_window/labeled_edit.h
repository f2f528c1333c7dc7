// A single-line edit with its caption label kept just above it: the label follows the edit's
// position, enabled state and visibility.
#pragma once

#include <QLabel>
#include <QLineEdit>
#include <QPointer>

class LabeledEdit : public QLineEdit
{
    Q_OBJECT

public:
    static constexpr int LabelSpacing = 3;

    explicit LabeledEdit(QWidget *parent);
    ~LabeledEdit() override;

    QLabel *editLabel() const { return m_label; }
    void setLabelText(const QString &text);

protected:
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    void placeLabel();

    // The label is the edit's sibling, so the parent may delete it first.
    QPointer<QLabel> m_label;
};
