#include "drawing/objects/WordRect.h"

#include "drawing/objects/DrawItems.h"

#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/RefDevice.h"

#include <QIODevice>
#include <QJsonArray>
#include <QJsonObject>
#include <algorithm>
#include <cmath>

namespace {

// The automatic size with wrapping shrinks the font or breaks a line once
// per pass; every pass shrinks or breaks, but a damaged record could still
// ask for very many of them.
constexpr int kMaxFitPasses = 2000;

qint32 Clamp32(qint64 v) { return static_cast<qint32>(std::clamp<qint64>(v, INT32_MIN, INT32_MAX)); }

qint32 Round32(double v)
{
    if (std::isnan(v))
        return 0;
    return Clamp32(RoundHalfUp(std::clamp(v, -4.0e18, 4.0e18)));
}

// Values read from files are kept for saving and brought into range here.
int UsedLineSpace(quint8 v) { return v <= 5 ? v : 5; }
int UsedSizeIndex(qint32 v) { return std::clamp(v, 0, 27); }
int UsedAlign(qint32 v) { return std::clamp(v, 0, 8); }
int UsedAspectRatio(qint32 v) { return v <= 0 ? 100 : std::min(v, 1000); }

qint32 LineHeight(TCanvas& Canvas) { return Canvas.TextHeight(QStringLiteral("一")); }

qint32 Spacing(TCanvas& Canvas, int lineSpace)
{
    return static_cast<qint32>(std::trunc(LineHeight(Canvas) * LineSpaceFactors[lineSpace]));
}

// Splits Head at Width, keeping at least one character (a surrogate pair
// whole) in the head so that splitting always makes progress.
void SplitAtLeastOne(TCanvas& Canvas, QString& Head, qint32 Width, QString& Rest)
{
    SplitTextAtWidth(Canvas, Head, Width, Rest);
    if (Head.isEmpty() && !Rest.isEmpty()) {
        const int n = Rest.size() > 1 && Rest.at(0).isHighSurrogate() && Rest.at(1).isLowSurrogate() ? 2 : 1;
        Head = Rest.left(n);
        Rest.remove(0, n);
    }
}

} // namespace

TWordRect::TWordRect()
{
    Frame.OnFrameChange = [this](TRectFrame* s) { FrameChanged(s); };
    Frame.OnBackChange = [this](TRectFrame* s) { FrameChanged(s); };
}

TWordRect::~TWordRect() = default;

void TWordRect::FrameChanged(TRectFrame*) { Valid = false; }

void TWordRect::Assign(const TDrawRect& Source)
{
    TMetaRect::Assign(Source);
    if (const auto* w = dynamic_cast<const TWordRect*>(&Source); w && w != this) {
        Lines = w->Lines;
        SizeIndex = w->SizeIndex;
        AspectRatio = w->AspectRatio;
        Align = w->Align;
        WordWrap = w->WordWrap;
        LineSpace = w->LineSpace;
        Frame.Assign(w->Frame);
    }
    Valid = false;
}

void TWordRect::ClearContent()
{
    TMetaRect::ClearContent();
    Lines.clear();
}

void TWordRect::SetLineCount(qint32 N)
{
    N = std::max(N, 0);
    if (N != Lines.size()) {
        while (Lines.size() > N)
            Lines.removeLast();
        while (Lines.size() < N)
            Lines.append(QString());
    }
    Valid = false;
}

void TWordRect::SetLine(qint32 Index, const QString& Text)
{
    if (Index < 0 || Index >= Lines.size())
        return;
    Lines[Index] = Text;
    Valid = false;
}

void TWordRect::SetLines(const QStringList& Value)
{
    Lines = Value;
    Valid = false;
}

void TWordRect::SetAlign(qint32 Value)
{
    if (Align != Value) {
        Align = Value;
        Valid = false;
    }
}

void TWordRect::SetWordWrap(bool Value)
{
    if (WordWrap != Value) {
        WordWrap = Value;
        Valid = false;
    }
}

void TWordRect::SetAspectRatio(qint32 Value)
{
    if (AspectRatio != Value) {
        AspectRatio = Value;
        Valid = false;
    }
}

