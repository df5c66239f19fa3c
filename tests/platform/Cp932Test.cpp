#include "platform/Cp932.h"

#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

TEST(Cp932, EncodesKanjiWithTrailByte5CAndRoundTrips)
{
    // 表 is 0x95 0x5C: the trail byte is the ASCII backslash.
    QString s = QStringLiteral("表示ｶﾀｶﾅ\\~");
    QByteArray b = cp932::Encode(s);
    EXPECT_EQ(b, QByteArray("\x95\x5C\x8E\xA6\xB6\xC0\xB6\xC5\\~"));
    EXPECT_EQ(cp932::Decode(b), s);
}

TEST(Cp932, FoldsForeignFormsReplacesUnmappableAndCutsWhole)
{
    EXPECT_EQ(cp932::Encode(QStringLiteral("〜−—")), QByteArray("\x81\x60\x81\x7C\x81\x5C"));
    EXPECT_EQ(cp932::Encode(QStringLiteral("～髙①")), QByteArray("\x81\x60\xFB\xFC\x87\x40"));
    // 𠮷 (outside the BMP) and ☃ have no code page 932 form.
    EXPECT_EQ(cp932::Encode(QStringLiteral("a𠮷☃b")), QByteArray("a??b"));
    EXPECT_FALSE(cp932::CanEncode(QStringLiteral("a☃")));
    EXPECT_TRUE(cp932::CanEncode(QStringLiteral("山田①")));
    EXPECT_EQ(cp932::ByteLength(QStringLiteral("山田ｱ1")), 6);
    // Cuts never split a double-byte character.
    QByteArray b = cp932::Encode(QStringLiteral("aあい"));
    EXPECT_EQ(cp932::CutBytes(b, 4), cp932::Encode(QStringLiteral("aあ")));
    EXPECT_EQ(cp932::CutBytes(b, 2), QByteArray("a"));
    EXPECT_EQ(cp932::CutToBytes(QStringLiteral("aあい"), 4), QStringLiteral("aあ"));
    EXPECT_EQ(cp932::CutToBytes(QStringLiteral("ｱｲｳ"), 2), QStringLiteral("ｱｲ"));
}

TEST(Cp932, DecodesUndefinedBytesAsPlaceholdersAndALoneLeadByteNeverSwallowsTheNext)
{
    EXPECT_EQ(cp932::Decode(QByteArray("a\x81")), QStringLiteral("a?"));
    EXPECT_EQ(cp932::Decode(QByteArray("\xA0z")), QStringLiteral("?z"));
    // A well-formed but unassigned pair is one character.
    EXPECT_EQ(cp932::Decode(QByteArray("\x82\x41z")), QStringLiteral("?z"));
    // A text cut in the middle of a character elsewhere: the line break,
    // blank or letter after the orphaned lead byte is data and stays.
    EXPECT_EQ(cp932::Decode(QByteArray("\x82\r\nb")), QStringLiteral("?\r\nb"));
    EXPECT_EQ(cp932::Decode(QByteArray("\x81\x7F")), QStringLiteral("?\x7F"));
    EXPECT_EQ(cp932::Decode(QByteArray("\x82\xFD")), QStringLiteral("??"));
    EXPECT_EQ(cp932::Decode(QByteArray("\x82\xA0\x82")), QStringLiteral("あ?"));
}

TEST(Cp932, TrimRemovesOnlyControlAndBlank)
{
    EXPECT_EQ(cp932::Trim(QStringLiteral(" \t　山田　\r\n")), QStringLiteral("　山田　"));
    EXPECT_EQ(cp932::Trim(QByteArray("  ab \x81\x40 ")), QByteArray("ab \x81\x40"));
}

TEST(Cp932, ConvertsOnSeveralThreadsAtOnce)
{
    // The listing searches convert on worker threads while the window thread
    // converts too: no conversion may see another's state.
    const QString text = QStringLiteral("株式会社表示ｶﾀｶﾅ～髙①ABC");
    const QByteArray bytes = cp932::Encode(text);
    std::atomic<int> wrong{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&] {
            for (int i = 0; i < 2000; ++i) {
                if (cp932::Encode(text) != bytes || cp932::Decode(bytes) != text
                    || cp932::CutToBytes(text, 9) != QStringLiteral("株式会社"))
                    ++wrong;
            }
        });
    for (auto& th : threads)
        th.join();
    EXPECT_EQ(wrong.load(), 0);
}

TEST(Cp932, NothingAcceptedComesBackChangedSaveTheListedFolds)
{
    // The characters the converter writes one way only, each folded on
    // purpose to the code page's own form of the same sign.
    const std::vector<std::pair<char32_t, char32_t>> folds = {
        {0x00A2, 0xFFE0}, {0x00A3, 0xFFE1}, {0x00A5, 0xFFE5}, {0x00AC, 0xFFE2}, {0x2014, 0x2015},
        {0x2016, 0x2225}, {0x203E, 0xFFE3}, {0x2212, 0xFF0D}, {0x301C, 0xFF5E}};
    for (const auto& [from, to] : folds) {
        const QString typed = QString::fromUcs4(&from, 1);
        EXPECT_TRUE(cp932::CanEncode(typed)) << std::hex << unsigned(from);
        EXPECT_EQ(cp932::Decode(cp932::Encode(typed)), QString::fromUcs4(&to, 1)) << std::hex << unsigned(from);
    }
    // Every other character of the BMP is either refused or comes back as typed.
    int accepted = 0;
    for (char32_t ch = 1; ch < 0x10000; ++ch) {
        if (ch >= 0xD800 && ch <= 0xDFFF)
            continue;
        if (std::any_of(folds.begin(), folds.end(), [&](const auto& f) { return f.first == ch; }))
            continue;
        const QString typed = QString::fromUcs4(&ch, 1);
        if (!cp932::CanEncode(typed))
            continue;
        ++accepted;
        ASSERT_EQ(cp932::Decode(cp932::Encode(typed)), typed) << std::hex << unsigned(ch);
    }
    EXPECT_GT(accepted, 7000);
    // The yen sign is no backslash, even in a path-like text.
    EXPECT_EQ(cp932::Encode(QStringLiteral("¥100‾")), cp932::Encode(QStringLiteral("￥100￣")));
}

// A character that shows as nothing or as a blank is told by its code and,
// where it has one, its name, never as an empty 「 」.
TEST(Cp932, UnencodableCharactersAreToldByGlyphOrByCodeAndName)
{
    const std::pair<char32_t, const char*> told[] = {
        {U'♥', "「♥」（U+2665）は入力できない文字です。"},
        {U'𠮷', "「𠮷」（U+20BB7）は入力できない文字です。"},
        {0x00A0, "（U+00A0 NO-BREAK SPACE）は入力できない文字です。"},
        {0xFE0F, "（U+FE0F VARIATION SELECTOR-16）は入力できない文字です。"},
        {0x000A, "（U+000A）は入力できない文字です。"},
    };
    for (const auto& [ch, text] : told)
        EXPECT_EQ(cp932::UnencodableMessage(ch), QString::fromUtf8(text)) << std::hex << unsigned(ch);
}
