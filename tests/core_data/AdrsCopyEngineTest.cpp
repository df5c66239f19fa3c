// The copy into another book, checked through the stored files: the
// destination's rows are read back with SQLite's own API and compared with
// an oracle written here from the rules, not from the engine.
#include "core/AdrsBook.h"
#include "core/AdrsCopyEngine.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "platform/Seams.h"
#include "support/data/DataSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTimeZone>
#include <gtest/gtest.h>
#include <functional>
#include <map>
#include <sqlite3.h>

namespace {

// One row as stored: every column tagged by its storage class, so NULL and
// '' (an absent and an empty memo) differ, and texts compare byte for byte.
using TRow = std::vector<QByteArray>;
using TRows = std::map<qint64, TRow>;

TRows Dump(const QString& file)
{
    TRows rows;
    sqlite3* db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    sqlite3_stmt* st = nullptr;
    EXPECT_EQ(sqlite3_prepare_v2(db, "SELECT * FROM Adrs ORDER BY RecNo", -1, &st, nullptr), SQLITE_OK);
    while (sqlite3_step(st) == SQLITE_ROW) {
        TRow row;
        for (int i = 0; i < sqlite3_column_count(st); ++i) {
            const int type = sqlite3_column_type(st, i);
            QByteArray v = QByteArray::number(type) + ':';
            if (type == SQLITE_FLOAT)
                v += QByteArray::number(sqlite3_column_double(st, i), 'g', 17);
            else if (type != SQLITE_NULL)
                v += QByteArray(reinterpret_cast<const char*>(sqlite3_column_blob(st, i)), sqlite3_column_bytes(st, i));
            row.push_back(v);
        }
        rows[sqlite3_column_int64(st, 0)] = row;
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return rows;
}

void Exec(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

QByteArray Col(const TRow& row, int column) { return row[size_t(column)].mid(2); }

struct TSpec {
    QString tel, fax, p1, code, name;
    bool corp = false;
};

void Fill(TAdrsRecord& r, const TSpec& s, int n)
{
    InitNewAdrsRecord(r, !s.corp);
    r.Tel.SetText(s.tel);
    r.Fax.SetText(s.fax);
    r.Portable1.SetText(s.p1);
    r.CustomCode.SetText(s.code);
    r.NameKanji.SetText(s.name.isEmpty() ? QStringLiteral("表ソ%1").arg(n) : s.name);
    r.Group = n % 4;
    r.CodeMain = 3; // a category without a minor
    r.CodeSub = 0;
    if (s.corp)
        r.CorpKanji.SetText(QStringLiteral("株式会社ソ表"));
    r.Note = TLineList::FromStored(QByteArray("一行目\r\n\r\n")); // ends in an empty line
    r.MyNumber.Assign(QByteArray("0C0123456789ABCDEF0123456789ABCDEF"));
    r.AddDateTime = 40000.25 + n;
    r.UpdDateTime = 40100.75 + n;
}

void AddRows(const QString& book, const std::vector<TSpec>& specs)
{
    TSqlTable t(AdrsTableDef());
    t.Open(AdrsTableFileName(book));
    int n = int(t.RecordCount());
    t.StartTransaction();
    for (const TSpec& s : specs) {
        TAdrsRecord r;
        Fill(r, s, ++n);
        t.Append();
        WriteAdrsRecord(r, t);
        t.Post();
    }
    t.Commit();
}

// The rules, applied to dumped rows.
struct TOracle {
    TRows dst;
    TAdrsCopyCounts counts;

    void Copy(const TRows& src, const TAdrsCopyOptions& o)
    {
        const std::vector<std::pair<bool, int>> targets{
            {o.Tel, afTel}, {o.Fax, afFax}, {o.Portable1, afPortable1}, {o.Portable2, afPortable2}};
        for (const auto& [recNo, s] : src) {
            std::vector<int> taking;
            for (auto [on, col] : targets)
                if (on && !Col(s, col).isEmpty())
                    taking.push_back(col);
            bool same = false;
            if (o.SameNumCheck == 1)
                for (const auto& [dn, d] : dst) {
                    int equal = 0;
                    for (int col : taking)
                        equal += Col(d, col) == Col(s, col);
                    if (!taking.empty() && (o.BothType == 1 ? equal > 0 : equal == int(taking.size())))
                        same = true;
                }
            if (same) {
                ++counts.NotProcessed;
                continue;
            }
            qint64 target = 0;
            if (!Col(s, afCustomCode).isEmpty())
                for (const auto& [dn, d] : dst)
                    if (!target && Col(d, afCustomCode) == Col(s, afCustomCode))
                        target = dn;
            if (target && o.SameCustomCheck == 1) {
                ++counts.NotProcessed;
                continue;
            }
            const qint64 at = target ? target : (dst.empty() ? 1 : dst.rbegin()->first + 1);
            TRow row = s;
            row[0] = "1:" + QByteArray::number(at);
            dst[at] = row;
            ++(target ? counts.Overwritten : counts.Registered);
        }
    }
};

class AdrsCopyEngineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(QStringLiteral("元")));
        ASSERT_TRUE(CreateAdrsBook(QStringLiteral("先")));
        src = AdrsTableFileName(QStringLiteral("元"));
        dst = AdrsTableFileName(QStringLiteral("先"));
    }