void TWordRect::SetLineSpace(quint8 Value)
{
    if (LineSpace != Value) {
        LineSpace = Value;
        Valid = false;
    }
}

void TWordRect::LoadFromStream(QIODevice& Stream)
{
    TMetaRect::LoadFromStream(Stream);
    const qint32 version = DrawRectFileVersion;
    const qint32 n = ReadStreamInt32(Stream);
    // Every line takes at least its four-byte count: a count the rest of
    // the record cannot hold is damage, refused before anything is read.
    if (n < 0 || (!Stream.isSequential() && qint64(n) * 4 > Stream.bytesAvailable()) || n > kMaxStreamStrBytes / 4)
        throw EDrawRectStreamError("free text: line count out of range");
    QStringList lines;
    lines.reserve(std::min(n, 4096));
    for (qint32 i = 0; i < n; ++i) {
        QString s;
        if (version < 501)
            ReadStreamStr(Stream, s);
        else
            ReadStreamWStr(Stream, s);
        lines.append(s);
    }
    Lines = lines;
    Valid = false;
    if (version >= 200 && version < 600)
        SizeIndex = ReadStreamInt32(Stream);
    else if (version < 200)
        SizeIndex = 0;
    AspectRatio = version >= 400 ? ReadStreamInt32(Stream) : 100;
    Align = ReadStreamInt32(Stream);
    WordWrap = ReadStreamBool(Stream);
    LineSpace = version >= 200 ? ReadStreamByte(Stream) : 3;
    Frame.LoadFromStream(Stream);
}

void TWordRect::SaveToStream(QIODevice& Stream) const
{
    TMetaRect::SaveToStream(Stream);
    WriteStreamInt32(Stream, static_cast<qint32>(Lines.size()));
    for (const QString& s : Lines)
        WriteStreamWStr(s, Stream);
    WriteStreamInt32(Stream, AspectRatio);
    WriteStreamInt32(Stream, Align);
    WriteStreamBool(Stream, WordWrap);
    WriteStreamByte(Stream, LineSpace);
    Frame.SaveToStream(Stream);
}

void TWordRect::DescribeFields(QJsonObject& Fields) const
{
    TMetaRect::DescribeFields(Fields);
    Fields[QStringLiteral("Lines")] = QJsonArray::fromStringList(Lines);
    Fields[QStringLiteral("AspectRatio")] = AspectRatio;
    Fields[QStringLiteral("Align")] = Align;
    Fields[QStringLiteral("WordWrap")] = WordWrap;
    Fields[QStringLiteral("LineSpace")] = LineSpace;
    QJsonObject frame;
    Frame.DescribeFields(frame);
    Fields[QStringLiteral("Frame")] = frame;
}

