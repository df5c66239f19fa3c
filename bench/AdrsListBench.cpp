// The address-book main window on a generated book of 100,000 records:
// opening and showing it, re-listing after a change of group, counting and
// testing a fragmented selection, the duplicate sets and the word search.
#include "BookGen.h"
#include "Pairs.h"

#include "core/AdrsBook.h"
#include "core/ui/AdrsList.h"
#include "core/Folders.h"
#include "core/Settings.h"
#include "core/DuplicateSets.h"
#include "core/WordSearch.h"
#include "core/AdrsListModel.h"

#include <QApplication>
#include <QItemSelectionModel>
#include <QTemporaryDir>
#include <QTreeView>
#include <benchmark/benchmark.h>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

const QString kBook = QStringLiteral("bench");
constexpr int kRecords = 100000;

// A data folder holding the generated book, made once per run.
void prepareBook()
{
    static QTemporaryDir dir;
    static bool made = false;
    if (made)
        return;
    SetDataFolder(dir.path());
    CreateDataFolders();
    LoadSettings();
    BuildAdrsBookList();
    CreateAdrsBook(kBook);
    TBookGen().MakeBook(AdrsTableFileName(kBook), kRecords);
    made = true;
}

struct TOpenList {
    TOpenList()
    {
        prepareBook();
        list = std::make_unique<TAddressList>();
        list->OpenAdrsBook(kBook);
        list->show();
        QApplication::processEvents();
    }
    TDMTelvora21 dm;
    std::unique_ptr<TAddressList> list;
};

void BM_OpenAndShowBook(benchmark::State& state)
{
    prepareBook();
    TDMTelvora21 dm;
    for (auto _ : state) {
        TAddressList list;
        list.OpenAdrsBook(kBook);
        list.show();
        QApplication::processEvents(); // first paint
        benchmark::DoNotOptimize(list.GetRecordCount());
    }
}
BENCHMARK(BM_OpenAndShowBook)->Unit(benchmark::kMillisecond);

void BM_RelistAfterGroupChange(benchmark::State& state)
{
    TOpenList open;
    TAdrsRecord r;
    open.list->ReadRecordAt(5000, r); // a current record and a selection to carry over
    int choice = 0;
    for (auto _ : state) {
        choice = choice == 0 ? 2 : 0; // one group, then every group again
        open.list->SetGroupChoice(choice);
        benchmark::DoNotOptimize(open.list->GetRecordCount());
    }
    state.counters["rows"] = open.list->GetRecordCount();
}
BENCHMARK(BM_RelistAfterGroupChange)->Unit(benchmark::kMillisecond);

void BM_RelistSortedByName(benchmark::State& state)
{
    TOpenList open;
    open.list->SetSortColumn(alcNameKanji, false);
    int choice = 0;
    for (auto _ : state) {
        choice = choice == 0 ? 2 : 0;
        open.list->SetGroupChoice(choice);
        benchmark::DoNotOptimize(open.list->GetRecordCount());
    }
}
BENCHMARK(BM_RelistSortedByName)->Unit(benchmark::kMillisecond);

void BM_SortByName(benchmark::State& state)
{
    TOpenList open;
    bool descending = false;
    for (auto _ : state) {
        descending = !descending;
        open.list->SetSortColumn(alcNameKanji, descending);
        benchmark::DoNotOptimize(open.list->GetRecNo(0));
    }
}
BENCHMARK(BM_SortByName)->Unit(benchmark::kMillisecond);

// A stored (narrow) text column and the address built from several fields.
void BM_SortByCompanyAndAddress(benchmark::State& state)
{
    TOpenList open;
    bool descending = false;
    for (auto _ : state) {
        descending = !descending;
        open.list->SetSortColumn(descending ? alcCorpKanji : alcAddress, descending);
        benchmark::DoNotOptimize(open.list->GetRecNo(0));
    }
}
BENCHMARK(BM_SortByCompanyAndAddress)->Unit(benchmark::kMillisecond);

