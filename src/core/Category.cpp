#include "core/Category.h"

#include "core/Folders.h"
#include "platform/IniFile.h"

#include <QFileInfo>

std::vector<TCtgryItem> CtgryMainList;
std::vector<std::vector<TCtgryItem>> CtgrySubLists;

namespace {

constexpr qint64 kMaxFileSize = 1024 * 1024;
constexpr int kMaxMinor = 99;

} // namespace

QString CategoryFileName() { return AppPath() + QStringLiteral("Dic/dbctgry.dat"); }

bool LoadCategories(const QString& fileName)
{
    CtgryMainList.clear();
    CtgrySubLists.assign(1, {});
    QFileInfo fi(fileName);
    if (!fi.isFile() || fi.size() > kMaxFileSize)
        return false;
    TIniFile ini(fileName);
    if (ini.ReadInteger(QStringLiteral("CATEGORY"), QStringLiteral("Version"), 0) != 1)
        return false;
    for (int m = 1; m <= kMaxCtgryMain; ++m) {
        const QString name = ini.ReadString(QStringLiteral("MAIN"), QString::number(m));
        if (name.isEmpty())
            break; // positions must equal codes: stop at the first gap
        CtgryMainList.push_back({m, name});
        std::vector<TCtgryItem> subs;
        const QString section = QStringLiteral("SUB") + QString::number(m);
        for (int s = 1; s <= kMaxMinor; ++s) {
            const QString sub = ini.ReadString(section, QString::number(s));
            if (!sub.isEmpty())
                subs.push_back({m * 100 + s, sub});
        }
        CtgrySubLists.push_back(std::move(subs));
    }
    return true;
}

QString GetCtgryMainName(int mainCode)
{
    for (const auto& it : CtgryMainList)
        if (it.Code == mainCode)
            return it.Name;
    return {};
}

QString GetCtgrySubName(int code)
{
    const int m = code / 100;
    if (code <= 0 || m >= int(CtgrySubLists.size()))
        return {};
    for (const auto& it : CtgrySubLists[m])
        if (it.Code == code)
            return it.Name;
    return {};
}