bool TWordRect::BuildLines(TCanvas& Canvas, qint32 L, qint32 A, QStringList& O)
{
    const bool vertical = Direction == 0;
    const int lineSpace = UsedLineSpace(LineSpace);
    const int aspect = UsedAspectRatio(AspectRatio);
    const auto applyAspect = [&] {
        if (aspect != 100)
            SetFontWidthRatio(Canvas, vertical ? 100.0 / aspect : aspect / 100.0);
    };
    const qint32 n = static_cast<qint32>(Lines.size());
    O.clear();
    if (UsedSizeIndex(SizeIndex) == 0 && WordWrap) {
        std::vector<int> breaks(static_cast<size_t>(n), 0);
        for (int pass = 0;; ++pass) {
            if (pass >= kMaxFitPasses)
                return false;
            O.clear();
            applyAspect();
            qint64 M = 0;
            int j = -1;
            bool jExhausted = false;
            for (qint32 i = 0; i < n; ++i) {
                O.append(Lines.at(i));
                bool exhausted = false;
                for (int k = 0; k < breaks[i]; ++k) {
                    QString head = O.last();
                    QString rest;
                    SplitAtLeastOne(Canvas, head, L, rest);
                    if (rest.isEmpty()) {
                        exhausted = true;
                        break;
                    }
                    O.last() = head;
                    O.append(rest);
                }
                const qint64 over = qint64(GetTextWidthW(Canvas, O.last())) - L;
                if (over > M) {
                    M = over;
                    j = i;
                    jExhausted = exhausted;
                }
            }
            if (M <= 0)
                return true;
            const qint64 c = O.size();
            const qint64 th = LineHeight(Canvas);
            const qint64 sp = Spacing(Canvas, lineSpace);
            const qint64 acrossNeeded = th * (c + 1) + c * sp;
            const double rL = double(L) / double(L + M);
            const double rA = acrossNeeded > 0 ? double(A) / double(acrossNeeded) : 1.0;
            bool ok;
            // A line broken at every character can only get narrower with
            // the font.
            if (rL >= rA || jExhausted) {
                ok = ScaleCanvasFont(Canvas, L, Clamp32(L + M), false);
            } else {
                ok = ScaleCanvasFont(Canvas, A, Clamp32(acrossNeeded), false);
                ++breaks[static_cast<size_t>(j)];
            }
            if (!ok)
                return false;
        }
    }
    if (UsedSizeIndex(SizeIndex) == 0) {
        O = Lines;
        qint64 M = 0;
        for (const QString& s : Lines)
            M = std::max<qint64>(M, GetTextWidthW(Canvas, s));
        if (M > 0) {
            const double needed = vertical ? std::ceil(M * 100.0 / aspect) : std::ceil(M * aspect / 100.0);
            if (!ScaleCanvasFont(Canvas, L, Clamp32(static_cast<qint64>(std::min(needed, 2.0e9))), false))
                return false;
        }
        applyAspect();
        return true;
    }
    // Fixed size: as many lines as fit across the frame.
    const qint64 th = LineHeight(Canvas);
    const qint64 sp = Spacing(Canvas, lineSpace);
    qint64 K = 0;
    if (th > 0 && th < A)
        K = (qint64(A) + sp + (th + sp) - 1) / (th + sp) - 1;
    applyAspect();
    for (qint32 i = 0; i < n && O.size() < K; ++i) {
        QString line = Lines.at(i);
        if (!WordWrap) {
            QString rest;
            SplitTextAtWidth(Canvas, line, L, rest);
            O.append(line);
            continue;
        }
        if (line.isEmpty()) {
            O.append(QString());
            continue;
        }
        while (!line.isEmpty() && O.size() < K) {
            QString rest;
            SplitAtLeastOne(Canvas, line, L, rest);
            O.append(line);
            line = rest;
        }
    }
    return true;
}

