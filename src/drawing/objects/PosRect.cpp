#include "drawing/objects/PosRect.h"

#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "platform/Canvas.h"
#include "platform/Cp932.h"
#include "platform/RefDevice.h"

namespace {

const QString kRefChar = QStringLiteral("一");

// Default character heights for a postcard.
constexpr qint32 kAddresseeHeight = -24;
constexpr qint32 kSenderHeight = -19;

int Round(double v)
{
    return static_cast<int>(RoundHalfUp(v));
}

} // namespace

TPosRect::TPosRect(quint8 Kind) : SenderItem(Kind == ikSenderPosCode ? 1 : 0)
{
    BaseFontHeight = kAddresseeHeight;
    ResetFontHeight();
}

void TPosRect::ClearContent()
{
    TMetaRect::ClearContent();
    PosCode.clear();
}

void TPosRect::ResetFontHeight()
{
    BaseFontHeight = SenderItem && !InSenderBlock ? kSenderHeight : kAddresseeHeight;
    TMetaRect::ResetFontHeight();
}

void TPosRect::SetPosCode(const QString& Value)
{
    if (PosCode != Value) {
        PosCode = Value;
        Valid = false;
    }
}

bool TPosRect::IsTextForm(const QString& Code)
{
    return Code.startsWith(QStringLiteral("〒")) || (Code.size() >= 4 && Code.at(3) == QLatin1Char('-'));
}

void TPosRect::RenderContent(TCanvas& Canvas, const QPoint& Size)
{
    Layout = TLayout{};
    if (PosCode.isEmpty())
        return;
    // Postal codes are always written across.
    SetCanvasFont(Canvas);
    SetFontHorizontal(Canvas.Font());
    Canvas.SetBkMode(gdi::TRANSPARENT);
    if (IsTextForm(PosCode))
        RenderText(Canvas, Size);
    else
        RenderBoxes(Canvas, Size);
}

void TPosRect::RenderText(TCanvas& Canvas, const QPoint& Size)
{
    // The text goes out as code page 932 text: what that code page lacks
    // prints as it would on paper, as "?".
    const QString text = cp932::Decode(cp932::Encode(PosCode));
    if (!ScaleCanvasFont(Canvas, Size.x(), Canvas.TextWidth(text), false) ||
        !ScaleCanvasFont(Canvas, Size.y(), Canvas.TextHeight(kRefChar), false))
        return;
    QPoint p((Size.x() - Canvas.TextWidth(text)) / 2, (Size.y() - Canvas.TextHeight(kRefChar)) / 2);
    Layout.Drawn = true;
    Layout.Text = text;
    Layout.Origin = p;
    Layout.FontHeight = Canvas.Font().Height();
    if (UpsideDown) {
        RotateFont180(Canvas.Font());
        p = QPoint(Size.x() - p.x(), Size.y() - p.y());
    }
    Canvas.TextOut(p.x(), p.y(), text);
    if (UpsideDown)
        RotateFont180(Canvas.Font());
}

void TPosRect::RenderBoxes(TCanvas& Canvas, const QPoint& Size)
{
    const TRefDevice& ref = RefDevice();
    const int dpiX = ref.hasPrinter && ref.dpiX > 0 ? ref.dpiX : 96;
    // Seven boxes hold seven characters: anything after them would print
    // beyond the last box, so it is left out.
    QString code = PosCode.left(7);
    if (code.size() == 7 && code.at(6).isHighSurrogate())
        code.chop(1);
    int total = 0;
    std::vector<int> advances(static_cast<size_t>(code.size()), 0);
    for (int i = 0; i < 7; ++i) {
        const int w = Round(kPostalBoxPitch[i] / 254.0 * dpiX);
        total += w;
        if (i < code.size())
            advances[static_cast<size_t>(i)] = w;
    }
    if (total <= 0)
        return;
    const double scale = double(Size.x()) / total;
    for (int& a : advances)
        a = Round(a * scale);

    // The digit is made 1.8 mm narrower than its box, grown or shrunk to it.
    const QString first = code.left(code.at(0).isHighSurrogate() ? 2 : 1);
    if (!ScaleCanvasFont(Canvas, Round((kPostalBoxWidth - 18) / 254.0 * dpiX * scale), Canvas.TextWidth(first), true) ||
        !ScaleCanvasFont(Canvas, Size.y(), Canvas.TextHeight(kRefChar), false))
        return;
    const int firstWidth = Canvas.TextWidth(first);
    QPoint p((Size.x() - Round(total * scale)) / 2 + (Round(kPostalBoxWidth / 254.0 * dpiX * scale) - firstWidth) / 2,
             (Size.y() - Canvas.TextHeight(kRefChar)) / 2);
    Layout.Drawn = true;
    Layout.Boxes = true;
    Layout.Text = code;
    Layout.Origin = p;
    Layout.Advances = advances;
    Layout.FontHeight = Canvas.Font().Height();
    if (UpsideDown) {
        RotateFont180(Canvas.Font());
        p = QPoint(Size.x() - p.x(), Size.y() - p.y());
    }
    ExtTextOutWEx(Canvas, p.x(), p.y(), 0, nullptr, code, advances.data());
    if (UpsideDown)
        RotateFont180(Canvas.Font());
}
