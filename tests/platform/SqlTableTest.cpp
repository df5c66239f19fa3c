#include "platform/SqlTable.h"

#include <sqlite3.h>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TSqlTableDef phoneDef()
{
    TSqlTableDef d;
    d.TableName = QStringLiteral("Phone");
    d.Fields = {{QStringLiteral("RecNo"), TSqlFieldType::AutoInc},
                {QStringLiteral("Tel"), TSqlFieldType::Text, 11, true},
                {QStringLiteral("Name"), TSqlFieldType::Text, 10},
                {QStringLiteral("Count"), TSqlFieldType::Integer},
                {QStringLiteral("Memo"), TSqlFieldType::Memo}};
    d.Indexes = {{QStringLiteral("Tel"), {QStringLiteral("Tel")}}};
    return d;
}

class SqlTable : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = dir.path() + QStringLiteral("/Phone.DB");
        TSqlTable::CreateTable(file, phoneDef());
        table.Open(file);
    }
    void add(const char* tel, const QString& name)
    {
        table.Append();
        table.SetString(QStringLiteral("Tel"), QString::fromLatin1(tel));
        table.SetString(QStringLiteral("Name"), name);
        table.Post();
    }
    QString name() { return table.AsString(QStringLiteral("Name")); }
    QStringList walk()
    {
        QStringList names;
        for (table.First(); !table.Eof(); table.Next())
            names << name();
        return names;
    }

    QTemporaryDir dir;
    QString file;
    TSqlTable table{phoneDef()};
};

TEST_F(SqlTable, DeleteMovesToNextRowElseToPriorAndRecNoIsNeverReused)
{
    add("1", QStringLiteral("a"));
    add("2", QStringLiteral("b"));
    add("3", QStringLiteral("c"));
    table.Locate(QStringLiteral("RecNo"), 2);
    table.Delete();
    EXPECT_EQ(name(), QStringLiteral("c"));
    table.Delete();
    EXPECT_EQ(name(), QStringLiteral("a"));
    add("4", QStringLiteral("d"));
    EXPECT_EQ(table.CurrentRecNo(), 4);
    // Also across a reopen.
    table.Delete();
    table.Close();
    table.Open(file);
    add("5", QStringLiteral("e"));
    EXPECT_EQ(table.CurrentRecNo(), 5);
    table.Delete();
    table.Delete();
    EXPECT_TRUE(table.IsEmpty());
    EXPECT_EQ(table.CurrentRecNo(), 0);
}

TEST_F(SqlTable, WalksAlongIndexWithTiesInRecNoOrder)
{
    add("0300", QStringLiteral("x1"));
    add("0100", QStringLiteral("y"));
    add("0300", QStringLiteral("x2"));
    add("0200", QStringLiteral("z"));
    EXPECT_EQ(walk(), (QStringList{"x1", "y", "x2", "z"}));
    table.SetIndexName(QStringLiteral("Tel"));
    EXPECT_EQ(walk(), (QStringList{"y", "z", "x1", "x2"}));
    EXPECT_TRUE(table.Eof());
    QStringList back;
    for (table.Last(); !table.Bof(); table.Prior())
        back << name();
    EXPECT_EQ(back, (QStringList{"x2", "x1", "z", "y"}));
    EXPECT_EQ(name(), QStringLiteral("y")) << "Bof stays on the first row";
    table.Last(); // the second of two equal keys
    EXPECT_EQ(table.Position(), 4);
}

TEST_F(SqlTable, KeyLookupsAndNearestSeek)
{
    add("0300", QStringLiteral("x"));
    add("0100", QStringLiteral("y"));
    add("0500", QStringLiteral("z"));
    table.SetIndexName(QStringLiteral("Tel"));
    EXPECT_TRUE(table.FindKey({QStringLiteral("0300")}));
    EXPECT_EQ(name(), QStringLiteral("x"));
    EXPECT_FALSE(table.FindKey({QStringLiteral("0400")}));
    EXPECT_EQ(name(), QStringLiteral("x")) << "a failed lookup stays put";

    table.SetKey();
    table.SetString(QStringLiteral("Tel"), QStringLiteral("0500"));
    EXPECT_TRUE(table.GotoKey());
    EXPECT_EQ(name(), QStringLiteral("z"));

    table.FindNearest({QStringLiteral("02")});
    EXPECT_EQ(name(), QStringLiteral("x"));
    EXPECT_TRUE(table.Locate(QStringLiteral("RecNo"), 2));
    EXPECT_EQ(name(), QStringLiteral("y"));
}

TEST_F(SqlTable, WidthsCountCodePage932BytesAndNothingIsCut)
{
    table.Append();
    table.SetString(QStringLiteral("Name"), QStringLiteral("表示表示表")); // 10 bytes, 0x5C trail bytes
    table.Post();
    EXPECT_EQ(name(), QStringLiteral("表示表示表"));

    table.Append();
    table.SetString(QStringLiteral("Name"), QStringLiteral("表示表示表a")); // 11 bytes
    EXPECT_THROW(table.Post(), ESqlTableError) << "an over-long value was accepted";
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 1);

    table.Append();
    table.SetString(QStringLiteral("Tel"), QStringLiteral("03-1234"));
    EXPECT_THROW(table.Post(), ESqlTableError) << "digits-only field";
}

TEST_F(SqlTable, FailedEditLeavesStoredRowAndCancelRestoresBuffer)
{
    add("111", QStringLiteral("old"));
    table.Edit();
    table.SetString(QStringLiteral("Name"), QStringLiteral("much too long"));
    EXPECT_THROW(table.Post(), ESqlTableError);
    EXPECT_EQ(table.State(), TSqlTable::TState::Edit);
    table.Cancel();
    EXPECT_EQ(name(), QStringLiteral("old"));

    TSqlTable other(phoneDef());
    other.Open(file);
    EXPECT_EQ(other.AsString(QStringLiteral("Name")), QStringLiteral("old"));
}

