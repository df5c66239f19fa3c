#include "drawing/objects/AddressRect.h"

#include "core/common/AddressText.h"
#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/Cp932.h"
#include "platform/RefDevice.h"

#include <QBuffer>
#include <QJsonObject>
#include <algorithm>
#include <deque>

namespace {

const QString kRefChar = QStringLiteral("一");

// Default character heights for a postcard, by size step 1 to 5.
constexpr qint32 kAddresseeHeights[5] = {-18, -23, -28, -34, -40};
constexpr qint32 kSenderHeights[5] = {-15, -18, -21, -25, -30};

// Lines go out as code page 932 text: what that code page lacks prints as
// "?", and is measured so.
QString Narrow(const QString& text)
{
    return cp932::Decode(cp932::Encode(text));
}

int Chars(const QString& text)
{
    return static_cast<int>(text.toUcs4().size());
}

bool IsFullWidthDigit(QChar ch)
{
    return ch.unicode() >= 0xFF10 && ch.unicode() <= 0xFF19;
}

// Which of three lines is the widest, as the join rules ask it.
int Widest(int w0, int w1, int w2)
{
    if (w1 < w2)
        return w2 >= w0 ? 2 : 0;
    return w1 >= w0 ? 1 : 0;
}

struct TMargins {
    int mx, my, W, H;
};

TMargins Margins(const QPoint& Size)
{
    const TRefDevice& ref = RefDevice();
    const int mx = ref.hasPrinter ? static_cast<int>(RoundHalfUp(4.0 * ref.dpiX / 96)) : 4;
    const int my = ref.hasPrinter ? static_cast<int>(RoundHalfUp(4.0 * ref.dpiY / 96)) : 4;
    return {mx, my, Size.x() - 2 * mx, Size.y() - 2 * my};
}

} // namespace

TAddressRect::TAddressRect(quint8 Kind) : SenderItem(Kind == ikSenderAddress ? 1 : 0)
{
    BaseFontHeight = -28;
    ResetFontHeight();
}

void TAddressRect::Assign(const TDrawRect& Source)
{
    TMetaRect::Assign(Source);
    if (const auto* a = dynamic_cast<const TAddressRect*>(&Source))
        SizeStep = a->SizeStep;
}

void TAddressRect::LoadFromStream(QIODevice& Stream)
{
    const qint32 version = DrawRectFileVersion;
    // A record cut short before its own field leaves the item as it was:
    // the parent's part is put back from the item's own record.
    QByteArray before;
    {
        QBuffer out(&before);
        out.open(QIODevice::WriteOnly);
        SaveToStream(out);
    }
    const TRect rect = Rect;
    const TRect displayRect = DisplayRect;
    const TFont font = Font;
    TMetaRect::LoadFromStream(Stream);
    qint32 step = 3;
    if (version >= 500) {
        try {
            step = ReadStreamInt32(Stream);
        } catch (...) {
            DrawRectFileVersion = DrawRectCurrentVersion;
            QBuffer in(&before);
            in.open(QIODevice::ReadOnly);
            TMetaRect::LoadFromStream(in);
            DrawRectFileVersion = version;
            Rect = rect;
            DisplayRect = displayRect;
            Font = font;
            throw;
        }
    }
    SizeStep = step;
    // An address never keeps a size-list entry from a file.
    SizeIndex = 0;
    Valid = false;
}

void TAddressRect::SaveToStream(QIODevice& Stream) const
{
    TMetaRect::SaveToStream(Stream);
    WriteStreamInt32(Stream, SizeStep);
}

void TAddressRect::DescribeFields(QJsonObject& Fields) const
{
    TMetaRect::DescribeFields(Fields);
    Fields[QStringLiteral("SizeStep")] = SizeStep;
}

void TAddressRect::ClearContent()
{
    TMetaRect::ClearContent();
    for (QString& line : Address)
        line.clear();
}

void TAddressRect::ResetFontHeight()
{
    // A step out of range (a damaged record) takes the nearest one.
    const int step = std::clamp(SizeStep, 1, 5) - 1;
    BaseFontHeight = SenderItem && !InSenderBlock ? kSenderHeights[step] : kAddresseeHeights[step];
    TMetaRect::ResetFontHeight();
}

QString TAddressRect::GetAddress(int Index) const
{
    return Index >= 0 && Index < 3 ? Address[static_cast<size_t>(Index)] : QString();
}

