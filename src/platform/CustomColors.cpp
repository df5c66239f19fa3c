#include "platform/CustomColors.h"

#include "platform/IniFile.h"

namespace {

const QString kSection = QStringLiteral("COMMON");

std::function<QString()>& folderProvider()
{
    static std::function<QString()> p;
    return p;
}

} // namespace

QColor ColorFromWinColor(unsigned value)
{
    return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>((value >> 16) & 0xFF));
}

unsigned WinColorFromColor(const QColor& color)
{
    const QColor c = color.toRgb();
    return static_cast<unsigned>(c.red()) | static_cast<unsigned>(c.green()) << 8 |
           static_cast<unsigned>(c.blue()) << 16;
}

QString CustomColorText(const QColor& color)
{
    return QStringLiteral("%1").arg(WinColorFromColor(color), 6, 16, QLatin1Char('0')).toUpper();
}

QColor CustomColorFromText(const QString& text)
{
    QString t = text.trimmed();
    if (t.startsWith(u'$'))
        t.remove(0, 1);
    bool ok = false;
    const uint value = t.size() <= 8 ? t.toUInt(&ok, 16) : 0;
    // The top byte of a Windows colour value selects palettes, not a colour.
    return ok ? ColorFromWinColor(value & 0xFFFFFF) : QColor(Qt::black);
}

TCustomColors LoadCustomColors(const QString& iniFileName)
{
    TIniFile ini(iniFileName);
    TCustomColors colors;
    for (int i = 0; i < 16; ++i)
        colors[static_cast<size_t>(i)] =
            CustomColorFromText(ini.ReadString(kSection, QString::number(i), QStringLiteral("000000")));
    return colors;
}

bool SaveCustomColors(const QString& iniFileName, const TCustomColors& colors)
{
    TIniFile ini(iniFileName);
    for (int i = 0; i < 16; ++i)
        ini.WriteString(kSection, QString::number(i), CustomColorText(colors[static_cast<size_t>(i)]));
    return ini.UpdateFile();
}

void SetCustomColorsFolderProvider(std::function<QString()> provider) { folderProvider() = std::move(provider); }

QString CustomColorsFile()
{
    if (!folderProvider())
        return {};
    const QString folder = folderProvider()();
    return folder.isEmpty() ? folder : folder + QLatin1String(kCustomColorsFileName);
}
