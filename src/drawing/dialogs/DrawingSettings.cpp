#include "drawing/dialogs/DrawingSettings.h"

#include "platform/IniFile.h"

namespace {

std::function<QString()>& Provider()
{
    static std::function<QString()> provider;
    return provider;
}

} // namespace

void SetDrawingSettingsFileProvider(std::function<QString()> provider) { Provider() = std::move(provider); }

QString DrawingSettingsFile() { return Provider() ? Provider()() : QString(); }

int ReadSettingsPage(const QString& section, const QString& key, int pageCount)
{
    const QString file = DrawingSettingsFile();
    if (file.isEmpty())
        return 0;
    const int page = TIniFile(file).ReadInteger(section, key, 0);
    return page >= 0 && page < pageCount ? page : 0;
}

bool WriteSettingsPage(const QString& section, const QString& key, int page)
{
    const QString file = DrawingSettingsFile();
    if (file.isEmpty())
        return false;
    TIniFile ini(file);
    ini.WriteInteger(section, key, page);
    return ini.UpdateFile();
}
