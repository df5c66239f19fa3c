#include "core/HistoryData.h"
#include "platform/Cp932.h"
#include "support/data/DataSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class HistoryData : public ::testing::Test {
protected:
    QString file() const { return dir.path() + QStringLiteral("/Post.mtd"); }
    QTemporaryDir dir;
    const QDateTime t0 = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000);
};

TEST_F(HistoryData, KeepsMostRecentFirstAndSurvivesARestart)
{
    {
        THistoryData h(file(), 50);
        h.Insert(0, QStringLiteral("課長"), t0);
        h.Insert(0, QStringLiteral("部長"), t0.addSecs(60));
        h.Insert(0, QStringLiteral("表示係"), t0.addSecs(120));
        ASSERT_TRUE(h.Save());
    }
    THistoryData h(file(), 50);
    ASSERT_EQ(h.GetCount(), 3);
    EXPECT_EQ(h.GetItem(0), QStringLiteral("表示係"));
    EXPECT_EQ(h.GetItem(2), QStringLiteral("課長"));
    EXPECT_EQ(h.GetDateTime(1), t0.addSecs(60));
    EXPECT_EQ(h.IndexOf(QStringLiteral("部")), -1);
    h.Delete(1);
    EXPECT_EQ(h.IndexOf(QStringLiteral("課長")), 1);
}

TEST_F(HistoryData, ItemsAreCutToTheItemSizeWithoutSplittingACharacter)
{
    THistoryData h(file(), 10);
    h.Insert(0, QStringLiteral("あいうえおか"), t0);  // 12 bytes
    h.Insert(0, QStringLiteral("aあいうえおか"), t0); // the fifth character would straddle
    EXPECT_EQ(h.GetItem(1), QStringLiteral("あいうえお"));
    EXPECT_EQ(h.GetItem(0), QStringLiteral("aあいうえ"));
    EXPECT_EQ(h.GetItemBytes(0).size(), 9);
    EXPECT_EQ(h.IndexOf(QStringLiteral("aあいうえ")), 0);
}

TEST_F(HistoryData, IndexesOutOfRangeRaise)
{
    THistoryData h(file(), 10);
    EXPECT_THROW(h.GetItem(0), EHistoryDataError);
    EXPECT_THROW(h.Insert(1, QStringLiteral("x"), t0), EHistoryDataError);
    h.Insert(0, QStringLiteral("x"), t0);
    h.Add(QStringLiteral("y"), t0);
    EXPECT_EQ(h.GetItem(1), QStringLiteral("y"));
    EXPECT_THROW(h.GetDateTime(2), EHistoryDataError);
}

TEST_F(HistoryData, ListIsBoundedAndDropsTheOldest)
{
    THistoryData h(file(), 10, 3);
    for (int i = 0; i < 5; ++i)
        h.Insert(0, QString::number(i), t0);
    EXPECT_EQ(h.GetCount(), 3);
    EXPECT_EQ(h.GetItem(0), QStringLiteral("4"));
    EXPECT_EQ(h.GetItem(2), QStringLiteral("2"));
    h.Add(QStringLiteral("old"), t0);
    EXPECT_EQ(h.GetCount(), 3);
}

TEST_F(HistoryData, DamagedFilesAreReadAsFarAsTheyAreSound)
{
    {
        THistoryData h(file(), 20);
        for (const char* s : {"c", "bb", "aaa"})
            h.Insert(0, QString::fromLatin1(s), t0);
        ASSERT_TRUE(h.Save());
    }
    const QByteArray data = ReadFile(file());
    QByteArray huge = data, badLen = data;
    huge[8] = huge[9] = huge[10] = huge[11] = char(0xFF);
    badLen[12 + 8] = badLen[12 + 9] = char(0xFF);
    const struct {
        const char* damage;
        QByteArray bytes;
        int count;
    } cases[] = {
        {"cut inside the third item", data.left(data.size() - 1), 2},
        {"a header count of four billion allocates nothing extra", huge, 3},
        {"an item length beyond the file ends the reading", badLen, 0},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(WriteFile(file(), c.bytes));
        EXPECT_EQ(THistoryData(file(), 20).GetCount(), c.count) << c.damage;
    }
    // Not a history file at all.
    ASSERT_TRUE(WriteFile(file(), "garbage that is long enough"));
    THistoryData junk(file(), 20);
    EXPECT_EQ(junk.GetCount(), 0);
    junk.Insert(0, QStringLiteral("new"), t0);
    EXPECT_TRUE(junk.Save());
    EXPECT_EQ(THistoryData(file(), 20).GetItem(0), QStringLiteral("new"));
}

TEST_F(HistoryData, ItemsLongerThanTheListAllowsAreCutOnReading)
{
    {
        THistoryData wide(file(), 100);
        wide.Insert(0, QStringLiteral("営業部第一課"), t0);
        ASSERT_TRUE(wide.Save());
    }
    THistoryData narrow(file(), 5);
    EXPECT_EQ(narrow.GetItem(0), QStringLiteral("営業"));
}

} // namespace
