#include "core/Settings.h"

#include "core/FieldCipher.h"
#include "core/Folders.h"
#include "core/common/Units.h"
#include "platform/Cp932.h"
#include "platform/FileErrors.h"
#include "platform/IniFile.h"

#include <cerrno>
#include <QColor>
#include <QList>
#include <QUrl>
#include <iterator>
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

namespace {

const QString kAddress = QStringLiteral("ADDRESS");
const QString kView = QStringLiteral("VIEW");
const QString kCooperate = QStringLiteral("COOPERATE");
const QString kMyNumber = QStringLiteral("MYNUMBER");
const QString kAdminPasswordKey = QStringLiteral("AdminPassword");

const QString kAdrsList = QStringLiteral("ADRS LIST");
const QString kAdrsNameKey = QStringLiteral("AdrsName");
const QString kAdrsNameWholeKey = QStringLiteral("AdrsNameUnicode");

// Text code page 932 gives back as it was (no '?' for a character it
// cannot hold, no fold).
bool comesBack(const QString& text) { return cp932::Decode(cp932::Encode(text)) == text; }

// The name with each character code page 932 cannot give back, and '%',
// written as %XX of its UTF-8 bytes: a code page 932 line that reads back as
// exactly this name, never as another.
QString escapeName(const QString& name)
{
    QString out;
    for (const char32_t c : name.toUcs4()) {
        const QString ch = QString::fromUcs4(&c, 1);
        if (c != U'%' && comesBack(ch)) {
            out += ch;
            continue;
        }
        for (const char b : ch.toUtf8())
            out += u'%' + QStringLiteral("%1").arg(uint(uchar(b)), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString defaultMyNumberLabel() { return QStringLiteral("共通マイナンバー"); }

int readRange(const TIniFile& ini, const QString& section, const QString& key, int lo, int hi, int def)
{
    const int v = ini.ReadInteger(section, key, def);
    return v >= lo && v <= hi ? v : def;
}

// Administrator password hashes: "PBKDF2-SHA256$<iterations>$<salt>$<hash>",
// salt and hash in hexadecimal. The iterations are stored so that they can be
// raised later without invalidating existing passwords.
constexpr char kHashScheme[] = "PBKDF2-SHA256";
constexpr int kIterations = 100000;
// Counts read from the file are trusted only within these bounds: fewer would
// make guessing cheap for whoever edits the file, more would hold the check
// for minutes (2^31-1 takes about nine). A stored count outside them cannot
// be verified, so the password is refused and the stored value left alone.
constexpr int kMinIterations = 1000;
constexpr int kMaxIterations = 10000000;
constexpr int kSaltBytes = 16;
constexpr int kHashBytes = 32;

QByteArray derive(const QString& password, const QByteArray& salt, int iterations)
{
    const QByteArray pw = password.toUtf8();
    QByteArray out(kHashBytes, '\0');
    if (PKCS5_PBKDF2_HMAC(pw.constData(), int(pw.size()), reinterpret_cast<const unsigned char*>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), kHashBytes,
                          reinterpret_cast<unsigned char*>(out.data()))
        != 1)
        return {};
    return out;
}

QByteArray hashPassword(const QString& password)
{
    QByteArray salt(kSaltBytes, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), kSaltBytes) != 1)
        return {};
    const QByteArray hash = derive(password, salt, kIterations);
    if (hash.isEmpty())
        return {};
    return QByteArray(kHashScheme) + '$' + QByteArray::number(kIterations) + '$' + salt.toHex() + '$' + hash.toHex();
}

bool verifyPassword(const QString& password, const QByteArray& stored)
{
    const QList<QByteArray> parts = stored.split('$');
    if (parts.size() != 4 || parts[0] != kHashScheme)
        return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    const QByteArray salt = QByteArray::fromHex(parts[2]);
    const QByteArray expected = QByteArray::fromHex(parts[3]);
    if (!ok || iterations < kMinIterations || iterations > kMaxIterations || salt.isEmpty() || expected.size() != kHashBytes)
        return false;
    const QByteArray actual = derive(password, salt, iterations);
    return actual.size() == kHashBytes && CRYPTO_memcmp(actual.constData(), expected.constData(), kHashBytes) == 0;
}

// The enciphered number and the password hash are bytes that are never shown
// and must never change by being loaded and saved: a value as loaded keeps
// the file's bytes whatever they are (code page 932 cannot decode every byte
// sequence back to itself), a new one is written as its bytes.
void writeStoredBytes(TIniFile& ini, const QString& key, const QByteArray& bytes)
{
    if (!ini.ValueExists(kMyNumber, key) || cp932::Encode(ini.ReadString(kMyNumber, key)) != bytes)
        ini.WriteString(kMyNumber, key, cp932::Decode(bytes));
}

} // namespace

