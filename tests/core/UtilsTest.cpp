#include "core/Launch.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "core/phone/PhoneNumber.h"

#include "platform/Cp932.h"

#include <QTemporaryDir>
#include <QColor>
#include <gtest/gtest.h>
#include <limits>

TEST(RoundHalfUp, RoundsHalvesAwayFromZeroAndSaturatesInsteadOfWrapping)
{
    EXPECT_EQ(RoundHalfUp(2.5L), 3);
    EXPECT_EQ(RoundHalfUp(-2.5L), -3);
    EXPECT_EQ(RoundHalfUp(-2.49L), -2);
    EXPECT_EQ(RoundHalfUp(1e12L + 0.5L), 1000000000001LL);
    // A coordinate from a runaway zoom or a division by zero must not turn
    // into a huge value of the other sign.
    EXPECT_EQ(RoundHalfUp(1e30L), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundHalfUp(-1e30L), std::numeric_limits<int64_t>::min());
    EXPECT_EQ(RoundHalfUp(std::numeric_limits<long double>::infinity()), std::numeric_limits<int64_t>::max());
    EXPECT_EQ(RoundHalfUp(std::numeric_limits<long double>::quiet_NaN()), 0);
}

TEST(ScaleForDpi, ConvertsBetween96DpiUnitsAndScreenPixels)
{
    SetScreenPixelsPerInch(144);
    EXPECT_EQ(ScaleForDpi(100, true), 150);
    EXPECT_EQ(ScaleForDpi(150, false), 100);
    EXPECT_EQ(ScaleForDpi(1, true), 2);  // 1.5 rounds up
    SetScreenPixelsPerInch(0);
    EXPECT_GT(ScreenPixelsPerInch(), 0);
}

TEST(ExtractNumChars, TakesOnlyTheChosenSingleByteCharactersSkippingDoubleByteOnesWhole)
{
    const QByteArray text = "TEL 03-1234.56 x";
    EXPECT_EQ(ExtractNumChars(text, kExtractDigits), "03123456");
    EXPECT_EQ(ExtractNumChars(text, kExtractDigits | kExtractHyphen | kExtractPeriod), "03-1234.56");
    EXPECT_EQ(ExtractNumChars(text, kExtractHyphen | kExtractPeriod), "-.");
    QByteArray result = "old";
    ExtractNumChars("1a2", kExtractDigits, result);
    EXPECT_EQ(result, "12");
    // Full-width digits and hyphens are not taken; half-width katakana (single
    // bytes 0xA1-0xDF) are dropped like any other character.
    const QByteArray mixed = cp932::Encode(QStringLiteral("０３－1ｱ2ー3"));
    EXPECT_EQ(ExtractNumChars(mixed, kExtractDigits | kExtractHyphen), "123");
    // A lead byte takes the following byte with it, even a damaged pair whose
    // second byte looks like a digit; a lead byte at the very end stops.
    EXPECT_EQ(ExtractNumChars(QByteArray("1\x82" "52\x82", 5), kExtractDigits), "12");
}

TEST(AtHex, RoundTripsWideTextAndReadsOtherTextAsCp932)
{
    const QString wide = QStringLiteral("髙橋 ①\U0001F600é");
    const QByteArray narrow = WideToAtHex(wide);
    EXPECT_TRUE(narrow.startsWith("@9AD9@6A4B@0020@2460@D83D@DE00@00E9"));
    EXPECT_EQ(AtHexToWide(narrow), wide);
    EXPECT_EQ(AtHexToWide(cp932::Encode(QStringLiteral("山田"))), QStringLiteral("山田"));
    // Begins with '@' but is not the encoded form.
    EXPECT_EQ(AtHexToWide("@home"), QStringLiteral("@home"));
    EXPECT_EQ(AtHexToWide("@00410"), QStringLiteral("@00410"));
    EXPECT_EQ(AtHexToWide("@0041@00G2"), QStringLiteral("@0041@00G2"));
    EXPECT_EQ(AtHexToWide("@00e9"), QStringLiteral("é"));
}

