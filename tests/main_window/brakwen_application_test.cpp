// The application object: errors leaving event handlers end in the default error box, and
// Qt's own texts are French.
#include "assembly/io_error.h"
#include "brakwen_application.h"
#include "message_box_answer.h"

#include <QEvent>
#include <QLabel>
#include <QTest>
#include <cerrno>
#include <functional>
#include <stdexcept>

namespace {

class ThrowingObject : public QObject
{
public:
    explicit ThrowingObject(std::string message)
        : m_throw([message] { throw std::runtime_error(message); })
    {}
    explicit ThrowingObject(std::function<void()> thrower) : m_throw(std::move(thrower)) {}
    int handled = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        m_throw();
        return true;
    }

private:
    std::function<void()> m_throw;
};

} // namespace

class BrakwenApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void errorLeavingHandlerShowsDefaultBox();
    void eventLoopGoesOnAfterError();
    void anIoErrorsCauseFollowsOnALineOfItsOwn();
    void qtTextsAreFrench();
    void windowsCarryTheDesktopIdentity();
};

void BrakwenApplicationTest::errorLeavingHandlerShowsDefaultBox()
{
    ThrowingObject object("Fichier introuvable");
    MessageBoxAnswer answer;
    QEvent event(QEvent::User);
    QCoreApplication::sendEvent(&object, &event);

    QCOMPARE(object.handled, 1);
    QVERIFY(answer.shown);
    QCOMPARE(answer.title, QStringLiteral("Brakwen"));
    QCOMPARE(answer.text, QStringLiteral("Fichier introuvable."));
    QCOMPARE(answer.icon, QMessageBox::Critical);
    QCOMPARE(answer.buttons.size(), 1);
}

void BrakwenApplicationTest::eventLoopGoesOnAfterError()
{
    ThrowingObject object("Accès au fichier refusé");
    MessageBoxAnswer answer;
    bool laterEventRan = false;
    QCoreApplication::postEvent(&object, new QEvent(QEvent::User));
    QTimer::singleShot(50, [&] { laterEventRan = true; });
    QTRY_VERIFY(laterEventRan);
    QVERIFY(answer.shown);
    QCOMPARE(answer.text, QStringLiteral("Accès au fichier refusé."));
}

void BrakwenApplicationTest::anIoErrorsCauseFollowsOnALineOfItsOwn()
{
    const std::string file = "/x/<i>final.eps";
    for (const auto &[error, cause] :
         {std::pair{ENOSPC, "disque plein"}, std::pair{ELOOP, "trop de liens symboliques"}}) {
        ThrowingObject object(
            [&, error = error] { throw assembly::EInOutError::fromErrno(error, file); });
        MessageBoxAnswer answer;
        QString below;
        Qt::TextFormat format = Qt::AutoText;
        bool wraps = true;
        answer.whileShown = [&] {
            auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
            below = box->informativeText();
            // A file name that looks like markup is shown as it is.
            if (auto *label =
                    box->findChild<QLabel *>(QStringLiteral("qt_msgbox_informativelabel"))) {
                format = label->textFormat();
                wraps = label->wordWrap();
            }
        };
        QEvent event(QEvent::User);
        QCoreApplication::sendEvent(&object, &event);
        QVERIFY(answer.shown);
        QVERIFY(answer.text.startsWith(QStringLiteral("Erreur E/S ")));
        // The file by its name, the window showing its folder, on one line.
        QCOMPARE(below, QStringLiteral("<i>final.eps : ") + QString::fromUtf8(cause));
        QCOMPARE(format, Qt::PlainText);
        QVERIFY(!wraps);
    }
}

void BrakwenApplicationTest::qtTextsAreFrench()
{
    QCOMPARE(QCoreApplication::translate("QPlatformTheme", "Cancel"), QStringLiteral("Annuler"));
    QCOMPARE(QCoreApplication::translate("QLineEdit", "&Paste"), QStringLiteral("Co&ller"));
}

void BrakwenApplicationTest::windowsCarryTheDesktopIdentity()
{
    // The installed entry is named after the application id, as AppStream wants it.
    QCOMPARE(QGuiApplication::desktopFileName(), QStringLiteral("io.github.brakwen.brakwen"));
    QVERIFY(!QApplication::windowIcon().isNull());
    QVERIFY(QApplication::windowIcon().availableSizes().contains(QSize(48, 48)));
}

int main(int argc, char **argv)
{
    BrakwenApplication application(argc, argv);
    BrakwenApplicationTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "brakwen_application_test.moc"
