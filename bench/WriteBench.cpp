// The write path against the engine alone, in one process: the same rows of
// the same schema appended once through TSqlTable (WriteAdrsRecord + Post,
// with every check the table makes) and once by binding prepared UTF-8
// values straight to an INSERT, both in WAL mode with the same page cache.
// The ratio is what the table layer costs: "table/raw" by the clock,
// "table/raw cpu" by this thread's CPU time, each the median of the pairs.
#include "BookGen.h"
#include "Pairs.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <vector>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

using TClock = std::chrono::steady_clock;

struct TTimes {
    double wall = 0;
    double cpu = 0;
    TTimes& operator+=(const TTimes& o)
    {
        wall += o.wall;
        cpu += o.cpu;
        return *this;
    }
};

// One row as the raw side binds it: every column's value ready in UTF-8.
struct TRawValue {
    TSqlFieldType type = TSqlFieldType::Text;
    bool null = false;
    qint64 i = 0;
    double d = 0;
    QByteArray text;
};

constexpr int kPool = 1000;

QByteArray telOf(int i) { return QByteArray("04") + QByteArray::number(10000000 + i); }

// The pool's rows read back through the table: the exact values a post writes.
std::vector<std::vector<TRawValue>> rawRows(const std::vector<TAdrsRecord>& pool)
{
    const QString file = workDir().path() + QStringLiteral("/rows.DB");
    QFile::remove(file);
    TSqlTable::CreateTable(file, AdrsTableDef());
    TSqlTable t(AdrsTableDef());
    t.Open(file);
    std::vector<std::vector<TRawValue>> rows;
    for (const TAdrsRecord& r : pool) {
        t.Append();
        WriteAdrsRecord(r, t);
        t.Post();
        std::vector<TRawValue> row;
        for (int f = 0; f < t.FieldCount(); ++f) {
            TRawValue v;
            v.type = AdrsTableDef().Fields[size_t(f)].Type;
            v.null = t.IsNull(f);
            v.i = t.AsInteger(f);
            v.d = t.AsFloat(f);
            v.text = t.AsUtf8(f);
            row.push_back(v);
        }
        rows.push_back(std::move(row));
    }
    t.Close();
    QFile::remove(file);
    return rows;
}

// Times what a call does, by the clock and by CPU.
template <class F>
TTimes timed(F&& f)
{
    const auto start = TClock::now();
    const double cpuStart = ThreadCpuSeconds();
    f();
    return {std::chrono::duration<double>(TClock::now() - start).count(), ThreadCpuSeconds() - cpuStart};
}

