// The selected list's rearrangements: a drop before a row, and one step up or down.

#include "row_moves.h"

#include <QTest>

using Order = std::vector<int>;

class RowMovesTest : public QObject
{
    Q_OBJECT

private slots:
    void dropsPutTheNamesBeforeTheRowInTheirOrder()
    {
        // Rows 1 and 3 of five, dropped before row 0, before row 4, at the end, onto themselves.
        QCOMPARE(row_moves::dropped(5, {1, 3}, 0), (Order{1, 3, 0, 2, 4}));
        QCOMPARE(row_moves::dropped(5, {1, 3}, 4), (Order{0, 2, 1, 3, 4}));
        QCOMPARE(row_moves::dropped(5, {1, 3}, 5), (Order{0, 2, 4, 1, 3}));
        QCOMPARE(row_moves::dropped(5, {1, 3}, 3), (Order{0, 2, 1, 3, 4}));
    }

    void stepsMoveEachNamePastOneOtherAndStopAtTheEdge()
    {
        QCOMPARE(row_moves::stepped(6, {2, 3, 5}, -1), (Order{0, 2, 3, 1, 5, 4}));
        QCOMPARE(row_moves::stepped(6, {0, 1, 3}, -1), (Order{0, 1, 3, 2, 4, 5}));
        QCOMPARE(row_moves::stepped(6, {0, 4, 5}, +1), (Order{1, 0, 2, 3, 4, 5}));
        QCOMPARE(row_moves::stepped(3, {0, 1, 2}, -1), (Order{0, 1, 2}));
    }
};

QTEST_GUILESS_MAIN(RowMovesTest)
#include "row_moves_test.moc"
