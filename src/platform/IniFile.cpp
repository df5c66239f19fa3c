#include "platform/IniFile.h"

#include "platform/Cp932.h"

#include <QFile>
#include <QSaveFile>

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
    dirty_ = false;
    QFile f(fileName_);
    if (f.open(QIODevice::ReadOnly))
        parse(f.readAll());
}

namespace {

QString unquote(const QString& v)
{
    if (v.size() >= 2 && ((v.front() == u'"' && v.back() == u'"') || (v.front() == u'\'' && v.back() == u'\'')))
        return v.mid(1, v.size() - 2);
    return v;
}

bool sameName(const QString& a, const QString& b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

void TIniFile::parse(const QByteArray& data)
{
    eol_ = data.contains("\r\n") || !data.contains('\n') ? QByteArray("\r\n") : QByteArray("\n");
    sections_.push_back(Section{}); // lines before the first section header
    qsizetype pos = 0;
    while (pos < data.size()) {
        qsizetype nl = data.indexOf('\n', pos);
        qsizetype end = nl < 0 ? data.size() : nl;
        QByteArray raw = data.mid(pos, end - pos);
        if (raw.endsWith('\r'))
            raw.chop(1);
        pos = nl < 0 ? data.size() : nl + 1;

        QByteArray t = cp932::Trim(raw);
        if (t.startsWith('[')) {
            qsizetype close = t.indexOf(']');
            if (close > 0) {
                Section s;
                s.header = raw;
                s.name = cp932::Trim(cp932::Decode(t.mid(1, close - 1)));
                sections_.push_back(std::move(s));
                continue;
            }
        }
        Line line;
        line.raw = raw;
        if (!t.isEmpty() && t[0] != ';') {
            qsizetype eq = t.indexOf('=');
            if (eq > 0) {
                line.key = cp932::Trim(cp932::Decode(t.left(eq)));
                line.value = unquote(cp932::Trim(cp932::Decode(t.mid(eq + 1))));
            }
        }
        sections_.back().lines.push_back(std::move(line));
    }
    if (sections_.size() > 1 && sections_.front().lines.empty())
        sections_.erase(sections_.begin());
}

TIniFile::Section* TIniFile::findSection(const QString& name)
{
    for (Section& s : sections_)
        if (!s.header.isEmpty() && sameName(s.name, name))
            return &s;
    return nullptr;
}

const TIniFile::Section* TIniFile::findSection(const QString& name) const
{
    return const_cast<TIniFile*>(this)->findSection(name);
}

TIniFile::Line* TIniFile::findKey(Section& s, const QString& key)
{
    for (Line& l : s.lines)
        if (!l.key.isEmpty() && sameName(l.key, key))
            return &l;
    return nullptr;
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
        ns.header = "[" + cp932::Encode(section) + "]";
        // Keep a blank line between sections, as Windows does not but people expect.
        if (!sections_.empty() && !sections_.back().lines.empty() && !sections_.back().lines.back().raw.isEmpty())
            sections_.back().lines.push_back(Line{});
        sections_.push_back(std::move(ns));
        s = &sections_.back();
    }
    // A value is one line: a line break in it would end the line and start
    // keys or sections of its own (an empty AdminPassword=, say) when the
    // file is next read. Each break is written as a blank.
    QString line = value;
    line.replace(QLatin1String("\r\n"), QLatin1String(" ")).replace(u'\r', u' ').replace(u'\n', u' ');
    QByteArray raw = cp932::Encode(key) + "=" + cp932::Encode(line);
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
        while (it != s->lines.begin() && (it - 1)->key.isEmpty() && cp932::Trim((it - 1)->raw).isEmpty())
            --it;
        s->lines.insert(it, std::move(nl));
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
    for (auto it = sections_.begin(); it != sections_.end(); ++it) {
        if (!it->header.isEmpty() && sameName(it->name, section)) {
            sections_.erase(it);
            dirty_ = true;
            return;
        }
    }
}

void TIniFile::DeleteKey(const QString& section, const QString& key)
{
    Section* s = findSection(section);
    if (!s)
        return;
    for (auto it = s->lines.begin(); it != s->lines.end(); ++it) {
        if (!it->key.isEmpty() && sameName(it->key, key)) {
            s->lines.erase(it);
            dirty_ = true;
            return;
        }
    }
}

bool TIniFile::UpdateFile()
{
    QByteArray out;
    for (const Section& s : sections_) {
        if (!s.header.isEmpty())
            out += s.header + eol_;
        for (const Line& l : s.lines)
            out += l.raw + eol_;
    }
    QSaveFile f(fileName_);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    if (f.write(out) != out.size()) {
        f.cancelWriting();
        return false;
    }
    if (!f.commit())
        return false;
    dirty_ = false;
    return true;
}
