// Resident memory of the program with a generated book of 100,000 records
// open in the main window, beyond the same program with an empty book open,
// against the size of the book's file. The book is written by a child
// process, so that nothing its writing left in this process's heap counts
// for or against the open.
#include "BookGen.h"

#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/Settings.h"
#include "core/ui/AdrsList.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <memory>

namespace {

const QString kEmpty = QStringLiteral("empty");
const QString kBook = QStringLiteral("bench");
constexpr int kRecords = 100000;

double residentMB()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return double(resident) * double(::sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

void BM_MemoryWithBookOpen(benchmark::State& state)
{
    TDMTelvora21 dm;
    auto list = std::make_unique<TAddressList>();
    list->OpenAdrsBook(kEmpty);
    list->show();
    QApplication::processEvents();
    const double empty = residentMB();
    double open = 0, sqlite = 0;
    for (auto _ : state) {
        list->OpenAdrsBook(kBook);
        QApplication::processEvents();
        open = residentMB();
        sqlite = double(sqlite3_memory_used()) / (1024.0 * 1024.0);
    }
    const double file = double(QFileInfo(AdrsTableFileName(kBook)).size()) / (1024.0 * 1024.0);
    state.counters["empty MB"] = empty;
    state.counters["open MB"] = open;
    state.counters["file MB"] = file;
    state.counters["SQLite MB"] = sqlite;
    state.counters["beyond/file"] = (open - empty) / file;
}
BENCHMARK(BM_MemoryWithBookOpen)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir dir;
    SetDataFolder(dir.path());
    CreateDataFolders();
    LoadSettings();
    BuildAdrsBookList();
    CreateAdrsBook(kEmpty);
    CreateAdrsBook(kBook);
    const pid_t writer = ::fork();
    if (writer == 0) {
        TBookGen().MakeBook(AdrsTableFileName(kBook), kRecords);
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(writer, &status, 0);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return 1;
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
