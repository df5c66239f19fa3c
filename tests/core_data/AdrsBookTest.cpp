#include "core/AdrsBook.h"

#include "core/DBInfo.h"
#include "core/Folders.h"
#include "platform/Cp932.h"
#include "support/data/DataSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <csignal>
#include <random>
#include <sys/wait.h>
#include <unistd.h>
#include <gtest/gtest.h>

TEST(AdrsBook, BlankNamesAndAnEmptyFolderAreRefused)
{
    TTempDataFolder folder;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("表ソ")));
    // A name made only of ideographic spaces (or with blanks) looks empty.
    for (const QString& blank : {QStringLiteral("　　"), QStringLiteral("　"), QStringLiteral(" 　 "), QString()}) {
        EXPECT_EQ(CheckAdrsBookName(blank), QStringLiteral("アドレス帳名を入力してください  "))
            << blank.toStdString();
        EXPECT_FALSE(CreateAdrsBook(blank));
    }
    EXPECT_TRUE(CheckAdrsBookName(QStringLiteral("顧客　二")).isEmpty()); // an inner space is a name

    // A table lying directly in Adrs/ would be what an empty folder name reaches.
    TSqlTable::CreateTable(AdrsTableFileName(QStringLiteral("表ソ")).replace(QStringLiteral("表ソ/"), QString()),
                           AdrsTableDef());
    ASSERT_TRUE(QFileInfo::exists(DataPath() + QStringLiteral("Adrs/Adrs.DB")));
    ASSERT_TRUE(QDir().mkpath(AdrsBookFolderPath(QStringLiteral("　"))));
    TSqlTable::CreateTable(AdrsTableFileName(QStringLiteral("　")), AdrsTableDef());
    const QByteArray list = "[ADRSMNG]\r\nCount=4\r\nName1=" + cp932::Encode(QStringLiteral("空")) +
                            "\r\nFolder1=\r\nName2=" + cp932::Encode(QStringLiteral("　")) + "\r\nFolder2=" +
                            cp932::Encode(QStringLiteral("表ソ")) + "\r\nName3=" + cp932::Encode(QStringLiteral("表ソ")) +
                            "\r\nName4=" + cp932::Encode(QStringLiteral("別名")) + "\r\nFolder4=" +
                            cp932::Encode(QStringLiteral("　")) + "\r\n";
    ASSERT_TRUE(WriteFile(AdrsMngFileName(), list));
    BuildAdrsBookList();
    ASSERT_EQ(AdrsBookList.size(), 1u);
    EXPECT_EQ(AdrsBookList[0].Name, QStringLiteral("表ソ"));
    EXPECT_EQ(AdrsBookList[0].Folder, QStringLiteral("表ソ"));
}

TEST(AdrsBook, AListedNameWithAControlCharacterIsLeftOutAndTheBookFoundOnDisk)
{
    // Found by fuzzing: a bare CR inside a listed name was taken, and the
    // list written back (a value is one line) named the book differently.
    TTempDataFolder folder;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(QStringLiteral("ゾウ")));
    ASSERT_TRUE(WriteFile(AdrsMngFileName(), "[ADRSMNG]\r\nCount=1\r\nName1=" + cp932::Encode(QStringLiteral("ゾ")) + "\r" +
                                                 cp932::Encode(QStringLiteral("ウ")) + "\r\nFolder1=" +
                                                 cp932::Encode(QStringLiteral("ゾウ")) + "\r\nState1=1\r\n"));
    BuildAdrsBookList();
    ASSERT_EQ(AdrsBookList.size(), 1u);
    EXPECT_EQ(AdrsBookList[0].Name, QStringLiteral("ゾウ"));
    EXPECT_EQ(AdrsBookList[0].State, 0);
    ASSERT_TRUE(SaveAdrsBookList());
    BuildAdrsBookList();
    ASSERT_EQ(AdrsBookList.size(), 1u);
    EXPECT_EQ(AdrsBookList[0].Name, QStringLiteral("ゾウ"));
}

namespace {

// What a first start does with the data side: folders, the default book, its open.
void firstStartDataSide()
{
    CreateDataFolders();
    BuildAdrsBookList();
    if (AdrsBookList.empty())
        EnsureDefaultAdrsBook();
    BuildAdrsBookList();
    TSqlTable table(AdrsTableDef());
    table.Open(AdrsTableFileName(AdrsBookList.at(0).Folder));
}

} // namespace

TEST(AdrsBook, AFirstStartKilledAtRandomMomentsAlwaysLeavesTheDefaultBookNextTime)
{
    TTempDataFolder base;
    const QString root = base.path();
    // How long an undisturbed first start takes sets the window the kills fall in.
    QElapsedTimer timer;
    timer.start();
    SetDataFolder(root + QStringLiteral("calibrate"));
    firstStartDataSide();
    qint64 spanUs = std::max<qint64>(2000, timer.nsecsElapsed() / 1000 * 2);

    // A loaded machine makes starts take longer or shorter than the one
    // measured: the window narrows whenever a start finished before its kill,
    // and the runs go on until enough kills have landed inside a start.
    std::mt19937 random(20261206);
    int killedMidway = 0;
    for (int i = 0; i < 200 && (i < 50 || killedMidway <= 10); ++i) {
        const QString folder = root + QStringLiteral("run%1").arg(i);
        SetDataFolder(folder);
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            try {
                firstStartDataSide();
            } catch (...) {
                ::_exit(2);
            }
            ::_exit(0);
        }
        ::usleep(useconds_t(std::uniform_int_distribution<qint64>(0, spanUs)(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        if (WIFSIGNALED(status)) {
            ++killedMidway;
        } else {
            ASSERT_EQ(WEXITSTATUS(status), 0);
            spanUs = std::max<qint64>(200, spanUs * 3 / 4);
        }

        // The next start shows the default book, with its table.
        AdrsBookList.clear();
        ASSERT_NO_THROW(firstStartDataSide()) << "run " << i;
        ASSERT_EQ(AdrsBookList.size(), 1u) << "run " << i;
        EXPECT_EQ(AdrsBookList[0].Name, kDefaultAdrsName);
        TSqlTable table(AdrsTableDef());
        ASSERT_NO_THROW(table.Open(AdrsTableFileName(AdrsBookList[0].Folder))) << "run " << i;
        EXPECT_EQ(table.RecordCount(), 0);
    }
    RecordProperty("killedMidway", killedMidway);
    EXPECT_GT(killedMidway, 10); // the kills did land inside the first start
}
