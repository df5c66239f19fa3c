#include "listing_search/ListingDetail.h"

#include "core/Category.h"
#include "platform/Cp932.h"

#include <QtEndian>
#include <algorithm>
#include <cmath>

namespace {

struct TextField {
    QString TListingDetail::*member;
    int offset;
    int width;
};

constexpr TextField kTextFields[] = {
    {&TListingDetail::Tel, 0, 14},         {&TListingDetail::PostalCode, 24, 8},
    {&TListingDetail::Name, 32, 120},      {&TListingDetail::NameKana, 152, 62},
    {&TListingDetail::Tdfkn, 214, 10},     {&TListingDetail::City, 224, 26},
    {&TListingDetail::Town, 250, 38},      {&TListingDetail::Adrs2, 288, 38},
    {&TListingDetail::Adrs3, 326, 82},     {&TListingDetail::TdfknKana, 408, 10},
    {&TListingDetail::CityKana, 418, 26},  {&TListingDetail::TownKana, 444, 38},
    {&TListingDetail::Kana4, 482, 34},     {&TListingDetail::Kana5, 516, 34},
    {&TListingDetail::AreaCode, 550, 16},  {&TListingDetail::PubDate, 572, 8},
    {&TListingDetail::Category, 588, 6},
};

struct IntField {
    int32_t TListingDetail::*member;
    int offset;
};

constexpr IntField kIntFields[] = {
    {&TListingDetail::TelKind, 20},
    {&TListingDetail::ListingKind, 568},
    {&TListingDetail::Latitude, 580},
    {&TListingDetail::Longitude, 584},
};

} // namespace

bool TListingDetail::FromBytes(const QByteArray& bytes)
{
    *this = TListingDetail();
    if (bytes.size() < kSize)
        return false;
    for (const TextField& f : kTextFields) {
        // A NUL ends the text early: some writers leave the tail unpadded.
        QByteArray raw = bytes.mid(f.offset, f.width);
        const qsizetype nul = raw.indexOf('\0');
        if (nul >= 0)
            raw.truncate(nul);
        this->*f.member = cp932::Trim(cp932::Decode(raw));
    }
    for (const IntField& f : kIntFields)
        this->*f.member = qFromLittleEndian<int32_t>(bytes.constData() + f.offset);
    return true;
}

QByteArray TListingDetail::ToBytes() const
{
    QByteArray out(kSize, '\0');
    for (const TextField& f : kTextFields) {
        const QByteArray text = cp932::CutBytes(cp932::Encode(this->*f.member), f.width);
        std::copy(text.begin(), text.end(), out.begin() + f.offset);
        std::fill(out.begin() + f.offset + text.size(), out.begin() + f.offset + f.width, ' ');
    }
    for (const IntField& f : kIntFields)
        qToLittleEndian<int32_t>(this->*f.member, out.data() + f.offset);
    return out;
}

int32_t TListingDetail::ToMilliseconds(int32_t value256)
{
    // A damaged record can hold any Int32; beyond about 6 days of arc the
    // milliseconds no longer fit and are held at the ends of the range.
    const double ms = double(value256) * 1000.0 / 256.0;
    const double rounded = ms >= 0 ? std::trunc(ms + 0.5) : std::trunc(ms - 0.5);
    return int32_t(std::clamp(rounded, double(INT32_MIN), double(INT32_MAX)));
}

QString TListingDetail::CategoryName() const
{
    if (Category.isEmpty())
        return {};
    EnsureCategoriesLoaded();
    const int major = CategoryMain();
    const int minor = CategorySub();
    const QString name = minor > 0 ? GetCtgrySubName(major * 100 + minor) : GetCtgryMainName(major);
    return name.isEmpty() ? Category : name;
}

bool EnsureCategoriesLoaded()
{
    if (CtgryMainList.empty())
        LoadCategories();
    return !CtgryMainList.empty();
}

QString FitToField(const QString& text, int maxBytes)
{
    return cp932::CutToBytes(text, maxBytes);
}
