#include "drawing/objects/RectFrame.h"

#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"

#include <QIODevice>
#include <QJsonObject>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

int Round(double v)
{
    if (std::isnan(v))
        return 0;
    return static_cast<int>(RoundHalfUp(std::clamp(v, -1.0e9, 1.0e9)));
}

TRect Shrunk(const TRect& r, qint64 by)
{
    const auto clamp = [](qint64 v) { return static_cast<qint32>(std::clamp<qint64>(v, INT32_MIN, INT32_MAX)); };
    return {clamp(r.Left + by), clamp(r.Top + by), clamp(r.Right - by), clamp(r.Bottom - by)};
}

void Outline(TCanvas& Canvas, const TRect& R, bool Round, int CornerSize)
{
    if (Round)
        Canvas.RoundRect(R.Left, R.Top, R.Right, R.Bottom, CornerSize, CornerSize);
    else
        Canvas.Rectangle(R.Left, R.Top, R.Right, R.Bottom);
}

} // namespace

void TRectFrame::Clear()
{
    Frame = false;
    Back = false;
    LineCount = 0;
    Corner = 0;
    LineWidth = 0;
    FrameColor = 0;
    BackColor = 0;
}

void TRectFrame::Assign(const TRectFrame& Source)
{
    if (&Source == this)
        return;
    const bool frameDiffers = Frame != Source.Frame || LineCount != Source.LineCount || Corner != Source.Corner ||
                              LineWidth != Source.LineWidth || FrameColor != Source.FrameColor;
    const bool backDiffers = Back != Source.Back || BackColor != Source.BackColor;
    Frame = Source.Frame;
    LineCount = Source.LineCount;
    Corner = Source.Corner;
    LineWidth = Source.LineWidth;
    FrameColor = Source.FrameColor;
    Back = Source.Back;
    BackColor = Source.BackColor;
    if (frameDiffers)
        FrameChanged();
    if (backDiffers)
        BackChanged();
}

void TRectFrame::FrameChanged()
{
    if (OnFrameChange)
        OnFrameChange(this);
}

void TRectFrame::BackChanged()
{
    if (OnBackChange)
        OnBackChange(this);
}

#define TRECTFRAME_SETTER(Name, Field, Type, Event)                                                                    \
    void TRectFrame::Name(Type Value)                                                                                  \
    {                                                                                                                  \
        if (Field != Value) {                                                                                          \
            Field = Value;                                                                                             \
            Event();                                                                                                   \
        }                                                                                                              \
    }

TRECTFRAME_SETTER(SetFrame, Frame, bool, FrameChanged)
TRECTFRAME_SETTER(SetLineCount, LineCount, quint8, FrameChanged)
TRECTFRAME_SETTER(SetCorner, Corner, quint8, FrameChanged)
TRECTFRAME_SETTER(SetLineWidth, LineWidth, quint8, FrameChanged)
TRECTFRAME_SETTER(SetFrameColor, FrameColor, TColor, FrameChanged)
TRECTFRAME_SETTER(SetBack, Back, bool, BackChanged)
TRECTFRAME_SETTER(SetBackColor, BackColor, TColor, BackChanged)

#undef TRECTFRAME_SETTER

TRect TRectFrame::Draw(TCanvas& Canvas, const TRect& Rect, double Scale) const
{
    TRect R = Rect;
    if (!Frame) {
        if (Back) {
            Canvas.Brush().Style = bsSolid;
            Canvas.Brush().Color = BackColor;
            Canvas.FillRect(Rect.ToQRect());
        }
        return R;
    }
    if (Back) {
        Canvas.Brush().Style = bsSolid;
        Canvas.Brush().Color = BackColor;
    } else {
        Canvas.Brush().Style = bsClear;
    }
    int w = std::max(1, Round(FrameLineWidths[WidthIndex()] * Scale));
    TPen& pen = Canvas.Pen();
    pen.Width = w;
    pen.Color = FrameColor;
    pen.Style = psInsideFrame;
    const bool round = Corner != 0;
    int corner = 0;
    if (round)
        corner = Round(std::min(R.Width(), R.Height()) / 5.0);
    Outline(Canvas, R, round, corner);
    if (LineCount != 0) {
        const int w2 = std::max(1, w / 2);
        pen.Width = w2;
        R = Shrunk(R, LineWidth != 0 ? qint64(w) + w2 : 2 * qint64(w));
        if (R.Width() >= 1 && R.Height() >= 1) {
            if (round)
                corner = Round(std::min(R.Width(), R.Height()) / (LineWidth != 0 ? 6.0 : 5.0));
            // The inner outline leaves the background the outer one filled.
            Canvas.Brush().Style = bsClear;
            Outline(Canvas, R, round, corner);
        }
        w = w2;
    }
    const int pad = round ? Round(std::abs(corner / 2.0 - w) / 2.0) : 0;
    return Shrunk(R, qint64(pad) + w);
}

