#include "drawing/objects/NameRect.h"

#include "drawing/objects/DrawItems.h"

#include "core/common/FontUtils.h"
#include "core/common/Units.h"
#include "drawing/objects/AdditionRect.h"
#include "drawing/objects/CorpRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"

#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <memory>

namespace {

constexpr QChar kIdeographicSpace(0x3000);
constexpr QChar kSpace(u' ');
constexpr double kCondensedRatio = 0.75;

qint32 Rounded(double v)
{
    return static_cast<qint32>(RoundHalfUp(v));
}

qint32 TextW(TCanvas& c) { return c.TextWidth(QStringLiteral("一")); }
qint32 TextH(TCanvas& c) { return c.TextHeight(QStringLiteral("一")); }

bool IsBlank(QChar c) { return c == kSpace || c == kIdeographicSpace; }

// One laid-out name: its text with advances, and where along the line its
// honorific and note go.
struct TLineLayout {
    QString text;
    std::vector<int> dx;
    QString honor;
    qint32 honorOff = 0;
    double honorRatio = 1.0;
    QString note;
    qint32 noteOff = 0;
};

struct TNamesLayout {
    std::vector<TLineLayout> lines;
    qint32 TW = 0;
    qint32 TH = 0;
    qint32 height = 0;      // name font height
    qint32 noteHeight = 0;  // 0: notes left out
    qint32 noteShift = 0;   // across, to centre a note on its line
};

struct TSplitName {
    QString family;
    QString given;
    bool separated = false;
};

TSplitName SplitName(const QString& name)
{
    const qsizetype p = name.indexOf(kSpace);
    if (p < 0)
        return {QString(), name, false};
    return {name.left(p), name.mid(p + 1), true};
}

// The names' columns along the length A: family names, then the given-name
// column common to all, then the honorific and the note. Shrinks the canvas
// font when the longest name does not fit; False when it cannot.
bool LayoutNameLines(TCanvas& Canvas, const std::vector<TJointName>& Names, const QString& MainHonor, bool ShowHonor,
                     qint32 A, bool Gaps, bool CharSpace, quint8 Align, bool Vertical, TNamesLayout& Out)
{
    std::vector<TSplitName> split;
    qsizetype F = 0, G = 0;
    for (const TJointName& n : Names) {
        split.push_back(SplitName(n.Name));
        F = std::max(F, split.back().family.size());
        G = std::max(G, split.back().given.size());
    }
    auto honorOf = [&](size_t i) { return Names[i].Honor.isEmpty() ? MainHonor : Names[i].Honor; };
    qint32 TW = 0, cs = 0, spaceW = 0, N = 0;
    auto measure = [&] {
        TW = TextW(Canvas);
        cs = Gaps ? Rounded(TW / 6.0) : 0;
        spaceW = Canvas.TextWidth(QString(kSpace));
        qint32 honorW = 0, noteW = 0;
        qsizetype honorLen = 0;
        for (size_t i = 0; i < Names.size(); ++i) {
            if (ShowHonor && !honorOf(i).isEmpty()) {
                const qint32 w = Canvas.TextWidth(honorOf(i));
                if (w > honorW) {
                    honorW = w;
                    honorLen = honorOf(i).size();
                }
            }
            if (!Names[i].Note.isEmpty())
                noteW = std::max(noteW, Canvas.TextWidth(Names[i].Note));
        }
        qint64 n = qint64(TW) * (F + G) + qint64(cs) * (F + G - 1);
        if (F > 0)
            n += spaceW;
        if (honorLen > 0)
            n += honorLen <= 2 ? Rounded(TW / 3.0) + honorW : Rounded(honorW / 4.0 * 3) + Rounded(TW / 3.0);
        if (noteW > 0)
            n += Rounded(noteW / 3.0 * 2) + cs;
        N = static_cast<qint32>(std::clamp<qint64>(n, INT32_MIN, INT32_MAX));
        return honorLen > 0;
    };
    bool withHonor = measure();
    if (N > A) {
        if (!ScaleCanvasFont(Canvas, A, N, false))
            return false;
        withHonor = measure();
    }
    if (Gaps && CharSpace && F + G > 1)
        cs += (A - N) / static_cast<qint32>(withHonor ? F + G : F + G - 1);

    const qint32 famEnd = F > 0 ? static_cast<qint32>(F) * (TW + cs) + spaceW : 0;
    const qint32 GB = TW * static_cast<qint32>(G) + cs * static_cast<qint32>(G - 1);
    const qint32 honOff = famEnd + static_cast<qint32>(G) * (TW + cs) - Rounded(TW / 6.0) + Rounded(TW / 3.0);
    // A value beyond the four alignments reads as centred, as the layout
    // detail dialog shows it.
    const quint8 align = Align > 3 ? 3 : Align;

    Out = TNamesLayout{};
    Out.TW = TW;
    Out.TH = TextH(Canvas);
    Out.height = Canvas.Font().Height();
    const double noteHeight = std::trunc(Out.height / 3.0 * 2);
    Out.noteHeight = noteHeight < 0 ? static_cast<qint32>(noteHeight) : 0;
    if (Out.noteHeight != 0) {
        const qint32 saved = Canvas.Font().Height();
        Canvas.Font().SetHeight(Out.noteHeight);
        Out.noteShift = (Out.TH - TextH(Canvas)) / 2;
        Canvas.Font().SetHeight(saved);
    }
    (void)Vertical;
    for (size_t i = 0; i < Names.size(); ++i) {
        const TSplitName& s = split[i];
        const qint32 g = static_cast<qint32>(s.given.size());
        qint32 lead = 0;
        qint32 step = TW + cs;
        if (g > 0 && g < G) {
            switch (align) {
            case 0:
                if (g == 1)
                    lead = (GB - TW) / 2;
                else
                    step = TW + (GB - TW * g) / (g - 1);
                break;
            case 1: break;
            case 2: lead = GB - (TW * g + cs * (g - 1)); break;
            default: lead = (GB - (TW * g + cs * (g - 1))) / 2; break;
            }
        }
        TLineLayout line;
        for (QChar c : s.family) {
            line.text += c;
            line.dx.push_back(TW + cs);
        }
        const qint32 toGiven = famEnd - static_cast<qint32>(s.family.size()) * (TW + cs) + lead;
        if (s.separated || toGiven != 0) {
            line.text += kSpace;
            line.dx.push_back(toGiven);
        }
        for (QChar c : s.given) {
            line.text += c;
            line.dx.push_back(step);
        }
        const QString honor = honorOf(i);
        qint32 honorEnd = famEnd + GB + Rounded(TW / 6.0) - cs;
        if (ShowHonor && !honor.isEmpty()) {
            line.honor = honor;
            line.honorOff = honOff;
            line.honorRatio = honor.size() > 2 ? kCondensedRatio : 1.0;
            const qint32 w = Canvas.TextWidth(honor);
            // The note follows the honorific as drawn, so it never covers it.
            honorEnd = honOff + (honor.size() > 2 ? Rounded(w / 4.0 * 3) : w);
        }
        if (Out.noteHeight != 0 && !Names[i].Note.isEmpty()) {
            line.note = Names[i].Note;
            // The base gap: the spread gaps are already spent before it.
            line.noteOff = honorEnd + (Gaps ? Rounded(TW / 6.0) : 0);
        }
        Out.lines.push_back(std::move(line));
    }
    return true;
}

} // namespace