// 10,000 separate ranges: every other row of the first 20,000. Each round
// changes the selection first, so the count is built anew every time.
void BM_SelCountFragmented(benchmark::State& state)
{
    TOpenList open;
    QTreeView* view = open.list->ListView();
    QItemSelection sel;
    const int lastColumn = view->model()->columnCount() - 1;
    for (int i = 0; i < 20000; i += 2)
        sel.append(QItemSelectionRange(view->model()->index(i, 0), view->model()->index(i, lastColumn)));
    view->selectionModel()->select(sel, QItemSelectionModel::ClearAndSelect);
    const QModelIndex far = view->model()->index(kRecords - 1, 0);
    for (auto _ : state) {
        state.PauseTiming();
        view->selectionModel()->select(far, QItemSelectionModel::Toggle | QItemSelectionModel::Rows);
        state.ResumeTiming();
        int hits = open.list->GetSelCount();
        for (int i = 0; i < 1000; ++i)
            hits += open.list->IsSelected(i * 37) ? 1 : 0;
        hits += open.list->GetSelectedIndex() + open.list->GetLastSelectedIndex();
        benchmark::DoNotOptimize(hits);
    }
    state.counters["selected"] = open.list->GetSelCount();
    state.counters["ranges"] = double(view->selectionModel()->selection().size());
}
BENCHMARK(BM_SelCountFragmented)->Unit(benchmark::kMillisecond);

// The duplicate sets over the whole book: by telephone number (arg 1), by
// address (2), by number and address (3: the book has no such pairs, every
// key is built and hashed all the same), by number and name (4).
void BM_DuplicateSets(benchmark::State& state)
{
    TOpenList open;
    const int item1 = state.range(0) == 2 ? diAddress : diTel;
    const int item2 = state.range(0) == 3 ? diAddress : state.range(0) == 4 ? diName : diNone;
    size_t rows = 0;
    for (auto _ : state) {
        rows = DuplicateRows(open.list->Model().Cache(), item1, item2).size();
        benchmark::DoNotOptimize(rows);
    }
    state.counters["rows"] = double(rows);
}
BENCHMARK(BM_DuplicateSets)->Arg(1)->Arg(2)->Arg(3)->Arg(4)->Unit(benchmark::kMillisecond);

// The window's whole duplicate display: sets, re-listing, current record and
// selection carried over, then back to the sorted list.
void BM_ShowAndEndDuplicates(benchmark::State& state)
{
    TOpenList open;
    TAdrsRecord r;
    open.list->ReadRecordAt(5000, r);
    for (auto _ : state) {
        open.list->ShowDuplicates(diTel, diNone);
        benchmark::DoNotOptimize(open.list->GetRecordCount());
        open.list->EndDuplicateDisplay();
    }
}
BENCHMARK(BM_ShowAndEndDuplicates)->Unit(benchmark::kMillisecond);

// A word found nowhere, every row of the list, in the default columns (arg 0)
// and in all 52 (arg 1), side by side with the least any search must do:
// one memmem over the same shown texts laid end to end in a buffer per
// column (built before timing). Each round times both back to back; `ratio`
// is the median of the rounds' program/scan ratios, so a loaded machine
// weighs on both alike.
void BM_WordSearchMissVsScan(benchmark::State& state)
{
    TOpenList open;
    if (state.range(0) == 1) {
        TListColumnSettings all = DefaultListColumns();
        for (TListColumnSetting& c : all)
            c.Shown = true;
        open.list->SetColumnSettings(all);
    }
    const TAdrsListModel& model = open.list->Model();
    const QString word = QStringLiteral("見当たらない語");
    const QByteArray needle = word.toUtf8();
    std::vector<std::string> shown;
    for (const int column : model.Columns()) {
        std::string& buffer = shown.emplace_back();
        for (int i = 0; i < model.RowCount(); ++i) {
            buffer += AdrsListCellText(model.Cache(), model.CacheRow(i), column).toStdString();
            buffer += '\n';
        }
    }
    std::vector<double> ratios, programMs, scanMs;
    for (auto _ : state) {
        const auto t0 = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(FindWordInList(model, word, 0));
        const auto t1 = std::chrono::steady_clock::now();
        int hits = 0;
        for (const std::string& b : shown)
            hits += memmem(b.data(), b.size(), needle.constData(), size_t(needle.size())) != nullptr;
        benchmark::DoNotOptimize(hits);
        const auto t2 = std::chrono::steady_clock::now();
        programMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        scanMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        ratios.push_back(programMs.back() / scanMs.back());
    }
    state.counters["columns"] = double(model.Columns().size());
    state.counters["program_ms"] = Median(programMs);
    state.counters["scan_ms"] = Median(scanMs);
    state.counters["ratio"] = Median(ratios);
    open.list->SetColumnSettings(DefaultListColumns());
}
BENCHMARK(BM_WordSearchMissVsScan)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