// Raw inserts: the prepared values bound straight to the INSERT.
class TRawAppender {
public:
    TRawAppender(const QString& file, const std::vector<std::vector<TRawValue>>& rows) : rows_(rows)
    {
        TSqlTable::CreateTable(file, AdrsTableDef());
        sqlite3_open_v2(file.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
        sqlite3_exec(db_, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
        sqlite3_exec(db_, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
        QStringList cols, marks;
        for (const auto& f : AdrsTableDef().Fields) {
            cols << u'"' + f.Name + u'"';
            marks << QStringLiteral("?");
        }
        const QByteArray sql = (QStringLiteral("INSERT INTO \"Adrs\"(") + cols.join(u',') +
                                QStringLiteral(") VALUES(") + marks.join(u',') + u')').toUtf8();
        sqlite3_prepare_v3(db_, sql.constData(), -1, SQLITE_PREPARE_PERSISTENT, &st_, nullptr);
    }
    ~TRawAppender()
    {
        sqlite3_finalize(st_);
        sqlite3_close_v2(db_);
    }
    void Begin() { sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr); }
    void Rows(int from, int to)
    {
        for (int i = from; i < to; ++i) {
            const auto& row = rows_[size_t(i % kPool)];
            const QByteArray tel = telOf(i);
            for (int f = 0; f < int(row.size()); ++f) {
                const TRawValue& v = row[size_t(f)];
                if (v.null || f == afRecNo) // the table numbers the row
                    sqlite3_bind_null(st_, f + 1);
                else if (f == afTel)
                    sqlite3_bind_text(st_, f + 1, tel.constData(), int(tel.size()), SQLITE_STATIC);
                else if (v.type == TSqlFieldType::Text || v.type == TSqlFieldType::Memo)
                    sqlite3_bind_text(st_, f + 1, v.text.constData(), int(v.text.size()), SQLITE_STATIC);
                else if (v.type == TSqlFieldType::Float)
                    sqlite3_bind_double(st_, f + 1, v.d);
                else
                    sqlite3_bind_int64(st_, f + 1, v.i);
            }
            if (sqlite3_step(st_) != SQLITE_DONE)
                std::abort();
            sqlite3_reset(st_);
        }
    }
    void Commit() { sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr); }

private:
    const std::vector<std::vector<TRawValue>>& rows_;
    sqlite3* db_ = nullptr;
    sqlite3_stmt* st_ = nullptr;
};

// The program's way: Append, WriteAdrsRecord, Post.
class TTableAppender {
public:
    TTableAppender(const QString& file, std::vector<TAdrsRecord>& pool) : pool_(pool)
    {
        TSqlTable::CreateTable(file, AdrsTableDef());
        t_.Open(file);
    }
    void Begin() { t_.StartTransaction(); }
    void Rows(int from, int to)
    {
        for (int i = from; i < to; ++i) {
            TAdrsRecord& r = pool_[size_t(i % kPool)];
            r.Tel.Assign(telOf(i));
            t_.Append();
            WriteAdrsRecord(r, t_);
            t_.Post();
        }
    }
    // With the fold of the log into the file that the program makes once
    // idle after the commit.
    void Commit()
    {
        t_.Commit();
        QCoreApplication::processEvents();
    }

private:
    std::vector<TAdrsRecord>& pool_;
    TSqlTable t_{AdrsTableDef()};
};

// Each iteration is one pair: n rows appended both ways into fresh files,
// one transaction each, the side that goes first taking turns from pair to
// pair. A pair gives the ratio of its two times; the median of the pairs is
// reported, so a pair that a burst of another program's load hit decides
// nothing.
void BM_AppendVsRaw(benchmark::State& state)
{
    const int n = int(state.range(0));
    TBookGen gen;
    std::vector<TAdrsRecord> pool(kPool);
    for (int i = 0; i < kPool; ++i)
        gen.Fill(pool[size_t(i)], i);
    const auto rows = rawRows(pool);
    std::vector<double> wall, cpu;
    TTimes tableSeconds, rawSeconds;
    int run = 0;
    for (auto _ : state) {
        const QString a = workDir().path() + QStringLiteral("/raw%1.DB").arg(run);
        const QString b = workDir().path() + QStringLiteral("/table%1.DB").arg(run);
        TTimes rawTime, tableTime;
        {
            TRawAppender raw(a, rows);
            TTableAppender table(b, pool);
            auto rawSide = [&] { rawTime = timed([&] { raw.Begin(); raw.Rows(0, n); raw.Commit(); }); };
            auto tableSide = [&] { tableTime = timed([&] { table.Begin(); table.Rows(0, n); table.Commit(); }); };
            if (run++ % 2) {
                rawSide();
                tableSide();
            } else {
                tableSide();
                rawSide();
            }
        }
        QFile::remove(a);
        QFile::remove(b);
        wall.push_back(rawTime.wall / tableTime.wall);
        cpu.push_back(rawTime.cpu / tableTime.cpu);
        rawSeconds += rawTime;
        tableSeconds += tableTime;
    }
    const double runs = double(state.iterations());
    state.counters["table/s"] = n * runs / tableSeconds.wall;
    state.counters["raw/s"] = n * runs / rawSeconds.wall;
    state.counters["table/raw"] = Median(wall);
    state.counters["table/raw cpu"] = Median(cpu);
    state.counters["worst pair"] = *std::min_element(wall.begin(), wall.end());
    state.counters["best pair"] = *std::max_element(wall.begin(), wall.end());
}
BENCHMARK(BM_AppendVsRaw)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(7);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