void TAddressRect::SetAddress(int Index, const QString& Text)
{
    if (Index < 0 || Index >= 3 || Address[static_cast<size_t>(Index)] == Text)
        return;
    Address[static_cast<size_t>(Index)] = Text;
    Valid = false;
}

void TAddressRect::SetVertNumeral(quint8 Value)
{
    if (VertNumeral != Value) {
        VertNumeral = Value;
        Valid = false;
    }
}

std::vector<TAddressRect::TRun> TAddressRect::SplitRuns(const QString& Line, bool VertNumeral)
{
    std::vector<TRun> runs;
    if (Line.isEmpty())
        return runs;
    if (VertNumeral) {
        runs.push_back({Line, false});
        return runs;
    }
    QString upright;
    for (qsizetype i = 0; i < Line.size();) {
        if (!IsFullWidthDigit(Line.at(i))) {
            upright += Line.at(i++);
            continue;
        }
        qsizetype end = i;
        while (end < Line.size() && IsFullWidthDigit(Line.at(end)))
            ++end;
        const QString digits = Line.mid(i, end - i);
        if (digits.size() < 5) {
            if (!upright.isEmpty())
                runs.push_back({upright, false});
            upright.clear();
            runs.push_back({ToHalfWidth(digits), true});
        } else {
            upright += digits;
        }
        i = end;
    }
    if (!upright.isEmpty())
        runs.push_back({upright, false});
    return runs;
}

void TAddressRect::RenderContent(TCanvas& Canvas, const QPoint& Size)
{
    Layout = TLayout{};
    Canvas.SetBkMode(gdi::TRANSPARENT);
    if (Direction == 1)
        RenderHorizontal(Canvas, Size);
    else
        RenderVertical(Canvas, Size);
}

void TAddressRect::RenderHorizontal(TCanvas& Canvas, const QPoint& Size)
{
    const TMargins m = Margins(Size);
    if (m.W < 1 || m.H < 1)
        return;
    QString L[3];
    int n = 0;
    for (const QString& line : Address)
        if (!line.isEmpty())
            L[n++] = Narrow(line);

    const auto tw = [&](const QString& s) { return Canvas.TextWidth(s); };
    const auto fit = [&](int available, int needed) { return ScaleCanvasFont(Canvas, available, needed, false); };
    bool laid = false;
    while (!laid && n > 0) {
        SetCanvasFont(Canvas);
        SetFontHorizontal(Canvas.Font());
        const int TH = Canvas.TextHeight(kRefChar);
        const int gap = TH / 10;
        if (n == 1) {
            if (fit(m.H, TH + gap) && fit(m.W, tw(L[0])))
                laid = true;
            else
                n = 0;
        } else if (n == 2) {
            if (Chars(L[0]) < 5 || !fit(m.H, (TH + gap) * 2)) {
                L[0] += L[1];
                n = 1;
            } else if (!fit(m.W, std::max(tw(L[0] + kRefChar), tw(L[1] + kRefChar)))) {
                n = 0;
            } else if (tw(L[0] + L[1]) - tw(kRefChar) >= m.W) {
                laid = true;
            } else {
                L[0] += L[1];
                n = 1;
            }
        } else if (Chars(L[0]) < 5) {
            L[0] += L[1];
            L[1] = L[2];
            n = 2;
        } else {
            const int widest = Widest(tw(L[0]), tw(L[1]), tw(L[2]));
            bool merge = false;
            if (!fit(m.H, (TH + gap) * 3)) {
                merge = true;
            } else if (!fit(m.W, tw(L[widest]) + 2 * tw(kRefChar))) {
                n = 0;
            } else if (tw(L[0] + L[1]) - tw(kRefChar) >= m.W) {
                if (tw(L[1] + L[2] + kRefChar) >= m.W) {
                    laid = true;
                } else {
                    L[1] += L[2];
                    n = 2;
                }
            } else {
                merge = true;
            }
            if (merge) {
                if (widest != 0 && tw(L[0]) <= tw(L[2])) {
                    L[0] += L[1];
                    L[1] = L[2];
                } else {
                    L[1] += L[2];
                }
                n = 2;
            }
        }
    }
    if (!laid)
        return;

    const int TH = Canvas.TextHeight(kRefChar);
    const int gap = TH / 10;
    QPoint at[3];
    if (n == 1) {
        at[0] = QPoint(m.mx, (m.H - TH) / 2 + m.my);
    } else if (n == 2) {
        at[0] = QPoint(m.mx, m.H / 2 + m.my - gap - TH);
        at[1] = QPoint(m.mx + m.W - tw(L[1]), m.H / 2 + m.my);
    } else {
        const int y1 = (m.H - TH) / 2 + m.my;
        at[1] = QPoint(m.mx + m.W - tw(L[1] + kRefChar), y1);
        at[0] = QPoint(m.mx, y1 - gap - TH);
        at[2] = QPoint(m.mx + m.W - tw(L[2]), y1 + gap + TH);
    }
    Layout.Drawn = true;
    Layout.Lines = n;
    Layout.FontHeight = Canvas.Font().Height();
    for (int i = 0; i < n; ++i)
        Layout.Runs.push_back({L[i], false, i, QRect(at[i].x(), at[i].y(), tw(L[i]), TH)});
    if (UpsideDown)
        RotateFont180(Canvas.Font());
    for (int i = 0; i < n; ++i) {
        const QPoint p = UpsideDown ? QPoint(Size.x() - at[i].x(), Size.y() - at[i].y()) : at[i];
        Canvas.TextOut(p.x(), p.y(), L[i]);
    }
    if (UpsideDown)
        RotateFont180(Canvas.Font());
}

