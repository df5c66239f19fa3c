#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Settings.h"
#include "core/SingleInstance.h"
#include "core/ui/AdrsList.h"
#include "core/ui/Startup.h"
#include "core_data/OtherWriter.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
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

// A sender file another program holds (the sqlite3 shell writing it in its
// exclusive locking mode) is waited for and told over the painted main
// window, not on a blank screen before it; the start book opens after.
TEST(Startup, TheSenderFileIsReadAndToldOnceTheWindowHasBeenPainted)
{
    TTempDataFolder folder;
    LoadSettings();
    AdrsName.clear();
    TDMTelvora21 dm;
    dm.OpenSenderTable(); // made, as a first start makes it
    dm.CloseSenderTable();
    TMessageRecorder messages;
    TOtherWriter other(SenderTableFileName(), true, "Sender");
    TAddressList window;
    struct TPaints : QObject {
        TMessageRecorder& messages;
        int beforeMessage = 0;
        explicit TPaints(TMessageRecorder& m) : messages(m) {}
        bool eventFilter(QObject*, QEvent* e) override
        {
            return (beforeMessage += e->type() == QEvent::Paint && messages.Messages().empty()), false;
        }
    } paints(messages);
    window.installEventFilter(&paints);
    window.show();
    StartupOpenWhenShown(window);
    for (int i = 0; i < 200 && AdrsName.isEmpty(); ++i)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 20);
    EXPECT_GT(paints.beforeMessage, 0);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("差出人ファイルが読み込めませんでした  \r\n他で使用中です  "));
    EXPECT_EQ(AdrsName, kDefaultAdrsName);
}

} // namespace
