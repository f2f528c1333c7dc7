// The two file lists and the moves between them, driven without any widget.
#include "file_lists.h"
#include "name_order.h"
#include "shell/name_collation.h"

#include <QAbstractItemModelTester>
#include <QLocale>
#include <QScopeGuard>
#include <QTest>
#include <memory>

namespace {

std::vector<QByteArray> bytes(std::initializer_list<const char *> names)
{
    std::vector<QByteArray> result;
    for (const char *name : names)
        result.emplace_back(name);
    return result;
}

QStringList texts(const NameListModel &model)
{
    QStringList result;
    for (int row = 0; row < model.rowCount(); ++row)
        result << model.index(row).data().toString();
    return result;
}

void select(QItemSelectionModel &selection, std::initializer_list<int> rows)
{
    for (int row : rows)
        selection.select(selection.model()->index(row, 0), QItemSelectionModel::Select);
}

} // namespace

class FileListsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void alphabeticalOrderIgnoresCaseAndFollowsLocale();
    void lettersMadeOfTwoCharactersSortAsTheLanguageDoes();
    void numbersSortByValueAsInTheChooser();
    void addSelectionAppendsInListOrderAndParksCaret();
    void removeSelectionSortsBackAndKeepsOtherSelection();
    void addAllAndRemoveAll();
    void movesWithNothingSelectedOnlyParkCaret();
    void duplicatesAreKept();
    void everyOtherRowMovesInOneBatch();
    void modelsStayConsistent();
    void draggedNamesMoveOnlyIfTheirListStillHoldsThem();

private:
    void fill(FileLists &lists, std::initializer_list<const char *> names);
};

void FileListsTest::initTestCase()
{
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
}

void FileListsTest::fill(FileLists &lists, std::initializer_list<const char *> names)
{
    lists.available()->setNames(bytes(names));
}

void FileListsTest::alphabeticalOrderIgnoresCaseAndFollowsLocale()
{
    // A session in the C locale, usual on bare systems, must not fall back to byte order.
    const QLocale french(QLocale::French, QLocale::France);
    const auto restore = qScopeGuard([&] { QLocale::setDefault(french); });
    for (const QLocale &locale : {french, QLocale::c()}) {
        QLocale::setDefault(locale);
        FileLists lists;
        fill(lists,
             {"b.eps", "Zeta.eps", "\xc3\xa9t\xc3\xa9.eps", "A.eps", "f.eps", "a2.eps", "e.eps"});
        // Byte order would put "A" before "b" but "Zeta" before "b" too, and "été" last.
        QCOMPARE(texts(*lists.available()),
                 QStringList({"A.eps", "a2.eps", "b.eps", "e.eps", QStringLiteral("été.eps"),
                              "f.eps", "Zeta.eps"}));
    }
}

void FileListsTest::lettersMadeOfTwoCharactersSortAsTheLanguageDoes()
{
    // Plain ASCII names that these languages do not sort character by character: Danish "aa"
    // is its last letter, Slovak "ch" comes after "h".
    const auto restore =
        qScopeGuard([] { QLocale::setDefault(QLocale(QLocale::French, QLocale::France)); });
    const std::pair<QLocale, QStringList> cases[] = {
        {QLocale(QLocale::Danish, QLocale::Denmark),
         {"abc.eps", "Abd.eps", "ci.eps", "zed.eps", "aab.eps"}},
        {QLocale(QLocale::Slovak, QLocale::Slovakia),
         {"aab.eps", "abc.eps", "Abd.eps", "ci.eps", "hz.eps", "cha.eps", "zed.eps"}},
    };
    for (const auto &[locale, expected] : cases) {
        QLocale::setDefault(locale);
        FileLists lists;
        std::vector<QByteArray> names;
        for (qsizetype i = expected.size() - 1; i >= 0; --i)
            names.push_back(expected[i].toUtf8());
        lists.available()->setNames(names);
        QCOMPARE(texts(*lists.available()), expected);
    }
}