TRect TRectFrame::GetInnerRect(const TRect& Rect, double Scale) const
{
    const int w = Round(FrameLineWidths[WidthIndex()] * Scale);
    const double W = Rect.Width();
    const double H = Rect.Height();
    const bool round = Corner != 0;
    qint64 inset = w;
    int pad = 0;
    if (LineCount == 0) {
        if (round)
            pad = Round((std::min(W, H) / 10 - w) / 2);
    } else if (LineWidth != 0) {
        inset = 2 * qint64(w);
        const double h3 = 3 * (w / 2);
        if (round)
            pad = Round((std::min(W - h3, H - h3) / 12 - w) / 2);
    } else {
        inset = 5 * qint64(w / 2);
        if (round)
            pad = Round((std::min(W - 2.0 * w, H - 2.0 * w) / 10 - w) / 2);
    }
    return Shrunk(Rect, inset + std::max(pad, 0));
}

TRect TRectFrame::GetOuterRect(const TRect& Rect) const
{
    const int t = FrameLineWidths[WidthIndex()];
    const double W = Rect.Width();
    const double H = Rect.Height();
    const bool round = Corner != 0;
    qint64 inset = t;
    int pad = 0;
    const double divisor = LineCount != 0 && LineWidth != 0 ? 20.0 : 16.0;
    if (LineCount != 0)
        inset = LineWidth != 0 ? 2 * t : 5 * (t / 2);
    if (round)
        pad = Round((std::min(W, H) + t) / divisor - t / 2.0);
    return Shrunk(Rect, -(inset + pad));
}

void TRectFrame::LoadFromStream(QIODevice& Stream)
{
    unsigned char b[kRectFrameRecordSize];
    ReadStreamBytes(Stream, b, sizeof b);
    const auto int32At = [&](int at) {
        return TColor(b[at]) | TColor(b[at + 1]) << 8 | TColor(b[at + 2]) << 16 | TColor(b[at + 3]) << 24;
    };
    Frame = b[0] != 0;
    Back = b[1] != 0;
    LineCount = b[2];
    Corner = b[3];
    LineWidth = b[4];
    FrameColor = int32At(5);
    BackColor = int32At(9);
}

void TRectFrame::SaveToStream(QIODevice& Stream) const
{
    WriteStreamBool(Stream, Frame);
    WriteStreamBool(Stream, Back);
    WriteStreamByte(Stream, LineCount);
    WriteStreamByte(Stream, Corner);
    WriteStreamByte(Stream, LineWidth);
    WriteStreamInt32(Stream, static_cast<qint32>(FrameColor));
    WriteStreamInt32(Stream, static_cast<qint32>(BackColor));
}

void TRectFrame::DescribeFields(QJsonObject& Fields) const
{
    Fields[QStringLiteral("Frame")] = Frame;
    Fields[QStringLiteral("Back")] = Back;
    Fields[QStringLiteral("LineCount")] = LineCount;
    Fields[QStringLiteral("Corner")] = Corner;
    Fields[QStringLiteral("LineWidth")] = LineWidth;
    Fields[QStringLiteral("FrameColor")] = static_cast<qint64>(FrameColor);
    Fields[QStringLiteral("BackColor")] = static_cast<qint64>(BackColor);
}
