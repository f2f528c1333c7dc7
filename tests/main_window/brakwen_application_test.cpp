// The application object: errors leaving event handlers end in the default error box, and
// Qt's own texts are French.
#include "brakwen_application.h"
#include "message_box_answer.h"

#include <QEvent>
#include <QTest>
#include <stdexcept>

namespace {

class ThrowingObject : public QObject
{
public:
    explicit ThrowingObject(std::string message) : m_message(std::move(message)) {}
    int handled = 0;

protected:
    bool event(QEvent *event) override
    {
        if (event->type() != QEvent::User)
            return QObject::event(event);
        ++handled;
        throw std::runtime_error(m_message);
    }

private:
    std::string m_message;
};

} // namespace

class BrakwenApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void errorLeavingHandlerShowsDefaultBox();
    void eventLoopGoesOnAfterError();
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
