#include "drawing/objects/CustomerBarcodeTown.h"

#include "core/common/PostalDictionary.h"

#include <QStringList>

#include <algorithm>
#include <vector>

namespace customer_barcode {

namespace {

bool IsRu(QChar c)
{
    return c == u'る' || c == u'ル';
}

// A character as town names compare: ケ, ヶ, ヵ, が and ガ alike (霞が関,
// 霞ヶ関), の, ノ and 之 alike (丸の内, 丸ノ内), る and ル alike (上る, 上ル).
char16_t TownFold(QChar c)
{
    const char16_t u = c.unicode();
    if (u == u'ヶ' || u == u'ヵ' || u == u'が' || u == u'ガ')
        return u'ケ';
    if (u == u'の' || u == u'之')
        return u'ノ';
    if (u == u'ル')
        return u'る';
    return u;
}

// True for a character at k that a spelling of a town may have or lack:
// what Kyoto's street designations are written with or without (the る of
// 西入る, the が of 上がる, 通 between two names as in 河原町通四条 and the
// り of 通り), the 条 of a Hokkaido town written short (南6西 for 南六条西),
// blanks, and the break where two address lines meet.
bool Optional(QStringView t, qsizetype k)
{
    const QChar c = t[k];
    if (c == kLineBreak || IsBlank(c))
        return true;
    if (k == 0)
        return false;
    const QChar before = t[k - 1];
    if (IsRu(c))
        return before == u'入';
    if (c == u'が' || c == u'ガ')
        return (before == u'上' || before == u'下') && k + 1 < t.size() && IsRu(t[k + 1]);
    if (c == u'り' || c == u'リ')
        return before == u'通';
    if (c == u'通')
        return IsKanji(before) && k + 1 < t.size() && IsKanji(t[k + 1]);
    if (c == u'条')
        return (IsDigit(before) || IsKanjiNumeral(before)) && k + 1 < t.size() &&
               QStringView(u"東西南北").contains(t[k + 1]);
    return false;
}

bool IsNumeral(QChar c)
{
    return IsDigit(c) || IsKanjiNumeral(c);
}

qsizetype NumeralRunEnd(QStringView t, qsizetype k)
{
    const bool digits = IsDigit(t[k]);
    while (k < t.size() && (digits ? IsDigit(t[k]) : IsKanjiNumeral(t[k])))
        ++k;
    return k;
}

// The value of a run of digits or of kanji numerals, without leading zeros.
QString RunValue(QStringView run)
{
    QString v = IsDigit(run.front()) ? run.toString() : KanjiNumber(run);
    while (v.size() > 1 && v.front() == u'0')
        v.remove(0, 1);
    return v;
}

// How far the text from At spells Name (both normalised), numbers compared by
// value (六, 6 and ６ alike); -1 when it does not.
qsizetype SpellsAt(QStringView s, qsizetype At, QStringView Name)
{
    qsizetype i = At, j = 0;
    while (j < Name.size()) {
        const bool more = i < s.size();
        if (more && IsNumeral(s[i]) && IsNumeral(Name[j])) {
            const qsizetype i2 = NumeralRunEnd(s, i), j2 = NumeralRunEnd(Name, j);
            if (RunValue(s.mid(i, i2 - i)) != RunValue(Name.mid(j, j2 - j)))
                return -1;
            i = i2;
            j = j2;
        } else if (more && TownFold(s[i]) == TownFold(Name[j])) {
            ++i;
            ++j;
        } else if (more && Optional(s, i)) {
            ++i;
        } else if (Optional(Name, j)) {
            ++j;
        } else {
            return -1;
        }
    }
    return i - At;
}

// ---- Kyoto's street designations ---------------------------------------------

// The length of a direction word at k (上る, 下ル, 上がる, 東入, 西入る), or 0.
qsizetype DirectionAt(QStringView s, qsizetype k)
{
    if (k + 1 >= s.size())
        return 0;
    if (s[k] == u'上' || s[k] == u'下') {
        const qsizetype n = s[k + 1] == u'が' || s[k + 1] == u'ガ' ? 2 : 1;
        return k + n < s.size() && IsRu(s[k + n]) ? n + 1 : 0;
    }
    if ((s[k] == u'東' || s[k] == u'西') && s[k + 1] == u'入')
        return k + 2 < s.size() && IsRu(s[k + 2]) ? 3 : 2;
    return 0;
}

// The length of a block of a designation at k (２丁目, 三筋目), or 0.
qsizetype StreetBlockAt(QStringView s, qsizetype k)
{
    if (k >= s.size() || !IsNumeral(s[k]))
        return 0;
    const qsizetype e = NumeralRunEnd(s, k);
    const QStringView rest = s.mid(e);
    return rest.startsWith(u"丁目") || rest.startsWith(u"筋目") ? e - k + 2 : 0;
}

// The town as an address spells it before its number: the 地割 a town name
// of the dictionary ends in (種市第８地割) is the first part of the address
// number, as in 津軽石第二十一地割.
QString TownName(const QString& Town)
{
    QString t = Normalized(Town);
    if (t.endsWith(u"地割")) {
        qsizetype k = t.size() - 2;
        while (k > 0 && IsNumeral(t[k - 1]))
            --k;
        if (k > 0 && t[k - 1] == u'第')
            --k;
        t.truncate(k);
    }
    return t;
}

// The town of a Kyoto place without its designation (稲荷町 of
// 河原町通四条下る２丁目稲荷町): an address may leave the designation out
// or name the place from another crossing. Empty for a town without one.
QString TownProper(const QString& Name)
{
    const qsizetype end = StreetDesignationEnd(Name, 0);
    return end > 0 ? Name.mid(end) : QString();
}

// ---- the town a postal code names -------------------------------------------

// Where the prefecture and city of a place end at the start of the text: the
// address may begin with them, with the city alone, without the county or
// at the ward of a designated city. 0 when it begins with none of them.
qsizetype CityEnd(QStringView s, const TAddressParts& Place)
{
    const QString city = Normalized(Place.City);
    QStringList heads{city};
    // 九戸郡洋野町 as 洋野町, 名古屋市熱田区 as 熱田区 (not 四日市市 as 市).
    const qsizetype gun = city.indexOf(u'郡');
    if (gun > 0 && gun + 1 < city.size())
        heads << city.mid(gun + 1);
    const qsizetype shi = city.indexOf(u'市');
    if (shi > 0 && shi + 1 < city.size() && city.endsWith(u'区'))
        heads << city.mid(shi + 1);
    const QString tdfkn = Normalized(Place.Tdfkn);
    for (qsizetype k = 0, n = heads.size(); k < n; ++k)
        heads << tdfkn + heads[k];
    heads << tdfkn;
    qsizetype best = 0;
    for (const QString& h : heads)
        if (!h.isEmpty())
            best = std::max(best, SpellsAt(s, 0, h));
    return best;
}

// Where Name ends at its first spelling in the text from From, when no
// address number stands before it (a later one is a building name:
// 日本橋二丁目三番日本橋高島屋); -1 when not so spelled. Anchored, only
// where the text goes on from From (after blanks, 大字 or 字): among the
// many towns of a municipality a short one (丁, 本) is also found inside
// other words.
qsizetype FindTown(const QString& s, qsizetype From, QStringView Name, bool Anchored)
{
    if (Name.isEmpty())
        return -1;
    const char16_t first = TownFold(Name[0]);
    const bool numeral = IsNumeral(Name[0]);
    qsizetype last = s.size() - 1;
    if (Anchored) {
        while (From < s.size() && IsBlank(s[From]))
            ++From;
        const QStringView rest = QStringView(s).mid(From);
        last = std::min(last, From + (rest.startsWith(u"大字") ? 2 : rest.startsWith(u'字') ? 1 : 0));
    }
    for (qsizetype at = From; at <= last; ++at) {
        // Only where the first character can begin the name (many places
        // are tried against one address).
        if (numeral ? !IsNumeral(s[at]) : TownFold(s[at]) != first)
            continue;
        const qsizetype n = SpellsAt(s, at, Name);
        if (n >= 0)
            return NumberOf(s.mid(From, at - From)).isEmpty() ? at + n : -1;
    }
    return -1;
}

// Where the town of one of the places ends in the text, or -1 when the
// address spells none of them. The town is looked for after the city, before
// any address number; a Kyoto town also without its designation, or after
// the address's own. Of several towns the longest spelled wins (南郷通南
// over 南郷通).
qsizetype TownEnd(const std::vector<TAddressParts>& Places, const QString& s, bool Anchored)
{
    // The places of one municipality share where its name and a street
    // designation after it end.
    struct TCity {
        const TAddressParts* place;
        qsizetype from, street;
    };
    std::vector<TCity> cities;
    qsizetype end = -1, longest = 0;
    for (const TAddressParts& place : Places) {
        const QString town = TownName(place.Town);
        if (town.size() <= longest)
            continue;
        // Most places share the city of the one before.
        auto sameCity = [&](const TCity& c) { return c.place->City == place.City && c.place->Tdfkn == place.Tdfkn; };
        auto city = !cities.empty() && sameCity(cities.back()) ? cities.end() - 1
                                                                : std::find_if(cities.begin(), cities.end(), sameCity);
        if (city == cities.end()) {
            const qsizetype from = CityEnd(s, place);
            city = cities.insert(cities.end(), {&place, from, StreetDesignationEnd(s, from)});
        }
        if (const qsizetype at = FindTown(s, city->from, town, Anchored); at >= 0) {
            end = at;
            longest = town.size();
            continue;
        }
        const QString proper = TownProper(town);
        if (proper.size() <= longest)
            continue;
        if (const qsizetype at = FindTown(s, city->street, proper, Anchored); at >= 0) {
            end = at;
            longest = proper.size();
        }
    }
    return end;
}

// The places an address may name when the dictionary does not list its
// postal code (a large office's own code): the towns of the municipality the
// address begins with, else those of the municipalities of the code's area
// (its first three digits), where the address may begin at the city or the
// town.
std::vector<TAddressParts> PlacesOfAddress(TPostalDictionary& Dictionary, const QByteArray& PostalCode7,
                                           const QString& Address)
{
    QStringList municipalities;
    const std::vector<TPostalEntry> hits = Dictionary.FindByAddress(Address);
    if (!hits.empty()) {
        const TAddressParts p = Dictionary.Split(hits.front().Address);
        if (!p.City.isEmpty())
            municipalities << p.Tdfkn + p.City;
    }
    if (municipalities.isEmpty()) {
        for (const TPostalEntry& e : Dictionary.FindByCode(QString::fromLatin1(PostalCode7.left(3)))) {
            if (!municipalities.isEmpty() && e.Address.startsWith(municipalities.back()))
                continue;
            const TAddressParts p = Dictionary.Split(e.Address);
            if (!p.City.isEmpty() && !municipalities.contains(p.Tdfkn + p.City))
                municipalities << p.Tdfkn + p.City;
        }
    }
    std::vector<TAddressParts> places;
    for (const QString& m : municipalities) {
        std::vector<TAddressParts> under = Dictionary.PlacesUnder(m);
        places.insert(places.end(), std::make_move_iterator(under.begin()), std::make_move_iterator(under.end()));
    }
    return places;
}

} // namespace

qsizetype StreetDesignationEnd(QStringView s, qsizetype From)
{
    const auto skipBlanks = [&](qsizetype k) {
        while (k < s.size() && IsBlank(s[k]))
            ++k;
        return k;
    };
    for (qsizetype k = From; k < s.size();) {
        const qsizetype block = StreetBlockAt(s, k);
        // A designation follows a street's name: 東入船 or 西入部 at the
        // start is a town's own name.
        if (k > From && (DirectionAt(s, k) || (block && DirectionAt(s, skipBlanks(k + block))))) {
            qsizetype end = k;
            for (qsizetype next = k, n; (n = DirectionAt(s, next)) || (n = StreetBlockAt(s, next));)
                next = skipBlanks(end = next + n);
            return end;
        }
        if (IsNumeral(s[k])) {
            // Numerals of a street's name (四条, 2ノ宮, 3筋) or a town's (七軒町)
            // go on; the address number (digits, kanji before a block mark)
            // comes after any designation.
            const qsizetype e = NumeralRunEnd(s, k);
            const QStringView after = s.mid(e);
            const bool street = !after.isEmpty() && QStringView(u"条ノの筋").contains(after.front());
            const bool marked = after.startsWith(u'丁') || after.startsWith(u'番') || after.startsWith(u'号') ||
                                after.startsWith(u"地割") || after.startsWith(u'線');
            if (!street && (IsDigit(s[k]) || marked))
                return From;
            k = e;
            continue;
        }
        if (s[k] == u'-')
            return From;
        ++k;
    }
    return From;
}

qsizetype AddressNumberStart(TPostalDictionary& Dictionary, const QByteArray& PostalCode7, const QString& Address,
                             const QString& Normal, bool* TownFound)
{
    std::vector<TAddressParts> places = Dictionary.PlacesOf(QString::fromLatin1(PostalCode7));
    // A code the dictionary does not list, or one for a whole municipality
    // (no town of its own): the town the address names.
    const bool byAddress = PostalCode7.size() == 7 && Dictionary.Ready() &&
                           std::all_of(places.begin(), places.end(), [](const TAddressParts& p) { return p.Town.isEmpty(); });
    if (byAddress)
        places = PlacesOfAddress(Dictionary, PostalCode7, Address);
    const qsizetype end = TownEnd(places, Normal, byAddress);
    if (TownFound)
        *TownFound = end >= 0;
    return end >= 0 ? end : StreetDesignationEnd(Normal, 0);
}

} // namespace customer_barcode
