#include "core/common/FontUtils.h"

#include "platform/Canvas.h"

#include <QFont>
#include <QFontDatabase>
#include <QFontInfo>
#include <QSet>
#include <cmath>

namespace {

const QString kDefaultJapaneseFace = QStringLiteral("ＭＳ 明朝");

// The faces layouts made on Windows name; they draw with the IPA fonts.
const char* const kWindowsFaces[] = {"ＭＳ 明朝", "ＭＳ Ｐ明朝", "ＭＳ ゴシック", "ＭＳ Ｐゴシック"};

// The database tells same-named families of different foundries apart as
// "Name [Foundry]"; a layout stores the bare name.
QString WithoutFoundry(const QString& family)
{
    if (!family.endsWith(QLatin1Char(']')))
        return family;
    const qsizetype open = family.lastIndexOf(QStringLiteral(" ["));
    return open > 0 ? family.left(open) : family;
}

// The family an installed face name resolves to; empty for a name the
// database does not know (a substitute alone does not count).
QString InstalledFamily(const QString& name)
{
    if (name.isEmpty() || !QFontDatabase::hasFamily(name))
        return QString();
    return WithoutFoundry(QFontInfo(QFont(name)).family());
}

} // namespace

void ListTrueTypeFonts(std::vector<TFontListEntry>& list, bool fixedPitchOnly, bool symbolToo)
{
    QSet<QString> seen;
    for (const TFontListEntry& e : list)
        seen.insert(e.name);
    auto add = [&](const QString& name, std::uint8_t charset) {
        if (name.startsWith(QLatin1Char('@')) || seen.contains(name))
            return;
        seen.insert(name);
        list.push_back(TFontListEntry{name, charset});
    };
    for (const char* face : kWindowsFaces) {
        const QString name = QString::fromUtf8(face);
        // The proportional faces are not fixed pitch.
        if (fixedPitchOnly && name.contains(QStringLiteral("Ｐ")))
            continue;
        add(name, SHIFTJIS_CHARSET);
    }
    for (const QString& family : QFontDatabase::families()) {
        if (!QFontDatabase::isScalable(family) || QFontDatabase::isPrivateFamily(family))
            continue;
        if (fixedPitchOnly && !QFontDatabase::isFixedPitch(family))
            continue;
        const QList<QFontDatabase::WritingSystem> systems = QFontDatabase::writingSystems(family);
        const QString name = WithoutFoundry(family);
        if (systems.contains(QFontDatabase::Japanese))
            add(name, SHIFTJIS_CHARSET);
        else if (systems.contains(QFontDatabase::Latin))
            add(name, ANSI_CHARSET);
        else if (symbolToo && systems.contains(QFontDatabase::Symbol))
            add(name, SYMBOL_CHARSET);
    }
}

int FindFontListEntry(const std::vector<TFontListEntry>& list, const QString& name)
{
    for (size_t i = 0; i < list.size(); ++i)
        if (list[i].name == name)
            return static_cast<int>(i);
    // Another of the family's names (a family has its Latin and its
    // Japanese name): both resolve to the same installed family.
    const QString family = InstalledFamily(name);
    if (family.isEmpty())
        return -1;
    for (size_t i = 0; i < list.size(); ++i)
        if (InstalledFamily(list[i].name) == family)
            return static_cast<int>(i);
    return -1;
}

bool SetFontAttr(TFont* font, std::uint8_t charset, const QString& name, int size, int styleBits)
{
    if (!font)
        return false;
    font->SetCharset(charset);
    font->SetName(name);
    font->SetSize(size);
    font->SetStyle(styleBits);
    return true;
}

int FontStyleToBits(const TFont& font)
{
    return font.Style() & (fsBold | fsItalic | fsUnderline | fsStrikeOut);
}

void SetFontVertical(TFont& font)
{
    if (font.Name().isEmpty() || font.Name() == QLatin1String("@"))
        font.SetName(kDefaultJapaneseFace);
    if (font.Charset() == SHIFTJIS_CHARSET && !font.IsVerticalFace())
        font.SetName(QLatin1Char('@') + font.Name());
    font.SetEscapement(2700);
    font.SetOrientation(2700);
}

void SetFontHorizontal(TFont& font)
{
    if (font.IsVerticalFace())
        font.SetName(font.Name().mid(1));
    if (font.Name().isEmpty())
        font.SetName(kDefaultJapaneseFace);
    font.SetEscapement(0);
    font.SetOrientation(0);
}

void SetFontWidthRatio(TCanvas& canvas, double ratio)
{
    canvas.Font().SetWidth(0);
    if (ratio == 0 || ratio == 1)
        return;
    const int average = canvas.GetTextMetrics().tmAveCharWidth;
    canvas.Font().SetWidth(static_cast<int>(std::trunc(average * ratio + 0.5)));
}

void RotateFont180(TFont& font)
{
    auto turn = [](int tenths) { return tenths < 1800 ? tenths + 1800 : tenths - 1800; };
    font.SetEscapement(turn(font.Escapement()));
    font.SetOrientation(turn(font.Orientation()));
}
