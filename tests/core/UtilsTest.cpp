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

TEST(ExtractNumChars, TakesOnlyTheChosenSingleByteCharacters)
{
    const QByteArray text = "TEL 03-1234.56 x";
    EXPECT_EQ(ExtractNumChars(text, kExtractDigits), "03123456");
    EXPECT_EQ(ExtractNumChars(text, kExtractDigits | kExtractHyphen | kExtractPeriod), "03-1234.56");
    EXPECT_EQ(ExtractNumChars(text, kExtractHyphen | kExtractPeriod), "-.");
    QByteArray result = "old";
    ExtractNumChars("1a2", kExtractDigits, result);
    EXPECT_EQ(result, "12");
}

TEST(ExtractNumChars, SkipsDoubleByteCharactersWhole)
{
    // Full-width digits and hyphens are not taken; half-width katakana (single
    // bytes 0xA1-0xDF) are dropped like any other character.
    const QByteArray text = cp932::Encode(QStringLiteral("０３－1ｱ2ー3"));
    EXPECT_EQ(ExtractNumChars(text, kExtractDigits | kExtractHyphen), "123");
    // A lead byte takes the following byte with it, even a damaged pair whose
    // second byte looks like a digit; a lead byte at the very end stops.
    EXPECT_EQ(ExtractNumChars(QByteArray("1\x82" "52\x82", 5), kExtractDigits), "12");
}

TEST(AtHex, RoundTripsWideTextIncludingCharactersOutsideCp932)
{
    const QString wide = QStringLiteral("髙橋 ①\U0001F600é");
    const QByteArray narrow = WideToAtHex(wide);
    EXPECT_TRUE(narrow.startsWith("@9AD9@6A4B@0020@2460@D83D@DE00@00E9"));
    EXPECT_EQ(AtHexToWide(narrow), wide);
}

TEST(AtHex, OtherTextIsReadAsCp932)
{
    EXPECT_EQ(AtHexToWide(cp932::Encode(QStringLiteral("山田"))), QStringLiteral("山田"));
    // Begins with '@' but is not the encoded form.
    EXPECT_EQ(AtHexToWide("@home"), QStringLiteral("@home"));
    EXPECT_EQ(AtHexToWide("@00410"), QStringLiteral("@00410"));
    EXPECT_EQ(AtHexToWide("@0041@00G2"), QStringLiteral("@0041@00G2"));
    EXPECT_EQ(AtHexToWide("@00e9"), QStringLiteral("é"));
}

TEST(ExpandCorpFormW, ExpandsEveryWayOfWritingAMark)
{
    const QString full = QStringLiteral("株式会社");
    for (const QString& mark : {QStringLiteral("(株)"), QStringLiteral("（株）"), QStringLiteral("㈱"), QStringLiteral("㍿")})
        EXPECT_EQ(ExpandCorpFormW(mark + QStringLiteral("山田商事")), full + QStringLiteral("山田商事")) << mark.toStdString();
    EXPECT_EQ(ExpandCorpFormW(QStringLiteral("鈴木工業㈲")), QStringLiteral("鈴木工業有限会社"));
    EXPECT_EQ(ExpandCorpFormW(QStringLiteral("㊩清和会 ㈶日本協会")), QStringLiteral("医療法人清和会 財団法人日本協会"));
}

TEST(ExpandCorpFormW, LeavesOtherBracketsAndEnclosedCharactersAlone)
{
    // Mismatched brackets, other words, marks that are no legal form.
    for (const QString& s : {QStringLiteral("(株）"), QStringLiteral("(本社)"), QStringLiteral("（株"),
                             QStringLiteral("㊕大売出し"), QStringLiteral("㈹03-1234"), QStringLiteral("(")})
        EXPECT_EQ(ExpandCorpFormW(s), s) << s.toStdString();
    EXPECT_EQ(ExpandCorpFormW(QStringLiteral("((株))")), QStringLiteral("(株式会社)"));
}

TEST(DigitsToKanjiW, ConvertsHalfAndFullWidthDigitsOneByOne)
{
    EXPECT_EQ(DigitsToKanjiW(QStringLiteral("1丁目10-３０５号")), QStringLiteral("一丁目一〇-三〇五号"));
    EXPECT_EQ(DigitsToKanjiW(QStringLiteral("ABC")), QStringLiteral("ABC"));
}