QString NormalizeNameSeparator(const QString& Text)
{
    if (Text.isEmpty())
        return Text;
    QString t = Text;
    if (const qsizetype wide = t.indexOf(kIdeographicSpace); wide >= 0)
        t[wide] = kSpace;
    const qsizetype p = t.indexOf(kSpace);
    if (p < 0)
        return kSpace + t;
    qsizetype q = p + 1;
    while (q < t.size() && IsBlank(t.at(q)))
        ++q;
    return t.left(p) + kSpace + t.mid(q);
}

TNameRect::TNameRect()
{
    BaseFontHeight = -40;
}

void TNameRect::Assign(const TDrawRect& Source)
{
    TMetaRect::Assign(Source);
    if (const auto* n = dynamic_cast<const TNameRect*>(&Source)) {
        ShowHonor = n->ShowHonor;
        SizeStep = n->SizeStep;
    }
}

void TNameRect::ClearContent()
{
    TMetaRect::ClearContent();
    Name.clear();
    Honor.clear();
    Note.clear();
    Joints.clear();
    IgnoreName = 0;
    Corp.clear();
    Dptmnt[0].clear();
    Dptmnt[1].clear();
    Post.clear();
}

void TNameRect::ResetFontHeight()
{
    BaseFontHeight = NameSideDefaultHeight(SenderItem && !InSenderBlock, SizeStep);
    TMetaRect::ResetFontHeight();
}

