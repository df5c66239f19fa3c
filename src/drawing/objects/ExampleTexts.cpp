#include "drawing/objects/ExampleTexts.h"

#include "platform/Cp932.h"

#include <QDir>
#include <QFile>

namespace {

// One line of a comma-separated text; fields may be double-quoted, a
// doubled quote inside stands for one.
QStringList SplitCommaText(const QString& line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line.at(i);
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line.at(i + 1) == QLatin1Char('"')) {
                    field += c;
                    ++i;
                } else {
                    quoted = false;
                }
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

bool ParseCount(const QString& text, int& value)
{
    bool ok = false;
    value = cp932::Trim(text).toInt(&ok, 10);
    return ok && value >= 0;
}

} // namespace

bool ReadCp932Lines(const QString& path, QStringList& lines)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QByteArray data = f.readAll();
    lines.clear();
    for (QByteArray line : data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        lines << cp932::Decode(line);
    }
    // A final line break ends the last line; it does not start another.
    if (data.endsWith('\n'))
        lines.removeLast();
    return true;
}

QList<TExampleClass> ParseExampleIndex(const QStringList& lines)
{
    QList<TExampleClass> classes;
    for (const QString& raw : lines) {
        const QString line = cp932::Trim(raw);
        if (line.isEmpty())
            break;
        const QStringList fields = SplitCommaText(line);
        classes << TExampleClass{fields.value(0), fields.value(1)};
    }
    return classes;
}

QString ExampleClassPath(const QString& commonFolder, const QString& file)
{
    QString rel = file;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (rel.isEmpty() || rel.startsWith(QLatin1Char('/')))
        return {};
    const QString folder = QDir::cleanPath(commonFolder);
    const QString path = QDir::cleanPath(folder + QLatin1Char('/') + rel);
    return path.startsWith(folder + QLatin1Char('/')) ? path : QString();
}

QStringList ParseExampleClass(const QStringList& lines, QString* badCount)
{
    QStringList examples;
    if (badCount)
        *badCount = QString();
    const auto bad = [badCount](const QString& text) {
        if (badCount)
            *badCount = text.isNull() ? QStringLiteral("") : text;
    };
    int count = 0;
    if (lines.isEmpty() || !ParseCount(lines.at(0), count)) {
        bad(lines.value(0));
        return examples;
    }
    int at = 1;
    for (int e = 0; e < count && at < lines.size(); ++e) {
        int k = 0;
        if (!ParseCount(lines.at(at), k)) {
            bad(lines.at(at));
            break;
        }
        ++at;
        QStringList example;
        for (int j = 0; j < k && at < lines.size(); ++j)
            example << lines.at(at++);
        examples << example.join(QStringLiteral("\r\n"));
    }
    return examples;
}
