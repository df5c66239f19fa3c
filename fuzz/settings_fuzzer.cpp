// Telvora21.ini as the settings read it: any bytes give values within their
// ranges; saving what was read keeps every value (the stored My Number and
// password hash byte for byte; a label in quotes loses them, as an INI value
// does), and once saved a save changes no byte. The
// stored hash is checked whenever its iteration count is cheap enough to
// run here (a count above the bound is refused without being run).
// tests/core replays the seed corpus under ASan/UBSan.
#include "FuzzSupport.h"
#include "core/Folders.h"
#include "core/Settings.h"

#include <QFile>

namespace settings_fuzz {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool same(const TSettings& a, const TSettings& b)
{
    return a.SameNum == b.SameNum && a.ChangeData == b.ChangeData && a.FormClose == b.FormClose &&
           a.Confirmation == b.Confirmation && a.OutOfTarget == b.OutOfTarget && a.BGPaint == b.BGPaint &&
           a.BGColor == b.BGColor && a.Map == b.Map && a.MapSearchKind == b.MapSearchKind && a.Root == b.Root &&
           a.MyNumber == b.MyNumber && a.AdminPassword == b.AdminPassword;
}

int OneInput(const uint8_t* data, size_t size)
{
    FuzzUseScratchDataFolder();
    FuzzWriteFile(QStringLiteral("data/Telvora21.ini"), data, size);
    const QString path = SettingsFileName();
    LoadSettings();
    const TSettings read = Settings();
    FuzzCheck(read.BGColor >= 0 && read.BGColor <= 0xFFFFFF && read.Map >= 0 && read.Map <= 10 &&
                  read.MapSearchKind >= 0 && read.MapSearchKind <= 1 && read.Root >= 0 && read.Root <= 1,
              "values within their ranges");
    FuzzCheck(!read.MyNumberLabel.isEmpty() && !read.AdminMode, "a label, and administrator mode off");
    CommonMyNumber();
    const QList<QByteArray> parts = read.AdminPassword.split('$');
    if (parts.size() == 4 && parts[1].trimmed().toLongLong() <= 20000)
        CheckAdminPassword(QStringLiteral("pw"));
    FuzzCheck(HasAdminPassword() == !read.AdminPassword.isEmpty(), "a stored hash is a password");

    FuzzCheck(SaveSettings(), "a readable file could not be written");
    LoadSettings();
    FuzzCheck(same(Settings(), read), "a saved setting reads back as it was read");
    // A label wrapped in quotes or blanks sheds a layer a save, as any INI
    // value does: it settles, and then a save changes no byte.
    for (QString label = read.MyNumberLabel; Settings().MyNumberLabel != label;) {
        label = Settings().MyNumberLabel;
        FuzzCheck(SaveSettings(), "a written file could not be written again");
        LoadSettings();
    }
    // Line ends settle too: in a file of LF lines, a line that ends in a lone
    // CR is written as a CR LF, which is the file's line end from then on.
    FuzzCheck(SaveSettings(), "a written file could not be written again");
    const QByteArray saved = readAll(path);
    FuzzCheck(SaveSettings() && readAll(path) == saved, "a save of what was saved changes no byte");
    return 0;
}

} // namespace settings_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return settings_fuzz::OneInput(data, size);
}