// The address-text rewrites the printing uses, each with inputs it must leave alone.
TEST(AddressText, RewritesOnlyWhatItsRuleCovers)
{
    const std::pair<QString (*)(const QString&), std::vector<std::pair<const char*, const char*>>> cases[] = {
        {ExpandCorpFormW,
         {{"(株)山田商事", "株式会社山田商事"}, {"（株）山田商事", "株式会社山田商事"}, {"㈱山田商事", "株式会社山田商事"},
          {"㍿山田商事", "株式会社山田商事"}, {"鈴木工業㈲", "鈴木工業有限会社"},
          {"㊩清和会 ㈶日本協会", "医療法人清和会 財団法人日本協会"}, {"((株))", "(株式会社)"},
          // Mismatched brackets, other words, marks that are no legal form.
          {"(株）", "(株）"}, {"(本社)", "(本社)"}, {"（株", "（株"}, {"㊕大売出し", "㊕大売出し"},
          {"㈹03-1234", "㈹03-1234"}, {"(", "("}}},
        {DigitsToKanjiW, {{"1丁目10-３０５号", "一丁目一〇-三〇五号"}, {"ABC", "ABC"}}},
        {[](const QString& s) { return ReplaceHyphenW(s, 1); },
         {{"1-2-3", "1の2の3"}, {"一〇‐五", "一〇の五"}, {"A-1 ビル-3F- -", "A-1 ビル-3F- -"}, {"スーパー", "スーパー"}}},
        {[](const QString& s) { return ReplaceHyphenW(s, 0); }, {{"１－２−３", "１ー２ー３"}}},
        // A prefecture's name without its suffix is part of a city's name.
        {DeleteTdfknW,
         {{"東京都千代田区", "千代田区"}, {"京都府京都市", "京都市"}, {"北海道札幌市", "札幌市"},
          {"神奈川県横浜市", "横浜市"}, {"東広島市", "東広島市"}}},
    };
    for (const auto& [rewrite, pairs] : cases)
        for (const auto& [in, out] : pairs)
            EXPECT_EQ(rewrite(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

// A number is hyphenated; anything that is no number comes back trimmed, no digit added.
TEST(HyphenatePhoneNumber, HyphenatesNumbersAndGivesOtherTextTrimmed)
{
    for (const auto& [in, out] : std::initializer_list<std::pair<const char*, const char*>>{
             {"0312345678", "03-1234-5678"}, {"0120123456", "0120-123-456"}, {"09012345678", "090-1234-5678"},
             {" 0662345678 ", "06-6234-5678"}, {"03-1234-5678", "03-1234-5678"}, {"+81312345678", "03-1234-5678"},
             {"  123 ", "123"}, {" 0120-ABC-DEF", "0120-ABC-DEF"}, {"０３１２３４５６７８", "０３１２３４５６７８"},
             {"312345678", "312345678"}, {"0312345678901", "0312345678901"}})
        EXPECT_EQ(HyphenatePhoneNumber(QString::fromUtf8(in)), QString::fromUtf8(out)) << in;
}

TEST(WidthConversion, VoicedKatakanaComposeAndSplitAndOtherTextStays)
{
    EXPECT_EQ(ToFullWidth(QStringLiteral("ｶﾞｷﾞﾊﾟﾎﾟｳﾞｱ")), QStringLiteral("ガギパポヴア"));
    EXPECT_EQ(ToFullWidth(QStringLiteral("ｱﾞ")), QStringLiteral("ア゛")); // no voiced form: mark stays separate
    EXPECT_EQ(ToFullWidth(QStringLiteral("｢ﾃｽﾄ｣｡ｰ漢字かなガ")), QStringLiteral("「テスト」。ー漢字かなガ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ガパヴー漢字かなヶ")), QStringLiteral("ｶﾞﾊﾟｳﾞｰ漢字かなヶ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("カ\u3099")), QStringLiteral("ｶﾞ")); // decomposed input
}

TEST(WidthConversion, RoundTripsPrintableAsciiAndKatakana)
{
    QString ascii;
    for (char16_t c = 0x20; c <= 0x7E; ++c)
        ascii += QChar(c);
    EXPECT_EQ(ToHalfWidth(ToFullWidth(ascii)), ascii);
    const QString kana = QStringLiteral("ｱｲｳｴｵｶﾞｷﾞｸﾞｹﾞｺﾞｻﾞｼﾞｽﾞｾﾞｿﾞﾀﾞﾁﾞﾂﾞﾃﾞﾄﾞﾊﾞﾋﾞﾌﾞﾍﾞﾎﾞﾊﾟﾋﾟﾌﾟﾍﾟﾎﾟｧｨｩｪｫｬｭｮｯｦﾝﾜﾞｦﾞ･､");
    EXPECT_EQ(ToHalfWidth(ToFullWidth(kana)), kana);
    // Everything ToFullWidth gives can be stored.
    EXPECT_TRUE(cp932::CanEncode(ToFullWidth(ascii + kana).remove(QStringLiteral("ヷ")).remove(QStringLiteral("ヺ"))));
}

TEST(StoredColor, KeepsBlueInTheHighByte)
{
    EXPECT_EQ(ColorFromStored(0xFF0000), QColor(0, 0, 255));
    EXPECT_EQ(ColorToStored(QColor(0x12, 0x34, 0x56)), 0x563412);
}

TEST(ExecuteProgram, WaitsAndReturnsTheExitCode)
{
    QTemporaryDir dir;
    EXPECT_EQ(ExecuteProgram("/bin/sh", {"-c", "exit 7"}, QString(), false), 7);
    // The folder is the working directory; arguments pass through unexpanded.
    EXPECT_EQ(ExecuteProgram("/bin/sh", {"-c", "test \"$PWD\" = \"$1\" && test \"$2\" = '$HOME *'", "sh",
                                         dir.path(), "$HOME *"},
                             dir.path(), false),
              0);
    EXPECT_EQ(ExecuteProgram("/nonexistent/program", {}, QString(), true), -1);
    EXPECT_EQ(ExecuteProgram(QString(), QString(), false), -1);
}

TEST(ExecuteProgram, SplitsACommandLineWithoutAShell)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("out file.txt");
    // Quotes group blanks; ';' and '>' are ordinary characters.
    EXPECT_EQ(ExecuteProgram(QStringLiteral("/usr/bin/touch \"%1\"").arg(file), QString(), false), 0);
    EXPECT_TRUE(QFile::exists(file));
    EXPECT_EQ(ExecuteProgram(QStringLiteral("/bin/echo a;touch x > y"), dir.path(), false), 0);
    EXPECT_FALSE(QFile::exists(dir.filePath("x")));
    EXPECT_FALSE(QFile::exists(dir.filePath("y")));
    // NoWait returns once the program has started.
    EXPECT_EQ(ExecuteProgram(QStringLiteral("/bin/true"), QString(), true), 0);
}
