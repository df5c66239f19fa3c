#include "platform/IniFile.h"

#include "platform/Cp932.h"
#include "platform/PrivateFiles.h"

#include <QFile>
#include <QUtf8StringView>
#include <cerrno>
#include <iterator>
#include <sys/stat.h>

TIniFile::TIniFile(const QString& fileName) : fileName_(fileName)
{
    Reload();
}

TIniFile::~TIniFile()
{
    if (dirty_)
        UpdateFile();
}

void TIniFile::Reload()
{
    sections_.clear();
    sectionIndex_.clear();
    dirty_ = false;
    readable_ = true;
    mark_.clear();
    utf8_ = false;
    if (fileName_.isEmpty())
        return;
    QFile f(fileName_);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray data = f.readAll();
        if (f.error() == QFileDevice::NoError) {
            parse(data);
            return;
        }
        readError_ = errno ? errno : EIO;
    } else {
        // Only a file that is not there reads as empty. Anything else (no
        // permission, a folder in the way, an unreadable parent folder)
        // may hide keys that a write would lose. What stands at the path is
        // known only when lstat could look; else the open's own cause is the
        // one to tell (a file where a folder should be, a lost disk).
        const int openError = errno;
        struct stat st{};
        if (::lstat(QFile::encodeName(fileName_).constData(), &st) != 0) {
            if (errno == ENOENT)
                return;
            readError_ = openError ? openError : errno;
        } else {
            readError_ = S_ISDIR(st.st_mode) ? EISDIR : openError ? openError : EACCES;
        }
    }
    readable_ = false;
}

namespace {

QString unquote(const QString& v)
{
    if (v.size() >= 2 && ((v.front() == u'"' && v.back() == u'"') || (v.front() == u'\'' && v.back() == u'\'')))
        return v.mid(1, v.size() - 2);
    return v;
}

// The position of the ']' that closes a section header, found character by
// character: the trail byte of a double-byte character (ゾ is 0x83 0x5D) is
// no bracket. -1 when there is none.
qsizetype closingBracket(const QByteArray& t)
{
    for (qsizetype i = 1; i < t.size();) {
        const unsigned char b = static_cast<unsigned char>(t[i]);
        if (cp932::IsLeadByte(b) && i + 1 < t.size()) {
            i += 2;
            continue;
        }
        if (b == ']')
            return i;
        ++i;
    }
    return -1;
}

const QByteArray kUtf8Mark("\xEF\xBB\xBF");

} // namespace

QString TIniFile::decode(const QByteArray& bytes) const
{
    return utf8_ ? QString::fromUtf8(bytes) : cp932::Decode(bytes);
}

QByteArray TIniFile::encode(const QString& text) const
{
    return utf8_ ? text.toUtf8() : cp932::Encode(text);
}

void TIniFile::indexKey(Section& s, Lines::iterator line)
{
    if (line->key.isEmpty())
        return;
    const QString name = fold(line->key);
    if (!s.keys.contains(name)) // the first of a name wins
        s.keys.insert(name, line);
}

void TIniFile::indexSection(Sections::iterator s)
{
    if (s->header.isEmpty())
        return;
    const QString name = fold(s->name);
    if (!sectionIndex_.contains(name))
        sectionIndex_.insert(name, s);
}

void TIniFile::parse(const QByteArray& data)
{
    eol_ = data.contains("\r\n") || !data.contains('\n') ? QByteArray("\r\n") : QByteArray("\n");
    sections_.push_back(Section{}); // lines before the first section header
    // A byte-order mark another editor put at the start is no part of the
    // first line (its section would go unfound, and every save would add a
    // second one that the first keeps shadowing). Such an editor saved the
    // text as UTF-8: it is read and written so, the mark kept in front.
    // Bytes that are no UTF-8 after all are code page 932 text an editor
    // marked; they stay that.
    qsizetype pos = 0;
    if (data.startsWith(kUtf8Mark)) {
        mark_ = kUtf8Mark;
        pos = mark_.size();
        utf8_ = QUtf8StringView(data.constData() + pos, data.size() - pos).isValidUtf8();
    }
    while (pos < data.size()) {
        qsizetype nl = data.indexOf('\n', pos);
        qsizetype end = nl < 0 ? data.size() : nl;
        QByteArray raw = data.mid(pos, end - pos);
        if (raw.endsWith('\r'))
            raw.chop(1);
        pos = nl < 0 ? data.size() : nl + 1;

        QByteArray t = cp932::Trim(raw);
        if (t.startsWith('[')) {
            // No byte of a UTF-8 character is a bracket.
            qsizetype close = utf8_ ? t.indexOf(']', 1) : closingBracket(t);
            if (close > 0) {
                Section s;
                s.header = raw;
                s.name = cp932::Trim(decode(t.mid(1, close - 1)));
                sections_.push_back(std::move(s));
                indexSection(std::prev(sections_.end()));
                continue;
            }
        }
        Line line;
        line.raw = raw;
        if (!t.isEmpty() && t[0] != ';') {
            qsizetype eq = t.indexOf('=');
            if (eq > 0) {
                line.key = cp932::Trim(decode(t.left(eq)));
                line.value = unquote(cp932::Trim(decode(t.mid(eq + 1))));
            }
        }
        Section& s = sections_.back();
        s.lines.push_back(std::move(line));
        indexKey(s, std::prev(s.lines.end()));
    }
    if (sections_.size() > 1 && sections_.front().lines.empty())
        sections_.pop_front();
}

TIniFile::Section* TIniFile::findSection(const QString& name)
{
    auto it = sectionIndex_.constFind(fold(name));
    return it == sectionIndex_.cend() ? nullptr : &*it.value();
}

