// An edit that gives its row another RecNo (the sender table's last record is
// cleared back to number 1): the row moves whole, a number in use or not
// positive is refused with nothing written, and numbers stay never reused.
#include "platform/SqlTable.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TSqlTableDef nameDef()
{
    TSqlTableDef d;
    d.TableName = QStringLiteral("Names");
    d.Fields = {{QStringLiteral("RecNo"), TSqlFieldType::AutoInc},
                {QStringLiteral("Name"), TSqlFieldType::Text, 10},
                {QStringLiteral("Flag"), TSqlFieldType::Boolean}};
    return d;
}

class SqlTableRecNo : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = dir.path() + QStringLiteral("/Names.DB");
        TSqlTable::CreateTable(file, nameDef());
        table.Open(file);
        for (const char* n : {"a", "b", "c"}) {
            table.Append();
            table.SetString(QStringLiteral("Name"), QString::fromLatin1(n));
            table.Post();
        }
    }
    // Every row as RecNo:Name, read through another open of the file.
    QStringList stored()
    {
        TSqlTable other(nameDef());
        other.Open(file);
        QStringList rows;
        for (other.First(); !other.Eof(); other.Next())
            rows << QStringLiteral("%1:%2").arg(other.CurrentRecNo()).arg(other.AsString(QStringLiteral("Name")));
        return rows;
    }

    QTemporaryDir dir;
    QString file;
    TSqlTable table{nameDef()};
};

TEST_F(SqlTableRecNo, EditMovesTheRowToAFreeNumberWithItsOtherChanges)
{
    ASSERT_TRUE(table.Locate(QStringLiteral("RecNo"), 1));
    table.Delete();
    ASSERT_TRUE(table.Locate(QStringLiteral("RecNo"), 3));
    table.Edit();
    table.SetInteger(QStringLiteral("RecNo"), 1);
    table.SetString(QStringLiteral("Name"), QStringLiteral("c2"));
    table.SetBoolean(QStringLiteral("Flag"), true);
    table.Post();
    EXPECT_EQ(table.CurrentRecNo(), 1);
    EXPECT_EQ(table.AsInteger(QStringLiteral("RecNo")), 1);
    EXPECT_EQ(stored(), (QStringList{QStringLiteral("1:c2"), QStringLiteral("2:b")}));
    // The row is found and walked under its new number.
    table.Last();
    EXPECT_EQ(table.CurrentRecNo(), 2);
    table.Prior();
    EXPECT_EQ(table.CurrentRecNo(), 1);
    EXPECT_TRUE(table.AsBoolean(QStringLiteral("Flag")));
    // The number the row left is not given out again.
    table.Append();
    table.SetString(QStringLiteral("Name"), QStringLiteral("d"));
    table.Post();
    EXPECT_EQ(table.CurrentRecNo(), 4);
}

TEST_F(SqlTableRecNo, NumberInUseOrNotPositiveIsRefusedAndNothingWritten)
{
    const QStringList before = stored();
    ASSERT_TRUE(table.Locate(QStringLiteral("RecNo"), 3));
    for (qint64 bad : {qint64(2), qint64(0), qint64(-1)}) {
        table.Edit();
        table.SetInteger(QStringLiteral("RecNo"), bad);
        table.SetString(QStringLiteral("Name"), QStringLiteral("x"));
        EXPECT_THROW(table.Post(), ESqlTableError) << bad;
        EXPECT_EQ(table.State(), TSqlTable::TState::Edit);
        table.Cancel();
        EXPECT_EQ(table.CurrentRecNo(), 3);
        EXPECT_EQ(table.AsString(QStringLiteral("Name")), QStringLiteral("c"));
        EXPECT_EQ(stored(), before);
    }
    // An edit that leaves RecNo alone still writes in place.
    table.Edit();
    table.SetString(QStringLiteral("Name"), QStringLiteral("c3"));
    table.Post();
    EXPECT_EQ(table.CurrentRecNo(), 3);
    EXPECT_EQ(stored().last(), QStringLiteral("3:c3"));
}

} // namespace
