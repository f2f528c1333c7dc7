// The bar's share of each step and its words, without a window.
#include "job_progress.h"

#include <QTest>

class JobProgressTest : public QObject
{
    Q_OBJECT

private slots:
    void copyFollowsBytesNotFiles();
    void conversionWeighsEachFileAndNamesTheOneWaitedOn();
    void converterThatDoesNotSayWhichIsTakenInOrder();
    void filesThatAreNotTheListsAreCountedAlone();
};

void JobProgressTest::copyFollowsBytesNotFiles()
{
    JobProgress progress({"a.eps", "b.eps"}, {1, 4'000'000}, false);
    progress.copying(0);
    QCOMPARE(progress.position(), 0);
    QCOMPARE(progress.text(), QStringLiteral("Assemblage : 1 / 2 — a.eps"));
    // One byte of four million: the bar has hardly moved.
    progress.copying(1);
    QVERIFY2(progress.position() < JobProgress::span / 100,
             QByteArray::number(progress.position()));
    QCOMPARE(progress.text(), QStringLiteral("Assemblage : 2 / 2 — b.eps"));
    progress.copied();
    QCOMPARE(progress.position(), JobProgress::span);
}

void JobProgressTest::conversionWeighsEachFileAndNamesTheOneWaitedOn()
{
    JobProgress progress({"a.eps", "b.eps"}, {100, 400'000}, true);
    progress.copying(1);
    progress.copied();
    // The copy is a sliver of the whole.
    QVERIFY2(progress.position() < JobProgress::span / 100,
             QByteArray::number(progress.position()));
    QCOMPARE(progress.text(), QStringLiteral("Conversion : 0 / 2 — a.eps"));
    // The larger file, converted first, is most of the work; the job still waits on the first.
    progress.converted(1, 2, 1);
    QVERIFY2(progress.position() > JobProgress::span * 9 / 10 &&
                 progress.position() < JobProgress::span,
             QByteArray::number(progress.position()));
    QCOMPARE(progress.text(), QStringLiteral("Conversion : 1 / 2 — a.eps"));
    progress.converted(2, 2, 0);
    QCOMPARE(progress.position(), JobProgress::span);
    QCOMPARE(progress.text(), QStringLiteral("Conversion : 2 / 2"));
}

void JobProgressTest::converterThatDoesNotSayWhichIsTakenInOrder()
{
    JobProgress progress({"a.eps", "b.eps"}, {100, 400'000}, true);
    progress.copied();
    progress.converted(1, 2, -1);
    QVERIFY(progress.position() < JobProgress::span / 2);
    QCOMPARE(progress.text(), QStringLiteral("Conversion : 1 / 2 — b.eps"));
}

void JobProgressTest::filesThatAreNotTheListsAreCountedAlone()
{
    JobProgress progress({"a.eps", "b.eps"}, {100, 100}, true);
    progress.copied();
    progress.converted(2, 4, 3);
    QVERIFY(std::abs(progress.position() - JobProgress::span / 2) < JobProgress::span / 100);
    QCOMPARE(progress.text(), QStringLiteral("Conversion : 2 / 4"));
}

QTEST_APPLESS_MAIN(JobProgressTest)

#include "job_progress_test.moc"
