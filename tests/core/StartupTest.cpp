#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Settings.h"
#include "core/SingleInstance.h"
#include "core/ui/AdrsList.h"
#include "core/ui/Startup.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QEvent>
#include <QWidget>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUuid>
#include <gtest/gtest.h>

namespace {

QString uniqueKey() { return QStringLiteral("test:") + QUuid::createUuid().toString(); }

TEST(SingleInstance, SecondStartAsksTheFirstToComeForwardAndIsRefused)
{
    const QString key = uniqueKey();
    TSingleInstance first(key);
    ASSERT_TRUE(first.Acquire());
    QSignalSpy raised(&first, &TSingleInstance::activationRequested);

    TSingleInstance second(key);
    EXPECT_FALSE(second.Acquire());
    EXPECT_TRUE(raised.wait(3000) || raised.count() > 0);
}

TEST(SingleInstance, DifferentDataFoldersRunSideBySideAndOneFolderMeetsItself)
{
    QTemporaryDir a, b;
    TSingleInstance first(SingleInstanceKeyForDataFolder(a.path()));
    TSingleInstance other(SingleInstanceKeyForDataFolder(b.path()));
    ASSERT_TRUE(first.Acquire());
    EXPECT_TRUE(other.Acquire());
    // The same folder spelt with a trailing separator and a "." is the same instance.
    TSingleInstance same(SingleInstanceKeyForDataFolder(a.path() + QStringLiteral("/./")));
    EXPECT_FALSE(same.Acquire());
}

// The start book is opened over a drawn window, once: a wait for a book held elsewhere never leaves it blank.
TEST(Startup, TheStartBookIsOpenedOnceTheWindowHasBeenPainted)
{
    struct TPaints : QObject {
        int count = 0;
        bool eventFilter(QObject*, QEvent* event) override { return (count += event->type() == QEvent::Paint), false; }
    } paints;
    QWidget window;
    window.installEventFilter(&paints);
    window.show();
    int paintsAtOpen = -1, opens = 0;
    StartupWhenShown(window, [&] { paintsAtOpen = paints.count, ++opens; });
    for (int i = 0; i < 200 && opens == 0; ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    window.update();
    QCoreApplication::processEvents();
    EXPECT_GT(paintsAtOpen, 0);
    EXPECT_EQ(opens, 1);
}

// The only book's file went under the last session, which had saved a record: the start makes the book anew
// (the first-start path) without that session's log, and tells the user where the log was kept.
TEST(Startup, TheBookMadeAnewTakesNoLogLeftBesideItAndSaysWhereTheLogWasKept)
{
    TTempDataFolder folder;
    TMessageRecorder messages;
    LoadSettings();
    TDMTelvora21 dm;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(kDefaultAdrsName));
    const QString file = AdrsTableFileName(kDefaultAdrsName), dir = QFileInfo(file).path();
    {
        TSqlTable table(AdrsTableDef());
        table.Open(file);
        table.Append();
        table.SetString(QStringLiteral("Adrs1"), QStringLiteral("表ソ能"));
        table.Post();
        QCoreApplication::processEvents();
        ASSERT_TRUE(QFile::remove(file));
    }
    TAddressList list;
    ASSERT_TRUE(list.OpenStartBook());
    EXPECT_EQ(list.GetRecordCount(), 0);
    QStringList shown{QStringLiteral("ファイルのそばに、そのファイルのものではない更新記録がありました"),
                      QStringLiteral("ファイルには取り込まず、次の名前で残しました")};
    for (const QString& name : QDir(dir).entryList({QStringLiteral("Adrs.DB-*.set-aside-*")}, QDir::Files,
                                                   QDir::Name | QDir::Reversed)) // the log, then its index
        shown << dir + u'/' + name;
    EXPECT_EQ(shown.size(), 4);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), shown.join(QStringLiteral("  \r\n")) + QStringLiteral("  "));
    EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONWARNING));
}

} // namespace
