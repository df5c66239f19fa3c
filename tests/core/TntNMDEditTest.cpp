#include "core/ui/TntNMDEdit.h"
#include "platform/Cp932.h"
#include "platform/ui/ByteLimitEdit.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

TEST(TntNMDEdit, TypedKanaAsksForFamilyThenGivenNames)
{
    TTntNMDEdit edit;
    QSignalSpy spy(&edit, &TTntNMDEdit::NameConvertNeed);
    CommitText(&edit, QStringLiteral("やまだ"));
    ASSERT_FALSE(spy.isEmpty());
    QList<QVariant> last = spy.takeLast();
    EXPECT_TRUE(last[0].toBool());
    EXPECT_EQ(last[1].toString(), u"やまだ");
    EXPECT_EQ(last[2].toInt(), 0);

    edit.setText(QStringLiteral("山田　"));
    CommitText(&edit, QStringLiteral("たろう"));
    last = spy.takeLast();
    EXPECT_EQ(last[1].toString(), u"たろう");
    EXPECT_EQ(last[2].toInt(), 1);

    QTest::keyClicks(&edit, QStringLiteral("x"));
    EXPECT_FALSE(spy.takeLast()[0].toBool());
}

TEST(TntNMDEdit, InsertNameReplacesTheTypedReadingAndFeedsTheReadingEdit)
{
    TTntNMDEdit edit;
    QLineEdit kana;
    kana.setText(QStringLiteral("やまだ "));
    edit.SetKanaEdit(&kana);
    edit.setText(QStringLiteral("山田　"));
    edit.setCursorPosition(3);
    CommitText(&edit, QStringLiteral("たろう"));
    edit.InsertName(QStringLiteral("太郎"), QStringLiteral("たろう"));
    EXPECT_EQ(edit.text(), u"山田　太郎");
    EXPECT_EQ(edit.cursorPosition(), 5);
    EXPECT_EQ(kana.text(), u"やまだ たろう");

    // Without a pending reading the name replaces the selection.
    edit.setText(QStringLiteral("abc"));
    edit.setSelection(1, 1);
    edit.SetKanaEdit(nullptr);
    edit.InsertName(QStringLiteral("X"), QStringLiteral("x"));
    EXPECT_EQ(edit.text(), u"aXc");
    EXPECT_EQ(edit.cursorPosition(), 3);
}


// The edits keep their limits against a picked name too: a name that does not
// fit is refused whole and brings no reading; a reading that would run the
// reading edit past its 25 bytes is not put in, so nothing is cut at save.
TEST(TntNMDEdit, APickedNameAndItsReadingKeepTheEditsLimits)
{
    TTntNMDEdit edit;
    auto* nameLimit = new TByteLimit(&edit);
    nameLimit->SetWide(true);
    nameLimit->SetMaxBytes(15);
    TByteLimitEdit kana;
    kana.SetMaxBytes(25);
    edit.SetKanaEdit(&kana);
    QSignalSpy refused(nameLimit, &TByteLimit::InputRefused);

    edit.setText(QStringLiteral("長谷川表ソ　一二三四五"));     // 11 of 15 units
    kana.setText(QStringLiteral("はせがわ "));                   // 9 bytes
    edit.setCursorPosition(int(edit.text().size()));
    CommitText(&edit, QStringLiteral("たろう"));
    edit.InsertName(QStringLiteral("太郎"), QStringLiteral("たろう"));
    EXPECT_EQ(edit.text(), u"長谷川表ソ　一二三四五太郎");
    EXPECT_EQ(kana.text(), u"はせがわ たろう");       // 15 bytes

    // 𠮷 takes two units: 13 + 2 + 1 > 15. Refused whole, and its reading with it.
    CommitText(&edit, QStringLiteral("よし"));
    ASSERT_EQ(edit.text(), u"長谷川表ソ　一二三四五太郎よし");
    edit.InsertName(QStringLiteral("𠮷子"), QStringLiteral("よしこ"));
    EXPECT_EQ(edit.text(), u"長谷川表ソ　一二三四五太郎よし");
    EXPECT_EQ(kana.text(), u"はせがわ たろう");
    EXPECT_GE(refused.count(), 1);

    // The name fits, its reading (15 + 12 bytes) does not: the name goes in alone.
    edit.setText(QStringLiteral("山"));
    edit.setCursorPosition(1);
    CommitText(&edit, QStringLiteral("ゆうのしん"));
    edit.InsertName(QStringLiteral("勇之進"), QStringLiteral("ゆうのしんじ"));
    EXPECT_EQ(edit.text(), u"山勇之進");
    EXPECT_EQ(kana.text(), u"はせがわ たろう");
    EXPECT_LE(cp932::ByteLength(kana.text()), 25);
}
