#include "platform/CustomColors.h"

#include "platform/IniFile.h"
#include "platform/Seams.h"

#include <QColorDialog>

namespace {

const QString kSection = QStringLiteral("COMMON");

std::function<QString()>& folderProvider()
{
    static std::function<QString()> p;
    return p;
}

TColorDialogHandler& dialogHandler()
{
    static TColorDialogHandler h;
    return h;
}

// Without a file the colours are kept for the session.
TCustomColors& sessionColors()
{
    static TCustomColors colors = [] {
        TCustomColors c;
        c.fill(QColor(Qt::black));
        return c;
    }();
    return colors;
}

bool showRealDialog(QWidget* owner, const QColor& initial, TCustomColors& custom, QColor& chosen)
{
    // The dialog reads the shared custom colours when it is built.
    for (int i = 0; i < 16; ++i)
        QColorDialog::setCustomColor(i, custom[static_cast<size_t>(i)]);
    QColorDialog dialog(initial, owner ? owner->window() : nullptr);
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    PlaceCommonDialog(&dialog, owner);
    const bool ok = dialog.exec() == QDialog::Accepted;
    for (int i = 0; i < 16; ++i)
        custom[static_cast<size_t>(i)] = QColorDialog::customColor(i);
    if (ok)
        chosen = dialog.selectedColor();
    return ok;
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

TColorDialogHandler SetColorDialogHandler(TColorDialogHandler handler)
{
    TColorDialogHandler old = std::move(dialogHandler());
    dialogHandler() = std::move(handler);
    return old;
}

QColor ChooseColor(QWidget* owner, const QColor& initial, bool* ok)
{
    const QString file = CustomColorsFile();
    TCustomColors custom = file.isEmpty() ? sessionColors() : LoadCustomColors(file);
    QColor chosen = initial;
    const bool accepted = dialogHandler() ? dialogHandler()(owner, initial, custom, chosen)
                                          : showRealDialog(owner, initial, custom, chosen);
    if (file.isEmpty())
        sessionColors() = custom;
    else
        SaveCustomColors(file, custom);
    if (ok)
        *ok = accepted;
    return accepted ? chosen : initial;
}