void TNameRect::LoadFromStream(QIODevice& Stream)
{
    TMetaRect::LoadFromStream(Stream);
    const quint8 showHonor = DrawRectFileVersion >= 200 ? ReadStreamByte(Stream) : 1;
    const qint32 sizeStep = DrawRectFileVersion >= 500 ? ReadStreamInt32(Stream) : 3;
    ShowHonor = showHonor;
    SizeStep = sizeStep;
}

void TNameRect::SaveToStream(QIODevice& Stream) const
{
    TMetaRect::SaveToStream(Stream);
    WriteStreamByte(Stream, ShowHonor);
    WriteStreamInt32(Stream, SizeStep);
}

template <typename T>
static bool Change(T& field, const T& value)
{
    if (field == value)
        return false;
    field = value;
    return true;
}

void TNameRect::SetNameKind(quint8 Value)
{
    if (Change(NameKind, Value))
        Valid = false;
}

void TNameRect::SetName(const QString& Text)
{
    Name = IgnoreName == 0 && !Text.contains(kSpace) ? NormalizeNameSeparator(Text) : Text;
    Valid = false;
}

void TNameRect::SetHonor(const QString& Text)
{
    if (Change(Honor, Text) && ShowHonor == 1)
        Valid = false;
}

void TNameRect::SetNote(const QString& Text)
{
    if (Change(Note, Text))
        Valid = false;
}

void TNameRect::SetJointCount(int Count)
{
    const size_t n = static_cast<size_t>(std::max(Count, 0));
    if (n != Joints.size()) {
        Joints.resize(n);
        Valid = false;
    }
}

QString TNameRect::GetJointName(int Index) const
{
    return Index >= 0 && Index < GetJointCount() ? Joints[Index].Name : QString();
}

void TNameRect::SetJointName(int Index, const QString& Text)
{
    if (Index < 0 || Index >= GetJointCount())
        return;
    if (Change(Joints[Index].Name, Text.contains(kSpace) ? Text : NormalizeNameSeparator(Text)))
        Valid = false;
}

QString TNameRect::GetJointHonor(int Index) const
{
    return Index >= 0 && Index < GetJointCount() ? Joints[Index].Honor : QString();
}

void TNameRect::SetJointHonor(int Index, const QString& Text)
{
    if (Index >= 0 && Index < GetJointCount() && Change(Joints[Index].Honor, Text))
        Valid = false;
}

void TNameRect::SetJointNote(int Index, const QString& Text)
{
    if (Index >= 0 && Index < GetJointCount() && Change(Joints[Index].Note, Text))
        Valid = false;
}

void TNameRect::SetNameAlign(quint8 Value)
{
    if (Change(NameAlign, Value))
        Valid = false;
}

void TNameRect::SetIgnoreName(quint8 Value)
{
    if (Change(IgnoreName, Value))
        Valid = false;
}

void TNameRect::SetCorp(const QString& Text)
{
    if (Change(Corp, Text))
        Valid = false;
}

QString TNameRect::GetDptmnt(int Index) const
{
    return Index == 0 || Index == 1 ? Dptmnt[Index] : QString();
}

void TNameRect::SetDptmnt(int Index, const QString& Text)
{
    if ((Index == 0 || Index == 1) && Change(Dptmnt[Index], Text))
        Valid = false;
}