    TAdrsCopyCounts Run(const TAdrsCopyOptions& o, const std::vector<int>& recNos, int* limits = nullptr,
                        const std::function<void()>& opened = {})
    {
        TSqlTable s(AdrsTableDef()), d(AdrsTableDef());
        s.Open(src);
        d.Open(dst, true);
        if (opened)
            opened();
        TAdrsCopyEngine engine(s, d, o);
        engine.OnLimit = [limits] {
            if (limits)
                ++*limits;
        };
        return engine.Run(recNos);
    }

    TTempDataFolder folder;
    QString src, dst;
};

// Destination: a Tel+Fax pair, a customer code, a Tel with an empty Fax, and
// one code held by two rows (the first in index order is overwritten).
const std::vector<TSpec> kDestination{
    {"0311111111", "0322222222", "", "", ""},
    {"0377777777", "", "", "C1", ""},
    {"0344444444", "", "", "", ""},
    {"", "", "09012345678", "表ソ", "", true},
    {"", "", "", "表ソ", ""},
};
const std::vector<TSpec> kSource{
    {"0311111111", "0322222222", "", "", ""},           // both numbers as a destination row
    {"0311111111", "0399999999", "", "", ""},           // the Tel only
    {"", "", "", "C1", ""},                              // no numbers, a known code
    {"0344444444", "0355555555", "", "C1", ""},          // Tel of a row whose Fax is empty
    {"0366666666", "", "09012345678", "C9", ""},         // new; its mobile is a destination's
    {"0366666666", "", "", "C9", ""},                    // as the one before (copied just now)
    {"", "0322222222", "", "", ""},                      // the Fax only
    {"", "", "", "表ソ", "", true},                       // a company, code with 0x5C trail bytes
};

} // namespace

TEST_F(AdrsCopyEngineTest, EverySameNumberAndSameCodeChoiceGivesTheOraclesRowsAndLeavesTheSourceAlone)
{
    AddRows(QStringLiteral("元"), kSource);
    AddRows(QStringLiteral("先"), kDestination);
    Exec(src, "UPDATE Adrs SET ExtLink=NULL WHERE RecNo=2; UPDATE Adrs SET ExtLink='' WHERE RecNo=3;");
    const QByteArray srcBytes = ReadFile(src);
    const QByteArray dstBytes = ReadFile(dst);
    const TRows srcRows = Dump(src);
    std::vector<int> recNos{8, 1, 2, 99, 3, 4, 5, 6, 7}; // display order; 99 is not in the book
    const TRows destBefore = Dump(dst);

    for (int combo = 0; combo < 16; ++combo) {
        TAdrsCopyOptions o;
        o.BothType = combo & 1;
        o.SameNumCheck = (combo >> 1) & 1;
        o.SameCustomCheck = (combo >> 2) & 1;
        o.Tel = true;
        o.Fax = (combo >> 3) & 1;
        // Targets {Tel} or {Tel, Fax}.
        SCOPED_TRACE(combo);
        ASSERT_TRUE(WriteFile(dst, dstBytes));

        const TAdrsCopyCounts got = Run(o, recNos);

        TOracle oracle{destBefore, {}};
        TRows ordered;
        std::vector<qint64> order;
        for (int n : recNos)
            if (srcRows.count(n))
                order.push_back(n);
        // The oracle walks the display order too.
        for (qint64 n : order) {
            TRows one{{n, srcRows.at(n)}};
            oracle.Copy(one, o);
        }
        EXPECT_EQ(got.Registered, oracle.counts.Registered);
        EXPECT_EQ(got.Overwritten, oracle.counts.Overwritten);
        EXPECT_EQ(got.NotProcessed, oracle.counts.NotProcessed);
        EXPECT_EQ(got.Failed, 0);
        EXPECT_FALSE(got.LimitReached);
        EXPECT_EQ(Dump(dst), oracle.dst);
        EXPECT_EQ(ReadFile(src), srcBytes) << "the source book is only read";
    }
}

