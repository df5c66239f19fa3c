#include "core/FieldCipher.h"

#include "platform/Cp932.h"
#include "support/data/DataSupport.h"

#include <gtest/gtest.h>

namespace {
const QByteArray kKey(kFieldKey);
} // namespace

TEST(FieldCipher, TwelveDigitNumberMatchesTheFixedVector)
{
    const QByteArray stored = EncryptAESString("123456789018", kKey);
    EXPECT_EQ(stored, "0CC2EC7C4B4CFE55FF12FCB4EF058C81CD");
    EXPECT_EQ(stored.size(), 34);
    QByteArray plain;
    ASSERT_TRUE(DecryptAESString(stored, kKey, plain));
    EXPECT_EQ(plain, "123456789018");
}

TEST(FieldCipher, AgreesWithTheOpensslCommand)
{
    if (!OpensslAes(false, QByteArray(16, '\0'), kKey))
        GTEST_SKIP() << "openssl command not installed";
    for (const QByteArray& text : {QByteArray("123456789018"), QByteArray("1234567890123456"),
                                   cp932::Encode(QStringLiteral("保護メモ：顧客の連絡は午前中のみ、担当は営業二課"))}) {
        QByteArray padded = text;
        padded.append(QByteArray((16 - text.size() % 16) % 16, '\0'));
        const QByteArray expected = QByteArray(1, char(text.size())).toHex().toUpper() + OpensslAes(false, padded, kKey)->toHex().toUpper();
        EXPECT_EQ(EncryptAESString(text, kKey), expected);
    }
}

TEST(FieldCipher, RoundTripsEveryLengthUpTo255Bytes)
{
    QByteArray text;
    for (int n = 1; n <= 255; ++n) {
        text.append(char('A' + n % 26));
        bool ok = false;
        const QByteArray stored = EncryptAESString(text, kKey, &ok);
        ASSERT_TRUE(ok) << n;
        ASSERT_EQ(stored.size(), 2 + (n + 15) / 16 * 32) << n;
        QByteArray plain;
        ASSERT_TRUE(DecryptAESString(stored, kKey, plain)) << n;
        ASSERT_EQ(plain, text) << n;
    }
}

TEST(FieldCipher, EmptyAndOverlongTexts)
{
    bool ok = false;
    EXPECT_EQ(EncryptAESString("", kKey, &ok), "");
    EXPECT_TRUE(ok);
    EXPECT_EQ(EncryptAESString(QByteArray(256, '1'), kKey, &ok), "");
    EXPECT_FALSE(ok);

    QByteArray plain = "old";
    EXPECT_TRUE(DecryptAESString("", kKey, plain));
    EXPECT_EQ(plain, "");
}

TEST(FieldCipher, MalformedStoredValuesAreRefused)
{
    const QByteArray good = EncryptAESString("123456789018", kKey);
    const QByteArray bad[] = {
        good.left(33),                 // odd length
        good.left(32),                 // a block cut short
        "0C" + good.mid(2).replace('C', 'X'), // not hexadecimal
        "11" + good.mid(2),            // length byte beyond the blocks
        "05" + good.mid(2) + good.mid(2), // one block too many for the length
        "00" + good.mid(2),            // length 0 with a block
        "0C",                          // no block at all
    };
    for (const QByteArray& text : bad) {
        QByteArray plain = "old";
        EXPECT_FALSE(DecryptAESString(text, kKey, plain)) << text.constData();
        EXPECT_EQ(plain, "") << text.constData();
    }
}

TEST(FieldCipher, WrongKeyIsDetectedByThePadding)
{
    const QByteArray stored = EncryptAESString("123456789018", kKey);
    QByteArray plain;
    EXPECT_FALSE(DecryptAESString(stored, "another key 1234", plain));
    EXPECT_EQ(plain, "");
    // Only the first 16 characters of the key count; lower-case hex and
    // surrounding blanks (fixed-width fields) are accepted.
    EXPECT_TRUE(DecryptAESString(" " + stored.toLower() + " ", kKey + "ignored", plain));
    EXPECT_EQ(plain, "123456789018");
}

TEST(CheckMyNumber, IndividualNumbers)
{
    EXPECT_EQ(CheckMyNumber("123456789018", 0), 0);
    EXPECT_EQ(CheckMyNumber("000000000060", 0), 0); // remainder 1 gives check digit 0
    EXPECT_EQ(CheckMyNumber("123456789017", 0), 3);
    EXPECT_EQ(CheckMyNumber("213456789018", 0), 3); // two digits swapped
    EXPECT_EQ(CheckMyNumber("12345678901", 0), 2);
    EXPECT_EQ(CheckMyNumber("", 0), 2);
    EXPECT_EQ(CheckMyNumber(QStringLiteral("１２３４５６７８９０１８"), 0), 1);
    EXPECT_EQ(CheckMyNumber("1234-5678-9018", 0), 1);
}

TEST(CheckMyNumber, CorporateNumbers)
{
    EXPECT_EQ(CheckMyNumber("7000012050002", 1), 0); // National Tax Agency
    EXPECT_EQ(CheckMyNumber("0000000000000", 1), 3); // the check digit is never 0
    EXPECT_EQ(CheckMyNumber("8000012050002", 1), 3);
    EXPECT_EQ(CheckMyNumber("123456789018", 1), 2); // an individual number
    EXPECT_EQ(CheckMyNumber("7000012050002", 0), 2);
    EXPECT_EQ(CheckMyNumber("700001205000X", 1), 1);
}
