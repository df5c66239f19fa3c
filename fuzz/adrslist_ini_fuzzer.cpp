// AdrsList.ini as the list and the item-name dialogs read it: any bytes give
// the 52 columns each once (or the defaults), a name for every keyword and
// protected-memo item and a known input mode for each. Written and read
// back, the columns are the same; names settle (a value in quotes loses
// them, as an INI value does) and then a save changes no byte. tests/core
// replays the seed corpus under ASan/UBSan.
#include "FuzzSupport.h"
#include "core/AdrsListColumns.h"
#include "core/ItemNames.h"
#include "platform/IniFile.h"

#include <QFile>

namespace adrslist_ini_fuzz {

struct TNames {
    TKeywordNames keywords;
    TKeywordModes keywordModes;
    TProtectMemoNames memos;
    TProtectMemoModes memoModes;
    bool operator==(const TNames&) const = default;
};

TNames loadNames()
{
    LoadItemNames();
    for (int i = 0; i < kKeywordCount; ++i)
        FuzzCheck(!KeywordNames[i].isEmpty() && IsValidImeModeNo(KeywordModes[i]), "a keyword name and a known mode");
    for (int i = 0; i < kProtectMemoCount; ++i)
        FuzzCheck(!ProtectMemoNames[i].isEmpty() && IsValidImeModeNo(ProtectMemoModes[i]), "a memo name and a known mode");
    return TNames{KeywordNames, KeywordModes, ProtectMemoNames, ProtectMemoModes};
}

TListColumnSettings loadColumns()
{
    const TIniFile ini(AdrsListIniFileName());
    const TListColumnSettings columns = LoadListColumns(ini);
    FuzzCheck(IsValidListColumns(columns), "the 52 columns, each once at its place");
    return columns;
}

bool save(const TListColumnSettings& columns)
{
    TIniFile ini(AdrsListIniFileName());
    SaveListColumns(ini, columns);
    return ini.UpdateFile() && SaveKeywordItems() && SaveProtectMemoItems();
}

QByteArray readAll()
{
    QFile f(AdrsListIniFileName());
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int OneInput(const uint8_t* data, size_t size)
{
    FuzzUseScratchDataFolder();
    FuzzWriteFile(QStringLiteral("data/Data/AdrsList.ini"), data, size);
    const TListColumnSettings columns = loadColumns();
    const TNames first = loadNames();
    FuzzCheck(save(columns), "a readable file could not be written");
    FuzzCheck(loadColumns() == columns, "the written columns read back the same");
    // Names wrapped in quotes or blanks shed a layer a save, as any INI
    // value does: they settle, and then a save changes no byte.
    for (TNames before = first, now = loadNames(); !(now == before); before = now, now = loadNames())
        FuzzCheck(save(columns), "a written file could not be written again");
    // Line ends settle too: in a file of LF lines, a line that ends in a lone
    // CR is written as a CR LF, which is the file's line end from then on.
    FuzzCheck(save(columns), "a written file could not be written again");
    const QByteArray saved = readAll();
    FuzzCheck(save(columns) && readAll() == saved, "a save of what was saved changes no byte");
    return 0;
}

} // namespace adrslist_ini_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return adrslist_ini_fuzz::OneInput(data, size);
}
