#include "item_details.h"
#include "name_collation.h"

#include <QLocale>
#include <gtest/gtest.h>

using namespace shell;

namespace {

TEST(NameCollationTest, IgnoresCaseButOnlyTheSameNameIsEqual)
{
    NameCollation collation;
    EXPECT_LT(collation.compare("apple", "Banana"), 0);
    EXPECT_GT(collation.compare("Banana", "apple"), 0);
    EXPECT_NE(collation.compare("Readme", "readme"), 0);
    EXPECT_EQ(collation.compare("Readme", "readme"), -collation.compare("readme", "Readme"));
    EXPECT_EQ(collation.compare("same", "same"), 0);
}

TEST(NameCollationTest, ComparesNumbersInNamesAsNumbers)
{
    NameCollation collation;
    EXPECT_LT(collation.compare("img2.eps", "img10.eps"), 0);
    EXPECT_LT(collation.compare("page 9", "page 10"), 0);
    EXPECT_GT(collation.compare("v100", "v20"), 0);
}

TEST(NameCollationTest, AccentsSortBesideTheirLetter)
{
    NameCollation collation;
    EXPECT_LT(collation.compare("école", "fichier"), 0);
    EXPECT_GT(collation.compare("école", "dossier"), 0);
}

TEST(NameCollationTest, CLocaleStillSortsLikeAFileManager)
{
    const QLocale previous;
    QLocale::setDefault(QLocale::c());
    NameCollation collation;
    QLocale::setDefault(previous);
    EXPECT_LT(collation.compare("a9", "a10"), 0);
    EXPECT_LT(collation.compare("b", "C"), 0);
}

TEST(NameCollationTest, SortAgreesWithCompareAndHonoursRanks)
{
    NameCollation collation;
    QList<QByteArray> names = {"b", "A", "a", "a10", "a9", "\xff\xfe", "B", "dir"};
    QList<QByteArray> byCompare = names;
    std::sort(byCompare.begin(), byCompare.end(), [&](const QByteArray &x, const QByteArray &y) {
        return collation.compare(x, y) < 0;
    });
    collation.sort(names, {});
    EXPECT_EQ(names.size(), 8);
    EXPECT_EQ(names, byCompare);

    QList<int> ranks;
    for (const QByteArray &name : names)
        ranks.append(name == "dir" ? 0 : 1);
    collation.sort(names, ranks);
    EXPECT_EQ(names.constFirst(), QByteArray("dir"));
    EXPECT_EQ(names.mid(1), byCompare.mid(0, byCompare.indexOf("dir")) +
                                byCompare.mid(byCompare.indexOf("dir") + 1));
}

TEST(ItemDetailsTest, SizesReadLikeAFileManager)
{
    EXPECT_EQ(ItemDetails::formatSize(0), QStringLiteral("0 octet"));
    EXPECT_EQ(ItemDetails::formatSize(1), QStringLiteral("1 octet"));
    EXPECT_EQ(ItemDetails::formatSize(1023), QStringLiteral("1023 octets"));
    EXPECT_EQ(ItemDetails::formatSize(1024), QStringLiteral("1,0 Ko"));
    EXPECT_EQ(ItemDetails::formatSize(12595), QStringLiteral("12,3 Ko"));
    EXPECT_EQ(ItemDetails::formatSize(1048575), QStringLiteral("1,0 Mo"));
    EXPECT_EQ(ItemDetails::formatSize(5LL * 1024 * 1024 * 1024), QStringLiteral("5,0 Go"));
}

} // namespace