void TWordRect::RenderContent(TCanvas& Canvas, const QPoint& Size)
{
    Layout = TWordLayout{};
    const qint32 Wd = Size.x();
    const qint32 Ht = Size.y();
    // 1. Frame, background, and the room the text keeps from the edge.
    const TRefDevice& ref = RefDevice();
    const double scale = ref.hasPrinter ? ref.dpiY / 96.0 : 1.0;
    const TRect inner = Frame.Draw(Canvas, TRect(0, 0, Wd, Ht), scale);
    const qint32 insetX =
        std::max(inner.Left, ref.hasPrinter ? Round32(ref.dpiX * double(kWordTextInset) / 96) : kWordTextInset);
    const qint32 insetY =
        std::max(inner.Top, ref.hasPrinter ? Round32(ref.dpiY * double(kWordTextInset) / 96) : kWordTextInset);
    Layout.InsetX = insetX;
    Layout.InsetY = insetY;
    // 2.
    if (Lines.isEmpty())
        return;
    // 3. Direction; the item's own font stays as it is stored.
    const bool vertical = Direction == 0;
    TFont font = Font;
    if (vertical)
        SetFontVertical(font);
    else
        SetFontHorizontal(font);
    const qint32 L = Clamp32(vertical ? qint64(Ht) - 2 * qint64(insetY) : qint64(Wd) - 2 * qint64(insetX));
    const qint32 A = Clamp32(vertical ? qint64(Wd) - 2 * qint64(insetX) : qint64(Ht) - 2 * qint64(insetY));
    if (L <= 0 || A <= 0)
        return;
    // 4. and 5.
    Canvas.SetFont(font);
    Canvas.Font().SetHeight(-4096);
    const int lineSpace = UsedLineSpace(LineSpace);
    const int sizeIndex = UsedSizeIndex(SizeIndex);
    if (sizeIndex > 0) {
        Canvas.Font().SetSize(FontSizePoints[sizeIndex]);
    } else {
        const qint64 n = Lines.size();
        const qint64 needed = LineHeight(Canvas) * n + qint64(Spacing(Canvas, lineSpace)) * (n - 1);
        if (!ScaleCanvasFont(Canvas, A, Clamp32(needed), true))
            return;
    }
    // 6.
    QStringList O;
    if (!BuildLines(Canvas, L, A, O))
        return;
    // 7.
    if (O.isEmpty())
        return;
    const qint64 c = O.size();
    const qint64 TH = LineHeight(Canvas);
    qint64 g = 0;
    if (lineSpace > 0)
        g = Spacing(Canvas, lineSpace);
    else if (c > 1)
        g = (qint64(A) - TH * c) / (c - 1);
    const qint64 E = TH * c + (c - 1) * g;
    // 8.
    const int align = UsedAlign(Align);
    const int h = align % 3;
    const int v = align / 3;
    std::vector<QPoint> pos(static_cast<size_t>(c));
    unsigned hFlag = 0, vFlag = 0;
    const qint64 step = TH + g;
    for (qint64 i = 0; i < c; ++i) {
        qint64 x = 0, y = 0;
        if (vertical) {
            switch (h) {
            case 0: x = insetX + qint64(A) - i * step; hFlag = gdi::TA_TOP; break;
            case 1: x = insetX + qint64(A) / 2 + E / 2 - i * step; hFlag = gdi::TA_TOP; break;
            default: x = insetX + (c - 1 - i) * step; hFlag = gdi::TA_BOTTOM; break;
            }
            switch (v) {
            case 0: y = insetY; vFlag = gdi::TA_LEFT; break;
            case 1: y = insetY + qint64(L) / 2; vFlag = gdi::TA_CENTER; break;
            default: y = insetY + qint64(L); vFlag = gdi::TA_RIGHT; break;
            }
        } else {
            switch (h) {
            case 0: x = insetX + qint64(L); hFlag = gdi::TA_RIGHT; break;
            case 1: x = insetX + qint64(L) / 2; hFlag = gdi::TA_CENTER; break;
            default: x = insetX; hFlag = gdi::TA_LEFT; break;
            }
            switch (v) {
            case 0: y = insetY + i * step; vFlag = gdi::TA_TOP; break;
            case 1: y = insetY + qint64(A) / 2 - E / 2 + i * step; vFlag = gdi::TA_TOP; break;
            default: y = insetY + qint64(A) - (c - 1 - i) * step; vFlag = gdi::TA_BOTTOM; break;
            }
        }
        pos[static_cast<size_t>(i)] = QPoint(Clamp32(x), Clamp32(y));
    }
    // 9.
    if (vertical)
        SetFontVertical(Canvas.Font());
    if (UpsideDown) {
        RotateFont180(Canvas.Font());
        for (QPoint& p : pos)
            p = QPoint(Clamp32(qint64(Wd) - p.x()), Clamp32(qint64(Ht) - p.y()));
    }
    // 10.
    const unsigned flags = hFlag | vFlag;
    Canvas.Brush().Style = bsClear;
    Canvas.SetBkMode(gdi::TRANSPARENT);
    Canvas.SetTextAlign(flags);
    for (qint64 i = 0; i < c; ++i)
        Canvas.ExtTextOutW(pos[size_t(i)].x(), pos[size_t(i)].y(), 0, nullptr, O.at(i), nullptr);
    Canvas.SetTextAlign(gdi::TA_LEFT | gdi::TA_TOP);
    if (UpsideDown)
        RotateFont180(Canvas.Font());

    Layout.Fitted = true;
    Layout.LineHeight = Clamp32(TH);
    Layout.Gap = Clamp32(g);
    Layout.Flags = flags;
    Layout.Lines = O;
    Layout.Positions = pos;
}

void RegisterWordClasses()
{
    RegisterDrawItemClasses();
}
