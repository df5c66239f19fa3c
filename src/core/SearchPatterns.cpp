#include "core/SearchPatterns.h"

#include "core/Folders.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <cstring>
#include <limits>

namespace {

const QByteArray kListMagic = QByteArrayLiteral("TSLS");
constexpr quint16 kListVersion = 1;

void putInt32(QByteArray& out, std::int32_t v)
{
    const auto u = std::uint32_t(v);
    for (int i = 0; i < 4; ++i)
        out.append(char((u >> (8 * i)) & 0xFF));
}

bool getByte(const QByteArray& b, qsizetype& pos, std::uint8_t& v)
{
    if (pos >= b.size())
        return false;
    v = std::uint8_t(b[pos++]);
    return true;
}

bool getInt32(const QByteArray& b, qsizetype& pos, std::int32_t& v)
{
    if (b.size() - pos < 4)
        return false;
    std::uint32_t u = 0;
    for (int i = 0; i < 4; ++i)
        u |= std::uint32_t(std::uint8_t(b[pos + i])) << (8 * i);
    pos += 4;
    v = std::int32_t(u);
    return true;
}

bool getCondition(const QByteArray& b, qsizetype& pos, TNarrowDownCondition& c, int count)
{
    c.Items.clear();
    for (int i = 0; i < count; ++i) {
        TNarrowDownItem item;
        if (!ReadNarrowDownItem(b, pos, item))
            return false;
        c.Items.push_back(std::move(item));
    }
    return true;
}

bool getBool(const QByteArray& b, qsizetype& pos, bool& v)
{
    std::uint8_t byte = 0;
    if (!getByte(b, pos, byte) || byte > 1)
        return false;
    v = byte == 1;
    return true;
}

} // namespace

void AppendNarrowDownItem(QByteArray& out, const TNarrowDownItem& item)
{
    out.append(char(std::uint8_t(item.Item)));
    out.append(char(std::uint8_t(item.Kind)));
    switch (item.Kind) {
    case ndkText:
        putInt32(out, std::int32_t(item.Text.size()));
        out.append(item.Text);
        break;
    case ndkChoice:
    case ndkCategory:
        putInt32(out, item.Value1);
        break;
    case ndkRange:
        putInt32(out, item.Value1);
        putInt32(out, item.Value2);
        break;
    default:
        break;
    }
    out.append(char(std::int8_t(item.Match)));
    out.append(char(item.Exclude ? 1 : 0));
}

bool ReadNarrowDownItem(const QByteArray& b, qsizetype& pos, TNarrowDownItem& item)
{
    item = {};
    std::uint8_t itemNo = 0, kind = 0, match = 0;
    if (!getByte(b, pos, itemNo) || !getByte(b, pos, kind))
        return false;
    item.Item = itemNo;
    item.Kind = kind;
    switch (item.Kind) {
    case ndkText: {
        std::int32_t length = 0;
        if (!getInt32(b, pos, length) || length < 0 || length > b.size() - pos)
            return false;
        item.Text = b.mid(pos, length);
        pos += length;
        break;
    }
    case ndkChoice:
    case ndkCategory:
        if (!getInt32(b, pos, item.Value1))
            return false;
        break;
    case ndkRange:
        if (!getInt32(b, pos, item.Value1) || !getInt32(b, pos, item.Value2))
            return false;
        break;
    default:
        return false; // a kind no writer makes
    }
    if (!getByte(b, pos, match) || !getBool(b, pos, item.Exclude))
        return false;
    item.Match = std::int8_t(match);
    return IsSoundNarrowDownItem(item);
}

// ---------------------------------------------------------------- Search.ptn

QString SearchPatternFileName() { return DataPath() + QStringLiteral("Search.ptn"); }

namespace {

// A name is one line: a line break or another control character (which a
// file written before names were kept to one line may hold) is written as
// the blank the pattern list showed for it.
QString OneLineName(const QString& name)
{
    QString line = name;
    line.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    for (QChar& c : line)
        if (c.category() == QChar::Other_Control || c == QChar::LineSeparator || c == QChar::ParagraphSeparator)
            c = QLatin1Char(' ');
    return line;
}

} // namespace

QByteArray SearchPatternNameBytes(const QString& typed)
{
    const QString name = OneLineName(typed);
    // A name the code page holds goes as it is, unless the reader would take
    // those bytes for wide text ("@0041" is "A"): such a name is written as
    // wide text too, so it reads back as typed.
    if (cp932::CanEncode(name)) {
        const QByteArray bytes = cp932::Encode(name);
        if (AtHexToWide(bytes) == name)
            return bytes;
    }
    return WideToAtHex(name);
}

