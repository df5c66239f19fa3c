#include "core/TntNMDEdit.h"
#include "listing_search/SkkDictionary.h"
#include "listing_search/TntNameDic.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QListWidget>
#include <QSignalSpy>
#include <QTest>
#include <QApplication>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <gtest/gtest.h>

namespace {

// Kana as an input method commits it (QTest only types ASCII).
void Commit(QWidget* w, const QString& text)
{
    QInputMethodEvent e;
    e.setCommitString(text);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(TntNameDic, TypingAReadingOffersTheNameAndChoosingItFillsTheEdit)
{
    if (!QFile::exists(kJinmeiDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    QWidget owner;
    auto* edit = new TTntNMDEdit(&owner);
    auto* kana = new QLineEdit(&owner);
    edit->SetKanaEdit(kana);
    owner.show();

    TTntNameDic popup(&owner);
    popup.SetHighlightColor(Qt::blue);
    ASSERT_TRUE(popup.Initialize());
    QObject::connect(edit, &TTntNMDEdit::NameConvertNeed, [&](bool need, const QString& reading, int kind) {
        const int n = need ? popup.CountNames(reading, kind) : 0;
        popup.SetGivenNameMode(kind);
        popup.FillCandidates(n);
        if (n > 0)
            popup.ShowUnder(edit);
    });
    edit->OnConvertKeyDown = [&](int key) { return popup.ProcessKey(key); };
    QObject::connect(&popup, &TTntNameDic::nameChosen, [&](const QString& name, const QString& reading) {
        edit->InsertName(name, reading);
        popup.hide();
    });
    QSignalSpy chosen(&popup, &TTntNameDic::nameChosen);

    Commit(edit, QStringLiteral("やまだ"));
    ASSERT_TRUE(popup.isVisible());
    EXPECT_TRUE(popup.testAttribute(Qt::WA_ShowWithoutActivating));
    EXPECT_EQ(popup.pos(), edit->mapToGlobal(QPoint(0, edit->height())));
    auto* list = popup.findChild<QListWidget*>(QStringLiteral("lstNames"));
    ASSERT_GT(list->count(), 0);
    EXPECT_TRUE(list->item(0)->text().startsWith(u"山田"));

    QTest::keyClick(edit, Qt::Key_Down); // moves in the popup, not in the edit
    EXPECT_EQ(list->currentRow(), 1);
    QTest::keyClick(edit, Qt::Key_Up);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(chosen.count(), 0); // delivered after the key is handled
    ASSERT_TRUE(chosen.wait(1000));
    EXPECT_EQ(edit->text(), u"山田");
    EXPECT_EQ(kana->text(), u"やまだ");
    EXPECT_EQ(popup.GetChosenName(), u"山田");
    EXPECT_FALSE(popup.isVisible());
    EXPECT_FALSE(popup.ProcessKey(Qt::Key_Down)); // closed: keys go to the edit
}

TEST(TntNameDic, MissingDictionaryIsNamedOnceAndOffersNothing)
{
    TNameDictionary::SetSharedPath(QStringLiteral("/nonexistent/SKK-JISYO.jinmei"));
    TMessageRecorder messages;
    {
        TTntNameDic popup(nullptr);
        EXPECT_FALSE(popup.Initialize());
        EXPECT_FALSE(popup.Initialize());
        EXPECT_EQ(popup.CountNames(QStringLiteral("やまだ"), 0), 0);
        popup.FillCandidates(0);
        EXPECT_FALSE(popup.isVisible());
    }
    TNameDictionary::SetSharedPath(kJinmeiDictionaryPath);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().contains(u"SKK-JISYO.jinmei"));
}
