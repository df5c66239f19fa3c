#include "drawing/objects/BackImage.h"

#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QFileInfo>
#include <QIODevice>

#include <algorithm>
#include <cmath>

namespace {

constexpr TColor kWhite = 0xFFFFFF;
constexpr qint32 kMaxJpegBytes = 512 * 1024 * 1024;

bool IsWhite(TColor c)
{
    return (c & 0xFFFFFF) == kWhite;
}

bool IsJpegName(const QString& type)
{
    const QString t = type.toLower();
    return t == QLatin1String("jpg") || t == QLatin1String("jpeg");
}

// Orientation after a mirror of a kept JPEG: two mirrors are a half turn.
void MirrorFlags(quint8 mode, quint8& flipV, quint8& flipH, quint8& orientation)
{
    if (mode == 1)
        flipH ^= 1;
    else
        flipV ^= 1;
    if (flipV && flipH) {
        flipV = flipH = 0;
        if (orientation == 2)
            orientation = 3;
        else if (orientation == 3)
            orientation = 2;
    } else if (orientation == 0) {
        orientation = 1;
    } else if (orientation == 1) {
        orientation = 0;
    }
}

quint8 TurnedOrientation(quint8 mode, quint8 o)
{
    static const quint8 table[3][4] = {{2, 3, 1, 0}, {3, 2, 0, 1}, {1, 0, 3, 2}};
    return mode < 3 && o < 4 ? table[mode][o] : o;
}

[[noreturn]] void Unreadable()
{
    throw EDrawRectStreamError(kImageUnreadableMessage);
}

QStringList* g_maskFiles = nullptr;

} // namespace

// --- state ------------------------------------------------------------------------

void TBackImage::Clear()
{
    image_ = QImage();
    sourceJpeg_.reset();
    render_ = QImage();
    kind_ = bkNone;
    valid_ = false;
}

void TBackImage::Assign(const TBackImage& Source)
{
    if (&Source == this)
        return;
    paperWidth_ = Source.paperWidth_;
    paperHeight_ = Source.paperHeight_;
    area_ = Source.area_;
    zoom_ = Source.zoom_;
    kind_ = Source.kind_;
    if (kind_ >= bkFit && kind_ <= bkTile) {
        imageType_ = Source.imageType_;
        image_ = Source.image_;
        sourceJpeg_ = IsJpegName(imageType_) ? Source.sourceJpeg_ : std::nullopt;
        flipV_ = Source.flipV_;
        flipH_ = Source.flipH_;
        orientation_ = Source.orientation_;
        resolution_ = Source.resolution_;
    } else {
        image_ = QImage();
        sourceJpeg_.reset();
        color1_ = Source.color1_;
        if (kind_ == bkGradient) {
            color2_ = Source.color2_;
            angle_ = Source.angle_;
        }
    }
    upsideDown_ = Source.upsideDown_;
    valid_ = false;
}

void TBackImage::SetKind(quint8 Kind)
{
    if (Kind == kind_)
        return;
    kind_ = Kind;
    // A picture taken before survives a change to a colour and back.
    if (kind_ >= bkFit && kind_ <= bkTile && image_.isNull())
        image_ = QImage(0, 0, QImage::Format_BGR888);
    valid_ = false;
}

bool TBackImage::IsJpegType() const
{
    return IsJpegName(imageType_);
}

void TBackImage::SetImageType(const QString& Type)
{
    imageType_ = Type.toLower();
    sourceJpeg_.reset();
    if (IsJpegType())
        sourceJpeg_ = TJPEGImage();
    valid_ = false;
}

void TBackImage::LoadFromGraphic(const TGraphic& Graphic)
{
    QImage picture;
    if (const auto* jpeg = std::get_if<TJPEGImage>(&Graphic)) {
        SetImageType(QStringLiteral("jpg"));
        sourceJpeg_ = *jpeg;
        picture = jpeg->Decode();
    } else {
        SetImageType(QStringLiteral("bmp"));
        picture = To24Bit(std::get<QImage>(Graphic));
    }
    image_ = picture;
    if (upsideDown_)
        TurnImage(2);
    resolution_ = 72;
    if (kind_ < bkFit || kind_ > bkTile)
        kind_ = bkFit;
    flipV_ = flipH_ = 0;
    orientation_ = 3;
    render_ = QImage();
    valid_ = false;
}