// The columns of a vertical address on their way to the canvas. Measures
// are taken in the canvas font, which stays vertical; groups set across the
// column are measured in its horizontal twin.
struct TAddressRect::TColumns {
    using TColumn = std::vector<TRun>;

    TCanvas& Canvas;
    const TMargins m;
    std::vector<TColumn> cols;

    int Cell() const { return Canvas.TextHeight(kRefChar); }
    int AcrossWidth(const QString& s) const
    {
        const TFont vertical = Canvas.Font();
        SetFontHorizontal(Canvas.Font());
        const int w = Canvas.TextWidth(s);
        Canvas.Font() = vertical;
        return w;
    }
    int RunLength(const TRun& r) const { return r.Across ? Cell() : Canvas.TextWidth(r.Text); }
    int RunBreadth(const TRun& r) const { return r.Across ? AcrossWidth(r.Text) : Cell(); }
    int Length(const TColumn& c) const
    {
        int n = 0;
        for (const TRun& r : c)
            n += RunLength(r);
        return n;
    }
    int Breadth(const TColumn& c) const
    {
        int b = 0;
        for (const TRun& r : c)
            b = std::max(b, RunBreadth(r));
        return b;
    }
    static int Bytes(const TColumn& c)
    {
        int n = 0;
        for (const TRun& r : c)
            n += cp932::ByteLength(r.Text);
        return n;
    }
    bool Fit(int available, int needed) const { return ScaleCanvasFont(Canvas, available, needed, false); }
    // Column i + 1 goes at the end of column i.
    void Join(size_t i)
    {
        cols[i].insert(cols[i].end(), cols[i + 1].begin(), cols[i + 1].end());
        cols.erase(cols.begin() + static_cast<std::ptrdiff_t>(i) + 1);
    }

    bool CutColumn(TColumn& head, TColumn& rest) const;
    std::vector<int> Starts(const std::vector<int>& len) const;
    std::vector<int> Centres(const std::vector<int>& b, bool fixedSize) const;
};

void TAddressRect::RenderVertical(TCanvas& Canvas, const QPoint& Size)
{
    const TMargins m = Margins(Size);
    if (m.W < 1 || m.H < 1)
        return;
    TColumns text{Canvas, m, {}};
    for (const QString& line : Address)
        if (!line.isEmpty())
            text.cols.push_back(SplitRuns(Narrow(line), VertNumeral != 0));
    if (text.cols.empty())
        return;
    // A first line of at most two full-width characters (a prefecture of
    // two, or a short fragment) goes at the head of the second.
    if (text.cols.size() > 1 && TColumns::Bytes(text.cols[0]) < 5)
        text.Join(0);
    const bool fixedSize = SizeIndex > 0;
    if (fixedSize ? !CutColumnsToFrame(text) : !ShrinkColumnsToFit(text))
        return;
    DrawColumns(text, fixedSize, Size);
}