QColor TSettings::BGQColor() const { return ColorFromStored(BGColor); }

TSettings& Settings()
{
    static TSettings settings;
    return settings;
}

QString SettingsFileName() { return DataFolder() + QStringLiteral("Telvora21.ini"); }

void LoadSettings()
{
    const TIniFile ini(SettingsFileName());
    TSettings s;
    s.SameNum = ini.ReadBool(kAddress, QStringLiteral("SameNum"), true);
    s.ChangeData = ini.ReadBool(kAddress, QStringLiteral("ChangeData"), true);
    s.FormClose = ini.ReadBool(kAddress, QStringLiteral("FormClose"), true);
    s.Confirmation = ini.ReadBool(kAddress, QStringLiteral("Confirmation"), true);
    s.OutOfTarget = ini.ReadBool(kAddress, QStringLiteral("OutOfTarget"), true);
    s.BGPaint = ini.ReadBool(kView, QStringLiteral("BGPaint"), true);
    s.BGColor = readRange(ini, kView, QStringLiteral("BGColor"), 0, 0xFFFFFF, kDefaultBGColor);
    s.Map = readRange(ini, kCooperate, QStringLiteral("Map"), 0, 10, kDefaultMap);
    s.MapSearchKind = readRange(ini, kCooperate, QStringLiteral("MapSearchKind"), 0, 1, 0);
    s.Root = readRange(ini, kCooperate, QStringLiteral("Root"), 0, 1, 0);
    s.MyNumberLabel = ini.ReadString(kMyNumber, QStringLiteral("MyNumberLabel"));
    if (s.MyNumberLabel.isEmpty())
        s.MyNumberLabel = defaultMyNumberLabel();
    s.MyNumber = cp932::Encode(ini.ReadString(kMyNumber, QStringLiteral("MyNumber")));
    s.AdminPassword = cp932::Encode(ini.ReadString(kMyNumber, kAdminPasswordKey));
    s.AdminMode = false;
    Settings() = std::move(s);
}

bool SaveSettings(QString* cause)
{
    const TSettings& s = Settings();
    TIniFile ini(SettingsFileName());
    ini.WriteBool(kAddress, QStringLiteral("SameNum"), s.SameNum);
    ini.WriteBool(kAddress, QStringLiteral("ChangeData"), s.ChangeData);
    ini.WriteBool(kAddress, QStringLiteral("FormClose"), s.FormClose);
    ini.WriteBool(kAddress, QStringLiteral("Confirmation"), s.Confirmation);
    ini.WriteBool(kAddress, QStringLiteral("OutOfTarget"), s.OutOfTarget);
    ini.WriteBool(kView, QStringLiteral("BGPaint"), s.BGPaint);
    ini.WriteInteger(kView, QStringLiteral("BGColor"), s.BGColor);
    ini.WriteInteger(kCooperate, QStringLiteral("Map"), s.Map);
    ini.WriteInteger(kCooperate, QStringLiteral("MapSearchKind"), s.MapSearchKind);
    ini.WriteInteger(kCooperate, QStringLiteral("Root"), s.Root);
    ini.WriteString(kMyNumber, QStringLiteral("MyNumberLabel"), s.MyNumberLabel);
    writeStoredBytes(ini, QStringLiteral("MyNumber"), s.MyNumber);
    writeStoredBytes(ini, kAdminPasswordKey, s.AdminPassword);
    if (ini.UpdateFile())
        return true;
    if (cause)
        // A file that could not be read is never written over: it may hold
        // the administrator password and keys this program does not know.
        *cause = ini.Readable() ? FileErrorCause(errno)
                                : QStringLiteral("今のファイルを読み込めないため、書き換えませんでした");
    return false;
}

