// Customer barcodes for 1,000 postcards from addresses of the postal-code
// dictionary's own towns (one of every hundred codes, each followed by a
// block number and a building): the address number read after the town the
// code names against the rule alone over the whole address, and against the
// barcode object's whole work per card (bars, bitmap file written and read
// back). "by town/rule" and "lookup/object" are medians of back-to-back
// pairs; "load s" is the one reading of the dictionary a process makes.
#include "Pairs.h"

#include "core/common/PostalDictionary.h"
#include "drawing/objects/BarcodeRect.h"
#include "drawing/objects/CustomerBarcode.h"

#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

struct TCard {
    QString code;
    QString address;
};

std::vector<TCard> makeCards(TPostalDictionary& dic, size_t count)
{
    std::vector<TCard> cards;
    for (int area = 0; area < 1000 && cards.size() < count; ++area) {
        const auto entries = dic.FindByCode(QStringLiteral("%1").arg(area, 3, 10, QLatin1Char('0')));
        for (size_t i = 0; i < entries.size() && cards.size() < count; i += 100)
            cards.push_back({entries[i].Code, entries[i].Address + QStringLiteral("三丁目１２－５ソ表能ビル４０２")});
    }
    return cards;
}

double seconds(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_BarcodesByTownVsRuleAlone(benchmark::State& state)
{
    TPostalDictionary& dic = TPostalDictionary::Shared();
    const auto t0 = std::chrono::steady_clock::now();
    if (!dic.Ready()) {
        state.SkipWithError("no postal-code dictionary");
        return;
    }
    state.counters["load s"] = seconds(t0);
    const std::vector<TCard> cards = makeCards(dic, 1000);
    std::vector<QByteArray> codes;
    for (const TCard& c : cards)
        codes.push_back(c.code.toLatin1());
    QTemporaryDir work;
    const QString folder = work.path() + QLatin1Char('/');
    TBarcodeRect object;
    std::vector<double> byTown, lookupShare;
    double town = 0, rule = 0, whole = 0;
    for (auto _ : state) {
        auto t = std::chrono::steady_clock::now();
        for (size_t i = 0; i < cards.size(); ++i)
            benchmark::DoNotOptimize(ExtractAddressNumber(dic, codes[i], cards[i].address));
        town = seconds(t);
        t = std::chrono::steady_clock::now();
        for (const TCard& c : cards)
            benchmark::DoNotOptimize(ExtractAddressNumber(c.address));
        rule = seconds(t);
        t = std::chrono::steady_clock::now();
        for (const TCard& c : cards)
            object.MakeBarcode(c.code, c.address, folder, folder, folder);
        whole = seconds(t);
        byTown.push_back(town / rule);
        lookupShare.push_back(town / whole);
        state.SetIterationTime(town + rule + whole);
    }
    state.counters["cards"] = double(cards.size());
    state.counters["by town/rule"] = Median(byTown);
    state.counters["lookup/object"] = Median(lookupShare);
    state.counters["by town us/card"] = town / double(cards.size()) * 1e6;
    state.counters["object us/card"] = whole / double(cards.size()) * 1e6;
}
BENCHMARK(BM_BarcodesByTownVsRuleAlone)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(9);

} // namespace

BENCHMARK_MAIN();
