// The settings-file reader: any bytes read without fault, and a write of one
// key leaves every other key reading as it did, and a byte-order mark where
// it was.
#include "FuzzSupport.h"
#include "platform/IniFile.h"

#include <QFile>
#include <QHash>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzWriteFile(QStringLiteral("fuzz.ini"), data, size);
    QHash<QString, QHash<QString, QString>> before;
    QStringList sections;
    {
        TIniFile ini(path);
        sections = ini.ReadSections();
        for (const QString& s : sections) {
            if (before.contains(s.toCaseFolded()))
                continue; // a repeated section reads as its first
            QHash<QString, QString>& keys = before[s.toCaseFolded()];
            for (const QString& k : ini.ReadSection(s))
                keys.insert(k.toCaseFolded(), ini.ReadString(s, k));
            ini.ReadInteger(s, QStringLiteral("Count"), 0);
            ini.ReadFloat(s, QStringLiteral("Ratio"), 0.0);
        }
        ini.WriteString(QStringLiteral("FUZZ"), QStringLiteral("Key"), QStringLiteral("値\\ソ"));
        FuzzCheck(ini.UpdateFile(), "a readable file could not be written");
    }
    const QByteArray mark("\xEF\xBB\xBF");
    const bool marked = QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)).startsWith(mark);
    QFile written(path);
    FuzzCheck(written.open(QIODevice::ReadOnly) && written.read(3).startsWith(mark) == marked,
              "a byte-order mark stays where it was, and none is added");
    TIniFile again(path);
    FuzzCheck(again.ReadString(QStringLiteral("fuzz"), QStringLiteral("KEY")) == QStringLiteral("値\\ソ"),
              "the written key reads back");
    QStringList after = again.ReadSections();
    if (!sections.contains(QStringLiteral("FUZZ"), Qt::CaseInsensitive))
        FuzzCheck(after.size() == sections.size() + 1 && after.last() == QStringLiteral("FUZZ"),
                  "one new section at the end");
    else
        FuzzCheck(after == sections, "the sections stay as they were");
    for (auto s = before.cbegin(); s != before.cend(); ++s)
        for (auto k = s.value().cbegin(); k != s.value().cend(); ++k)
            if (!(s.key() == QStringLiteral("fuzz") && k.key() == QStringLiteral("key")))
                FuzzCheck(again.ReadString(s.key(), k.key()) == k.value(), "an untouched key reads the same");
    return 0;
}
