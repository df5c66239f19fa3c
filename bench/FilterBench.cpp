// The address-list filter over generated books of 10,000 and 100,000
// records: ten conditions that rarely hold, combined with "any" so every
// condition is tested on nearly every row (the worst case), with and
// without a My Number condition (deciphered per row).
#include "BookGen.h"

#include "core/AdrsListCache.h"
#include "core/FieldCipher.h"
#include "core/NarrowDown.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <map>
#include <memory>

namespace {

const TAdrsListCache& book(int count)
{
    static QTemporaryDir dir;
    static std::map<int, std::unique_ptr<TAdrsListCache>> caches;
    auto& cache = caches[count];
    if (!cache) {
        // The generated book with My Numbers enciphered as the record window
        // stores them, so each one is deciphered whole.
        const QString file = dir.filePath(QStringLiteral("Adrs%1.DB").arg(count));
        TSqlTable::CreateTable(file, AdrsTableDef());
        TSqlTable table(AdrsTableDef());
        table.Open(file);
        table.StartTransaction();
        TBookGen gen;
        TAdrsRecord r;
        for (int i = 0; i < count; ++i) {
            gen.Fill(r, i);
            r.MyNumber.Assign(EncryptAESString(QByteArray::number(100000000000LL + i * 7919LL), kFieldKey));
            table.Append();
            WriteAdrsRecord(r, table);
            table.Post();
        }
        table.Commit();
        cache = std::make_unique<TAdrsListCache>();
        cache->Load(table);
    }
    return *cache;
}

TNarrowDownItem text(int item, const QString& t, int match)
{
    return {item, ndkText, NarrowDownTextFromInput(item, t), 0, 0, match, false};
}

TNarrowDownCondition tenConditions(bool myNumber)
{
    TNarrowDownCondition f;
    f.MatchAll = false;
    f.Items = {
        text(ndAddress, QStringLiteral("表参道区表"), ndmAnywhere),
        text(ndCorpKanji, QStringLiteral("ソフト表示"), ndmRear),
        text(ndName, QStringLiteral("ソラ表"), ndmAnywhere),
        text(ndTel, QStringLiteral("099-9"), ndmFront),
        text(ndNote, QStringLiteral("確認済み表"), ndmAnywhere),
        text(ndKeyword1, QStringLiteral("見込み客表"), ndmFront),
        {ndCategory, ndkCategory, {}, 9905, 0, ndmNone, false},
        {ndPubDate, ndkRange, {}, 190001, 190002, ndmNone, false},
        {ndSymbolMark, ndkChoice, {}, 5, 0, ndmNone, false},
        myNumber ? text(ndMyNumber, QStringLiteral("99999"), ndmFront)
                 : text(ndDptmnt, QStringLiteral("ソフト課長"), ndmAnywhere),
    };
    return f;
}

void run(benchmark::State& state, bool myNumber)
{
    const TAdrsListCache& cache = book(int(state.range(0)));
    const TNarrowDownEvaluator eval(tenConditions(myNumber), [] { return false; });
    int passed = 0;
    for (auto _ : state) {
        passed = 0;
        for (int row = 0; row < cache.Count(); ++row)
            passed += eval.Passes(cache, row);
        benchmark::DoNotOptimize(passed);
    }
    state.counters["passed"] = passed;
}

void BM_FilterTenConditions(benchmark::State& state) { run(state, false); }
void BM_FilterTenConditionsWithMyNumber(benchmark::State& state) { run(state, true); }
BENCHMARK(BM_FilterTenConditions)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterTenConditionsWithMyNumber)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