TEST_F(AdrsCopyEngineTest, DatesAreTheSourcesOrTheTimeOfTheCopyAsTheBoxesSay)
{
    AddRows(QStringLiteral("元"), {{"", "", "", "", ""}});
    const QDateTime now(QDate(2026, 3, 4), QTime(5, 6, 7, 890));
    const TClockHandler previous = SetClockHandler([now] { return now; });
    struct TCase {
        bool add, upd;
        double wantAdd, wantUpd;
    };
    const double whole = DateTimeToStored(QDateTime(QDate(2026, 3, 4), QTime(5, 6, 7)));
    const double exact = DateTimeToStored(now);
    for (const TCase& c : {TCase{true, true, 40001.25, 40101.75}, TCase{true, false, 40001.25, exact},
                           TCase{false, true, whole, exact}, TCase{false, false, whole, exact}}) {
        TAdrsCopyOptions o;
        o.SameAddDateTime = c.add;
        o.SameUpdDateTime = c.upd;
        ASSERT_EQ(Run(o, {1}).Registered, 1);
        const TRow row = Dump(dst).rbegin()->second;
        EXPECT_EQ(Col(row, afAddDateTime).toDouble(), c.wantAdd) << c.add << c.upd;
        EXPECT_EQ(Col(row, afUpdDateTime).toDouble(), c.wantUpd) << c.add << c.upd;
    }
    SetClockHandler(previous);
    const QByteArray before = ReadFile(src);
    TSqlTable self(AdrsTableDef());
    self.Open(src, true);
    EXPECT_TRUE(TAdrsCopyEngine(self, self, {}).Run({1}).WriteError) << "a book is never copied into itself";
    self.Close();
    EXPECT_EQ(ReadFile(src), before);
}

// A record the destination refuses is taken back alone: the records before
// and after it, across the commit of a batch, are kept, and it is counted.
// Then the disk fills in the middle of a later batch (a record with a long
// note finds no room where the smaller ones after it would): SQLite takes
// that whole batch back, and the counts must still be what the book holds;
// a second run once there is room copies each record once (every record has
// its own customer code, and a known code is left out).
TEST_F(AdrsCopyEngineTest, FailedRecordsAndAFullDiskAreCountedAsTheBookHoldsThem)
{
    std::vector<TSpec> many;
    for (int i = 0; i < 3 * kCopyBatchSize; ++i)
        many.push_back({"", "", "", QStringLiteral("C%1").arg(i), i == 700 ? QStringLiteral("拒否") : QString()});
    AddRows(QStringLiteral("元"), many);
    AddRows(QStringLiteral("先"), {{"", "", "", "X", "拒否"}});
    Exec(dst, "CREATE UNIQUE INDEX refuse ON Adrs(NameKanji)");
    Exec(src, "UPDATE Adrs SET Note=hex(zeroblob(200000)) WHERE RecNo=1501");
    std::vector<int> recNos;
    for (int i = 1; i <= int(many.size()); ++i)
        recNos.push_back(i);
    TPageLimit limit(dst, 110); // an empty book's eight pages and about 1,700 records

    const TAdrsCopyCounts first = Run({}, recNos);
    limit.Set(0);
    const TRows rows = Dump(dst);
    EXPECT_GT(first.Registered, kCopyBatchSize / 2) << "the first batch is kept";
    EXPECT_LT(first.Registered, int(many.size()) - kCopyBatchSize / 2) << "the disk filled";
    EXPECT_EQ(first.Registered, int(rows.size()) - 1);
    EXPECT_EQ(first.Registered + first.Failed, int(many.size()));
    EXPECT_EQ(first.WriteFault, TAdrsCopyWriteFault::DiskFull) << "records were lost to the full disk";

    const TAdrsCopyCounts second = Run({}, recNos);
    EXPECT_EQ(second.NotProcessed, first.Registered);
    EXPECT_EQ(second.Registered, int(many.size()) - 1 - first.Registered);
    EXPECT_EQ(second.Failed, 1);
    EXPECT_EQ(second.WriteFault, TAdrsCopyWriteFault::None) << "a refused record is no fault of the disk";
    std::map<QByteArray, int> codes;
    for (const auto& [n, row] : Dump(dst))
        ++codes[Col(row, afCustomCode)];
    EXPECT_EQ(codes.size(), many.size()) << "every code but the refused record's, and the destination's own";
    for (const auto& [code, count] : codes)
        EXPECT_EQ(count, 1) << code.constData();
}

// A destination another program moved away after the copy opened it: nothing
// is claimed written, the moved file is left as it was, and no new file is
// made in its place.
TEST_F(AdrsCopyEngineTest, ADestinationMovedAwayAfterItsOpenIsToldAsMovedAndLeftAsItWas)
{
    AddRows(QStringLiteral("元"), {{"", "", "", "C1", ""}, {"0311111111", "", "", "表ソ", "", true}});
    const QString moved = dst + QStringLiteral(".moved");
    const TAdrsCopyCounts counts = Run({}, {1, 2}, nullptr, [&] { ASSERT_TRUE(QFile::rename(dst, moved)); });
    EXPECT_TRUE(counts.WriteError);
    EXPECT_EQ(counts.WriteFault, TAdrsCopyWriteFault::Moved);
    EXPECT_EQ(counts.Registered + counts.Overwritten, 0);
    EXPECT_FALSE(QFile::exists(dst));
    EXPECT_TRUE(Dump(moved).empty());
}
