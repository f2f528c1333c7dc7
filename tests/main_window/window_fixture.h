// What the main window's suites share: a window whose program folder and work folder are
// temporary, a chooser answered in place of the dialog, its controls' classes, and small file
// and list helpers.
#pragma once

#include "job_progress_bar.h"
#include "labeled_edit.h"
#include "main.h"
#include "private_trash.h"

#include <QCheckBox>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <optional>
#include <unistd.h>

inline void writeFile(const QByteArray &path, const QByteArray &contents)
{
    const int fd = ::open(path.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
    QVERIFY2(fd >= 0, path.constData());
    QCOMPARE(::write(fd, contents.constData(), size_t(contents.size())), contents.size());
    QCOMPARE(::close(fd), 0);
}

inline QByteArray readFile(const QByteArray &path)
{
    QFile file(QFile::decodeName(path));
    if (!file.open(QIODevice::ReadOnly))
        return "<missing>";
    return file.readAll();
}

inline bool exists(const QByteArray &path)
{
    return ::access(path.constData(), F_OK) == 0;
}

inline QStringList texts(QListView *view)
{
    QStringList result;
    for (int row = 0; row < view->model()->rowCount(); ++row)
        result << view->model()->index(row, 0).data().toString();
    return result;
}

inline void selectRow(QListView *view, int row)
{
    view->selectionModel()->select(view->model()->index(row, 0),
                                   QItemSelectionModel::ClearAndSelect);
}

// What the job's bar said, each new text with the bar's value then.
class BarCaptions : public QObject
{
public:
    explicit BarCaptions(JobProgressBar *bar)
    {
        connect(bar, &JobProgressBar::captionChanged, this, [this, bar](const QString &caption) {
            if (caption.isEmpty())
                return;
            shown.append({bar->value(), caption});
            if (onCaption)
                onCaption(caption);
        });
    }

    // The value the bar had when it first said `caption`; -1 if it never did.
    int valueWhen(const QString &caption) const
    {
        for (const auto &[value, text] : shown)
            if (text == caption)
                return value;
        return -1;
    }

    QList<std::pair<int, QString>> shown;
    std::function<void(const QString &)> onCaption;
};

struct ChooserCall
{
    TFrmChooseDirectory *dialog = nullptr;
    QString caption, okText, cancelText, directory;
};

// Mixed into each suite's QObject; the suite's init() and cleanup() call setUpWindow() and
// tearDownWindow().
class WindowFixture
{
protected:
    void setUpWindow()
    {
        m_trash.emplace();
        m_tool = std::make_unique<QTemporaryDir>();
        // In a folder of the test's own: what a name leading out of it would write stays there,
        // away from other runs.
        m_around = std::make_unique<QTemporaryDir>();
        m_work = std::make_unique<QTemporaryDir>(m_around->filePath(QStringLiteral("work-XXXXXX")));
        QVERIFY(m_tool->isValid() && m_around->isValid() && m_work->isValid());
        m_chooserCalls.clear();
        m_window = makeWindow();
    }

    void tearDownWindow()
    {
        m_window.reset();
        m_trash.reset();
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    std::unique_ptr<TFPrincipale> makeWindow()
    {
        auto window = std::make_unique<TFPrincipale>(nullptr, m_tool->filePath("brakwen"));
        window->setDirectoryChooser([this](TFrmChooseDirectory *, const QString &, const QString &,
                                           const QString &, QString &) -> bool {
            m_chooserCalls.append(ChooserCall{});
            return false;
        });
        return window;
    }

    // Points the chooser at `directory` (confirmed) or makes it cancel (null).
    void answerChooser(const QString *directory)
    {
        const std::optional<QString> answer =
            directory ? std::optional<QString>(*directory) : std::nullopt;
        m_window->setDirectoryChooser([this, answer](TFrmChooseDirectory *dialog,
                                                     const QString &caption, const QString &okText,
                                                     const QString &cancelText, QString &chosen) {
            m_chooserCalls.append(ChooserCall{dialog, caption, okText, cancelText, chosen});
            if (!answer)
                return false;
            chosen = *answer;
            return true;
        });
    }

    void choose(const QString &directory)
    {
        answerChooser(&directory);
        m_window->SbnLocalDir->click();
    }

    QByteArray work(const char *name) const
    {
        return QFile::encodeName(m_work->path()) + '/' + name;
    }

    std::optional<PrivateTrash> m_trash;
    std::unique_ptr<QTemporaryDir> m_tool;
    std::unique_ptr<QTemporaryDir> m_around;
    std::unique_ptr<QTemporaryDir> m_work;
    std::unique_ptr<TFPrincipale> m_window;
    QList<ChooserCall> m_chooserCalls;
};