void TNameRect::SetPost(const QString& Text)
{
    if (Change(Post, Text))
        Valid = false;
}

void TNameRect::SetCorpRatio(double Value)
{
    if (Change(CorpRatio, Value))
        Valid = false;
}

void TNameRect::SetDptmntRatio(double Value)
{
    if (Change(DptmntRatio, Value))
        Valid = false;
}

void TNameRect::SetPostRatio(double Value)
{
    if (Change(PostRatio, Value))
        Valid = false;
}

void TNameRect::SetCharSpace(quint8 Value)
{
    if (Change(CharSpace, Value))
        Valid = false;
}

void TNameRect::SetCorpBreak(quint8 Value)
{
    if (Change(CorpBreak, Value))
        Valid = false;
}

void TNameRect::SetShowHonor(quint8 Value)
{
    if (Change(ShowHonor, Value))
        Valid = false;
}

void TNameRect::RenderContent(TCanvas& Canvas, const QPoint& Size)
{
    Runs.clear();
    const TTextFrame f = TextFrameOf(Size, Direction);
    if (f.A <= 0 || f.B <= 0)
        return;
    SetCanvasFont(Canvas);
    SetFontDirection(Canvas.Font(), f.vertical);
    if (NameKind == 2)
        RenderCorporate(Canvas, Size);
    else
        RenderPersonal(Canvas, Size);
    DrawRuns(Canvas, Size, f.vertical);
}

namespace {

// Adds the runs of one laid-out name whose line starts at Line (the along
// coordinate at the start of the length, the across coordinate of the line).
void AddNameRuns(std::vector<TNameRun>& Runs, const TNamesLayout& L, const TLineLayout& line, QPoint Line,
                 bool Vertical)
{
    auto along = [&](qint32 off) { return Vertical ? Line + QPoint(0, off) : Line + QPoint(off, 0); };
    Runs.push_back(TNameRun{TNameRun::rName, line.text, Line, line.dx, 1.0, L.height});
    if (!line.honor.isEmpty())
        Runs.push_back(TNameRun{TNameRun::rHonor, line.honor, along(line.honorOff), {}, line.honorRatio, L.height});
    if (!line.note.isEmpty()) {
        QPoint p = along(line.noteOff);
        p += Vertical ? QPoint(-L.noteShift, 0) : QPoint(0, L.noteShift);
        Runs.push_back(TNameRun{TNameRun::rNote, line.note, p, {}, 1.0, L.noteHeight});
    }
}

} // namespace

void TNameRect::RenderPersonal(TCanvas& Canvas, const QPoint& Size)
{
    const TTextFrame f = TextFrameOf(Size, Direction);
    std::vector<TJointName> names{TJointName{Name, Honor, Note}};
    if (NameKind == 1)
        for (const TJointName& j : Joints)
            if (names.size() < kMaxNames)
                names.push_back(j);
    const bool anyName = std::any_of(names.begin(), names.end(), [](const TJointName& n) {
        return std::any_of(n.Name.begin(), n.Name.end(), [](QChar c) { return !IsBlank(c); });
    });
    if (!anyName)
        return;
    const qint32 J = static_cast<qint32>(names.size()) - 1;
    const qint32 TH0 = TextH(Canvas);
    if (!ScaleCanvasFont(Canvas, f.B, TH0 * (J + 1) + (TH0 / 8) * J, false))
        return;
    TNamesLayout L;
    if (!LayoutNameLines(Canvas, names, Honor, ShowHonor == 1, f.A, true, CharSpace != 0, NameAlign, f.vertical, L))
        return;
    const qint32 n = J + 1;
    const qint32 TH = L.TH;
    const qint32 g = TH / 8;
    // Across: the block centred in B, the main name on top (or on the right).
    const qint32 m = n % 2 ? n / 2 : n / 2 - 1;
    qint32 ref;
    if (!f.vertical)
        ref = n % 2 ? (f.B - TH) / 2 + f.my : (f.B - g) / 2 + f.my - TH;
    else
        ref = n % 2 ? (f.B - TH) / 2 + f.mx + TH : (f.B + g) / 2 + f.mx + TH;
    for (qint32 i = 0; i < n; ++i) {
        const qint32 step = (i - m) * (TH + g);
        const QPoint at = f.vertical ? QPoint(ref - step, f.my) : QPoint(f.mx, ref + step);
        AddNameRuns(Runs, L, L.lines[i], at, f.vertical);
    }
}