// A size chosen by the user is kept: whatever does not fit is cut off at
// the end, never shrunk. False when nothing is left to draw.
bool TAddressRect::CutColumnsToFrame(TColumns& Text) const
{
    using TColumn = TColumns::TColumn;
    Text.Canvas.SetFont(Font);
    SetFontVertical(Text.Canvas.Font());
    const int TH = Text.Cell();
    const int gap = TH / 10;
    if (TH <= 0 || TH >= Text.m.W)
        return false;
    // A column longer than the frame is cut (CutColumn); the rest starts
    // the next column. Columns are counted by their real breadths, since a
    // digit group set across may be wider than a character: the first one
    // that would reach past the frame is left out with all that follows.
    std::deque<TColumn> queue(Text.cols.begin(), Text.cols.end());
    std::vector<TColumn> out;
    qint64 across = 0; // the breadths of the columns kept and their gaps
    while (!queue.empty() && out.size() < 3) {
        TColumn head = std::move(queue.front()), rest;
        queue.pop_front();
        if (Text.Length(head) > Text.m.H && !Text.CutColumn(head, rest))
            break; // not even one character fits the frame's length
        const qint64 needed = across + (out.empty() ? 0 : gap) + Text.Breadth(head);
        if (needed >= Text.m.W)
            break;
        across = needed;
        out.push_back(std::move(head));
        if (!rest.empty())
            queue.push_front(std::move(rest));
    }
    Text.cols = std::move(out);
    return !Text.cols.empty();
}

// Cuts a column longer than the frame after the last run that fits (an
// upright run inside, at a character); Rest takes what follows. False when
// not even one character fits.
bool TAddressRect::TColumns::CutColumn(TColumn& head, TColumn& rest) const
{
    TColumn col = std::move(head);
    head.clear();
    int used = 0;
    size_t i = 0;
    for (; i < col.size(); ++i) {
        const int l = RunLength(col[i]);
        if (used + l <= m.H) {
            head.push_back(col[i]);
            used += l;
            continue;
        }
        if (!col[i].Across) {
            QString text = col[i].Text, remainder;
            SplitTextAtWidth(Canvas, text, m.H - used, remainder);
            if (!text.isEmpty())
                head.push_back({text, false});
            if (!remainder.isEmpty())
                rest.push_back({remainder, false});
        } else {
            rest.push_back(col[i]);
        }
        ++i;
        break;
    }
    rest.insert(rest.end(), col.begin() + static_cast<std::ptrdiff_t>(i), col.end());
    return !head.empty();
}

// The rules of horizontal writing, with columns for lines: breadths against
// the width, lengths against the height. The font shrinks and columns join
// until they fit; False when they never do.
bool TAddressRect::ShrinkColumnsToFit(TColumns& Text) const
{
    TCanvas& Canvas = Text.Canvas;
    std::vector<TColumns::TColumn>& cols = Text.cols;
    const TMargins& m = Text.m;
    const auto length = [&](size_t i) { return Text.Length(cols[i]); };
    const auto breadth = [&](size_t i) { return Text.Breadth(cols[i]); };
    size_t n = std::min<size_t>(cols.size(), 3);
    cols.resize(n);
    bool laid = false;
    while (!laid && n > 0) {
        SetCanvasFont(Canvas);
        SetFontVertical(Canvas.Font());
        const int gap = Text.Cell() / 10;
        if (n == 1) {
            if (Text.Fit(m.W, breadth(0) + gap) && Text.Fit(m.H, length(0)))
                laid = true;
            else
                n = 0;
        } else if (n == 2) {
            if (!Text.Fit(m.W, breadth(0) + breadth(1) + 2 * gap)) {
                Text.Join(0);
                n = 1;
            } else if (!Text.Fit(m.H, std::max(length(0), length(1)) + Canvas.TextWidth(kRefChar))) {
                n = 0;
            } else if (length(0) + length(1) - Canvas.TextWidth(kRefChar) >= m.H) {
                laid = true;
            } else {
                Text.Join(0);
                n = 1;
            }
        } else {
            const int widest = Widest(length(0), length(1), length(2));
            bool merge = false;
            if (!Text.Fit(m.W, breadth(0) + breadth(1) + breadth(2) + 3 * gap)) {
                merge = true;
            } else if (!Text.Fit(m.H, length(static_cast<size_t>(widest)) + 2 * Canvas.TextWidth(kRefChar))) {
                n = 0;
            } else if (length(0) + length(1) - Canvas.TextWidth(kRefChar) >= m.H) {
                if (length(1) + length(2) + Canvas.TextWidth(kRefChar) >= m.H) {
                    laid = true;
                } else {
                    Text.Join(1);
                    n = 2;
                }
            } else {
                merge = true;
            }
            if (merge) {
                Text.Join(widest != 0 && length(0) <= length(2) ? 0 : 1);
                n = 2;
            }
        }
    }
    return laid;
}

