#include "drawing/objects/DrawRect.h"

#include "drawing/objects/StreamIO.h"

#include "core/common/Units.h"
#include "platform/RefDevice.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonObject>

#include <algorithm>
#include <cmath>
#include <limits>
#include <string>

qint32 DrawRectFileVersion = 0;
// Until a designer sets up its paper, text items take the heights their
// tables give for a postcard.
qint32 DrawRectPaperLength = kPostcardPaperLength;

namespace {


// Rectangles come from files: a coordinate far out of range must saturate,
// never overflow.
qint32 ClampToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    constexpr double lo = std::numeric_limits<qint32>::min();
    constexpr double hi = std::numeric_limits<qint32>::max();
    return static_cast<qint32>(std::clamp(v, lo, hi));
}

// The system's RoundHalfUp, saturated to the Int32 range.
qint32 RoundToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    return ClampToInt32(static_cast<double>(::RoundHalfUp(std::clamp(v, -4.0e18, 4.0e18))));
}

TRect ScaleRect(const TRect& r, double factor)
{
    return {RoundToInt32(r.Left * factor), RoundToInt32(r.Top * factor),
            RoundToInt32(r.Right * factor), RoundToInt32(r.Bottom * factor)};
}

TRect DivideRect(const TRect& r, double divisor)
{
    return {RoundToInt32(r.Left / divisor), RoundToInt32(r.Top / divisor),
            RoundToInt32(r.Right / divisor), RoundToInt32(r.Bottom / divisor)};
}

std::vector<TDrawRectClass>& Registry()
{
    static std::vector<TDrawRectClass> classes;
    return classes;
}

std::vector<TDrawRectClass>::iterator FindEntry(std::string_view name)
{
    auto& classes = Registry();
    return std::find_if(classes.begin(), classes.end(),
                        [name](const TDrawRectClass& c) { return name == c.Name; });
}

bool Serves(const TDrawRectClass& c, quint8 kind)
{
    return std::find(c.Kinds.begin(), c.Kinds.end(), kind) != c.Kinds.end();
}

} // namespace

// The zone of one axis: near edge, centre, far edge (its last pixel +- 3),
// tested in that order so a narrow rectangle favours the near edge.
quint8 HitZone(qint64 p, qint64 lo, qint64 hi, quint8 nearZone, quint8 farZone)
{
    const qint64 centre = lo + (hi - lo) / 2;
    if (lo - 3 <= p && p <= lo + 3)
        return nearZone;
    if (centre - 3 <= p && p <= centre + 3)
        return hzCentre;
    if (hi - 4 <= p && p <= hi + 2)
        return farZone;
    return hzNone;
}

TRect ReadStreamRect(QIODevice& Stream)
{
    TRect r;
    r.Left = ReadStreamInt32(Stream);
    r.Top = ReadStreamInt32(Stream);
    r.Right = ReadStreamInt32(Stream);
    r.Bottom = ReadStreamInt32(Stream);
    return r;
}

void WriteStreamRect(QIODevice& Stream, const TRect& R)
{
    WriteStreamInt32(Stream, R.Left);
    WriteStreamInt32(Stream, R.Top);
    WriteStreamInt32(Stream, R.Right);
    WriteStreamInt32(Stream, R.Bottom);
}

void CheckDrawRectFileVersion()
{
    if (DrawRectFileVersion < 0 || DrawRectFileVersion > DrawRectCurrentVersion)
        throw EDrawRectStreamError("item record: layout version " + std::to_string(DrawRectFileVersion) +
                                   " is not supported");
}



TDrawRect::TDrawRect() = default;
TDrawRect::~TDrawRect() = default;

void TDrawRect::Assign(const TDrawRect& Source)
{
    if (&Source == this)
        return;
    SetRect(Source.Rect);
    Visible = Source.Visible;
}

void TDrawRect::SetZoom(double Value)
{
    Zoom = Value;
    if (Value != 0)
        DisplayRect = ScaleRect(Rect, Zoom);
}

TRect TDrawRect::GetRect() const
{
    return Rect;
}

void TDrawRect::SetRect(const TRect& R)
{
    Rect = R;
    DisplayRect = ScaleRect(R, Zoom);
}

TRect TDrawRect::GetDisplayRect() const
{
    return DisplayRect;
}

void TDrawRect::SetDisplayRect(const TRect& R)
{
    // Without a zoom there is no layout position to derive.
    if (Zoom == 0)
        return;
    DisplayRect = R;
    Rect = DivideRect(R, Zoom);
}

void TDrawRect::SetClipSide(quint8 Value)
{
    ClipSide = Value;
}

void TDrawRect::SetClipLine(qint32 Value)
{
    ClipLine = Value;
}

