// Looking an address up in the postal-code dictionary, as the barcode does
// for every card whose postal code the dictionary does not list (a large
// office's own code). 1,000 addresses of the dictionary's own towns (one
// code in a hundred, none a whole municipality's) followed by a block number
// and a building.
//   BM_FindByAddressIndexVsScan: the dictionary's indexed look-up against a
//   plain scan of every entry (what it did before the index), "index/scan"
//   the median of back-to-back pairs.
//   BM_UnlistedCodeVsListed: each card's address number under a code of its
//   area the dictionary does not list against the same under its own code.
#include "Pairs.h"

#include "core/common/PostalDictionary.h"
#include "drawing/objects/CustomerBarcode.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <vector>

namespace {

struct TCard {
    QString code, unlisted, address;
};

std::vector<TCard> makeCards(TPostalDictionary& dic, size_t count)
{
    std::vector<TCard> cards;
    for (int area = 0; area < 1000 && cards.size() < count; ++area) {
        const QString head = QStringLiteral("%1").arg(area, 3, 10, QLatin1Char('0'));
        const auto entries = dic.FindByCode(head);
        QString unlisted = head + QStringLiteral("8799");
        if (!dic.FindByCode(unlisted).empty())
            unlisted = head + QStringLiteral("9999");
        // Towns with a code of their own (not a whole municipality's).
        for (size_t i = 1; i < entries.size() && cards.size() < count; i += 100)
            if (!entries[i].Code.endsWith(u"00"))
                cards.push_back({entries[i].Code, unlisted, entries[i].Address + QStringLiteral("三丁目１２－５ソ表能ビル４０２")});
    }
    return cards;
}

// The look-up as a plain scan: every entry whose address the text begins
// with, the longest only.
std::vector<TPostalEntry> scan(const std::vector<TPostalEntry>& all, const QString& key)
{
    std::vector<TPostalEntry> out;
    qsizetype best = 0;
    for (const TPostalEntry& e : all) {
        if (e.Address.size() >= best && key.startsWith(e.Address)) {
            if (e.Address.size() > best)
                out.clear();
            best = e.Address.size();
            out.push_back(e);
        }
    }
    return out;
}

double seconds(std::chrono::steady_clock::time_point t0)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

void BM_FindByAddressIndexVsScan(benchmark::State& state)
{
    TPostalDictionary& dic = TPostalDictionary::Shared();
    if (!dic.Ready()) {
        state.SkipWithError("no postal-code dictionary");
        return;
    }
    const std::vector<TCard> cards = makeCards(dic, 1000);
    std::vector<TPostalEntry> all;
    for (int area = 0; area < 1000; ++area)
        for (TPostalEntry& e : dic.FindByCode(QStringLiteral("%1").arg(area, 3, 10, QLatin1Char('0'))))
            all.push_back(std::move(e));
    std::vector<double> ratios;
    double indexed = 0, scanned = 0;
    size_t same = 0;
    for (auto _ : state) {
        auto t = std::chrono::steady_clock::now();
        std::vector<size_t> found;
        for (const TCard& c : cards)
            found.push_back(dic.FindByAddress(c.address).size());
        indexed = seconds(t);
        t = std::chrono::steady_clock::now();
        same = 0;
        for (size_t i = 0; i < cards.size(); ++i)
            same += scan(all, cards[i].address).size() == found[i];
        scanned = seconds(t);
        ratios.push_back(indexed / scanned);
        state.SetIterationTime(indexed + scanned);
    }
    state.counters["cards"] = double(cards.size());
    state.counters["same hits"] = double(same);
    state.counters["index/scan"] = Median(ratios);
    state.counters["index us/card"] = indexed / double(cards.size()) * 1e6;
    state.counters["scan us/card"] = scanned / double(cards.size()) * 1e6;
}
BENCHMARK(BM_FindByAddressIndexVsScan)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

void BM_UnlistedCodeVsListed(benchmark::State& state)
{
    TPostalDictionary& dic = TPostalDictionary::Shared();
    if (!dic.Ready()) {
        state.SkipWithError("no postal-code dictionary");
        return;
    }
    const std::vector<TCard> cards = makeCards(dic, 1000);
    std::vector<double> ratios;
    double unlisted = 0, listed = 0;
    size_t same = 0;
    for (auto _ : state) {
        std::vector<QByteArray> numbers;
        auto t = std::chrono::steady_clock::now();
        for (const TCard& c : cards)
            numbers.push_back(ExtractAddressNumber(dic, c.unlisted.toLatin1(), c.address));
        unlisted = seconds(t);
        t = std::chrono::steady_clock::now();
        same = 0;
        for (size_t i = 0; i < cards.size(); ++i)
            same += ExtractAddressNumber(dic, cards[i].code.toLatin1(), cards[i].address) == numbers[i];
        listed = seconds(t);
        ratios.push_back(unlisted / listed);
        state.SetIterationTime(unlisted + listed);
    }
    state.counters["cards"] = double(cards.size());
    state.counters["same number"] = double(same);
    state.counters["unlisted/listed"] = Median(ratios);
    state.counters["unlisted us/card"] = unlisted / double(cards.size()) * 1e6;
    state.counters["listed us/card"] = listed / double(cards.size()) * 1e6;
}
BENCHMARK(BM_UnlistedCodeVsListed)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

} // namespace

BENCHMARK_MAIN();
