// The write path against the engine alone, in one process: the same rows of
// the same schema appended once through TSqlTable (WriteAdrsRecord + Post,
// with every check the table makes) and once by binding prepared UTF-8
// values straight to an INSERT. The ratio is what the table layer costs.
#include "BookGen.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <vector>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

using TClock = std::chrono::steady_clock;

// One row as the raw side binds it: every column's value ready in UTF-8.
struct TRawValue {
    TSqlFieldType type;
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
            TRawValue v{AdrsTableDef().Fields[size_t(f)].Type};
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

double appendRaw(const QString& file, const std::vector<std::vector<TRawValue>>& rows, int n)
{
    TSqlTable::CreateTable(file, AdrsTableDef());
    sqlite3* db = nullptr;
    sqlite3_open_v2(file.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite3_exec(db, "PRAGMA cache_size=-32768", nullptr, nullptr, nullptr);
    QStringList cols, marks;
    for (const auto& f : AdrsTableDef().Fields) {
        cols << u'"' + f.Name + u'"';
        marks << QStringLiteral("?");
    }
    const QByteArray sql = (QStringLiteral("INSERT INTO \"Adrs\"(") + cols.join(u',') + QStringLiteral(") VALUES(") +
                            marks.join(u',') + u')').toUtf8();
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v3(db, sql.constData(), -1, SQLITE_PREPARE_PERSISTENT, &st, nullptr);
    const auto start = TClock::now();
    sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
    for (int i = 0; i < n; ++i) {
        const auto& row = rows[size_t(i % kPool)];
        const QByteArray tel = telOf(i);
        for (int f = 0; f < int(row.size()); ++f) {
            const TRawValue& v = row[size_t(f)];
            if (v.null || f == afRecNo) // the table numbers the row
                sqlite3_bind_null(st, f + 1);
            else if (f == afTel)
                sqlite3_bind_text(st, f + 1, tel.constData(), int(tel.size()), SQLITE_STATIC);
            else if (v.type == TSqlFieldType::Text || v.type == TSqlFieldType::Memo)
                sqlite3_bind_text(st, f + 1, v.text.constData(), int(v.text.size()), SQLITE_STATIC);
            else if (v.type == TSqlFieldType::Float)
                sqlite3_bind_double(st, f + 1, v.d);
            else
                sqlite3_bind_int64(st, f + 1, v.i);
        }
        if (sqlite3_step(st) != SQLITE_DONE)
            std::abort();
        sqlite3_reset(st);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double seconds = std::chrono::duration<double>(TClock::now() - start).count();
    sqlite3_finalize(st);
    sqlite3_close_v2(db);
    return seconds;
}

double appendTable(const QString& file, std::vector<TAdrsRecord>& pool, int n)
{
    TSqlTable::CreateTable(file, AdrsTableDef());
    TSqlTable t(AdrsTableDef());
    t.Open(file);
    const auto start = TClock::now();
    t.StartTransaction();
    for (int i = 0; i < n; ++i) {
        TAdrsRecord& r = pool[size_t(i % kPool)];
        r.Tel.Assign(telOf(i));
        t.Append();
        WriteAdrsRecord(r, t);
        t.Post();
    }
    t.Commit();
    return std::chrono::duration<double>(TClock::now() - start).count();
}

// Each iteration appends n rows both ways into fresh files, in turn, so both
// sides see the same machine load; the counters are rows per second.
void BM_AppendVsRaw(benchmark::State& state)
{
    const int n = int(state.range(0));
    TBookGen gen;
    std::vector<TAdrsRecord> pool(kPool);
    for (int i = 0; i < kPool; ++i)
        gen.Fill(pool[size_t(i)], i);
    const auto rows = rawRows(pool);
    double tableSeconds = 0, rawSeconds = 0;
    int run = 0;
    for (auto _ : state) {
        const QString a = workDir().path() + QStringLiteral("/raw%1.DB").arg(run);
        const QString b = workDir().path() + QStringLiteral("/table%1.DB").arg(run++);
        if (run % 2) {
            rawSeconds += appendRaw(a, rows, n);
            tableSeconds += appendTable(b, pool, n);
        } else {
            tableSeconds += appendTable(b, pool, n);
            rawSeconds += appendRaw(a, rows, n);
        }
        QFile::remove(a);
        QFile::remove(b);
    }
    const double runs = double(state.iterations());
    state.counters["table/s"] = n * runs / tableSeconds;
    state.counters["raw/s"] = n * runs / rawSeconds;
    state.counters["table/raw"] = rawSeconds / tableSeconds;
}
BENCHMARK(BM_AppendVsRaw)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