void TBackImage::SetResolution(qint32 Value)
{
    if (Value != resolution_) {
        resolution_ = Value;
        valid_ = false;
    }
}

void TBackImage::SetColor1(TColor Value)
{
    if (Value != color1_) {
        color1_ = Value;
        valid_ = false;
    }
}

void TBackImage::SetColor2(TColor Value)
{
    if (Value != color2_) {
        color2_ = Value;
        valid_ = false;
    }
}

void TBackImage::SetAngle(qint32 Value)
{
    if (Value != angle_) {
        angle_ = Value;
        valid_ = false;
    }
}

void TBackImage::SetZoom(double Value)
{
    if (Value != zoom_) {
        zoom_ = Value;
        valid_ = false;
    }
}

void TBackImage::SetPaperSize(const QPoint& Size)
{
    paperWidth_ = Size.x();
    paperHeight_ = Size.y();
    valid_ = false;
}

void TBackImage::SetRect(const TRect& Area)
{
    area_ = Area;
    valid_ = false;
}

void TBackImage::SetUpsideDown(bool Value)
{
    if (Value == upsideDown_)
        return;
    upsideDown_ = Value;
    TurnImage(2);
    valid_ = false;
}

void TBackImage::TurnImage(quint8 Direction)
{
    if (!HasPicture())
        return;
    if (auto turned = RotateBitmap(image_, Direction))
        image_ = std::move(*turned);
}

void TBackImage::Reverse(quint8 Mode)
{
    if (HasPicture())
        if (auto mirrored = MirrorBitmap(image_, Mode == 1))
            image_ = std::move(*mirrored);
    if (sourceJpeg_)
        MirrorFlags(Mode, flipV_, flipH_, orientation_);
    valid_ = false;
}

void TBackImage::Rotate(quint8 Mode)
{
    if (Mode > 2)
        return;
    TurnImage(Mode);
    if (sourceJpeg_)
        orientation_ = TurnedOrientation(Mode, orientation_);
    valid_ = false;
}

// --- screen -----------------------------------------------------------------------

void TBackImage::Render()
{
    const double z = zoom_;
    auto zoomedPaper = [z](qint32 tenths) {
        const long double px = RoundHalfUp(RoundHalfUp(static_cast<long double>(tenths) / 254 * 96) * z);
        return int(std::clamp<long double>(px, 0, 1e6L));
    };
    const int pw = zoomedPaper(paperWidth_), ph = zoomedPaper(paperHeight_);
    auto clampPx = [](double v) { return int(std::clamp(v, -1e6, 1e6)); };
    int l = clampPx(std::ceil(area_.Left * z)), t = clampPx(std::ceil(area_.Top * z));
    int r = clampPx(std::trunc(area_.Right * z)), b = clampPx(std::trunc(area_.Bottom * z));
    if (r <= l || b <= t)
        l = t = r = b = 0;
    l = std::max(l, 0);
    t = std::max(t, 0);
    r = std::min(r, l + pw);
    b = std::min(b, t + ph);
    const int W = std::max(r - l, 0), H = std::max(b - t, 0);
    render_ = NewBitmap24(W, H);
    switch (kind_) {
    case bkFit:
        if (!HasPicture() || W == 0 || H == 0) {
            render_ = QImage();
            break;
        }
        {
            const double s = std::min(double(W) / image_.width(), double(H) / image_.height());
            const int w = int(RoundHalfUp(image_.width() * s)), h = int(RoundHalfUp(image_.height() * s));
            const int x = (W - w) / 2, y = (H - h) / 2;
            StretchNearest(image_, render_, TRect(x, y, x + w, y + h));
        }
        break;
    case bkCenter:
    case bkTile:
        if (!HasPicture()) {
            render_ = QImage();
            break;
        }
        if (kind_ == bkCenter)
            DrawImageCentered(image_, resolution_, render_, z);
        else
            DrawImageTiled(image_, resolution_, render_, upsideDown_, z);
        break;
    case bkColor:
        if (IsWhite(color1_))
            render_ = QImage();
        else
            GradientFill(render_, 0, color1_, color1_);
        break;
    case bkGradient:
        if (IsWhite(color1_) && IsWhite(color2_))
            render_ = QImage();
        else
            GradientFill(render_, angle_, color1_, color2_);
        break;
    default:
        render_ = QImage();
        break;
    }
    renderOffset_ = QPoint(l, t);
    valid_ = true;
}

