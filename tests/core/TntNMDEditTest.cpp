#include "core/ui/TntNMDEdit.h"
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

