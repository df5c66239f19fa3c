#include "core/HistoryData.h"
#include "platform/Cp932.h"
#include "support/data/DataSupport.h"

#include "platform/PrivateFiles.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    THistoryData bounded(file(), 10, 3); // the list is bounded and drops the oldest
    for (const char* s : {"0", "1", "2", "3", "4", "5"})
        bounded.Insert(0, QString::fromLatin1(s), t0);
    bounded.Add(QStringLiteral("old"), t0);
    EXPECT_EQ(bounded.GetItem(0) + bounded.GetItem(2), QStringLiteral("53"));
    EXPECT_EQ(bounded.GetCount(), 3);
}

int Mode(const QString& path)
{
    struct stat st{};
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? int(st.st_mode & 07777) : -1;
}

// A save makes its folders 0700 whatever the umask, removes the temporary
// files of ours that a killed save left (never a live process's, never
// another program's), and leaves none of its own.
TEST_F(HistoryData, ASaveMakesPrivateFoldersAndLeavesNoTemporaryFileBehind)
{
    const pid_t gone = ::fork();
    if (gone == 0)
        ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    const QString folder = dir.path() + QStringLiteral("/a/b");
    const QStringList kept{QStringLiteral("Post.mtd.AbC123"), QStringLiteral("Post.mtd.t21save-1-x"),
                           QStringLiteral("Post.mtd.t21save-%1-y").arg(::getpid())};
    const mode_t mask = ::umask(0);
    THistoryData h(folder + QStringLiteral("/Post.mtd"), 20);
    h.Insert(0, QStringLiteral("営業部第一課"), t0);
    ASSERT_TRUE(h.Save());
    EXPECT_EQ(THistoryData(folder + QStringLiteral("/Post.mtd"), 5).GetItem(0), QStringLiteral("営業"))
        << "an item longer than the list allows is cut on reading";
    for (const QString& f : kept + QStringList{QStringLiteral("Post.mtd.t21save-%1-k3v9").arg(gone),
                                               QStringLiteral("Other.ini.t21save-%1-z").arg(gone)})
        ASSERT_TRUE(WriteFile(folder + u'/' + f, "copy"));
    ASSERT_TRUE(h.Save());
    ::umask(mask);
    EXPECT_EQ(Mode(dir.path() + QStringLiteral("/a")), 0700);
    EXPECT_EQ(Mode(folder + QStringLiteral("/Post.mtd")), 0600);
    QStringList left = QDir(folder).entryList(QDir::Files), want = kept + QStringList{QStringLiteral("Post.mtd")};
    left.sort();
    want.sort();
    EXPECT_EQ(left, want);
}

// Over a file size limit the save fails with its reason and the old file
// stays; the program goes on (SIGXFSZ used to end it, status 153).
void SaveOverAFileSizeLimit(const QString& file, const QByteArray& before)
{
    KeepRunningAtFileSizeLimit();
    const rlimit limit{64, 64};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    QString why;
    const bool saved = SaveFileAtomically(file, QByteArray(100, 'x'), true, &why);
    std::fprintf(stderr, "%s\n", qPrintable(why));
    ::_exit(!saved && ReadFile(file) == before ? 0 : 1);
}

TEST_F(HistoryData, AFileSizeLimitFailsTheSaveAndTheProgramGoesOn)
{
    ASSERT_TRUE(WriteFile(file(), "old"));
    EXPECT_EXIT(SaveOverAFileSizeLimit(file(), ReadFile(file())), ::testing::ExitedWithCode(0), "File too large");
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

} // namespace
