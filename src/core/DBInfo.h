#pragma once
// The data module: the tables of the open address book and the shared
// sender table, the second (exclusive) table used to copy into another book,
// and the history lists. One instance lives from start-up to exit
// (DMTelvora21).

#include "core/AdrsFields.h"
#include "platform/SqlTable.h"

#include <QString>
#include <memory>
#include <vector>

class QWidget;
class THistoryData;
struct TAdrsRecord;

// Columns of Adrs.DB in table order (core/AdrsFieldList.h), by name.
enum TAdrsField : int {
    afRecNo, afGroup, afCustomCode, afTel, afTelDiv, afFax, afPubDate, afPortable1, afPortable2, afPos,
    afTdfkn, afAdrs1, afAdrs2, afAdrs3, afAdrsKana, afJisCode, afKajoCode, afLatitude, afLongitude,
    afPrivCorp, afMyNumber, afCorpKanji, afCorpKana, afDptmnt, afPost, afEmployeeNo, afNameKanji,
    afNameKana, afHonor, afIgnoreName, afURL, afEMail1, afEMail2,
    afJoint1, afJoint2, afJoint3, afJoint4, afJoint5,
    afJointHonor1, afJointHonor2, afJointHonor3, afJointHonor4, afJointHonor5,
    afJointMyNumber1, afJointMyNumber2, afJointMyNumber3, afJointMyNumber4, afJointMyNumber5,
    afJointOwner, afJointPrint, afJointPrint1, afJointPrint2, afJointPrint3, afJointPrint4, afJointPrint5,
    afSender, afPrintTarget, afNote,
    afKeyword1, afKeyword2, afKeyword3, afKeyword4, afKeyword5, afKeyword6, afKeyword7, afKeyword8,
    afProtectMemo1, afProtectMemo2, afProtectMemo3, afProtectMemo4, afProtectMemo5,
    afProtectMemo6, afProtectMemo7, afProtectMemo8, afProtectMemo9, afProtectMemo10,
    afProtectNote, afExtLink, afSymbolMark, afSymbolColor, afCodeMain, afCodeSub, afCodeGenre,
    afAddDateTime, afUpdDateTime,
};
// Every column, the last ones after afUpdDateTime included.
inline constexpr int afFieldCount = kAdrsColumnCount;

const TSqlTableDef& AdrsTableDef();
const TSqlTableDef& SenderTableDef();

// A book holds at most this many rows (counted in the table, never in a
// filtered view).
inline constexpr int kMaxAdrsRecords = 100000;

// DataPath/Adrs/<folder>/Adrs.DB; a folder given as an absolute path is taken as it is.
QString AdrsBookFolderPath(const QString& folder);
QString AdrsTableFileName(const QString& folder);
QString SenderTableFileName(); // DataPath/Other/Sender.DB

inline const QString kSubAdrsOpenError =
    QStringLiteral("アドレス帳ファイルがオープンできませんでした（サブ）");

class TDMTelvora21 {
public:
    TDMTelvora21();
    ~TDMTelvora21();
    TDMTelvora21(const TDMTelvora21&) = delete;
    TDMTelvora21& operator=(const TDMTelvora21&) = delete;

    // The open book. OpenAdrsTable creates the table when the book's folder
    // has none; it throws ESqlTableError when the file cannot be opened.
    TSqlTable& AdrsTable() { return adrsTable_; }
    void OpenAdrsTable(const QString& folder);
    void CloseAdrsTable();
    // True when the open book holds kMaxAdrsRecords rows or more.
    bool AdrsTableFull();

    TSqlTable& SenderTable() { return senderTable_; }
    void OpenSenderTable(); // reference-counted; creates Sender.DB when missing; throws on failure
    void CloseSenderTable();
    int SenderTableRefs() const { return senderRefs_; }

    // A second book, opened exclusively (no other open of it may exist).
    // False when it cannot be opened, with the reason in *error (in
    // Japanese, for a line under the message); the caller
    // tells the user (kSubAdrsOpenError, see core/ui/SubAdrsOpen.h).
    bool OpenSubAdrsTable(const QString& folder, QString* error = nullptr);
    void CloseSubAdrsTable();
    TSqlTable* SubAdrsTable() { return subAdrsTable_.get(); }

    // History lists in DataPath/History/, loaded on creation.
    THistoryData& DptmntHistory() { return *dptmnt_; }
    THistoryData& PostHistory() { return *post_; }
    THistoryData& HonorHistory() { return *honor_; }
    THistoryData& KeywordHistory(int n); // n = 6, 7 or 8

private:
    TSqlTable adrsTable_;
    TSqlTable senderTable_;
    int senderRefs_ = 0;
    std::unique_ptr<TSqlTable> subAdrsTable_;
    std::unique_ptr<THistoryData> dptmnt_, post_, honor_, keyword6_, keyword7_, keyword8_;

public:
    // Reading for the windows. The row of the open book with this RecNo, its
    // numbers hyphenated for display; false when the book is not open or
    // holds no such row. A table that fails while reading throws
    // ESqlTableError: a row that could not be read is not a row that is gone.
    bool ReadAdrsRecordByRecNo(int recNo, TAdrsRecord& record);

    // The sender records' titles (trimmed) in RecNo order. Opens and closes
    // the sender table around the read; throws ESqlTableError when it cannot
    // be opened or read, and then leaves nothing half-read behind.
    struct TSenderTitle {
        int RecNo = 0;
        QString Title;
    };
    std::vector<TSenderTitle> ReadSenderTitles();
};

extern TDMTelvora21* DMTelvora21;