void FileListsTest::numbersSortByValueAsInTheChooser()
{
    QList<QByteArray> names = {"page10.eps", "page2.eps", "Page1.eps", "page01.eps", "page001.eps",
                               "page1a.eps", "page 3.eps", "page-3.eps", "page.eps", "page9.eps",
                               "p10q2.eps", "p10q10.eps", "p9q10.eps", "10.eps", "9.eps", "0.eps",
                               "00.eps", "a.eps",
                               // Longer than any machine word, and long runs of zeros.
                               "page12345678901234567890.eps", "page9999999999999999999.eps",
                               "page0000000000000000002.eps"};
    // Plain ASCII names take the quick way, a name in another script the collation keys.
    for (const bool ascii : {true, false}) {
        if (!ascii)
            names << "\xc3\xa9t\xc3\xa9 10.eps"
                  << "\xc3\xa9t\xc3\xa9 9.eps";
        FileLists lists;
        lists.available()->setNames(std::vector<QByteArray>(names.begin(), names.end()));
        QList<QByteArray> chooserOrder = names;
        shell::NameCollation().sort(chooserOrder, {});
        const std::vector<QByteArray> listed = lists.available()->names();
        QCOMPARE(QList<QByteArray>(listed.begin(), listed.end()), chooserOrder);
        const QStringList shown = texts(*lists.available());
        QVERIFY(shown.indexOf("page2.eps") < shown.indexOf("page10.eps"));
        // Numbers, leading zeros, long names and case make no plain ASCII name miss the quick
        // way, which a large folder needs.
        const QCollator collator = shell::nameCollator();
        const std::vector<QByteArrayView> views(names.begin(), names.end());
        QCOMPARE(NameOrder(collator).sortedByCharacters(views).has_value(), ascii);
    }
}

void FileListsTest::addSelectionAppendsInListOrderAndParksCaret()
{
    FileLists lists;
    fill(lists, {"d.eps", "a.eps", "C.eps", "b.eps"});
    lists.selected()->addNames(bytes({"z.eps"}));
    // Highlighted bottom-up: they still arrive in the available list's order.
    select(*lists.availableSelection(), {2, 0});
    lists.availableSelection()->setCurrentIndex(lists.available()->index(3),
                                                QItemSelectionModel::NoUpdate);

    lists.addSelection();

    QCOMPARE(texts(*lists.selected()), QStringList({"z.eps", "a.eps", "C.eps"}));
    QCOMPARE(texts(*lists.available()), QStringList({"b.eps", "d.eps"}));
    QCOMPARE(lists.availableSelection()->currentIndex().row(), 0);
    QVERIFY(!lists.availableSelection()->hasSelection());
}

void FileListsTest::removeSelectionSortsBackAndKeepsOtherSelection()
{
    FileLists lists;
    fill(lists, {"a.eps", "b.eps", "c.eps", "d.eps", "e.eps"});
    lists.addAll();
    select(*lists.availableSelection(), {}); // nothing there any more
    select(*lists.selectedSelection(), {1, 3});
    lists.removeSelection();
    QCOMPARE(texts(*lists.available()), QStringList({"b.eps", "d.eps"}));
    QCOMPARE(texts(*lists.selected()), QStringList({"a.eps", "c.eps", "e.eps"}));
    QCOMPARE(lists.selectedSelection()->currentIndex().row(), 0);
    QVERIFY(!lists.selectedSelection()->hasSelection());

    // A highlighted available name stays highlighted while others are sorted in around it.
    select(*lists.availableSelection(), {1}); // d.eps
    lists.availableSelection()->setCurrentIndex(lists.available()->index(1),
                                                QItemSelectionModel::NoUpdate);
    select(*lists.selectedSelection(), {0, 2}); // a.eps, e.eps
    lists.removeSelection();
    QCOMPARE(texts(*lists.available()), QStringList({"a.eps", "b.eps", "d.eps", "e.eps"}));
    const QModelIndexList highlighted = lists.availableSelection()->selectedRows();
    QCOMPARE(highlighted.size(), 1);
    QCOMPARE(highlighted.first().data().toString(), QStringLiteral("d.eps"));
    QCOMPARE(lists.availableSelection()->currentIndex().data().toString(), QStringLiteral("d.eps"));
}

void FileListsTest::addAllAndRemoveAll()
{
    FileLists lists;
    fill(lists, {"c.eps", "a.eps", "b.eps"});
    select(*lists.availableSelection(), {1});
    lists.selected()->addNames(bytes({"x.eps"}));
    lists.addAll();
    QCOMPARE(lists.availableCount(), 0);
    QCOMPARE(lists.selectedNames(), bytes({"x.eps", "a.eps", "b.eps", "c.eps"}));

    lists.removeAll();
    QCOMPARE(lists.selectedCount(), 0);
    QCOMPARE(texts(*lists.available()), QStringList({"a.eps", "b.eps", "c.eps", "x.eps"}));
}

