#include "drawing/objects/BarcodeRect.h"

#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "drawing/objects/CustomerBarcode.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/Cp932.h"

#include <QFile>
#include <QIODevice>
#include <QJsonObject>

#include <algorithm>
#include <climits>
#include <cmath>

namespace {

constexpr int kPoints[kBarcodeSizeClasses] = {8, 9, 10, 11};

qint32 Sat(qint64 v)
{
    return static_cast<qint32>(std::clamp<qint64>(v, INT_MIN, INT_MAX));
}

} // namespace

qint32 BarcodeThickness(quint8 SizeClass)
{
    const int p = kPoints[std::min<int>(SizeClass, kBarcodeSizeClasses - 1)];
    return static_cast<qint32>(RoundHalfUp(static_cast<long double>(p) * 96 / 72));
}

qint32 BarcodeLength(quint8 SizeClass)
{
    return static_cast<qint32>(RoundHalfUp(static_cast<long double>(BarcodeThickness(SizeClass)) * 7612 / 325));
}

bool FindBarcodeSizeClass(qint32 Width, quint8& SizeClass)
{
    bool found = false;
    for (quint8 c = 0; c < kBarcodeSizeClasses; ++c) {
        // ceil(thickness / 96 * 254 * 7612 / 325) in whole numbers.
        const qint64 num = qint64(BarcodeThickness(c)) * 254 * 7612;
        const qint64 den = 96 * 325;
        const qint64 length = (num + den - 1) / den;
        if (length >= Width)
            break;
        SizeClass = c;
        found = true;
    }
    return found;
}

qint32 BarcodeLogicalMove(qint32 DisplayMove, double Zoom)
{
    if (Zoom == 0 || !std::isfinite(Zoom))
        return 0;
    const long double v = static_cast<long double>(DisplayMove) / Zoom;
    return Sat(RoundHalfUp(std::clamp<long double>(v, INT_MIN, INT_MAX)));
}

TBarcodeRect::TBarcodeRect()
{
    const QSize s = BarcodeSize();
    InternalResize = true;
    SetRect(TRect(0, 0, s.width(), s.height()));
}

TBarcodeRect::~TBarcodeRect()
{
    if (LibraryLoaded)
        SipwenFree();
}

QSize TBarcodeRect::BarcodeSize() const
{
    const qint32 t = BarcodeThickness(SizeClass), l = BarcodeLength(SizeClass);
    return Horizontal ? QSize(l, t) : QSize(t, l);
}

void TBarcodeRect::SetRect(const TRect& R)
{
    TRect r = R;
    if (!InternalResize) {
        const QSize s = BarcodeSize();
        r = TRect(R.Left, R.Top, Sat(qint64(R.Left) + s.width()), Sat(qint64(R.Top) + s.height()));
    }
    InternalResize = false;
    TDrawRect::SetRect(r);
}

void TBarcodeRect::Assign(const TDrawRect& Source)
{
    const auto* b = dynamic_cast<const TBarcodeRect*>(&Source);
    if (b && b != this) {
        SizeClass = b->SizeClass;
        Horizontal = b->Horizontal;
        Bitmap = b->Bitmap;
        // The source's rectangle already follows its class: taken as it is.
        InternalResize = true;
    }
    TDrawRect::Assign(Source);
    InternalResize = false;
}

void TBarcodeRect::SetDisplayRect(const TRect& R)
{
    const qint32 dx = BarcodeLogicalMove(Sat(qint64(R.Left) - DisplayRect.Left), Zoom);
    const qint32 dy = BarcodeLogicalMove(Sat(qint64(R.Top) - DisplayRect.Top), Zoom);
    InternalResize = true;
    SetRect(Moved(Rect, dx, dy));
}

