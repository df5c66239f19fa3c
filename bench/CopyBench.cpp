// Copying 100,000 records into an empty book (TAdrsCopyEngine: source lookup
// by RecNo, customer-code lookup, savepoint and checked post per record,
// commit per 1,000), against a raw batched insert of the same rows measured
// in the same run: every source row read with a prepared SELECT and bound
// straight to a prepared INSERT, committed per 1,000, no lookups, no checks.
#include "BookGen.h"

#include "core/AdrsCopyEngine.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <chrono>
#include <ctime>

namespace {

using TClock = std::chrono::steady_clock;

// CPU seconds of this thread: what the copy costs without the other programs
// of a loaded machine.
double threadCpu()
{
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

QString sourceBook(int n)
{
    const QString file = workDir().path() + QStringLiteral("/src%1.DB").arg(n);
    if (!QFile::exists(file))
        TBookGen().MakeBook(file, n);
    return file;
}

double rawCopy(const QString& src, const QString& dst)
{
    const auto start = TClock::now();
    sqlite3* db = nullptr;
    sqlite3_open(dst.toUtf8().constData(), &db);
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    sqlite3_exec(db, ("ATTACH '" + src.toUtf8() + "' AS s").constData(), nullptr, nullptr, nullptr);
    const int n = int(AdrsTableDef().Fields.size());
    QByteArray cols, marks;
    for (int i = 1; i < n; ++i) {
        cols += (i > 1 ? "," : "") + ('"' + AdrsTableDef().Fields[size_t(i)].Name.toUtf8() + '"');
        marks += i > 1 ? ",?" : "?";
    }
    sqlite3_stmt* sel = nullptr;
    sqlite3_stmt* ins = nullptr;
    sqlite3_prepare_v2(db, "SELECT " + cols + " FROM s.Adrs WHERE RecNo=?", -1, &sel, nullptr);
    sqlite3_prepare_v2(db, "INSERT INTO main.Adrs(" + cols + ") VALUES(" + marks + ")", -1, &ins, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    int rows = 0;
    for (int recNo = 1;; ++recNo) {
        sqlite3_bind_int(sel, 1, recNo);
        if (sqlite3_step(sel) != SQLITE_ROW)
            break;
        for (int i = 0; i < n - 1; ++i)
            sqlite3_bind_value(ins, i + 1, sqlite3_column_value(sel, i));
        sqlite3_step(ins);
        sqlite3_reset(ins);
        sqlite3_reset(sel);
        if (++rows % kCopyBatchSize == 0) {
            sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        }
    }
    sqlite3_reset(sel);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(sel);
    sqlite3_finalize(ins);
    sqlite3_close(db);
    return std::chrono::duration<double>(TClock::now() - start).count();
}

void BM_CopyIntoEmptyBook(benchmark::State& state)
{
    const int n = int(state.range(0));
    const QString src = sourceBook(n);
    std::vector<int> recNos(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        recNos[size_t(i)] = i + 1;
    double copySeconds = 0, rawSeconds = 0, copyCpu = 0, rawCpu = 0;
    int runs = 0;
    for (auto _ : state) {
        const QString dst = workDir().path() + QStringLiteral("/dst.DB");
        const QString raw = workDir().path() + QStringLiteral("/raw.DB");
        for (const QString& f : {dst, raw}) {
            QFile::remove(f);
            TSqlTable::CreateTable(f, AdrsTableDef());
        }
        const double rawCpuStart = threadCpu();
        rawSeconds += rawCopy(src, raw);
        rawCpu += threadCpu() - rawCpuStart;
        const double copyCpuStart = threadCpu();
        const auto start = TClock::now();
        {
            TSqlTable s(AdrsTableDef()), d(AdrsTableDef());
            s.Open(src);
            d.Open(dst, true);
            TAdrsCopyEngine engine(s, d, {});
            const TAdrsCopyCounts counts = engine.Run(recNos);
            QCoreApplication::processEvents(); // the fold the program makes once idle after the run
            if (counts.Registered != n)
                state.SkipWithError("not every record was copied");
        }
        copySeconds += std::chrono::duration<double>(TClock::now() - start).count();
        copyCpu += threadCpu() - copyCpuStart;
        ++runs;
    }
    state.counters["copy s"] = copySeconds / runs;
    state.counters["raw s"] = rawSeconds / runs;
    state.counters["copy/raw"] = copySeconds / rawSeconds;
    state.counters["copy/raw cpu"] = copyCpu / rawCpu;
}
BENCHMARK(BM_CopyIntoEmptyBook)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
