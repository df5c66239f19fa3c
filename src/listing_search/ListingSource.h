#pragma once
// What the search windows and the telephone lookup ask of the listing-search
// library: pages of 20 listings for a condition, the number of hits, the
// listings of one telephone number. The search calls back between records;
// the callback returns -1 to go on and 0 to stop, and the call then ends with
// kListingStopped. TSampleListingSource serves the made-up listings shipped
// in Dic/SampleListing.txt through the same interface.

#include "listing_search/ListingDetail.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

// Return codes of the listing-search calls.
enum : int {
    kListingPageFull = 0,
    kListingNoMoreData = 1,
    kListingStopped = 100,
    kListingNotLoadable = 101,
    kListingExportMissing = 102,
    kListingNotLoaded = 103,
};

inline constexpr int kListingPageSize = 20;

struct TSearchCondition {
    enum Kind { ByName = 0, ByAddress = 1, ByTel = 2, ByCategory = 3 };
    int SearchKind = ByName;
    QString Key;       // name, address or telephone number
    QString Tdfkn;     // prefecture; empty: all
    QString City;      // city; empty: all
    int CtgryMain = 0; // 0: any
    int CtgrySub = 0;  // 0: any
};

// Where the next page of a condition starts.
struct TSearchCursor {
    int Next = 0;
};

// Called with the number of hits so far; -1 goes on, 0 stops the search.
using TSearchCallback = std::function<int(int hits)>;

class TListingSource {
public:
    virtual ~TListingSource() = default;
    // Fills page with up to kListingPageSize listings from the cursor on and
    // moves the cursor; kListingPageFull when the page is full,
    // kListingNoMoreData when the condition has no more listings.
    virtual int SearchPage(const TSearchCondition& cond, TSearchCursor& cursor,
                           std::vector<TListingDetail>& page, const TSearchCallback& callback) = 0;
    virtual int Count(const TSearchCondition& cond, int& count, const TSearchCallback& callback) = 0;
    // The listings whose number is the given one: digits compared, so a
    // number typed with or without hyphens finds the hyphenated listing.
    virtual int TelLookup(const QString& tel, std::vector<TListingDetail>& found) = 0;
    // Name shown in error messages.
    virtual QString SourceName() const = 0;
};

class TSampleListingSource : public TListingSource {
public:
    explicit TSampleListingSource(QString path);

    int SearchPage(const TSearchCondition& cond, TSearchCursor& cursor,
                   std::vector<TListingDetail>& page, const TSearchCallback& callback) override;
    int Count(const TSearchCondition& cond, int& count, const TSearchCallback& callback) override;
    int TelLookup(const QString& tel, std::vector<TListingDetail>& found) override;
    QString SourceName() const override { return path_; }

    // Reads the file on first use; safe from any thread. False when missing.
    bool Load();
    QStringList Prefectures(); // in the order of the file
    QStringList Cities(const QString& tdfkn);
    int ListingCount();

private:
    QString path_;
    std::once_flag once_;
    bool loaded_ = false;
    std::vector<TListingDetail> listings_;
    std::vector<QString> searchText_; // normalised name + reading per listing
    std::vector<QString> addressText_;
};

// The source the windows use: the sample listings beside the program unless
// a test has put another one in place.
TListingSource& ListingSource();
TSampleListingSource* SampleListingSource(); // nullptr when another is in place
void SetListingSource(std::shared_ptr<TListingSource> source);

// The message for a failed call (return code other than 0, 1, 100).
QString ListingErrorMessage(const QString& call, int rc);

// Text folded for matching: compatibility forms unified (half-width kana,
// full-width digits), hiragana as katakana, blanks removed.
QString FoldForMatch(const QString& text);
// The ASCII digits of a text, after folding full-width ones.
QString DigitsOf(const QString& text);