int IndexOfSearchPattern(const TSearchPatterns& patterns, const QString& name)
{
    for (size_t i = 0; i < patterns.size(); ++i)
        if (patterns[i].Name == name)
            return int(i);
    return -1;
}

TSearchPatterns ParseSearchPatterns(const QByteArray& b)
{
    TSearchPatterns patterns;
    qsizetype pos = 0;
    std::uint8_t count = 0;
    if (!getByte(b, pos, count))
        return patterns;
    for (int p = 0; p < count; ++p) {
        TSearchPattern pattern;
        std::uint8_t nameLength = 0, conditions = 0;
        if (!getByte(b, pos, nameLength) || b.size() - pos < nameLength)
            break;
        pattern.Name = AtHexToWide(b.mid(pos, nameLength));
        pos += nameLength;
        if (!getByte(b, pos, conditions) || !getCondition(b, pos, pattern.Condition, conditions)
            || !getBool(b, pos, pattern.Condition.MatchAll))
            break;
        patterns.push_back(std::move(pattern));
    }
    return patterns;
}

TSearchPatterns LoadSearchPatterns(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseSearchPatterns(file.readAll());
}

bool EncodeSearchPatterns(const TSearchPatterns& patterns, QByteArray& out)
{
    out.clear();
    if (patterns.size() > size_t(kMaxSearchPatterns))
        return false;
    out.append(char(patterns.size()));
    for (const TSearchPattern& p : patterns) {
        const QByteArray name = SearchPatternNameBytes(p.Name);
        if (name.size() > 255 || p.Condition.Items.size() > 255) {
            out.clear();
            return false;
        }
        out.append(char(name.size()));
        out.append(name);
        out.append(char(p.Condition.Items.size()));
        for (const TNarrowDownItem& item : p.Condition.Items) {
            if (item.Text.size() > std::numeric_limits<std::int32_t>::max()) {
                out.clear();
                return false;
            }
            AppendNarrowDownItem(out, item);
        }
        out.append(char(p.Condition.MatchAll ? 1 : 0));
    }
    return true;
}

bool SaveSearchPatterns(const TSearchPatterns& patterns, const QString& fileName)
{
    if (patterns.empty())
        return !QFile::exists(fileName) || QFile::remove(fileName);
    QByteArray bytes;
    return EncodeSearchPatterns(patterns, bytes) && SaveFileAtomically(fileName, bytes, true);
}

// ---------------------------------------------------------------- Search.lst

QString SearchListFileName() { return DataPath() + QStringLiteral("Search.lst"); }

TSavedFilter ParseSearchList(const QByteArray& b)
{
    TSavedFilter filter;
    if (b.size() < 9 || !b.startsWith(kListMagic) || std::uint8_t(b[4]) != (kListVersion & 0xFF)
        || std::uint8_t(b[5]) != (kListVersion >> 8))
        return filter;
    qsizetype pos = 6;
    bool matchAll = true, disabled = false;
    std::uint8_t count = 0;
    if (!getBool(b, pos, matchAll) || !getBool(b, pos, disabled) || !getByte(b, pos, count))
        return filter;
    filter.Condition.MatchAll = matchAll;
    filter.Disabled = disabled;
    for (int i = 0; i < count; ++i) {
        TNarrowDownItem item;
        if (!ReadNarrowDownItem(b, pos, item))
            break;
        filter.Condition.Items.push_back(std::move(item));
    }
    return filter;
}

TSavedFilter LoadSearchList(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return ParseSearchList(file.readAll());
}

QByteArray EncodeSearchList(const TSavedFilter& filter)
{
    QByteArray out = kListMagic;
    out.append(char(kListVersion & 0xFF));
    out.append(char(kListVersion >> 8));
    out.append(char(filter.Condition.MatchAll ? 1 : 0));
    out.append(char(filter.Disabled ? 1 : 0));
    out.append(char(std::uint8_t(filter.Condition.Items.size())));
    for (const TNarrowDownItem& item : filter.Condition.Items)
        AppendNarrowDownItem(out, item);
    return out;
}

bool SaveSearchList(const TSavedFilter& filter, const QString& fileName)
{
    if (filter.Condition.Items.size() > 255)
        return false;
    return SaveFileAtomically(fileName, EncodeSearchList(filter), true);
}