void TDrawRect::PreparePrint(const QPoint& Offset, bool Physical)
{
    // The printer that text is laid out for is the one pages are placed on.
    const TRefDevice& dev = RefDevice();
    const double dpiX = dev.dpiX;
    const double dpiY = dev.dpiY;
    // Whole-pixel steps are taken in floating point and only the result is
    // brought into range, so a far-out rectangle saturates as a whole.
    const double ox = std::round(Offset.x() / 254.0 * dpiX);
    const double oy = std::round(Offset.y() / 254.0 * dpiY);
    double left = std::round(double(Rect.Left) * dpiX / 96) + ox;
    double top = std::round(double(Rect.Top) * dpiY / 96) + oy;
    const double width = std::round((double(Rect.Right) - Rect.Left) * dpiX / 96);
    const double height = std::round((double(Rect.Bottom) - Rect.Top) * dpiY / 96);
    if (!Physical) {
        left -= dev.physicalOffsetX;
        top -= dev.physicalOffsetY;
    }
    PrintRect = {ClampToInt32(left), ClampToInt32(top), ClampToInt32(left + width), ClampToInt32(top + height)};
}

void TDrawRect::Refresh(bool)
{
}

void TDrawRect::LoadFromStream(QIODevice& Stream)
{
    CheckDrawRectFileVersion();
    // Read the whole base record before changing anything, so a short
    // record leaves the item as it was.
    const TRect r = ReadStreamRect(Stream);
    const bool visible = DrawRectFileVersion >= 201 ? ReadStreamBool(Stream) : true;
    Rect = r;
    DisplayRect = Zoom != 0 ? ScaleRect(r, Zoom) : DisplayRect;
    Visible = visible;
}

void TDrawRect::SaveToStream(QIODevice& Stream) const
{
    WriteStreamRect(Stream, Rect);
    WriteStreamBool(Stream, Visible);
}

void TDrawRect::DescribeFields(QJsonObject& Fields) const
{
    Fields[QStringLiteral("Rect")] = QJsonArray{Rect.Left, Rect.Top, Rect.Right, Rect.Bottom};
    Fields[QStringLiteral("Visible")] = Visible;
}

bool TDrawRect::HitTest(qint32 X, qint32 Y) const
{
    return X >= DisplayRect.Left && X < DisplayRect.Right && Y >= DisplayRect.Top && Y < DisplayRect.Bottom;
}

quint8 TDrawRect::GetHitZoneX(qint32 X) const
{
    return HitZone(X, DisplayRect.Left, DisplayRect.Right, hzLeft, hzRight);
}

quint8 TDrawRect::GetHitZoneY(qint32 Y) const
{
    return HitZone(Y, DisplayRect.Top, DisplayRect.Bottom, hzTop, hzBottom);
}

quint16 TDrawRect::GetHitZone(qint32 X, qint32 Y) const
{
    return quint16(GetHitZoneX(X) | (GetHitZoneY(Y) << 8));
}

Qt::CursorShape TDrawRect::GetCursor(qint32 X, qint32 Y) const
{
    const quint16 zone = GetHitZone(X, Y);
    const quint8 zx = zone & 0xFF;
    const quint8 zy = zone >> 8;
    const bool sideX = zx == hzLeft || zx == hzRight;
    const bool sideY = zy == hzTop || zy == hzBottom;
    if (sideX && sideY)
        return (zx == hzLeft) == (zy == hzTop) ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    if (zx == hzCentre && sideY)
        return Qt::SizeVerCursor;
    if (sideX && zy == hzCentre)
        return Qt::SizeHorCursor;
    return HitTest(X, Y) ? Qt::SizeAllCursor : Qt::ArrowCursor;
}

bool RegisterDrawRectClass(TDrawRectClass Class)
{
    if (!Class.Name || !*Class.Name || !Class.Create || Class.Kinds.empty())
        return false;
    if (FindEntry(Class.Name) != Registry().end())
        return false;
    Registry().push_back(std::move(Class));
    return true;
}

void UnregisterDrawRectClass(std::string_view Name)
{
    auto it = FindEntry(Name);
    if (it != Registry().end())
        Registry().erase(it);
}

const TDrawRectClass* FindDrawRectClass(std::string_view Name)
{
    auto it = FindEntry(Name);
    return it == Registry().end() ? nullptr : &*it;
}

std::vector<const char*> DrawRectClassesOfKind(quint8 Kind)
{
    std::vector<const char*> names;
    for (const TDrawRectClass& c : Registry())
        if (Serves(c, Kind))
            names.push_back(c.Name);
    return names;
}

std::unique_ptr<TDrawRect> CreateDrawRect(std::string_view Name)
{
    const TDrawRectClass* c = FindDrawRectClass(Name);
    return c ? c->Create(c->Kinds.front()) : nullptr;
}

std::unique_ptr<TDrawRect> CreateDrawRect(std::string_view Name, quint8 Kind)
{
    const TDrawRectClass* c = FindDrawRectClass(Name);
    return c && Serves(*c, Kind) ? c->Create(Kind) : nullptr;
}

std::unique_ptr<TDrawRect> CreateDrawRectOfKind(quint8 Kind)
{
    const std::vector<const char*> names = DrawRectClassesOfKind(Kind);
    return names.size() == 1 ? CreateDrawRect(names.front(), Kind) : nullptr;
}