void TBarcodeRect::SetSizeClass(quint8 Value)
{
    Value = std::min<quint8>(Value, kBarcodeSizeClasses - 1);
    if (Value == SizeClass)
        return;
    SizeClass = Value;
    const QSize s = BarcodeSize();
    const qint64 left = Rect.Left + (qint64(Rect.Width()) - s.width()) / 2;
    const qint64 top = Rect.Top + (qint64(Rect.Height()) - s.height()) / 2;
    InternalResize = true;
    SetRect(TRect(Sat(left), Sat(top), Sat(left + s.width()), Sat(top + s.height())));
}

void TBarcodeRect::ClearBarcode()
{
    Bitmap = QImage();
}

void TBarcodeRect::RotateBitmap()
{
    if (Bitmap.isNull())
        return;
    if (std::optional<QImage> turned = ::RotateBitmap(Bitmap, 2))
        Bitmap = *turned;
}

void TBarcodeRect::MakeBarcode(const QString& PostalCode, const QString& Address, const QString& LibraryFolder,
                               const QString& DictionaryFolder, const QString& WorkFolder)
{
    if (!LibraryLoaded) {
        SipwenLoad(LibraryFolder);
        LibraryLoaded = true;
    }
    const int direction = Horizontal ? 0 : 1;
    // The library takes at most 255 bytes, never half a character.
    const QByteArray address = cp932::CutBytes(cp932::Encode(ToFullWidth(Address)), 255);
    QString work = WorkFolder;
    if (!work.isEmpty() && !work.endsWith(u'/') && !work.endsWith(u'\\'))
        work += u'/';
    const QString file = work + QStringLiteral("Barcode.bmp");
    Bitmap = QImage();
    if (SipwenCreateAdrsBar(cp932::Encode(PostalCode), address, direction, LibraryFolder, DictionaryFolder, file) ==
        kBarcodeOk) {
        QImage loaded;
        if (loaded.load(file, "BMP"))
            Bitmap = loaded;
    }
    QFile::remove(file);
}

void TBarcodeRect::Draw(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (Canvas && !Bitmap.isNull())
        StretchDIB(*Canvas, Bitmap, Moved(DisplayRect, X, Y));
}

void TBarcodeRect::Print(TCanvas* Canvas, qint32 X, qint32 Y)
{
    if (Canvas && !Bitmap.isNull())
        StretchDIB(*Canvas, Bitmap, Moved(PrintRect, X, Y), SRCCOPY);
}

void TBarcodeRect::LoadFromStream(QIODevice& Stream)
{
    // A record cut short leaves the item, base part included, as it was.
    const TRect rect = Rect, displayRect = DisplayRect;
    const bool visible = Visible;
    bool ownVisible = true;
    quint8 sizeClass;
    bool horizontal;
    try {
        TDrawRect::LoadFromStream(Stream);
        if (DrawRectFileVersion < kBarcodeOwnVisibleBefore)
            ownVisible = ReadStreamBool(Stream);
        sizeClass = ReadStreamByte(Stream);
        horizontal = ReadStreamBool(Stream);
    } catch (...) {
        Rect = rect;
        DisplayRect = displayRect;
        Visible = visible;
        throw;
    }
    if (DrawRectFileVersion < kBarcodeOwnVisibleBefore)
        Visible = ownVisible;
    // A damaged class byte takes the largest size rather than read past
    // the size table.
    SizeClass = std::min<quint8>(sizeClass, kBarcodeSizeClasses - 1);
    Horizontal = horizontal;
}

void TBarcodeRect::SaveToStream(QIODevice& Stream) const
{
    TDrawRect::SaveToStream(Stream);
    WriteStreamByte(Stream, SizeClass);
    WriteStreamBool(Stream, Horizontal);
}

void TBarcodeRect::DescribeFields(QJsonObject& Fields) const
{
    TDrawRect::DescribeFields(Fields);
    Fields[QStringLiteral("SizeClass")] = SizeClass;
    Fields[QStringLiteral("Horizontal")] = Horizontal;
}