const TIniFile::Section* TIniFile::findSection(const QString& name) const
{
    return const_cast<TIniFile*>(this)->findSection(name);
}

TIniFile::Line* TIniFile::findKey(Section& s, const QString& key)
{
    auto it = s.keys.constFind(fold(key));
    return it == s.keys.cend() ? nullptr : &*it.value();
}

const TIniFile::Line* TIniFile::findKey(const Section& s, const QString& key)
{
    return findKey(const_cast<Section&>(s), key);
}

QString TIniFile::ReadString(const QString& section, const QString& key, const QString& def) const
{
    const Section* s = findSection(section);
    if (!s)
        return def;
    const Line* l = findKey(*s, key);
    return l ? l->value : def;
}

int TIniFile::ReadInteger(const QString& section, const QString& key, int def) const
{
    QString v = ReadString(section, key, QString());
    if (v.isEmpty())
        return def;
    bool ok = false;
    int n;
    if (v.startsWith(u'$'))
        n = v.mid(1).toInt(&ok, 16);
    else if (v.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        n = v.mid(2).toInt(&ok, 16);
    else
        n = v.toInt(&ok, 10);
    return ok ? n : def;
}

bool TIniFile::ReadBool(const QString& section, const QString& key, bool def) const
{
    return ReadInteger(section, key, def ? 1 : 0) != 0;
}

double TIniFile::ReadFloat(const QString& section, const QString& key, double def) const
{
    QString v = ReadString(section, key, QString());
    bool ok = false;
    double d = v.toDouble(&ok);
    return ok ? d : def;
}

void TIniFile::WriteString(const QString& section, const QString& key, const QString& value)
{
    Section* s = findSection(section);
    if (!s) {
        Section ns;
        ns.name = section;
        ns.header = "[" + encode(section) + "]";
        // Keep a blank line between sections, as Windows does not but people expect.
        if (!sections_.empty() && !sections_.back().lines.empty() && !sections_.back().lines.back().raw.isEmpty())
            sections_.back().lines.push_back(Line{});
        sections_.push_back(std::move(ns));
        indexSection(std::prev(sections_.end()));
        s = &sections_.back();
    }
    // A value is one line: a line break in it would end the line and start
    // keys or sections of its own (an empty AdminPassword=, say) when the
    // file is next read. Each break is written as a blank.
    QString line = value;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    QByteArray raw = encode(key) + "=" + encode(line);
    // Held as reading the file gives it, so it reads the same before and
    // after the file is reread.
    const QString stored = unquote(cp932::Trim(line));
    if (Line* l = findKey(*s, key)) {
        if (l->raw == raw)
            return;
        l->raw = raw;
        l->value = stored;
    } else {
        Line nl{raw, key, stored};
        // New keys go after the section's last key, before trailing blank lines.
        auto it = s->lines.end();
        while (it != s->lines.begin() && std::prev(it)->key.isEmpty() && cp932::Trim(std::prev(it)->raw).isEmpty())
            --it;
        indexKey(*s, s->lines.insert(it, std::move(nl)));
    }
    dirty_ = true;
}

void TIniFile::WriteInteger(const QString& section, const QString& key, int value)
{
    WriteString(section, key, QString::number(value));
}

void TIniFile::WriteBool(const QString& section, const QString& key, bool value)
{
    WriteString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

void TIniFile::WriteFloat(const QString& section, const QString& key, double value)
{
    WriteString(section, key, QString::number(value, 'g', 15));
}

bool TIniFile::SectionExists(const QString& section) const
{
    return findSection(section) != nullptr;
}

bool TIniFile::ValueExists(const QString& section, const QString& key) const
{
    const Section* s = findSection(section);
    return s && findKey(*s, key);
}

QStringList TIniFile::ReadSection(const QString& section) const
{
    QStringList keys;
    if (const Section* s = findSection(section))
        for (const Line& l : s->lines)
            if (!l.key.isEmpty())
                keys << l.key;
    return keys;
}

QStringList TIniFile::ReadSections() const
{
    QStringList names;
    for (const Section& s : sections_)
        if (!s.header.isEmpty())
            names << s.name;
    return names;
}

void TIniFile::EraseSection(const QString& section)
{
    const QString name = fold(section);
    auto found = sectionIndex_.find(name);
    if (found == sectionIndex_.end())
        return;
    const Sections::iterator gone = found.value();
    sectionIndex_.erase(found);
    // A later section of the same name is the one read from now on.
    for (auto it = std::next(gone); it != sections_.end(); ++it) {
        if (!it->header.isEmpty() && fold(it->name) == name) {
            sectionIndex_.insert(name, it);
            break;
        }
    }
    sections_.erase(gone);
    dirty_ = true;
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    Section* s = findSection(section);
    if (!s)
        return;
    const QString name = fold(key);
    auto found = s->keys.find(name);
    if (found == s->keys.end())
        return;
    const Lines::iterator gone = found.value();
    s->keys.erase(found);
    for (auto it = std::next(gone); it != s->lines.end(); ++it) {
        if (!it->key.isEmpty() && fold(it->key) == name) {
            s->keys.insert(name, it);
            break;
        }
    }
    s->lines.erase(gone);
    dirty_ = true;
}

bool TIniFile::UpdateFile()
{
    if (!readable_) {
        errno = readError_; // the caller says why in its own words
        return false;
    }
    QByteArray out = mark_;
    for (const Section& s : sections_) {
        if (!s.header.isEmpty())
            out += s.header + eol_;
        for (const Line& l : s.lines)
            out += l.raw + eol_;
    }
    // Settings files hold the administrator password and the books' names.
    if (!SaveFileAtomically(fileName_, out, true))
        return false;
    dirty_ = false;
    return true;
}
