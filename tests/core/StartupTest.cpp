#include "core/SingleInstance.h"
#include "core/ui/Startup.h"

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

} // namespace
