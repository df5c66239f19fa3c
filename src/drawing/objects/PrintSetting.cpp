#include "drawing/objects/PrintSetting.h"

#include "drawing/objects/StreamIO.h"
#include "platform/Cp932.h"

#include <QtEndian>

#include <algorithm>
#include <cstring>

// ---- TShortHonor ----------------------------------------------------------

QByteArray TShortHonor::TextBytes() const
{
    const int n = std::min<int>(Length, kMaxBytes);
    int i = 0;
    while (i < n) {
        const int step = cp932::IsLeadByte(static_cast<unsigned char>(Bytes[i])) ? 2 : 1;
        if (i + step > n)
            break; // a lead byte whose trail byte lies beyond the text
        i += step;
    }
    return QByteArray(Bytes.data(), i);
}

QString TShortHonor::Text() const { return cp932::Decode(TextBytes()); }

void TShortHonor::SetText(const QString& text)
{
    const QByteArray bytes = cp932::CutBytes(cp932::Encode(text), kMaxBytes);
    std::memcpy(Bytes.data(), bytes.constData(), bytes.size());
    Length = quint8(bytes.size());
}

// ---- TPrintSetting --------------------------------------------------------

namespace {

// Walks the record's fields in stored order, so reading and writing cannot
// disagree about an offset.
template <class Setting, class Visitor>
void VisitFields(Setting& s, Visitor&& v)
{
    v.byte(s.HideTdfkn);
    v.byte(s.VertNumeral);
    v.byte(s.ChineseNumeral);
    v.byte(s.ConnectNo);
    v.int32(s.CorpNotation);
    v.int32(s.PosMark);
    v.int32(s.SenderPosMark);
    v.honor(s.DefHonor);
    v.honor(s.CorpHonor);
    v.honor(s.PostHonor);
    v.honor(s.SenderHonor);
    v.int32(s.AddressSize);
    v.int32(s.NameSize);
    v.int32(s.AdditionSize);
    v.int32(s.SenderAddressSize);
    v.int32(s.SenderNameSize);
    v.int32(s.SenderAdditionSize);
    v.int32(s.CorpRatio);
    v.int32(s.DptmntRatio);
    v.int32(s.PostRatio);
    v.byte(s.CharSpace);
    v.byte(s.NameAlign);
    v.byte(s.SenderNameAlign);
    v.byte(s.SenderJointSeries);
    v.byte(s.CorpBreak);
    for (auto& b : s.Reserved)
        v.byte(b);
}

struct TWriter {
    char* at;
    void byte(quint8 b) { *at++ = char(b); }
    void int32(qint32 v)
    {
        qToLittleEndian(v, at);
        at += 4;
    }
    void honor(const TShortHonor& h)
    {
        byte(h.Length);
        std::memcpy(at, h.Bytes.data(), h.Bytes.size());
        at += h.Bytes.size();
    }
};

struct TReader {
    const char* at;
    void byte(quint8& b) { b = quint8(*at++); }
    void int32(qint32& v)
    {
        v = qFromLittleEndian<qint32>(at);
        at += 4;
    }
    void honor(TShortHonor& h)
    {
        byte(h.Length);
        std::memcpy(h.Bytes.data(), at, h.Bytes.size());
        at += h.Bytes.size();
    }
};

} // namespace

void TPrintSetting::ToBytes(char* out) const
{
    TWriter w{out};
    VisitFields(*this, w);
    Q_ASSERT(w.at == out + kSize);
}

QByteArray TPrintSetting::ToBytes() const
{
    QByteArray bytes(kSize, '\0');
    ToBytes(bytes.data());
    return bytes;
}

void TPrintSetting::FromBytes(const char* data)
{
    TReader r{data};
    VisitFields(*this, r);
    Q_ASSERT(r.at == data + kSize);
}

bool TPrintSetting::FromBytes(const QByteArray& data)
{
    if (data.size() < kSize)
        return false;
    FromBytes(data.constData());
    return true;
}

void TPrintSetting::LoadFromStream(QIODevice& Stream)
{
    char bytes[kSize];
    ReadStreamBytes(Stream, bytes, kSize);
    FromBytes(bytes);
}

void TPrintSetting::SaveToStream(QIODevice& Stream) const
{
    char bytes[kSize];
    ToBytes(bytes);
    WriteStreamBytes(Stream, bytes, kSize);
}

int TPrintSetting::SizeStep(qint32 stored) { return std::clamp<qint32>(stored, kMinSize, kMaxSize); }

int TPrintSetting::RatioIndex(qint32 stored) { return std::clamp<qint32>(stored, 0, kMaxRatio); }

double TPrintSetting::RatioFraction(qint32 stored) { return (10 - RatioIndex(stored)) / 10.0; }

int TPrintSetting::Align(quint8 stored) { return std::min<int>(stored, kMaxAlign); }

// ---- Defaults -------------------------------------------------------------

namespace {

constexpr qint32 kDefaultSize = 3;
constexpr qint32 kDefaultCorpRatio = 3;   // 7/10
constexpr qint32 kDefaultDptmntRatio = 4; // 6/10
constexpr qint32 kDefaultPostRatio = 5;   // 5/10

void SetRatioDefaults(TPrintSetting& s)
{
    s.CorpRatio = kDefaultCorpRatio;
    s.DptmntRatio = kDefaultDptmntRatio;
    s.PostRatio = kDefaultPostRatio;
    s.CharSpace = 1;
}

void SetHonorDefaults(TPrintSetting& s)
{
    s.DefHonor.SetText(QStringLiteral("様"));
    s.CorpHonor.SetText(QStringLiteral("御中"));
    s.PostHonor.SetText(QStringLiteral("様"));
    s.SenderHonor.SetText(QStringLiteral("行"));
}

} // namespace

void SetLayoutDefaults(TPrintSetting& s)
{
    s.AddressSize = s.NameSize = s.AdditionSize = kDefaultSize;
    s.SenderAddressSize = s.SenderNameSize = s.SenderAdditionSize = kDefaultSize;
    SetRatioDefaults(s);
}

void SetAddressSideDefaults(TPrintSetting& s, bool paperHasPicture)
{
    SetLayoutDefaults(s);
    SetHonorDefaults(s);
    s.PosMark = paperHasPicture ? 0 : 2;
    s.SenderPosMark = paperHasPicture ? 0 : 1;
}

void SetLabelDefaults(TPrintSetting& s, int paperKind)
{
    SetLayoutDefaults(s);
    if (paperKind == kPaperKindLabel) {
        SetHonorDefaults(s);
        s.PosMark = 2;
    } else if (paperKind == kPaperKindCard) {
        s.DefHonor.Clear();
    }
}

void SetMessageSideDefaults(TPrintSetting& s)
{
    // The message side prints no addressee additional information, so its
    // size is left as it is.
    s.AddressSize = s.NameSize = kDefaultSize;
    s.SenderAddressSize = s.SenderNameSize = s.SenderAdditionSize = kDefaultSize;
    SetRatioDefaults(s);
    s.SenderPosMark = 1;
}