QString ReadStartAdrsName()
{
    const TIniFile ini(SettingsFileName());
    const QString plain = ini.ReadString(kAdrsList, kAdrsNameKey);
    const QString escaped = ini.ReadString(kAdrsList, kAdrsNameWholeKey);
    if (!escaped.isEmpty()) {
        const QString whole = QUrl::fromPercentEncoding(escaped.toUtf8());
        // A program that knows only AdrsName may have opened another book
        // since: the whole name is the book only while AdrsName is its form.
        if (cp932::Trim(cp932::Decode(cp932::Encode(whole))) == plain)
            return whole;
    }
    return plain;
}

bool WriteStartAdrsName(const QString& name)
{
    TIniFile ini(SettingsFileName());
    ini.WriteString(kAdrsList, kAdrsNameKey, name);
    if (comesBack(name))
        ini.DeleteKey(kAdrsList, kAdrsNameWholeKey);
    else
        ini.WriteString(kAdrsList, kAdrsNameWholeKey, escapeName(name));
    return ini.UpdateFile();
}

QString CommonMyNumber()
{
    QByteArray plain;
    if (!DecryptAESString(Settings().MyNumber, kFieldKey, plain))
        return {};
    return cp932::Decode(plain);
}

bool SetCommonMyNumber(const QString& number)
{
    bool ok = false;
    const QByteArray stored = EncryptAESString(cp932::Encode(number), kFieldKey, &ok);
    if (!ok)
        return false;
    Settings().MyNumber = stored;
    return true;
}

bool HasAdminPassword() { return !Settings().AdminPassword.isEmpty(); }

bool MakeAdminPasswordHash(const QString& password, QByteArray& stored)
{
    stored.clear();
    if (password.isEmpty())
        return true;
    stored = hashPassword(password);
    return !stored.isEmpty();
}

bool SetAdminPassword(const QString& password)
{
    QByteArray stored;
    if (!MakeAdminPasswordHash(password, stored))
        return false;
    TIniFile ini(SettingsFileName());
    writeStoredBytes(ini, kAdminPasswordKey, stored);
    if (!ini.UpdateFile())
        return false;
    Settings().AdminPassword = stored;
    return true;
}

bool CheckAdminPassword(const QString& password)
{
    return HasAdminPassword() && verifyPassword(password, Settings().AdminPassword);
}

bool IsProtectedFieldMasked() { return HasAdminPassword() && !Settings().AdminMode; }

QString MapProgramName(int map)
{
    static const char16_t* const kNames[] = {
        u"AtlasMate4/5",        u"プロアトラス2002", u"プロアトラスＷ～Ｗ３/SV～SV7", u"電子地図帳Ｚ[zi]Ⅱ～５",
        u"いつもNAVI",          u"MapFanⅣ/Ⅴ",        u"MapFan.net",                     u"MapFan PLANNER1/2",
        u"スーパーマップル・デジタル Ver.1～16", u"グランマップ東京都全域版", u"Google マップ"};
    return map >= 0 && map < int(std::size(kNames)) ? QString::fromUtf16(kNames[map]) : QString();
}

QString RouteProgramName(int root)
{
    static const char16_t* const kNames[] = {u"駅すぱあと", u"乗換案内"};
    return root >= 0 && root < int(std::size(kNames)) ? QString::fromUtf16(kNames[root]) : QString();
}