void TBackImage::Refresh(bool Force)
{
    if (Force || !valid_)
        Render();
}

void TBackImage::Draw(TCanvas& Canvas, qint32 X, qint32 Y)
{
    if (kind_ == bkNone)
        return;
    if (!valid_)
        Render();
    if (!GetEmpty())
        Canvas.Draw(X + renderOffset_.x(), Y + renderOffset_.y(), render_);
}

// --- paper ------------------------------------------------------------------------

void TBackImage::BeginPrint(const QPoint& Offset, bool WholePaper, quint8 Half, const QSize& PageSize)
{
    EndPrint();
    printPicWidth_ = printPicHeight_ = tileCols_ = tileRows_ = 0;
    const TRefDevice& dev = RefDevice();
    const int dpiX = dev.dpiX, dpiY = dev.dpiY, offX = dev.physicalOffsetX, offY = dev.physicalOffsetY;
    printRect_ = TRect();
    if (dpiX <= 0 || dpiY <= 0)
        return;
    const qint32 pw = qint32(RoundHalfUp(static_cast<long double>(paperWidth_) / 254 * dpiX));
    const qint32 ph = qint32(RoundHalfUp(static_cast<long double>(paperHeight_) / 254 * dpiY));
    TRect r = WholePaper ? TRect(0, 0, pw, ph)
                         : TRect(0, 0, std::min(pw - offX, PageSize.width()), std::min(ph - offY, PageSize.height()));
    switch (Half) {
    case 1: r.Right = std::min(pw / 2 - 2 * offX, r.Right); break;
    case 2: r.Bottom = std::min(ph / 2 - 2 * offY, r.Bottom); break;
    case 3: r.Left = pw / 2; break;
    case 4: r.Top = ph / 2; break;
    default: break;
    }
    if (r.Width() <= 0 || r.Height() <= 0)
        return;
    const int w = r.Width(), h = r.Height();
    const int dx = int(RoundHalfUp(static_cast<long double>(Offset.x()) / 254 * dpiX));
    const int dy = int(RoundHalfUp(static_cast<long double>(Offset.y()) / 254 * dpiY));
    r = TRect(r.Left + dx, r.Top + dy, r.Right + dx, r.Bottom + dy);
    printRect_ = r;
    printClip_ = TRegion::Rect(r.Left, r.Top, r.Right, r.Bottom);
    switch (kind_) {
    case bkFit:
        if (HasPicture()) {
            const double s = std::min(double(w) / image_.width(), double(h) / image_.height());
            printPicWidth_ = qint32(RoundHalfUp(image_.width() * s));
            printPicHeight_ = qint32(RoundHalfUp(image_.height() * s));
        }
        break;
    case bkCenter:
    case bkTile:
        if (HasPicture() && resolution_ > 0) {
            printPicWidth_ = qint32(RoundHalfUp(static_cast<long double>(image_.width()) / resolution_ * dpiX));
            printPicHeight_ = qint32(RoundHalfUp(static_cast<long double>(image_.height()) / resolution_ * dpiY));
            if (kind_ == bkTile && printPicWidth_ > 0 && printPicHeight_ > 0) {
                tileCols_ = (w + printPicWidth_ - 1) / printPicWidth_;
                tileRows_ = (h + printPicHeight_ - 1) / printPicHeight_;
            }
        }
        break;
    case bkGradient:
        if (!(IsWhite(color1_) && IsWhite(color2_))) {
            // The gradation is made at screen resolution and stretched: its
            // steps are far coarser than a printer's dots anyway.
            const int gw = int(RoundHalfUp(96.0L / dpiX * w)), gh = int(RoundHalfUp(96.0L / dpiY * h));
            if (gw > 0 && gh > 0) {
                printGradient_ = NewBitmap24(gw, gh);
                GradientFill(printGradient_, angle_, color1_, color2_);
            }
        }
        break;
    default:
        break;
    }
}

