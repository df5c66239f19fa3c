#include "listing_search/ListingSource.h"

#include "core/Folders.h"
#include "core/phone/PhoneNumber.h"

#include <QFile>
#include <QFileInfo>

namespace {

bool Matches(const TSearchCondition& c, const TListingDetail& d, const QString& folded,
             const QString& address, const QString& key)
{
    if (!c.Tdfkn.isEmpty() && d.Tdfkn != c.Tdfkn)
        return false;
    if (!c.City.isEmpty() && !d.City.startsWith(c.City))
        return false;
    switch (c.SearchKind) {
    case TSearchCondition::ByName:
        return key.isEmpty() || folded.contains(key);
    case TSearchCondition::ByAddress:
        return key.isEmpty() || address.contains(key);
    case TSearchCondition::ByTel:
        return !key.isEmpty() && DigitsOf(d.Tel).startsWith(key);
    case TSearchCondition::ByCategory:
        return (c.CtgryMain == 0 || d.CategoryMain() == c.CtgryMain) &&
               (c.CtgrySub == 0 || d.CategorySub() == c.CtgrySub);
    }
    return false;
}

QString FoldedKey(const TSearchCondition& c)
{
    return c.SearchKind == TSearchCondition::ByTel ? DigitsOf(c.Key) : FoldForMatch(c.Key);
}

std::shared_ptr<TListingSource>& CurrentSource()
{
    static std::shared_ptr<TListingSource> source;
    return source;
}

} // namespace

QString FoldForMatch(const QString& text)
{
    QString s = text.normalized(QString::NormalizationForm_KC);
    QString out;
    out.reserve(s.size());
    for (QChar ch : s) {
        const char16_t u = ch.unicode();
        if (u <= 0x20 || u == 0x3000)
            continue;
        if (u >= 0x3041 && u <= 0x3096)
            out += QChar(char16_t(u + 0x60));
        else
            out += ch.toUpper();
    }
    return out;
}

QString DigitsOf(const QString& text)
{
    QString out;
    for (QChar ch : text.normalized(QString::NormalizationForm_KC))
        if (ch >= u'0' && ch <= u'9')
            out += ch;
    return out;
}

TSampleListingSource::TSampleListingSource(QString path) : path_(std::move(path)) {}

bool TSampleListingSource::Load()
{
    std::call_once(once_, [this] {
        QFile file(path_);
        if (!file.open(QIODevice::ReadOnly))
            return;
        const QList<QByteArray> lines = file.readAll().split('\n');
        for (const QByteArray& raw : lines) {
            const QStringList f = QString::fromUtf8(raw).remove(u'\r').split(u'\t');
            if (f.size() == 22 && f[0] == u"L") {
                TListingDetail d;
                // A listing directory hands numbers out hyphenated, as the
                // address book shows them; the file holds the digits.
                d.Tel = HyphenatePhoneNumber(f[1]);
                d.TelKind = f[2].toInt();
                d.PostalCode = f[3];
                d.Name = f[4];
                d.NameKana = f[5];
                d.Tdfkn = f[6];
                d.City = f[7];
                d.Town = f[8];
                d.Adrs2 = f[9];
                d.Adrs3 = f[10];
                d.TdfknKana = f[11];
                d.CityKana = f[12];
                d.TownKana = f[13];
                d.Kana4 = f[14];
                d.Kana5 = f[15];
                d.AreaCode = f[16];
                d.ListingKind = f[17].toInt();
                d.PubDate = f[18];
                d.Latitude = f[19].toInt();
                d.Longitude = f[20].toInt();
                d.Category = f[21];
                // Through the record's own bytes, so every value fits its
                // field exactly as a listing from the library would.
                d.FromBytes(d.ToBytes());
                searchText_.push_back(FoldForMatch(d.Name) + u'\t' + FoldForMatch(d.NameKana));
                addressText_.push_back(FoldForMatch(d.Tdfkn + d.City + d.JoinedAddress()));
                listings_.push_back(std::move(d));
            }
        }
        loaded_ = true;
    });
    return loaded_;
}

int TSampleListingSource::SearchPage(const TSearchCondition& cond, TSearchCursor& cursor,
                                     std::vector<TListingDetail>& page, const TSearchCallback& callback)
{
    page.clear();
    if (!Load())
        return kListingNotLoadable;
    const QString key = FoldedKey(cond);
    for (int i = std::max(cursor.Next, 0); i < int(listings_.size()); ++i) {
        if (callback && callback(int(page.size())) == 0) {
            cursor.Next = i;
            return kListingStopped;
        }
        if (!Matches(cond, listings_[i], searchText_[i], addressText_[i], key))
            continue;
        page.push_back(listings_[i]);
        if (int(page.size()) == kListingPageSize) {
            cursor.Next = i + 1;
            return kListingPageFull;
        }
    }
    cursor.Next = int(listings_.size());
    return kListingNoMoreData;
}

int TSampleListingSource::Count(const TSearchCondition& cond, int& count, const TSearchCallback& callback)
{
    count = 0;
    if (!Load())
        return kListingNotLoadable;
    const QString key = FoldedKey(cond);
    for (int i = 0; i < int(listings_.size()); ++i) {
        if (callback && callback(count) == 0)
            return kListingStopped;
        if (Matches(cond, listings_[i], searchText_[i], addressText_[i], key))
            ++count;
    }
    return kListingNoMoreData;
}

int TSampleListingSource::TelLookup(const QString& tel, std::vector<TListingDetail>& found)
{
    found.clear();
    if (!Load())
        return kListingNotLoadable;
    const QString digits = DigitsOf(tel);
    if (digits.isEmpty())
        return kListingNoMoreData;
    for (const TListingDetail& d : listings_)
        if (DigitsOf(d.Tel) == digits)
            found.push_back(d);
    return kListingNoMoreData;
}

QStringList TSampleListingSource::Prefectures()
{
    QStringList out;
    if (Load())
        for (const TListingDetail& d : listings_)
            if (!out.contains(d.Tdfkn))
                out << d.Tdfkn;
    return out;
}

QStringList TSampleListingSource::Cities(const QString& tdfkn)
{
    QStringList out;
    if (Load())
        for (const TListingDetail& d : listings_)
            if (d.Tdfkn == tdfkn && !out.contains(d.City))
                out << d.City;
    return out;
}

int TSampleListingSource::ListingCount()
{
    Load();
    return int(listings_.size());
}

TListingSource& ListingSource()
{
    std::shared_ptr<TListingSource>& s = CurrentSource();
    if (!s)
        s = std::make_shared<TSampleListingSource>(AppPath() + QStringLiteral("Dic/SampleListing.txt"));
    return *s;
}

TSampleListingSource* SampleListingSource()
{
    return dynamic_cast<TSampleListingSource*>(&ListingSource());
}

void SetListingSource(std::shared_ptr<TListingSource> source)
{
    CurrentSource() = std::move(source);
}

QString ListingErrorMessage(const QString& call, int rc)
{
    const QString name = QFileInfo(ListingSource().SourceName()).fileName();
    if (rc == kListingNotLoadable)
        return ListingSource().SourceName() + QStringLiteral(" LoadLibrary Error");
    return call + QStringLiteral("(") + name + QStringLiteral(") Call Error\r\nRC = ") + QString::number(rc);
}
