#include "listing_search/SkkDictionary.h"

#include <algorithm>
#include <memory>

namespace {

template <typename T>
std::unique_ptr<T>& SharedHolder()
{
    static std::unique_ptr<T> holder;
    return holder;
}

} // namespace

QString ToHiraganaReading(const QString& text)
{
    QString out;
    for (QChar ch : text.normalized(QString::NormalizationForm_KC)) {
        const char16_t u = ch.unicode();
        if (u <= 0x20 || u == 0x3000)
            continue;
        out += (u >= 0x30A1 && u <= 0x30F6) ? QChar(char16_t(u - 0x60)) : ch;
    }
    return out;
}

// ---- name readings ---------------------------------------------------------

TNameDictionary::TNameDictionary(QString path) : TLazyDictionary(std::move(path), &TNameDictionary::Read) {}

TNameDictionary& TNameDictionary::Shared()
{
    auto& h = SharedHolder<TNameDictionary>();
    if (!h)
        h = std::make_unique<TNameDictionary>();
    return *h;
}

void TNameDictionary::SetSharedPath(const QString& path)
{
    SharedHolder<TNameDictionary>() = std::make_unique<TNameDictionary>(path);
}

TNameData TNameDictionary::Read(const QString& path)
{
    TNameData d;
    QString text;
    if (!ReadSkkDictionary(path, text))
        return d;
    ForEachSkkEntry(text, [&](QStringView reading, QStringView rest) {
        const QString r = reading.toString();
        for (QStringView cand : rest.split(u'/', Qt::SkipEmptyParts)) {
            const qsizetype semi = cand.indexOf(u';');
            const QStringView name = semi < 0 ? cand : cand.left(semi);
            unsigned char kinds = kAny;
            if (semi >= 0) {
                // Annotations such as "人名&地名 姓", "姓,名", "名 力士名": only a
                // word of its own counts, not the 姓 inside 力士姓名.
                const QStringView note = cand.mid(semi + 1);
                qsizetype start = 0;
                for (qsizetype i = 0; i <= note.size(); ++i) {
                    if (i == note.size() || note[i] == u' ' || note[i] == u',' || note[i] == u'&') {
                        const QStringView word = note.mid(start, i - start);
                        if (word == u"姓")
                            kinds |= kFamily;
                        else if (word == u"名")
                            kinds |= kGiven;
                        start = i + 1;
                    }
                }
            }
            if (!name.isEmpty() && name != reading)
                d.entries.push_back({r, name.toString(), kinds});
        }
    });
    std::stable_sort(d.entries.begin(), d.entries.end(),
                     [](const Entry& a, const Entry& b) { return a.Reading < b.Reading; });
    d.ok = true;
    return d;
}

std::vector<TNameCandidate> TNameDictionary::Find(const QString& reading, bool givenNames, int limit)
{
    std::vector<TNameCandidate> out;
    const QString key = ToHiraganaReading(reading);
    if (key.isEmpty() || !Ready())
        return out;
    const auto& e = data()->entries;
    const auto first = std::lower_bound(e.begin(), e.end(), key,
                                        [](const Entry& x, const QString& k) { return x.Reading < k; });
    auto last = first;
    while (last != e.end() && last->Reading.startsWith(key))
        ++last;
    const unsigned char wanted = givenNames ? kGiven : kFamily;
    const unsigned char other = givenNames ? kFamily : kGiven;
    // Exact readings before longer ones; within each, the wanted kind, then
    // names of no stated kind. Names only of the other kind are left out.
    for (bool exact : {true, false})
        for (bool marked : {true, false})
            for (auto it = first; it != last && int(out.size()) < limit; ++it) {
                if ((it->Reading.size() == key.size()) != exact)
                    continue;
                const bool isWanted = it->Kinds & wanted;
                const bool unmarked = !(it->Kinds & (wanted | other));
                if (marked ? isWanted : unmarked)
                    out.push_back({it->Name, it->Reading});
            }
    return out;
}