namespace {

// A company-side line of a corporate block: the company, a department or
// the job title, its height a share of the name's.
struct TCorpLine {
    QString text;
    QString head, rest;
    double baseRatio = 1;
    double ratio = 1;
    int quarters = 0; // indent in quarters of a character
    bool isCorp = false;
    bool isDptmnt = false;
    bool onNameLine = false;
    bool honorHere = false;
    qint32 height = 0;
    qint32 TW = 0, TH = 0, indent = 0, length = 0;
};

// The company-side lines of a corporate block and the steps that fit them
// into the frame: along its length A each line, across its breadth B the
// block with the name under it.
struct TCorpBlock {
    TCanvas& Canvas;
    const TTextFrame f;
    const QString& honor;
    const bool honorShown;
    const bool hasName;
    const bool corpBreak;
    std::vector<TCorpLine> lines;
    qint32 nameTH = 0;
    qint32 blockTH = 0;

    void Add(const QString& text, double ratio, int quarters, bool isCorp, bool isDptmnt, bool onNameLine)
    {
        if (!text.isEmpty())
            lines.push_back(TCorpLine{text, text, {}, ratio, ratio, quarters, isCorp, isDptmnt, onNameLine});
    }
    qint32 HonorPart(const TCorpLine& l) const
    {
        return honorShown ? static_cast<qint32>(RoundHalfUp(l.TW / 3.0)) + Canvas.TextWidth(honor) : 0;
    }
    void Measure(TCorpLine& l, qint32 nameHeight) const
    {
        const double h = std::trunc(nameHeight * l.ratio);
        l.height = h < 0 ? static_cast<qint32>(std::max(h, -1.0e6)) : 0;
        if (l.height == 0)
            return;
        Canvas.Font().SetHeight(l.height);
        l.TW = TextW(Canvas);
        l.TH = TextH(Canvas);
        l.indent = l.TW * l.quarters / 4;
        const qint32 wh = Canvas.TextWidth(l.head);
        l.length = l.indent + (l.rest.isEmpty() ? wh : std::max(wh, Canvas.TextWidth(l.rest)) + l.TW) +
                   (l.honorHere ? HonorPart(l) : 0);
    }
    bool Fit();
    void MeasureAtHeight(qint32 nameHeight);
    void CondenseToLength(qint32 nameHeight);
    qint32 Breadth() const;
    const TCorpLine* Title() const;
    void AddRuns(std::vector<TNameRun>& Runs, const TNamesLayout& L, const TCorpLine* title, qint32 start) const;
};

// Shrinks the name's font until the block fits the breadth; False when it
// never does.
bool TCorpBlock::Fit()
{
    for (int attempt = 0;; ++attempt) {
        const qint32 nameHeight = Canvas.Font().Height();
        nameTH = TextH(Canvas);
        MeasureAtHeight(nameHeight);
        CondenseToLength(nameHeight);
        blockTH = Breadth();
        Canvas.Font().SetHeight(nameHeight);
        if (blockTH <= f.B)
            return true;
        if (attempt >= 8 || !ScaleCanvasFont(Canvas, f.B, blockTH, false))
            return false;
    }
}

// Measures every line afresh at its share of the name height; with
// CorpBreak a line too long for the length is broken at a space.
void TCorpBlock::MeasureAtHeight(qint32 nameHeight)
{
    for (TCorpLine& l : lines) {
        l.ratio = l.baseRatio;
        l.head = l.text;
        l.rest.clear();
        Measure(l, nameHeight);
        if (l.height == 0 || !corpBreak || l.onNameLine)
            continue;
        Canvas.Font().SetHeight(l.height);
        const qint32 w = Canvas.TextWidth(l.text);
        const bool tooLong = l.isCorp ? w + HonorPart(l) - 2 * l.TW > f.A : w - l.TW + l.indent > f.A;
        if (tooLong && BreakAtSpace(l.head, l.rest))
            Measure(l, nameHeight);
    }
}

// A line still longer than the frame is made smaller to fit; the
// departments then share the smallest ratio of theirs and the company's.
void TCorpBlock::CondenseToLength(qint32 nameHeight)
{
    const TCorpLine* corp = nullptr;
    double dptmnt = 0;
    bool anyDptmnt = false;
    for (TCorpLine& l : lines) {
        if (l.height != 0 && l.length > f.A && l.length > 0) {
            l.ratio *= double(f.A) / l.length;
            Measure(l, nameHeight);
        }
        if (l.isCorp && l.height != 0)
            corp = &l;
        if (l.isDptmnt && l.height != 0) {
            dptmnt = anyDptmnt ? std::min(dptmnt, l.ratio) : l.ratio;
            anyDptmnt = true;
        }
    }
    for (TCorpLine& l : lines)
        if (l.isDptmnt && l.height != 0) {
            l.ratio = corp ? std::min(dptmnt, corp->ratio) : dptmnt;
            Measure(l, nameHeight);
        }
}

// The block across: its own lines with their small gaps, then the name.
qint32 TCorpBlock::Breadth() const
{
    qint32 breadth = 0;
    int own = 0;
    for (const TCorpLine& l : lines)
        if (l.height != 0 && !l.onNameLine) {
            breadth += l.TH * (l.rest.isEmpty() ? 1 : 2);
            ++own;
        }
    if (own > 1)
        breadth += (own - 1) * (nameTH / 16);
    if (hasName)
        breadth += own > 0 ? nameTH / 4 + nameTH : nameTH;
    return breadth;
}

// The short title that shares the name's line, if any.
const TCorpLine* TCorpBlock::Title() const
{
    const TCorpLine* title = nullptr;
    for (const TCorpLine& l : lines)
        if (l.onNameLine && l.height != 0)
            title = &l;
    return title;
}

// The runs of the block centred across the breadth, from the top (or from
// the right): the company-side lines, then the name line L (when there is
// a name) at Start after its title.
void TCorpBlock::AddRuns(std::vector<TNameRun>& Runs, const TNamesLayout& L, const TCorpLine* title,
                         qint32 start) const
{
    qint32 across = f.vertical ? f.mx + f.B - (f.B - blockTH) / 2 : f.my + (f.B - blockTH) / 2;
    auto point = [&](qint32 alongOff, qint32 acrossPos) {
        return f.vertical ? QPoint(acrossPos, f.my + alongOff) : QPoint(f.mx + alongOff, acrossPos);
    };
    const qint32 dir = f.vertical ? -1 : 1;
    bool first = true;
    for (const TCorpLine& l : lines) {
        if (l.height == 0 || l.onNameLine)
            continue;
        if (!first)
            across += dir * (nameTH / 16);
        first = false;
        Runs.push_back(TNameRun{TNameRun::rCorp, l.head, point(l.indent, across), {}, 1.0, l.height});
        Canvas.Font().SetHeight(l.height);
        const qint32 part = l.honorHere ? HonorPart(l) : 0;
        if (!l.rest.isEmpty()) {
            across += dir * l.TH;
            Runs.push_back(TNameRun{TNameRun::rCorp, l.rest, point(f.A - Canvas.TextWidth(l.rest) - part, across),
                                    {}, 1.0, l.height});
            if (l.honorHere)
                Runs.push_back(TNameRun{TNameRun::rHonor, honor, point(f.A - Canvas.TextWidth(honor), across), {},
                                        1.0, l.height});
        } else if (l.honorHere) {
            Runs.push_back(TNameRun{TNameRun::rHonor, honor,
                                    point(l.indent + Canvas.TextWidth(l.head) + Rounded(l.TW / 3.0), across), {}, 1.0,
                                    l.height});
        }
        across += dir * l.TH;
    }
    if (!hasName)
        return;
    if (!first)
        across += dir * (nameTH / 4);
    if (title)
        Runs.push_back(TNameRun{TNameRun::rCorp, title->text, point(0, across + dir * ((nameTH - title->TH) / 2)), {},
                                1.0, title->height});
    AddNameRuns(Runs, L, L.lines[0], point(start, across), f.vertical);
}

} // namespace

