#include "core/DBInfo.h"

#include "core/AdrsRecord.h"
#include "core/Folders.h"
#include "core/HistoryData.h"
#include "platform/Cp932.h"

#include <QDir>
#include <QFileInfo>

TDMTelvora21* DMTelvora21 = nullptr;

namespace {

using FT = TSqlFieldType;

TSqlFieldDef text(const QString& name, int size) { return {name, FT::Text, size, false}; }
TSqlFieldDef digits(const QString& name, int size) { return {name, FT::Text, size, true}; }
TSqlFieldDef integer(const QString& name) { return {name, FT::Integer, 0, false}; }
TSqlFieldDef boolean(const QString& name) { return {name, FT::Boolean, 0, false}; }
QString numbered(const char* stem, int n) { return QLatin1String(stem) + QString::number(n); }

TSqlTableDef makeAdrsDef()
{
    TSqlTableDef d;
    d.TableName = QStringLiteral("Adrs");
    d.Fields = AdrsFieldDefs();
    for (const char* ix : {"CustomCode", "Tel", "Fax", "Portable1", "Portable2"})
        d.Indexes.push_back({QLatin1String(ix), {QLatin1String(ix)}});
    return d;
}

TSqlTableDef makeSenderDef()
{
    TSqlTableDef d;
    d.TableName = QStringLiteral("Sender");
    auto& f = d.Fields;
    f = {{QStringLiteral("RecNo"), FT::AutoInc, 0, false},
         text(QStringLiteral("Title"), 30),
         text(QStringLiteral("Name"), 75),
         digits(QStringLiteral("Tel"), 11),
         digits(QStringLiteral("Fax"), 11),
         text(QStringLiteral("Pos"), 7),
         text(QStringLiteral("Tdfkn"), 8),
         text(QStringLiteral("Adrs1"), 32),
         text(QStringLiteral("Adrs2"), 100),
         text(QStringLiteral("Adrs3"), 116),
         integer(QStringLiteral("SelectInfo"))};
    for (int i = 1; i <= 5; ++i)
        f.push_back(text(numbered("Joint", i), 55));
    for (int i = 1; i <= 5; ++i)
        f.push_back(text(numbered("Note", i), 20));
    f.push_back(boolean(QStringLiteral("NamePrint")));
    for (int i = 1; i <= 5; ++i)
        f.push_back(boolean(numbered("JointPrint", i)));
    f.push_back(text(QStringLiteral("Corp"), 100));
    f.push_back(text(QStringLiteral("Dptmnt"), 100));
    f.push_back(text(QStringLiteral("Post"), 50));
    for (int i = 1; i <= 4; ++i)
        f.push_back(text(numbered("Head", i), 10));
    for (int i = 1; i <= 4; ++i)
        f.push_back(text(numbered("Addition", i), 128));
    for (int i = 1; i <= 4; ++i)
        f.push_back(boolean(numbered("AdditionPrint", i)));
    return d;
}

} // namespace

const TSqlTableDef& AdrsTableDef()
{
    static const TSqlTableDef def = makeAdrsDef();
    return def;
}

const TSqlTableDef& SenderTableDef()
{
    static const TSqlTableDef def = makeSenderDef();
    return def;
}

QString AdrsBookFolderPath(const QString& folder)
{
    QString path = QDir::isAbsolutePath(folder) ? folder : DataPath() + QStringLiteral("Adrs/") + folder;
    return path.endsWith(u'/') ? path : path + u'/';
}

QString AdrsTableFileName(const QString& folder) { return AdrsBookFolderPath(folder) + QStringLiteral("Adrs.DB"); }

QString SenderTableFileName() { return DataPath() + QStringLiteral("Other/Sender.DB"); }

