#pragma once
// Debian's SKK dictionaries stand in for the postal-code and name-reading
// libraries. This is the part every library may use: the reading of an SKK
// file (EUC-JP with the JIS X 0213 planes, read once, on first use, on a
// background thread so that a window asking for it stays responsive until
// the answer is needed) and the postal codes of SKK-JISYO.zipcode
// ("1000001 /東京都千代田区千代田/"), which the record window's lookups and
// the customer barcode both read.

#include <QString>
#include <QStringView>

#include <atomic>
#include <future>
#include <mutex>
#include <vector>

inline const QString kZipcodeDictionaryPath = QStringLiteral("/usr/share/skk/SKK-JISYO.zipcode");

// The message for a dictionary file that cannot be read.
QString DictionaryMissingMessage(const QString& path);

// The text of an SKK file; false when it cannot be read. A byte that does not
// decode becomes U+FFFD and the rest of the file still reads.
bool ReadSkkDictionary(const QString& path, QString& text);

// Calls fn(reading, candidates) for every entry line of an SKK text.
template <typename Fn>
void ForEachSkkEntry(const QString& text, Fn fn)
{
    qsizetype pos = 0;
    const qsizetype n = text.size();
    while (pos < n) {
        qsizetype end = text.indexOf(u'\n', pos);
        if (end < 0)
            end = n;
        const QStringView line = QStringView(text).mid(pos, end - pos);
        pos = end + 1;
        if (line.isEmpty() || line.front() == u';')
            continue;
        const qsizetype sp = line.indexOf(u' ');
        if (sp <= 0)
            continue;
        fn(line.left(sp), line.mid(sp + 1).trimmed());
    }
}

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
        const Data* data = data_.load(std::memory_order_acquire);
        if (!data) {
            data = &started().get();
            data_.store(data, std::memory_order_release);
        }
        return data->ok;
    }
    const QString& Path() const { return path_; }

protected:
    TLazyDictionary(QString path, Data (*read)(const QString&)) : path_(std::move(path)), read_(read) {}
    // Set once Ready() has returned; the same value from every thread.
    const Data* data() const { return data_.load(std::memory_order_acquire); }

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
    std::atomic<const Data*> data_{nullptr};
};

struct TPostalEntry {
    QString Code;    // seven digits
    QString Address; // prefecture, city and town joined
};

struct TPostalData {
    bool ok = false;
    std::vector<TPostalEntry> entries;   // in code order
    std::vector<QString> municipalities; // sorted
    std::vector<quint32> byAddress;      // entries in address order, then code order
    qsizetype longestAddress = 0;
};

class TPostalDictionary : public TLazyDictionary<TPostalData> {
public:
    explicit TPostalDictionary(QString path = kZipcodeDictionaryPath);
    // The dictionary every window and item shares: read once per process.
    // Safe from any thread.
    static TPostalDictionary& Shared();
    // Tests: the shared dictionary reads another file from now on. The one
    // it replaces stays alive, so a caller still holding it is not left
    // dangling.
    static void SetSharedPath(const QString& path);

    // Entries of a postal code: seven digits exactly, or all codes that begin
    // with three or five digits. Hyphens and full-width digits are ignored.
    std::vector<TPostalEntry> FindByCode(const QString& code);
    // Entries for an address (blanks left out): those whose address the text
    // begins with, the longest only; when none, those whose address begins
    // with the text. In code order either way.
    std::vector<TPostalEntry> FindByAddress(const QString& text);
    // Splits an address into prefecture, city and town using the
    // municipalities the dictionary knows.
    TAddressParts Split(const QString& address);
    // The places a seven-digit code names (one code may name several
    // towns), each split as Split does: prefecture, city, town. Empty for a
    // code the dictionary does not know or when it cannot be read.
    std::vector<TAddressParts> PlacesOf(QStringView code7);
    // The places whose address begins with Head (a prefecture and
    // municipality: every town of it), each split as Split does, in code
    // order.
    std::vector<TAddressParts> PlacesUnder(const QString& Head);

private:
    static TPostalData Read(const QString& path);
    QString CityOf(const QString& tdfkn, const QString& rest);
    // Indices of the entries whose address begins with Head, in code order.
    std::vector<quint32> StartingWith(QStringView Head);
};