void TNameRect::RenderCorporate(TCanvas& Canvas, const QPoint& Size)
{
    const bool hasName = std::any_of(Name.begin(), Name.end(), [](QChar c) { return !IsBlank(c); });
    TCorpBlock block{Canvas, TextFrameOf(Size, Direction), Honor, ShowHonor == 1 && !Honor.isEmpty(), hasName,
                     CorpBreak != 0, {}};
    const bool postOnNameLine = hasName && !Post.isEmpty() && Post.size() < 7;
    block.Add(Corp, CorpRatio, 0, true, false, false);
    block.Add(Dptmnt[0], DptmntRatio, 1, false, true, false);
    block.Add(Dptmnt[1], DptmntRatio, 2, false, true, false);
    block.Add(Post, PostRatio, 0, false, false, postOnNameLine);
    if (!hasName && block.lines.empty())
        return;
    // Without a name the honorific follows the last company-side line.
    if (!hasName && block.honorShown)
        block.lines.back().honorHere = true;
    if (!block.Fit())
        return;

    // The name line, after a short title when it shares the line.
    TNamesLayout L;
    const TCorpLine* title = block.Title();
    qint32 start = 0;
    if (hasName) {
        const qint32 nameHeight = Canvas.Font().Height();
        if (title) {
            Canvas.Font().SetHeight(title->height);
            start = Canvas.TextWidth(title->text);
            Canvas.Font().SetHeight(nameHeight);
            start += TextW(Canvas) / 2;
        }
        std::vector<TJointName> names{TJointName{Name, Honor, Note}};
        if (!LayoutNameLines(Canvas, names, Honor, ShowHonor == 1, block.f.A - start, IgnoreName == 0,
                             CharSpace != 0, NameAlign, block.f.vertical, L))
            return;
        // A name shrunk along its line is thinner across: the block follows.
        block.blockTH += L.TH - block.nameTH;
        block.nameTH = L.TH;
    }
    block.AddRuns(Runs, L, title, start);
}

