#include "core/ItemNames.h"

#include "core/Folders.h"
#include "platform/IniFile.h"

std::array<QString, kKeywordCount> KeywordNames;
std::array<int, kKeywordCount> KeywordModes;
std::array<QString, kProtectMemoCount> ProtectMemoNames;
std::array<int, kProtectMemoCount> ProtectMemoModes;

namespace {

const QString kKeyword = QStringLiteral("KEYWORD");
const QString kProtectMemo = QStringLiteral("PROTECT MEMO");

template <size_t N>
void load(const TIniFile& ini, const QString& section, std::array<QString, N>& names, std::array<int, N>& modes,
          QString (*defaultName)(int))
{
    for (size_t i = 0; i < N; ++i) {
        const QString n = QString::number(i + 1);
        names[i] = ini.ReadString(section, QStringLiteral("Name") + n);
        if (names[i].isEmpty())
            names[i] = defaultName(int(i + 1));
        const int mode = ini.ReadInteger(section, QStringLiteral("Mode") + n, imHiragana);
        modes[i] = IsValidImeModeNo(mode) ? mode : imHiragana;
    }
}

template <size_t N>
bool save(const QString& section, const std::array<QString, N>& names, const std::array<int, N>& modes)
{
    TIniFile ini(AdrsListIniFileName());
    for (size_t i = 0; i < N; ++i) {
        const QString n = QString::number(i + 1);
        ini.WriteString(section, QStringLiteral("Name") + n, names[i]);
        ini.WriteInteger(section, QStringLiteral("Mode") + n, modes[i]);
    }
    return ini.UpdateFile();
}

} // namespace

bool IsValidImeModeNo(int mode)
{
    return mode == imOff || mode == imFullAlpha || mode == imHiragana || mode == imHalfKatakana ||
           mode == imFullKatakana;
}

const TImeModeEntry ImeModeEntries[kImeModeEntryCount] = {
    {u"全角ひらがな", imHiragana},
    {u"全角カタカナ", imFullKatakana},
    {u"全角英数", imFullAlpha},
    {u"半角カタカナ", imHalfKatakana},
    {u"半角英数", imOff},
};

int ImeModeEntryIndex(int mode)
{
    for (int i = 0; i < kImeModeEntryCount; ++i)
        if (ImeModeEntries[i].mode == mode)
            return i;
    return 0;
}

QString FullWidthNumber(int n)
{
    QString s = QString::number(n);
    for (QChar& c : s)
        if (c.isDigit())
            c = QChar(c.unicode() - u'0' + 0xFF10);
    return s;
}

QString AdrsListIniFileName() { return DataPath() + QStringLiteral("AdrsList.ini"); }
QString DefaultKeywordName(int n) { return QStringLiteral("キーワード") + FullWidthNumber(n); }
QString DefaultProtectMemoName(int n) { return QStringLiteral("保護メモ") + FullWidthNumber(n); }

void LoadItemNames()
{
    TIniFile ini(AdrsListIniFileName());
    load(ini, kKeyword, KeywordNames, KeywordModes, &DefaultKeywordName);
    load(ini, kProtectMemo, ProtectMemoNames, ProtectMemoModes, &DefaultProtectMemoName);
}

bool SaveKeywordItems(const TKeywordNames& names, const TKeywordModes& modes)
{
    return save(kKeyword, names, modes);
}

bool SaveProtectMemoItems(const TProtectMemoNames& names, const TProtectMemoModes& modes)
{
    return save(kProtectMemo, names, modes);
}
