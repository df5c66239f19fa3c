// The start after the book's file was deleted under the last session.
#include "core/ui/AdrsList.h"
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Settings.h"

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <gtest/gtest.h>

#include <cstdio>

// The only book's file went under the last session, which had saved a record: the start makes the book anew
// (the first-start path) without that session's log, and tells the user where the log was kept.
TEST(AdrsListSetAside, TheStartMakesTheBookAnewWithoutTheLogLeftBesideItAndSaysWhereTheLogWasKept)
{
    TTempDataFolder folder;
    TMessageRecorder messages;
    LoadSettings();
    TDMTelvora21 dm;
    BuildAdrsBookList();
    ASSERT_TRUE(CreateAdrsBook(kDefaultAdrsName));
    const QString file = AdrsTableFileName(kDefaultAdrsName);
    const QString dir = QFileInfo(file).path();
    {
        TSqlTable table(AdrsTableDef());
        table.Open(file);
        table.Append();
        table.SetString(QStringLiteral("Adrs1"), QStringLiteral("表ソ能"));
        table.Post();
        QCoreApplication::processEvents();
        ASSERT_EQ(std::remove(QFile::encodeName(file).constData()), 0);
    }
    TAddressList list;
    ASSERT_TRUE(list.OpenStartBook());
    EXPECT_EQ(list.GetRecordCount(), 0);
    QStringList shown{QStringLiteral("ファイルのそばに、そのファイルのものではない更新記録がありました"),
                      QStringLiteral("ファイルには取り込まず、次の名前で残しました")};
    for (const char* side : {"wal", "shm"}) // the log, then its index
        for (const QString& name : QDir(dir).entryList({QStringLiteral("Adrs.DB-%1.set-aside-*").arg(side)}))
            shown << dir + u'/' + name;
    EXPECT_EQ(shown.size(), 4);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), shown.join(QStringLiteral("  \r\n")) + QStringLiteral("  "));
    EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONWARNING));
}