void TBackImage::PrintTo(TCanvas& Canvas, qint32 X, qint32 Y)
{
    if (kind_ == bkNone || printRect_.Width() <= 0 || printRect_.Height() <= 0)
        return;
    const TRect r(printRect_.Left + X, printRect_.Top + Y, printRect_.Right + X, printRect_.Bottom + Y);
    const TRegion clip = TRegion::Rect(r.Left, r.Top, r.Right, r.Bottom);
    const int saved = Canvas.SaveDC();
    Canvas.ExtSelectClipRgn(&clip, gdi::RGN_AND);
    const int pw = printPicWidth_, ph = printPicHeight_;
    switch (kind_) {
    case bkFit:
    case bkCenter:
        if (HasPicture() && pw > 0 && ph > 0) {
            const int left = printRect_.Left + (printRect_.Width() - pw) / 2 + X;
            const int top = printRect_.Top + (printRect_.Height() - ph) / 2 + Y;
            StretchDIB(Canvas, image_, TRect(left, top, left + pw, top + ph));
        }
        break;
    case bkTile:
        if (HasPicture() && pw > 0 && ph > 0)
            for (int c = 0; c < tileCols_; ++c)
                for (int rr = 0; rr < tileRows_; ++rr) {
                    const int left = upsideDown_ ? printRect_.Right - (c + 1) * pw + X : printRect_.Left + c * pw + X;
                    const int top = upsideDown_ ? printRect_.Bottom - (rr + 1) * ph + Y : printRect_.Top + rr * ph + Y;
                    StretchDIB(Canvas, image_, TRect(left, top, left + pw, top + ph));
                }
        break;
    case bkColor:
        if (!IsWhite(color1_)) {
            const TBrush keep = Canvas.Brush();
            Canvas.Brush() = TBrush {color1_, bsSolid};
            Canvas.FillRect(r.ToQRect());
            Canvas.Brush() = keep;
        }
        break;
    case bkGradient:
        if (!printGradient_.isNull())
            StretchDIB(Canvas, printGradient_, r);
        break;
    default:
        break;
    }
    Canvas.RestoreDC(saved);
}

void TBackImage::EndPrint()
{
    printClip_.reset();
    printGradient_ = QImage();
}

// --- record -----------------------------------------------------------------------

void TBackImage::SaveToStream(QIODevice& Stream) const
{
    WriteStreamByte(Stream, kind_);
    if (kind_ >= bkFit && kind_ <= bkTile) {
        // Picture data follows exactly when the type is not empty, as the
        // reader expects; a picture kind without a picture stores no type.
        const bool jpeg = HasPicture() && IsJpegType() && sourceJpeg_ && !sourceJpeg_->Empty();
        const bool bmp = !jpeg && HasPicture();
        const QString type = jpeg ? imageType_ : bmp ? (imageType_.isEmpty() || IsJpegType() ? QStringLiteral("bmp") : imageType_)
                                                     : QString();
        WriteStreamStr(type, Stream);
        if (jpeg) {
            if (sourceJpeg_->Data.size() > kMaxJpegBytes)
                throw EDrawRectStreamError("background: picture too large to store");
            WriteStreamInt32(Stream, qint32(sourceJpeg_->Data.size()));
            WriteStreamBytes(Stream, sourceJpeg_->Data.constData(), sourceJpeg_->Data.size());
            WriteStreamByte(Stream, flipV_);
            WriteStreamByte(Stream, flipH_);
            WriteStreamByte(Stream, orientation_);
        } else if (bmp) {
            // The picture is held turned while the design is upside down; it
            // is stored upright, as the reader turns it again.
            std::optional<QImage> upright;
            if (upsideDown_)
                upright = RotateBitmap(image_, 2);
            WriteBmpToStream(Stream, upright ? *upright : image_);
        }
        WriteStreamInt32(Stream, resolution_);
    } else if (kind_ == bkColor) {
        WriteStreamInt32(Stream, qint32(color1_));
    } else if (kind_ == bkGradient) {
        WriteStreamInt32(Stream, qint32(color1_));
        WriteStreamInt32(Stream, qint32(color2_));
        WriteStreamInt32(Stream, angle_);
    }
    WriteStreamBool(Stream, upsideDown_);
}