TEST(ReplaceHyphenW, ReplacesHyphensOnlyBetweenDigits)
{
    EXPECT_EQ(ReplaceHyphenW(QStringLiteral("1-2-3"), 1), QStringLiteral("1の2の3"));
    EXPECT_EQ(ReplaceHyphenW(QStringLiteral("１－２−３"), 0), QStringLiteral("１ー２ー３"));
    // After DigitsToKanjiW the neighbours are kanji numerals.
    EXPECT_EQ(ReplaceHyphenW(QStringLiteral("一〇‐五"), 1), QStringLiteral("一〇の五"));
    // Not between digits: kept.
    EXPECT_EQ(ReplaceHyphenW(QStringLiteral("A-1 ビル-3F- -"), 1), QStringLiteral("A-1 ビル-3F- -"));
    EXPECT_EQ(ReplaceHyphenW(QStringLiteral("スーパー"), 1), QStringLiteral("スーパー"));
}

TEST(DeleteTdfknW, RemovesPrefectureNames)
{
    EXPECT_EQ(DeleteTdfknW(QStringLiteral("東京都千代田区")), QStringLiteral("千代田区"));
    EXPECT_EQ(DeleteTdfknW(QStringLiteral("京都府京都市")), QStringLiteral("京都市"));
    EXPECT_EQ(DeleteTdfknW(QStringLiteral("北海道札幌市")), QStringLiteral("札幌市"));
    EXPECT_EQ(DeleteTdfknW(QStringLiteral("神奈川県横浜市")), QStringLiteral("横浜市"));
    // A prefecture's name without its suffix is part of a city's name.
    EXPECT_EQ(DeleteTdfknW(QStringLiteral("東広島市")), QStringLiteral("東広島市"));
}

TEST(HyphenatePhoneNumber, HyphenatesJapaneseNumbers)
{
    EXPECT_EQ(HyphenatePhoneNumber("0312345678"), "03-1234-5678");
    EXPECT_EQ(HyphenatePhoneNumber("0120123456"), "0120-123-456");
    EXPECT_EQ(HyphenatePhoneNumber("09012345678"), "090-1234-5678");
    EXPECT_EQ(HyphenatePhoneNumber(" 0662345678 "), "06-6234-5678");
    EXPECT_EQ(HyphenatePhoneNumber("03-1234-5678"), "03-1234-5678");
    EXPECT_EQ(HyphenatePhoneNumber("+81312345678"), "03-1234-5678");
}

TEST(HyphenatePhoneNumber, GivesTheTrimmedInputWhenItIsNoNumber)
{
    EXPECT_EQ(HyphenatePhoneNumber("  123 "), "123");
    EXPECT_EQ(HyphenatePhoneNumber(" 0120-ABC-DEF"), "0120-ABC-DEF");
    EXPECT_EQ(HyphenatePhoneNumber(QStringLiteral("０３１２３４５６７８")), QStringLiteral("０３１２３４５６７８"));
    EXPECT_EQ(HyphenatePhoneNumber("312345678"), "312345678"); // no digit is added
    EXPECT_EQ(HyphenatePhoneNumber("0312345678901"), "0312345678901");
}

TEST(WidthConversion, FullWidthComposesVoicedKatakana)
{
    EXPECT_EQ(ToFullWidth(QStringLiteral("ｶﾞｷﾞﾊﾟﾎﾟｳﾞｱ")), QStringLiteral("ガギパポヴア"));
    EXPECT_EQ(ToFullWidth(QStringLiteral("ｱﾞ")), QStringLiteral("ア゛")); // no voiced form: mark stays separate
    EXPECT_EQ(ToFullWidth(QStringLiteral("｢ﾃｽﾄ｣｡ｰ")), QStringLiteral("「テスト」。ー"));
    EXPECT_EQ(ToFullWidth(QStringLiteral("Ab1 -~")), QStringLiteral("Ａｂ１\u3000－～"));
    EXPECT_EQ(ToFullWidth(QStringLiteral("漢字かなガ")), QStringLiteral("漢字かなガ"));
}

TEST(WidthConversion, HalfWidthSplitsVoicedKatakana)
{
    EXPECT_EQ(ToHalfWidth(QStringLiteral("ガパヴー")), QStringLiteral("ｶﾞﾊﾟｳﾞｰ"));
    EXPECT_EQ(ToHalfWidth(QStringLiteral("漢字かなヶ")), QStringLiteral("漢字かなヶ"));
    // Decomposed input (カ + combining mark) gives the same.
    EXPECT_EQ(ToHalfWidth(QStringLiteral("カ\u3099")), QStringLiteral("ｶﾞ"));
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