// Where each column starts along its length (len: the columns' lengths):
// the first from the top margin, the last ending at the bottom one, a middle
// one ending a character short of it.
std::vector<int> TAddressRect::TColumns::Starts(const std::vector<int>& len) const
{
    const int c = Canvas.TextWidth(kRefChar);
    std::vector<int> y(len.size());
    const qint64 top = m.my, bottom = qint64(m.my) + m.H;
    // Every column starts inside the frame and ends inside it when it fits.
    const auto inFrame = [&](qint64 start, qint64 l) {
        return static_cast<int>(std::max(top, std::min(start, bottom - l)));
    };
    // A start that would leave a character's room above the column but
    // reach past the bound given, or else the bound.
    const auto bounded = [&](qint64 start, qint64 lowest) {
        if (start < top + c)
            return top + c;
        return std::min(start, lowest);
    };
    y[0] = static_cast<int>(top);
    if (len.size() == 2) {
        y[1] = inFrame(bottom - len[1], len[1]);
    } else if (len.size() == 3) {
        // The middle column ends a character short of the bottom but starts
        // no lower than two characters before the first one's length; the
        // third ends at the bottom but starts no lower than a character
        // before the middle one's end, so a short room number ends beside
        // the middle column. The frame wins over both.
        y[1] = inFrame(bounded(bottom - len[1] - c, qint64(len[0]) - 2 * qint64(c)), len[1]);
        y[2] = inFrame(bounded(bottom - len[2], qint64(y[1]) + len[1] - c), len[2]);
    }
    return y;
}

// The centre line of each column across (b: the columns' breadths): at a
// fixed size from the right margin on, else the block centred in the frame.
std::vector<int> TAddressRect::TColumns::Centres(const std::vector<int>& b, bool fixedSize) const
{
    const int n = static_cast<int>(b.size());
    const int TH = Cell();
    const int gap = TH / 10;
    std::vector<int> ref(b.size());
    if (fixedSize) {
        int right = m.mx + m.W;
        for (int i = 0; i < n; ++i) {
            const int left = right - b[static_cast<size_t>(i)];
            ref[static_cast<size_t>(i)] = left + (b[static_cast<size_t>(i)] + TH) / 2;
            right = left - gap;
        }
    } else {
        int total = gap * (n - 1);
        for (int w : b)
            total += w;
        int left = (m.W - total) / 2 + m.mx;
        for (int i = n - 1; i >= 0; --i) {
            ref[static_cast<size_t>(i)] = left + (b[static_cast<size_t>(i)] + TH) / 2;
            left += b[static_cast<size_t>(i)] + gap;
        }
    }
    return ref;
}

// Places the fitted columns, draws them run by run and notes the layout.
void TAddressRect::DrawColumns(TColumns& Text, bool FixedSize, const QPoint& Size)
{
    TCanvas& Canvas = Text.Canvas;
    const int n = static_cast<int>(Text.cols.size());
    const int TH = Text.Cell();
    std::vector<int> len(static_cast<size_t>(n)), b(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
        len[static_cast<size_t>(i)] = Text.Length(Text.cols[static_cast<size_t>(i)]);
        b[static_cast<size_t>(i)] = Text.Breadth(Text.cols[static_cast<size_t>(i)]);
    }
    const std::vector<int> y = Text.Starts(len);
    const std::vector<int> ref = Text.Centres(b, FixedSize);

    TFont vertical = Canvas.Font();
    TFont across = vertical;
    SetFontHorizontal(across);
    Layout.Drawn = true;
    Layout.FixedSize = FixedSize;
    Layout.Lines = n;
    Layout.FontHeight = vertical.Height();
    for (int i = 0; i < n; ++i) {
        int at = y[static_cast<size_t>(i)];
        const int x = ref[static_cast<size_t>(i)];
        for (const TRun& r : Text.cols[static_cast<size_t>(i)]) {
            Canvas.Font() = r.Across ? across : vertical;
            const int l = r.Across ? TH : Canvas.TextWidth(r.Text);
            const int w = r.Across ? Canvas.TextWidth(r.Text) : TH;
            QPoint p = r.Across ? QPoint(x - TH / 2 - w / 2, at) : QPoint(x, at);
            Layout.Runs.push_back(
                {r.Text, !r.Across, i, r.Across ? QRect(p.x(), at, w, TH) : QRect(x - TH, at, TH, l)});
            if (UpsideDown) {
                RotateFont180(Canvas.Font());
                p = QPoint(Size.x() - p.x(), Size.y() - p.y());
            }
            Canvas.TextOut(p.x(), p.y(), r.Text);
            at += l;
        }
    }
    Canvas.Font() = vertical;
}
