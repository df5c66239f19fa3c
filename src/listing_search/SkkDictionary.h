#pragma once
// Debian's SKK dictionaries stand in for the postal-code and name-reading
// libraries: the postal codes of SKK-JISYO.zipcode ("1000001 /東京都千代田区千代田/")
// and the name readings of SKK-JISYO.jinmei ("やまだ /山田;人名&地名 姓/").
// Both are EUC-JP (JIS X 0213) files read at run time; each is read once, on
// first use, on a background thread so that a window asking for it stays
// responsive until the answer is needed.

#include <QString>
#include <QStringList>
#include <future>
#include <mutex>
#include <vector>

inline const QString kZipcodeDictionaryPath = QStringLiteral("/usr/share/skk/SKK-JISYO.zipcode");
inline const QString kJinmeiDictionaryPath = QStringLiteral("/usr/share/skk/SKK-JISYO.jinmei");

// The message for a dictionary file that cannot be read.
QString DictionaryMissingMessage(const QString& path);

// Prefecture, city (with the ward of a designated city), town and the rest of
// an address text.
struct TAddressParts {
    QString Tdfkn;
    QString City;
    QString Town;
    QString Rest;
};

// A dictionary file read once, in the background, on first use.
template <typename Data>
class TLazyDictionary {
public:
    // Starts reading in the background when not yet started.
    void Preload() { started(); }
    // Waits for the file; false when it could not be read. Safe from any
    // thread: the shared state outlives every caller.
    bool Ready()
    {
        const Data& data = started().get();
        std::lock_guard lock(mutex_);
        data_ = &data;
        return data.ok;
    }
    const QString& Path() const { return path_; }

protected:
    TLazyDictionary(QString path, Data (*read)(const QString&)) : path_(std::move(path)), read_(read) {}
    const Data* data_ = nullptr;

private:
    QString path_;
    Data (*read_)(const QString&);
    std::shared_future<Data> started()
    {
        std::lock_guard lock(mutex_);
        if (!future_.valid())
            future_ = std::async(std::launch::async, read_, path_).share();
        return future_;
    }

    std::mutex mutex_;
    std::shared_future<Data> future_;
};

struct TPostalEntry {
    QString Code;    // seven digits
    QString Address; // prefecture, city and town joined
};

struct TPostalData {
    bool ok = false;
    std::vector<TPostalEntry> entries;   // in code order
    std::vector<QString> municipalities; // sorted
};

class TPostalDictionary : public TLazyDictionary<TPostalData> {
public:
    explicit TPostalDictionary(QString path = kZipcodeDictionaryPath);
    // The dictionary the windows share.
    static TPostalDictionary& Shared();
    static void SetSharedPath(const QString& path); // tests

    // Entries of a postal code: seven digits exactly, or all codes that begin
    // with three or five digits. Hyphens and full-width digits are ignored.
    std::vector<TPostalEntry> FindByCode(const QString& code);
    // Entries for an address: those whose address the text begins with, the
    // longest first; when none, those whose address begins with the text.
    std::vector<TPostalEntry> FindByAddress(const QString& text);
    // Splits an address into prefecture, city, town and rest using the
    // municipalities the dictionary knows.
    TAddressParts Split(const QString& address);

private:
    static TPostalData Read(const QString& path);
    QString CityOf(const QString& tdfkn, const QString& rest);
};

struct TNameCandidate {
    QString Name;
    QString Reading; // hiragana, as in the dictionary
};

struct TNameData {
    struct Entry {
        QString Reading;
        QString Name;
        unsigned char Kinds; // bit 0 family name, bit 1 given name
    };
    bool ok = false;
    std::vector<Entry> entries; // sorted by reading
};

class TNameDictionary : public TLazyDictionary<TNameData> {
public:
    explicit TNameDictionary(QString path = kJinmeiDictionaryPath);
    static TNameDictionary& Shared();
    static void SetSharedPath(const QString& path); // tests

    // Names read as the reading (katakana is taken as hiragana): first those
    // marked as family names (given names when givenNames), then those marked
    // as personal names without a kind; then the same for readings that
    // begin with the typed one. At most limit candidates.
    std::vector<TNameCandidate> Find(const QString& reading, bool givenNames, int limit = 200);

private:
    enum Kind : unsigned char { kAny = 0, kFamily = 1, kGiven = 2 };
    using Entry = TNameData::Entry;
    static TNameData Read(const QString& path);
};

// Katakana turned into hiragana, half-width kana into full-width, blanks removed.
QString ToHiraganaReading(const QString& text);
