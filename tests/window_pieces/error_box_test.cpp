// One text rule for every box that shows an error's message: the default box of the main window
// and the chooser's refusals alike, whatever the message ends in.
#include "default_error_box.h"

#include <QTest>

class ErrorBoxTest : public QObject
{
    Q_OBJECT

private slots:
    void aPeriodFollowsALetterOrADigitOnly_data();
    void aPeriodFollowsALetterOrADigitOnly();
};

void ErrorBoxTest::aPeriodFollowsALetterOrADigitOnly_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("shown");
    QTest::newRow("letter") << "Fichier introuvable"
                            << "Fichier introuvable.";
    QTest::newRow("digit") << "Erreur E/S 112"
                           << "Erreur E/S 112.";
    QTest::newRow("accented letter") << QStringLiteral("Le changement de nom en y a échoué")
                                     << QStringLiteral("Le changement de nom en y a échoué.");
    QTest::newRow("closing guillemet") << QStringLiteral("Impossible d'ouvrir «\u00A0a\u00A0»")
                                       << QStringLiteral("Impossible d'ouvrir «\u00A0a\u00A0».");
    QTest::newRow("beyond Latin") << QStringLiteral("文件") << QStringLiteral("文件.");
    QTest::newRow("period") << "Echec de la conversion."
                            << "Echec de la conversion.";
    QTest::newRow("comma") << "a, b,"
                           << "a, b,";
    QTest::newRow("parenthesis") << "Ghostscript a échoué (code 1)"
                                 << "Ghostscript a échoué (code 1)";
    QTest::newRow("hyphen") << "nom -"
                            << "nom -";
    QTest::newRow("blank") << "fin "
                           << "fin ";
    QTest::newRow("empty") << QString() << QString();
}

void ErrorBoxTest::aPeriodFollowsALetterOrADigitOnly()
{
    QFETCH(QString, message);
    QFETCH(QString, shown);
    QCOMPARE(DefaultErrorBox::textFor(message), shown);
}

QTEST_MAIN(ErrorBoxTest)

#include "error_box_test.moc"
