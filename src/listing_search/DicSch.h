#pragma once
// The dictionary lookup dialog: a telephone number in the listings and in the
// open address book, a postal code or an address in the postal-code
// dictionary. The caller starts it on a kind and a key; when one entry
// decides the lookup it need not be shown at all.

#include "listing_search/ListingDetail.h"

#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

namespace Ui {
class TDicSearch;
}

// The lookup result, as the record window takes it.
struct TDicAdrsRecord {
    QString Tel;
    int TelKind = 0;  // 0 telephone, 1 fax, 2 telephone and fax, 3 main number
    QString PubDate;  // yyyymm
    QString PostalCode;
    QString Tdfkn;
    QString City;     // up to 40 bytes
    QString Town;     // up to 140 bytes
    QString Rest;
    QString AdrsKana;
    QString JisCode;
    QString KajoCode;
    int32_t Latitude = 0;  // milliseconds of arc
    int32_t Longitude = 0;
    int Person = 0;        // 0 company
    QString Name;
    QString NameKana;
    int CtgryMain = 0;
    int CtgrySub = 0;

    static TDicAdrsRecord FromListing(const TListingDetail& listing);
    // The values fitted to the address-book fields they go to (city to
    // Adrs1, town to Adrs2, rest to Adrs3, the codes to JisCode and
    // KajoCode). What does not fit an address line goes on at the start of
    // the next one; only what fits none is cut, never splitting a character.
    TDicAdrsRecord FittedToRecord() const;
};

// A record of the open address book with the number looked up.
struct TBookTelMatch {
    int RecNo = 0;
    QString Name;
    QString Address;
};
using TBookTelLookup = std::function<std::vector<TBookTelMatch>(const QString& tel)>;

class TDicSearch : public QDialog {
    Q_OBJECT
public:
    enum Kind { kTel = 0, kPostal = 1, kAddress = 2 };
    enum ResultKind { kResultTel = 0, kResultPostal = 1, kResultAddress = 2, kResultBook = 8, kResultPersonTel = 9 };

    explicit TDicSearch(QWidget* owner);
    ~TDicSearch() override;

    // The address-book side of the telephone lookup; the program sets it
    // once the data module is open.
    static void SetBookTelLookup(TBookTelLookup lookup);

    void SetOwnerWnd(QWidget* owner) { ownerWnd_ = owner; }
    void SetAdrsBookHelpContext(int context) { adrsBookHelpContext_ = context; }
    // Mask: bit 0 telephone, bit 1 postal code, bit 2 address, bit 3 address
    // book; Flag 1 lets the telephone lookup search the open book.
    void SetSearchKinds(int mask, int flag);
    // 1 when exactly one entry decides the lookup, 0 when the dialog must be
    // shown for a choice, 2 when nothing is found.
    int StartSearch(int kind, const QString& key);

    int GetResultKind() const { return resultKind_; }
    int GetSelectedRecNo() const { return selectedRecNo_; }
    TDicAdrsRecord GetAdrsRecord() const { return record_; }

    void accept() override;
    void reject() override;

private:
    struct Candidate {
        int kind = 0;
        int recNo = 0;
        TDicAdrsRecord record;
        QStringList columns;
    };
    void Lookup(int kind, const QString& key);
    void FillList();
    void Choose(const Candidate& c);
    void SearchClicked();

    std::unique_ptr<Ui::TDicSearch> ui;
    QWidget* ownerWnd_ = nullptr;
    int adrsBookHelpContext_ = 0;
    int mask_ = 15;
    int flag_ = 1;
    std::vector<Candidate> candidates_;
    int resultKind_ = -1;
    int selectedRecNo_ = -1;
    TDicAdrsRecord record_;
    bool missingReported_ = false;
};
