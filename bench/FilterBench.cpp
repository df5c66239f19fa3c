// The address-list filter over generated books of 10,000 and 100,000
// records: ten conditions that rarely hold, combined with "any" so every
// condition is tested on nearly every row (the worst case), with and
// without a My Number condition (deciphered per row).
#include "BookGen.h"
#include "Pairs.h"

#include "core/AdrsListCache.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/NarrowDown.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <algorithm>
#include <chrono>
#include <string>
#include <string_view>
#include <vector>
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

// The ten conditions (no My Number) written out by hand as one direct scan
// over the cache: no evaluator, no dispatch, each text converted to UTF-8
// once. The benchmark runs it and the evaluator's pass over every row (what
// the list runs when it lists anew) back to back in every round and reports
// the median of the rounds' evaluator/scan ratios.
int directScan(const TAdrsListCache& cache)
{
    auto trim = [](std::string_view s) {
        while (!s.empty() && static_cast<unsigned char>(s.front()) <= 0x20)
            s.remove_prefix(1);
        while (!s.empty() && static_cast<unsigned char>(s.back()) <= 0x20)
            s.remove_suffix(1);
        return s;
    };
    static const std::string address = "表参道区表", corp = "ソフト表示", name = "ソラ表", tel = "0999",
                             note = "確認済み表", keyword = "見込み客表", dept = "ソフト課長", star = "★";
    std::string joined;
    int passed = 0;
    for (int row = 0; row < cache.Count(); ++row) {
        joined.clear();
        for (const int f : {afTdfkn, afAdrs1, afAdrs2, afAdrs3})
            joined += trim(cache.Utf8(row, f));
        bool pass = joined.find(address) != std::string::npos;
        pass = pass || trim(cache.Utf8(row, afCorpKanji)).ends_with(corp);
        pass = pass || trim(cache.Utf8(row, afNameKanji)).find(name) != std::string_view::npos;
        pass = pass || trim(cache.Utf8(row, afTel)).starts_with(tel);
        pass = pass || trim(cache.Utf8(row, afNote)).find(note) != std::string_view::npos;
        pass = pass || trim(cache.Utf8(row, afKeyword1)).starts_with(keyword);
        pass = pass || (cache.Integer(row, afCodeMain) == 99 && cache.Integer(row, afCodeSub) == 5);
        if (!pass) {
            const std::string_view date = trim(cache.Utf8(row, afPubDate));
            int value = 0;
            bool digits = !date.empty() && date.size() <= 9;
            for (const char ch : date) {
                digits = digits && ch >= '0' && ch <= '9';
                value = value * 10 + (ch - '0');
            }
            pass = digits && value >= 190001 && value <= 190002;
        }
        pass = pass || cache.Utf8(row, afSymbolMark) == star;
        pass = pass || trim(cache.Utf8(row, afDptmnt)).find(dept) != std::string_view::npos;
        passed += pass;
    }
    return passed;
}

void BM_FilterVsDirectScan(benchmark::State& state)
{
    const TAdrsListCache& cache = book(int(state.range(0)));
    const TNarrowDownEvaluator eval(tenConditions(false), [] { return false; });
    std::vector<double> ratios, evalMs, scanMs;
    int passed = 0, scanned = 0;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        const std::vector<std::uint8_t> rows = eval.PassingRows(cache);
        passed = int(std::count(rows.begin(), rows.end(), 1));
        benchmark::DoNotOptimize(passed);
        const auto t1 = std::chrono::steady_clock::now();
        scanned = directScan(cache);
        benchmark::DoNotOptimize(scanned);
        const auto t2 = std::chrono::steady_clock::now();
        evalMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        scanMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        ratios.push_back(evalMs.back() / scanMs.back());
    }
    if (passed != scanned)
        state.SkipWithError("the direct scan and the evaluator disagree");
    state.counters["passed"] = passed;
    state.counters["eval_ms"] = Median(evalMs);
    state.counters["scan_ms"] = Median(scanMs);
    state.counters["ratio"] = Median(ratios);
}
BENCHMARK(BM_FilterVsDirectScan)->Arg(100000)->Unit(benchmark::kMillisecond);

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
