#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "support/data/DataSupport.h"

#include <QFileInfo>
#include <gtest/gtest.h>

// The data module reports a book it cannot open exclusively to its caller
// and leaves everything else as it was; telling the user is the window's part.
TEST(SubBook, AFailedOpenIsReportedAndLeavesTheOpenBookAndItsFileAlone)
{
    TTempDataFolder folder;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("本")));
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("別")));
    TDMTelvora21 dm;
    dm.OpenAdrsTable(QStringLiteral("本"));
    TSqlTable& t = dm.AdrsTable();
    t.Append();
    t.SetString(QStringLiteral("NameKanji"), QStringLiteral("表ソ"));
    t.Post();
    const QString file = AdrsTableFileName(QStringLiteral("本"));
    const QByteArray before = ReadFile(file);

    ASSERT_TRUE(dm.OpenSubAdrsTable(QStringLiteral("別")));
    QString error = QStringLiteral("stale");
    EXPECT_FALSE(dm.OpenSubAdrsTable(QStringLiteral("本"), &error)) << "the open book itself holds the lock";
    EXPECT_FALSE(error.isEmpty());
    EXPECT_NE(error, QStringLiteral("stale"));
    EXPECT_EQ(dm.SubAdrsTable(), nullptr) << "the earlier sub book is closed, not kept half-open";

    EXPECT_FALSE(dm.OpenSubAdrsTable(QStringLiteral("無い本"), &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_FALSE(QFileInfo::exists(AdrsTableFileName(QStringLiteral("無い本"))));

    EXPECT_EQ(ReadFile(file), before);
    ASSERT_TRUE(t.Active());
    EXPECT_EQ(t.RecordCount(), 1);
    t.First();
    EXPECT_EQ(t.AsString(QStringLiteral("NameKanji")), QStringLiteral("表ソ"));

    ASSERT_TRUE(dm.OpenSubAdrsTable(QStringLiteral("別"), &error));
    EXPECT_TRUE(error.isEmpty());
    ASSERT_NE(dm.SubAdrsTable(), nullptr);
    EXPECT_EQ(dm.SubAdrsTable()->RecordCount(), 0);
}