TDMTelvora21::TDMTelvora21() : adrsTable_(AdrsTableDef()), senderTable_(SenderTableDef())
{
    const QString dir = DataPath() + QStringLiteral("History/");
    dptmnt_ = std::make_unique<THistoryData>(dir + QStringLiteral("Dptmnt.mtd"), 100);
    post_ = std::make_unique<THistoryData>(dir + QStringLiteral("Post.mtd"), 50);
    honor_ = std::make_unique<THistoryData>(dir + QStringLiteral("Honor.mtd"), 10);
    keyword6_ = std::make_unique<THistoryData>(dir + QStringLiteral("Keyword6.mtd"), 100);
    keyword7_ = std::make_unique<THistoryData>(dir + QStringLiteral("Keyword7.mtd"), 100);
    keyword8_ = std::make_unique<THistoryData>(dir + QStringLiteral("Keyword8.mtd"), 100);
    if (!DMTelvora21)
        DMTelvora21 = this;
}

TDMTelvora21::~TDMTelvora21()
{
    if (DMTelvora21 == this)
        DMTelvora21 = nullptr;
}

THistoryData& TDMTelvora21::KeywordHistory(int n)
{
    switch (n) {
    case 6: return *keyword6_;
    case 7: return *keyword7_;
    case 8: return *keyword8_;
    default: throw EHistoryDataError("no keyword history " + std::to_string(n));
    }
}

void TDMTelvora21::OpenAdrsTable(const QString& folder)
{
    CloseAdrsTable();
    const QString file = AdrsTableFileName(folder);
    if (!QFileInfo::exists(file))
        TSqlTable::CreateTable(file, AdrsTableDef());
    adrsTable_.Open(file);
}

void TDMTelvora21::CloseAdrsTable() { adrsTable_.Close(); }

bool TDMTelvora21::AdrsTableFull() { return adrsTable_.Active() && adrsTable_.RecordCount() >= kMaxAdrsRecords; }

void TDMTelvora21::OpenSenderTable()
{
    if (senderRefs_ == 0) {
        const QString file = SenderTableFileName();
        if (!QFileInfo::exists(file))
            TSqlTable::CreateTable(file, SenderTableDef());
        senderTable_.Open(file);
    }
    ++senderRefs_;
}

void TDMTelvora21::CloseSenderTable()
{
    if (senderRefs_ == 0)
        return;
    if (--senderRefs_ == 0)
        senderTable_.Close();
}

bool TDMTelvora21::OpenSubAdrsTable(const QString& folder, QString* error)
{
    CloseSubAdrsTable();
    auto table = std::make_unique<TSqlTable>(AdrsTableDef());
    try {
        table->Open(AdrsTableFileName(folder), true);
    } catch (const ESqlTableError& e) {
        // The data module shows nothing; the window that asked tells the user.
        if (error)
            *error = e.ShownCause();
        return false;
    }
    if (error)
        error->clear();
    subAdrsTable_ = std::move(table);
    return true;
}

void TDMTelvora21::CloseSubAdrsTable() { subAdrsTable_.reset(); }

// ---------------------------------------------------------------- reading for the windows

bool TDMTelvora21::ReadAdrsRecordByRecNo(int recNo, TAdrsRecord& record)
{
    if (!adrsTable_.Active() || recNo <= 0)
        return false;
    // Located by value: the table's current index, which the list and the
    // lookups set for their own walks, is left as it is.
    if (!adrsTable_.Locate(QStringLiteral("RecNo"), recNo))
        return false;
    TAdrsRecord read;
    ReadAdrsRecord(adrsTable_, read);
    HyphenatePhoneFields(read);
    record = std::move(read);
    return true;
}

std::vector<TDMTelvora21::TSenderTitle> TDMTelvora21::ReadSenderTitles()
{
    OpenSenderTable();
    struct TRelease {
        TDMTelvora21* dm;
        ~TRelease() { dm->CloseSenderTable(); }
    } release{this};
    const int recNoField = senderTable_.FieldIndex(QStringLiteral("RecNo"));
    const int titleField = senderTable_.FieldIndex(QStringLiteral("Title"));
    if (recNoField < 0 || titleField < 0)
        throw ESqlTableError(QStringLiteral("Sender.DB: RecNo or Title missing"));
    std::vector<TSenderTitle> titles;
    senderTable_.Scan([&](const TSqlRow& row) {
        int length = 0;
        const char* title = row.Text(titleField, &length);
        titles.push_back({int(row.Integer(recNoField)), cp932::Trim(QString::fromUtf8(title, length))});
    });
    return titles;
}
