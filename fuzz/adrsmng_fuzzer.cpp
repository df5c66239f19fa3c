// The book list AdrsMng.ini: any bytes give a list of books that exist, and
// the list written back reads back the same.
#include "FuzzSupport.h"
#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Folders.h"

#include <QDir>
#include <QFile>

namespace {
void makeBooks()
{
    static const bool made = [] {
        FuzzUseScratchDataFolder();
        for (const char* name : {"アドレス", "表ソ", "ゾウ", "a"}) {
            const QString folder = QString::fromUtf8(name);
            QDir().mkpath(AdrsBookFolderPath(folder));
            TSqlTable::CreateTable(AdrsTableFileName(folder), AdrsTableDef());
        }
        return true;
    }();
    (void)made;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    makeBooks();
    QFile::remove(AdrsMngFileName());
    FuzzWriteFile(QStringLiteral("data/Data/AdrsMng.ini"), data, size);
    BuildAdrsBookList();
    for (const TAdrsFolderInfo& b : AdrsBookList) {
        FuzzCheck(!b.Name.trimmed().isEmpty() && !b.Folder.trimmed().isEmpty(), "a book has a name and a folder");
        FuzzCheck(QFile::exists(AdrsTableFileName(b.Folder)), "a listed book has its table");
    }
    const std::vector<TAdrsFolderInfo> first = AdrsBookList;
    FuzzCheck(SaveAdrsBookList(), "the list could not be written");
    BuildAdrsBookList();
    FuzzCheck(AdrsBookList.size() == first.size(), "the written list reads back as long");
    for (size_t i = 0; i < first.size(); ++i)
        FuzzCheck(AdrsBookList[i].Name == first[i].Name && AdrsBookList[i].Folder == first[i].Folder
                      && AdrsBookList[i].State == first[i].State,
                  "the written list reads back the same");
    return 0;
}
