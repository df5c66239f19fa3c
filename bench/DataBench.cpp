// Address-book storage: bulk append, loading the list cache, key lookups.
#include "BookGen.h"

#include "core/AdrsListCache.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <vector>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

// The generated book of n records, made once per run.
QString book(int n)
{
    const QString file = workDir().path() + QStringLiteral("/book%1/Adrs.DB").arg(n);
    if (!QFile::exists(file)) {
        QDir().mkpath(QFileInfo(file).path());
        TBookGen().MakeBook(file, n);
    }
    return file;
}

void BM_AppendRecords(benchmark::State& state)
{
    const int n = int(state.range(0));
    // Records are generated ahead so that only the writing is measured.
    TBookGen gen;
    std::vector<TAdrsRecord> pool(1000);
    for (int i = 0; i < int(pool.size()); ++i)
        gen.Fill(pool[i], i);
    int run = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const QString file = workDir().path() + QStringLiteral("/append%1.DB").arg(run++);
        TSqlTable::CreateTable(file, AdrsTableDef());
        TSqlTable t(AdrsTableDef());
        t.Open(file);
        state.ResumeTiming();
        t.StartTransaction();
        for (int i = 0; i < n; ++i) {
            TAdrsRecord& r = pool[i % pool.size()];
            r.Tel.Assign(QByteArray("04") + QByteArray::number(10000000 + i));
            t.Append();
            WriteAdrsRecord(r, t);
            t.Post();
        }
        t.Commit();
        state.PauseTiming();
        t.Close();
        QFile::remove(file);
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * n);
}
BENCHMARK(BM_AppendRecords)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_LoadListCache(benchmark::State& state)
{
    const QString file = book(int(state.range(0)));
    for (auto _ : state) {
        TSqlTable t(AdrsTableDef());
        t.Open(file);
        TAdrsListCache cache;
        cache.Load(t);
        benchmark::DoNotOptimize(cache.Count());
        state.counters["MB"] = double(cache.MemoryBytes()) / (1024 * 1024);
    }
}
BENCHMARK(BM_LoadListCache)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(5);

// Next along the Tel index over the first 10,000 rows.
void BM_WalkTelIndex(benchmark::State& state)
{
    TSqlTable t(AdrsTableDef());
    t.Open(book(int(state.range(0))));
    t.SetIndexName(QStringLiteral("Tel"));
    for (auto _ : state) {
        t.First();
        for (int i = 0; i < 10000 && !t.Eof(); ++i)
            t.Next();
    }
    state.SetItemsProcessed(state.iterations() * 10000);
}
BENCHMARK(BM_WalkTelIndex)->Arg(100000)->Unit(benchmark::kMillisecond);

void lookup(benchmark::State& state, const QString& index, int field)
{
    const int n = int(state.range(0));
    TSqlTable t(AdrsTableDef());
    t.Open(book(n));
    // Keys of existing rows, in random order.
    std::vector<QVariant> keys;
    for (t.First(); !t.Eof() && keys.size() < 5000; t.Next())
        keys.push_back(t.AsString(field));
    std::mt19937 rng(7);
    std::shuffle(keys.begin(), keys.end(), rng);
    t.SetIndexName(index);
    size_t k = 0;
    int found = 0;
    for (auto _ : state) {
        found += t.FindKey({keys[k++ % keys.size()]});
    }
    if (found != int(state.iterations()))
        state.SkipWithError("a key was not found");
}

void BM_FindKeyTel(benchmark::State& state) { lookup(state, QStringLiteral("Tel"), afTel); }
void BM_FindKeyCustomCode(benchmark::State& state) { lookup(state, QStringLiteral("CustomCode"), afCustomCode); }
BENCHMARK(BM_FindKeyTel)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FindKeyCustomCode)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
