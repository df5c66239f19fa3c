// Settings files at the readers' caps: the book list AdrsMng.ini with
// Count=10000 (also behind 60,000 junk keys) and a category file of 190,000
// sections, each read as the program reads it at start.
#include "core/AdrsBook.h"
#include "core/Category.h"
#include "core/Folders.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

QTemporaryDir& workDir()
{
    static QTemporaryDir dir;
    return dir;
}

void write(const QString& path, const QByteArray& data)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(data) != data.size())
        std::abort();
}

// Count=10000 books named in code page 932 with 0x5C trail bytes, after
// junk keys; under the reader's cap of 1 MB.
QByteArray bookList(int junkKeys)
{
    QByteArray d = "[ADRSMNG]\r\n";
    for (int i = 1; i <= junkKeys; ++i)
        d += "J" + QByteArray::number(i) + "=1\r\n";
    d += "Count=10000\r\n";
    const QByteArray name = cp932::Encode(QStringLiteral("表ソ"));
    for (int i = 1; i <= 10000; ++i) {
        const QByteArray n = QByteArray::number(i);
        d += "Name" + n + "=" + name + n + "\r\nState" + n + "=0\r\n"; // the folder defaults to the name
    }
    return d;
}

void BM_BookList(benchmark::State& state)
{
    const QString folder = workDir().path() + QStringLiteral("/data%1/").arg(state.range(0));
    SetDataFolder(folder);
    CreateDataFolders();
    const QByteArray data = bookList(int(state.range(0)));
    write(AdrsMngFileName(), data);
    for (auto _ : state)
        BuildAdrsBookList(); // every book's three keys read; no table, none listed
    state.counters["KB"] = double(data.size()) / 1024;
}
BENCHMARK(BM_BookList)->Arg(0)->Arg(60000)->Unit(benchmark::kMillisecond);

// 190,000 sections before the categories: the reader looks up 99 majors
// and 99 minors of each, every lookup past them all.
void BM_CategoryFile(benchmark::State& state)
{
    const QString path = workDir().path() + QStringLiteral("/dbctgry.dat");
    QByteArray d;
    for (int i = 0; i < 190000; ++i)
        d += "[" + QByteArray::number(i % 10) + "]\r\n";
    d += "[CATEGORY]\r\nVersion=1\r\n[MAIN]\r\n";
    for (int m = 1; m <= 99; ++m)
        d += QByteArray::number(m) + "=" + cp932::Encode(QStringLiteral("業種")) + "\r\n";
    for (int m = 1; m <= 99; ++m) {
        d += "[SUB" + QByteArray::number(m) + "]\r\n";
        for (int s = 1; s <= 9; ++s)
            d += QByteArray::number(s) + "=" + cp932::Encode(QStringLiteral("能")) + "\r\n";
    }
    write(path, d);
    for (auto _ : state)
        if (!LoadCategories(path) || CtgryMainList.size() != 99)
            state.SkipWithError("not read");
    state.counters["KB"] = double(d.size()) / 1024;
}
BENCHMARK(BM_CategoryFile)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