void TNameRect::DrawRuns(TCanvas& Canvas, const QPoint& Size, bool Vertical)
{
    Canvas.SetBkMode(gdi::TRANSPARENT);
    for (const TNameRun& r : Runs) {
        Canvas.Font().SetHeight(r.height);
        SetFontDirection(Canvas.Font(), Vertical);
        SetFontWidthRatio(Canvas, r.widthRatio);
        if (UpsideDown)
            RotateFont180(Canvas.Font());
        const QPoint at = UpsideDown ? MirroredPoint(Size, r.at) : r.at;
        if (r.dx.empty()) {
            Canvas.TextOut(at.x(), at.y(), r.text);
        } else if (!Vertical) {
            ExtTextOutWEx(Canvas, at.x(), at.y(), 0, nullptr, r.text, r.dx.data());
        } else {
            // The canvas centres an upright character in a wider advance;
            // a name's characters start where their advances put them, so
            // each is set on its own.
            const int sign = UpsideDown ? -1 : 1;
            qint64 pen = 0;
            for (qsizetype i = 0; i < r.text.size(); ++i) {
                if (r.text.at(i) != QLatin1Char(' '))
                    Canvas.TextOut(at.x(), static_cast<int>(at.y() + sign * pen), r.text.mid(i, 1));
                pen += r.dx[size_t(i)];
            }
        }
        SetFontWidthRatio(Canvas, 1.0);
    }
}

// One registration for the classes of this unit; the program and the
// harnesses call it at start, any number of times.
void RegisterNameClasses()
{
    RegisterDrawItemClasses();
}