TEST_F(SqlTable, EditOfARowDeletedElsewhereIsNoSuccess)
{
    add("111", QStringLiteral("old"));
    TSqlTable other(phoneDef());
    other.Open(file); // a second window or program on the same book
    table.Edit();
    table.SetString(QStringLiteral("Name"), QStringLiteral("new"));
    other.Delete();
    EXPECT_THROW(table.Post(), ESqlTableError) << "nothing was written: the edit must not count as saved";
    EXPECT_EQ(table.State(), TSqlTable::TState::Edit);
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST_F(SqlTable, ExclusiveOpenFailsWhileAnotherOpenHoldsTheTable)
{
    TSqlTable second(phoneDef());
    EXPECT_THROW(second.Open(file, true), ESqlTableError);
    table.Close();
    second.Open(file, true);
    EXPECT_THROW(table.Open(file), ESqlTableError) << "a shared open waits for the exclusive one to end";
    second.Close();
    table.Open(file);
}

TEST(SqlTableOpen, RefusesMissingAndForeignFiles)
{
    QTemporaryDir dir;
    TSqlTable t(phoneDef());
    EXPECT_THROW(t.Open(dir.path() + QStringLiteral("/none.DB")), ESqlTableError);
    QFile junk(dir.path() + QStringLiteral("/junk.DB"));
    junk.open(QIODevice::WriteOnly);
    junk.write(QByteArray(4096, 'x'));
    junk.close();
    EXPECT_THROW(t.Open(junk.fileName()), ESqlTableError);
    EXPECT_FALSE(t.Active());
}

} // namespace

namespace {

// Rows straight into the file, past every check of the table.
void insertRaw(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close(db);
}

} // namespace

TEST_F(SqlTable, WriteCheckFollowsTheLastValueSetAndStoredValuesAreCheckedOnEdit)
{
    // A value corrected before the post is written; one spoilt after a good
    // one is refused, and nothing reaches the file.
    table.Append();
    table.SetString(QStringLiteral("Tel"), QStringLiteral("03-1"));
    table.SetString(QStringLiteral("Tel"), QStringLiteral("031"));
    table.Post();
    table.Append();
    table.SetUtf8(1, "0312", 4);
    table.SetUtf8(1, "03-12", 5);
    EXPECT_THROW(table.Post(), ESqlTableError);
    table.Cancel();
    table.Append();
    table.SetInteger(1, 42); // a number into a digits-only text: fine
    table.SetFloat(1, -1.5); // a sign and a point are no digits
    EXPECT_THROW(table.Post(), ESqlTableError);
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 1);

    // A row another program stored against the rules is read as it is, and
    // an edit of it is refused until the value is set right.
    insertRaw(file, "INSERT INTO Phone(Tel, Name) VALUES('03-9', 'raw')");
    table.SetIndexName(QString());
    table.Last();
    ASSERT_EQ(name(), QStringLiteral("raw"));
    EXPECT_EQ(table.AsString(QStringLiteral("Tel")), QStringLiteral("03-9"));
    table.Edit();
    table.SetString(QStringLiteral("Name"), QStringLiteral("edited"));
    EXPECT_THROW(table.Post(), ESqlTableError);
    table.SetString(QStringLiteral("Tel"), QStringLiteral("039"));
    table.Post();
    EXPECT_EQ(table.AsString(QStringLiteral("Tel")), QStringLiteral("039"));
}

TEST_F(SqlTable, ReusedBufferNeverLeaksIntoTheNextRowOrAHeldValue)
{
    table.Append();
    table.SetUtf8(2, "longname", 8);
    table.SetUtf8(4, "memo", 4);
    table.Post();
    const QByteArray held = table.AsUtf8(2);

    // A shorter value in the same slot, and a row that leaves the slots blank.
    table.Append();
    table.SetUtf8(2, "ab", 2);
    table.Post();
    table.Append();
    table.SetInteger(3, 7);
    table.Post();
    EXPECT_EQ(held, "longname");

    table.SetIndexName(QString());
    QList<QByteArray> names;
    QList<bool> memoNull;
    for (table.First(); !table.Eof(); table.Next()) {
        names << table.AsUtf8(2);
        memoNull << table.IsNull(4);
    }
    EXPECT_EQ(names, (QList<QByteArray>{"longname", "ab", ""}));
    EXPECT_EQ(memoNull, (QList<bool>{false, true, true})) << "a memo not set is absent, not blank";
}

// The page cache is large only while a bulk write runs: after its commit, and
// while the whole table is read, SQLite holds its small cache, not the book.
TEST_F(SqlTable, ThePageCacheIsGivenBackAfterABulkWrite)
{
    const QString memo(1000, u'x');
    table.StartTransaction();
    for (int i = 0; i < 6000; ++i) {
        table.Append();
        table.SetInteger(3, i);
        table.SetString(4, memo);
        table.Post();
    }
    EXPECT_GT(sqlite3_memory_used(), 6 << 20) << "the transaction stays in memory until its commit";
    table.Commit();
    EXPECT_LT(sqlite3_memory_used(), 3 << 20);
    int rows = 0;
    table.Scan([&](const TSqlRow&) { ++rows; });
    EXPECT_EQ(rows, 6000);
    EXPECT_LT(sqlite3_memory_used(), 3 << 20);
    table.StartTransaction(); // a rollback drops the rows and gives the cache back too
    add("1", memo.left(10));
    table.Rollback();
    EXPECT_EQ(table.RecordCount(), 6000);
}