void TBackImage::LoadFromStream(QIODevice& Stream)
{
    CheckDrawRectFileVersion();
    // Read into a copy: a record that fails half-way changes nothing.
    TBackImage next = *this;
    const quint8 kind = ReadStreamByte(Stream);
    if (kind > bkGradient)
        throw EDrawRectStreamError("background: unknown kind");
    next.SetKind(kind);
    if (kind >= bkFit && kind <= bkTile) {
        QString type;
        ReadStreamStr(Stream, type);
        next.SetImageType(type);
        if (next.imageType_.isEmpty()) {
            next.image_ = QImage();
            next.sourceJpeg_.reset();
            next.kind_ = bkNone;
        } else if (next.IsJpegType()) {
            const qint32 n = ReadStreamInt32(Stream);
            if (n <= 0 || n > kMaxJpegBytes || (!Stream.isSequential() && n > Stream.size() - Stream.pos()))
                Unreadable();
            QByteArray data(n, '\0');
            ReadStreamBytes(Stream, data.data(), n);
            TJPEGImage jpeg {data};
            QImage decoded = jpeg.Decode();
            if (decoded.isNull())
                Unreadable();
            next.sourceJpeg_ = jpeg;
            next.image_ = decoded;
            next.flipV_ = next.flipH_ = 0;
            next.orientation_ = 3;
            const quint8 fv = ReadStreamByte(Stream), fh = ReadStreamByte(Stream), o = ReadStreamByte(Stream);
            if (fv)
                next.Reverse(0);
            if (fh)
                next.Reverse(1);
            if (o < 3)
                next.Rotate(o);
        } else {
            try {
                next.image_ = ReadBmpFromStream(Stream);
            } catch (const EDrawRectStreamError&) {
                Unreadable();
            }
            next.sourceJpeg_.reset();
        }
        next.resolution_ = ReadStreamInt32(Stream);
    } else if (kind == bkColor) {
        next.color1_ = TColor(ReadStreamInt32(Stream));
    } else if (kind == bkGradient) {
        next.color1_ = TColor(ReadStreamInt32(Stream));
        next.color2_ = TColor(ReadStreamInt32(Stream));
        next.angle_ = ReadStreamInt32(Stream);
    }
    next.upsideDown_ = DrawRectFileVersion >= 301 ? ReadStreamBool(Stream) : false;
    if (next.upsideDown_)
        next.TurnImage(2);
    next.render_ = QImage();
    next.valid_ = false;
    *this = std::move(next);
}

// --- mask-shape files -------------------------------------------------------------

const QStringList& IllustMaskFiles()
{
    static const QStringList none;
    return g_maskFiles ? *g_maskFiles : none;
}

void AddIllustMaskFile(const QString& Name)
{
    if (!g_maskFiles)
        g_maskFiles = new QStringList;
    g_maskFiles->append(Name);
}

void FreeIllustMaskFiles()
{
    delete g_maskFiles;
    g_maskFiles = nullptr;
}

void AddIllustMaskFilesFrom(const QString& AppFolder)
{
    for (int i = 1; i <= 13; ++i) {
        const QString name = QStringLiteral("%1/Common/Mask/Itm%2.emf").arg(AppFolder).arg(i, 2, 10, QLatin1Char('0'));
        if (QFileInfo::exists(name))
            AddIllustMaskFile(name);
    }
}