void FileListsTest::movesWithNothingSelectedOnlyParkCaret()
{
    FileLists lists;
    fill(lists, {"a.eps", "b.eps"});
    lists.availableSelection()->setCurrentIndex(lists.available()->index(1),
                                                QItemSelectionModel::NoUpdate);
    lists.addSelection();
    QCOMPARE(lists.availableCount(), 2);
    QCOMPARE(lists.selectedCount(), 0);
    QCOMPARE(lists.availableSelection()->currentIndex().row(), 0);

    lists.removeSelection(); // an empty selected list: nothing to park on
    QVERIFY(!lists.selectedSelection()->currentIndex().isValid());
}

void FileListsTest::duplicatesAreKept()
{
    FileLists lists;
    fill(lists, {"a.eps", "a.eps", "A.eps"});
    QCOMPARE(lists.availableCount(), 3);
    lists.addAll();
    lists.removeAll();
    lists.addAll();
    QCOMPARE(lists.selectedCount(), 3);
    QCOMPARE(lists.selectedNames(), bytes({"A.eps", "a.eps", "a.eps"}));
}

void FileListsTest::everyOtherRowMovesInOneBatch()
{
    FileLists lists;
    std::vector<QByteArray> names;
    for (int i = 0; i < 1000; ++i)
        names.push_back(QByteArray::number(10000 + i) + ".eps");
    lists.available()->setNames(names);
    QItemSelection everyOther;
    for (int row = 0; row < 1000; row += 2)
        everyOther.select(lists.available()->index(row), lists.available()->index(row));
    lists.availableSelection()->select(everyOther, QItemSelectionModel::Select);

    lists.addSelection();

    QCOMPARE(lists.availableCount(), 500);
    QCOMPARE(lists.selectedCount(), 500);
    for (int i = 0; i < 500; ++i) {
        QCOMPARE(lists.available()->nameAt(i), names[size_t(2 * i + 1)]);
        QCOMPARE(lists.selected()->nameAt(i), names[size_t(2 * i)]);
    }
}

void FileListsTest::modelsStayConsistent()
{
    FileLists lists;
    QAbstractItemModelTester availableTester(
        lists.available(), QAbstractItemModelTester::FailureReportingMode::QtTest);
    QAbstractItemModelTester selectedTester(lists.selected(),
                                            QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(lists, {"e.eps", "b.eps", "d.eps", "a.eps", "c.eps"});
    // What the tester leaves unchecked: rows come and go only as insertions and removals the
    // views are told of, a new layout only puts the same rows in a new order.
    QStringList countsChangedByALayout;
    for (NameListModel *list : {lists.available(), lists.selected()}) {
        auto before = std::make_shared<int>();
        connect(list, &QAbstractItemModel::layoutAboutToBeChanged, list,
                [list, before] { *before = list->rowCount(); });
        connect(list, &QAbstractItemModel::layoutChanged, list, [&, list, before] {
            if (list->rowCount() != *before)
                countsChangedByALayout
                    << QStringLiteral("%1 -> %2").arg(*before).arg(list->rowCount());
        });
    }
    select(*lists.availableSelection(), {0, 2, 4});
    lists.addSelection();
    select(*lists.selectedSelection(), {0, 2});
    lists.removeSelection();
    lists.stepSelected(+1);
    QVERIFY(lists.dropRows(NameRows(lists.available(), {0, 1}), *lists.selected(), 1));
    QVERIFY(lists.dropRows(NameRows(lists.selected(), {0, 2}), *lists.selected(), -1));
    QVERIFY(lists.dropRows(NameRows(lists.selected(), {1}), *lists.available(), 0));
    lists.addAll();
    lists.removeAll();
    lists.clear();
    QCOMPARE(lists.availableCount() + lists.selectedCount(), 0);
    QVERIFY2(countsChangedByALayout.isEmpty(), qPrintable(countsChangedByALayout.join(", ")));
}

void FileListsTest::draggedNamesMoveOnlyIfTheirListStillHoldsThem()
{
    FileLists lists;
    fill(lists, {"a.eps", "b.eps", "c.eps"});
    const NameRows dragged(lists.available(), {1});
    FileLists other;
    other.available()->setNames(bytes({"b.eps"}));
    // From another window's list, or from rows that have changed since.
    QVERIFY(!lists.dropRows(NameRows(other.available(), {0}), *lists.selected(), 0));
    lists.available()->takeRows({0});
    QVERIFY(!lists.dropRows(dragged, *lists.selected(), 0));
    QCOMPARE(lists.selectedCount(), 0);
    QVERIFY(lists.dropRows(NameRows(lists.available(), {0}), *lists.selected(), 0));
    QCOMPARE(lists.selectedNames(), bytes({"b.eps"}));
}

QTEST_GUILESS_MAIN(FileListsTest)
#include "file_lists_test.moc"
