#include "core/SingleInstance.h"

#include <QCoreApplication>
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

} // namespace
