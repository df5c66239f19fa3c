// The start after the book's file was replaced or deleted under the last
// session: the book opens without that session's log, and the user is told
// where the log was kept.
#include "core/ui/AdrsList.h"
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Settings.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

TEST(AdrsListSetAside, TheStartOpensTheBookWithoutALogThatIsNotItsOwnAndSaysWhereTheLogWasKept)
{
    for (const bool deleted : {false, true}) {
        SCOPED_TRACE(deleted);
        TTempDataFolder folder;
        TMessageRecorder messages;
        LoadSettings();
        TDMTelvora21 dm;
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(kDefaultAdrsName));
        const QString file = AdrsTableFileName(kDefaultAdrsName);
        const QString other = QFileInfo(file).path() + QStringLiteral("/Other.DB"); // a restore's file
        TSqlTable::CreateTable(other, AdrsTableDef());
        {
            TSqlTable table(AdrsTableDef());
            table.Open(other);
            table.Append();
            table.SetString(QStringLiteral("Adrs1"), QStringLiteral("控えの表"));
            table.Post();
        }
        {
            // The last session saved a record, then a restore put another book in place, or the only book's file
            // went (the start then makes the book anew).
            TSqlTable table(AdrsTableDef());
            table.Open(file);
            table.Append();
            table.SetString(QStringLiteral("Adrs1"), QStringLiteral("ソ能"));
            table.Post();
            QCoreApplication::processEvents();
            ASSERT_EQ(deleted ? std::remove(QFile::encodeName(file).constData())
                              : std::rename(QFile::encodeName(other).constData(), QFile::encodeName(file).constData()),
                      0);
        }
        ASSERT_TRUE(QFile::exists(file + QStringLiteral("-wal")));

        TAddressList list;
        ASSERT_TRUE(list.OpenStartBook());
        EXPECT_EQ(AdrsName, kDefaultAdrsName);
        EXPECT_EQ(list.GetRecordCount(), deleted ? 0 : 1);
        QStringList kept = QDir(QFileInfo(file).path()).entryList({QStringLiteral("Adrs.DB-*.set-aside-*")});
        ASSERT_EQ(kept.size(), 2);
        std::sort(kept.rbegin(), kept.rend()); // the log, then its index
        QStringList shown{QStringLiteral("ファイルのそばに、そのファイルのものではない更新記録がありました"),
                          QStringLiteral("ファイルには取り込まず、次の名前で残しました")};
        for (const QString& name : kept)
            shown << QFileInfo(file).path() + u'/' + name;
        ASSERT_EQ(messages.Messages().size(), 1u);
        EXPECT_EQ(messages.LastText(), shown.join(QStringLiteral("  \r\n")) + QStringLiteral("  "));
        EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONWARNING));
    }
}
