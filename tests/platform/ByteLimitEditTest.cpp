#include "platform/ui/ByteLimitEdit.h"
#include "platform/Cp932.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <gtest/gtest.h>

namespace {

const QString kEmoji = QStringLiteral("\U0001F600");  // no code page 932 form
const QString kHangul = QStringLiteral("\uD55C");     // no code page 932 form

// Types text as the user does: ASCII through keys, everything else as
// input-method commits, one character each.
void type(QWidget* w, const QString& text)
{
    for (char32_t ch : text.toUcs4()) {
        const QString one = QString::fromUcs4(&ch, 1);
        if (ch < 0x80)
            QTest::keyClicks(w, one);
        else
            CommitText(w, one);
    }
}

// A window with the edit under test and a second control to leave it for.
template <typename Edit>
struct TEditForm {
    QWidget window;
    Edit* edit = new Edit(&window);
    QLineEdit* other = new QLineEdit(&window);

    explicit TEditForm(int maxBytes)
    {
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(edit);
        layout->addWidget(other);
        edit->SetMaxBytes(maxBytes);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
        edit->setFocus();
    }
    void leave() { other->setFocus(Qt::TabFocusReason); }
};

} // namespace

TEST(ByteLimitRules, RefuseGrowthPastTheLimitAndNewCharactersTheFieldCannotHold)
{
    const QString held = QStringLiteral("x") + kEmoji + QStringLiteral("y");
    struct Case {
        QString before, after;
        int limit;
        bool wide, allowed;
    } cases[] = {
        {"", QStringLiteral("あいa"), 5, false, true}, // code page 932 bytes
        {QStringLiteral("あい"), QStringLiteral("あいう"), 5, false, false},
        // Text the program put in over the limit may shrink, not grow.
        {QStringLiteral("あいうえ"), QStringLiteral("あいう"), 5, false, true},
        {QStringLiteral("あいうえ"), QStringLiteral("かいうえ"), 5, false, true},
        {QStringLiteral("あいうえ"), QStringLiteral("あいうえ1"), 5, false, false},
        {"", QString(40, u'x'), 0, false, true}, // 0 means no limit
        // New characters without a code page 932 form are refused; those
        // already there may stay or go. 〜 − — and the IBM extensions have one.
        {QStringLiteral("ab"), QStringLiteral("a") + kEmoji + "b", 0, false, false},
        {"", QStringLiteral("〜−—髙①"), 0, false, true},
        {held, held + "z", 0, false, true},
        {held, "xy", 0, false, true},
        {kEmoji, kEmoji + kEmoji, 0, false, false}, // a pair next to an identical pair is seen whole
        // Wide edits take any character and count UTF-16 units.
        {"", kHangul + kEmoji, 3, true, true},
        {"", kHangul + kEmoji + "a", 3, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.before + QStringLiteral(" -> ") + c.after).toStdString());
        EXPECT_EQ(TByteLimitEdit::Allows(c.before, c.after, c.limit, c.wide), c.allowed);
    }
    EXPECT_EQ(TByteLimitEdit::Length(QStringLiteral("あ") + kEmoji, true), 3);
    // Cuts never split a character.
    EXPECT_EQ(TByteLimitEdit::Cut(QStringLiteral("aあいう"), 4, false), QStringLiteral("aあ"));
    EXPECT_EQ(TByteLimitEdit::Cut(QStringLiteral("aあいう"), 0, false), QStringLiteral("aあいう"));
    EXPECT_EQ(TByteLimitEdit::Cut("a" + kEmoji, 2, true), QStringLiteral("a")); // no half surrogate pair
}

TEST(ByteLimitEdit, TypingStopsAtTheLimitWithARefusal)
{
    TMessageRecorder messages;
    TEditForm<TByteLimitEdit> f(5);
    QSignalSpy refused(f.edit, &TByteLimitEdit::InputRefused);
    type(f.edit, QStringLiteral("あいう"));
    EXPECT_EQ(f.edit->text(), QStringLiteral("あい"));
    EXPECT_EQ(refused.count(), 1);
    type(f.edit, QStringLiteral("1") + kHangul + "2");
    EXPECT_EQ(f.edit->text(), QStringLiteral("あい1"));
    EXPECT_EQ(refused.count(), 3);
}

// As an edit with a length limit does: a paste puts in what fits, cut on a
// character boundary (表 and ソ end in the byte 0x5C), the caret after it,
// with a beep; the edit counts as changed.
TEST(ByteLimitEdit, PastePutsInWhatFitsCutOnACharacterBoundary)
{
    TMessageRecorder messages;
    TEditForm<TByteLimitEdit> f(100);
    QSignalSpy refused(f.edit, &TByteLimitEdit::InputRefused);
    QString pairs;
    for (int i = 0; i < 40; ++i)
        pairs += QStringLiteral("表ソ"); // 160 bytes
    QApplication::clipboard()->setText(pairs);
    QTest::keySequence(f.edit, QKeySequence::Paste);
    EXPECT_EQ(f.edit->text(), pairs.left(50));
    EXPECT_EQ(f.edit->TextLength(), 100);
    EXPECT_TRUE(f.edit->isModified());
    EXPECT_EQ(refused.count(), 1);

    // Into the middle, an odd room: the double-byte character that would
    // straddle the limit stays out.
    f.edit->SetMaxBytes(6);
    f.edit->setText(QStringLiteral("ab"));
    f.edit->setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("表ソ能"));
    QTest::keySequence(f.edit, QKeySequence::Paste);
    EXPECT_EQ(f.edit->text(), QStringLiteral("a表ソb"));
    EXPECT_EQ(f.edit->cursorPosition(), 3);
    // Nothing fits: refused, the text as it was.
    QTest::keySequence(f.edit, QKeySequence::Paste);
    EXPECT_EQ(f.edit->text(), QStringLiteral("a表ソb"));
    EXPECT_EQ(refused.count(), 3);
    EXPECT_TRUE(messages.Messages().empty());

    // A character the field cannot hold is named, and nothing is put in.
    f.edit->SetMaxBytes(20);
    QApplication::clipboard()->setText(QStringLiteral("い") + kHangul + QStringLiteral("う"));
    QTest::keySequence(f.edit, QKeySequence::Paste);
    EXPECT_EQ(f.edit->text(), QStringLiteral("a表ソb"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return messages.Messages().size() == 1u; })) << messages.Messages().size();
    EXPECT_TRUE(messages.LastText().contains(kHangul));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("U+D55C")));

    // The wide edit counts UTF-16 units and keeps a surrogate pair whole.
    f.edit->SetWide(true);
    f.edit->SetMaxBytes(4);
    f.edit->setText(QStringLiteral("a"));
    f.edit->setCursorPosition(1);
    QApplication::clipboard()->setText(QStringLiteral("b") + kEmoji + kEmoji);
    QTest::keySequence(f.edit, QKeySequence::Paste);
    EXPECT_EQ(f.edit->text(), QStringLiteral("ab") + kEmoji);
}

// A multi-line edit counts its line breaks as CR LF and keeps what fits of
// a paste the same way, without half a line break.
TEST(ByteLimitEdit, PasteIntoAMemoKeepsWhatFits)
{
    TMessageRecorder messages;
    QPlainTextEdit memo;
    auto* limit = new TByteLimit(&memo);
    limit->SetMaxBytes(10);
    memo.show();
    memo.setFocus();
    QSignalSpy refused(limit, &TByteLimit::InputRefused);
    QApplication::clipboard()->setText(QStringLiteral("表ソ\n能あいう"));
    QTest::keySequence(&memo, QKeySequence::Paste); // 表ソ CR LF 能あ: 10 bytes
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("表ソ\n能あ"));
    EXPECT_EQ(memo.textCursor().position(), 5);
    EXPECT_EQ(refused.count(), 1);
    memo.clear();
    memo.insertPlainText(QStringLiteral("1234567"));
    QApplication::clipboard()->setText(QStringLiteral("89\n0"));
    QTest::keySequence(&memo, QKeySequence::Paste); // 7 + 2 + CR: the break does not fit whole
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("123456789"));
    QApplication::clipboard()->setText(kHangul);
    QTest::keySequence(&memo, QKeySequence::Paste);
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("123456789"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return messages.Messages().size() == 1u; })) << messages.Messages().size();
}

TEST(ByteLimitEdit, ProgramTextOverTheLimitIsCutWhenTheEditIsLeft)
{
    TEditForm<TByteLimitEdit> f(5);
    QSignalSpy finished(f.edit, &QLineEdit::editingFinished);
    QSignalSpy refused(f.edit, &TByteLimitEdit::InputRefused);
    f.edit->setText(QStringLiteral("東京都港区") + kHangul);
    EXPECT_EQ(f.edit->text(), QStringLiteral("東京都港区") + kHangul) << "the program's text is taken as it is";
    EXPECT_EQ(refused.count(), 0);
    f.edit->end(false);
    type(f.edit, QStringLiteral("x"));
    EXPECT_EQ(f.edit->text(), QStringLiteral("東京都港区") + kHangul);
    f.edit->setText(QStringLiteral("東京都港区"));
    EXPECT_FALSE(f.edit->isModified());
    f.leave();
    EXPECT_EQ(f.edit->text(), QStringLiteral("東京"));
    EXPECT_TRUE(f.edit->isModified());
    EXPECT_EQ(finished.count(), 1);
}

TEST(ByteLimitEdit, UndoingBackOverTheLimitDoesNotOpenTheLimit)
{
    TEditForm<TByteLimitEdit> f(4);
    QSignalSpy refused(f.edit, &TByteLimitEdit::InputRefused);
    f.edit->setText(QStringLiteral("abcdef"));
    f.edit->end(false);
    QTest::keyClick(f.edit, Qt::Key_Backspace);
    QTest::keyClick(f.edit, Qt::Key_Home);
    QTest::keyClick(f.edit, Qt::Key_Delete);
    EXPECT_EQ(f.edit->text(), QStringLiteral("bcde"));
    QTest::keySequence(f.edit, QKeySequence::Undo);
    EXPECT_EQ(f.edit->text(), QStringLiteral("abcde"));
    QTest::keySequence(f.edit, QKeySequence::Undo);
    EXPECT_EQ(f.edit->text(), QStringLiteral("abcdef"));
    QTest::keySequence(f.edit, QKeySequence::Redo);
    EXPECT_EQ(refused.count(), 0) << "undo and redo are not new input";
    f.edit->end(false);
    type(f.edit, QStringLiteral("g") + kHangul);
    EXPECT_EQ(f.edit->text(), QStringLiteral("abcde"));
    EXPECT_EQ(refused.count(), 2);
}

TEST(ByteLimitComboBox, LimitsTypingAndCutsOnLeaving)
{
    TEditForm<TByteLimitComboBox> f(4);
    f.edit->addItem(QStringLiteral("株式会社"));
    f.edit->setCurrentIndex(-1);
    f.edit->setEditText({});
    type(f.edit, QStringLiteral("abcあ"));
    EXPECT_EQ(f.edit->currentText(), QStringLiteral("abc"));
    f.edit->setCurrentIndex(0);
    EXPECT_EQ(f.edit->currentText(), QStringLiteral("株式会社"));
    f.leave();
    EXPECT_EQ(f.edit->currentText(), QStringLiteral("株式"));
}

// A first line equal to the text beside the caret, or to the selection it
// replaces, is not mistaken for text that was already there; what is cut to
// fit is the end of what arrived.
TEST(ByteLimitEdit, OneLineInputTakesTheFirstLineOfWhatArrivesWhateverStandsBesideIt)
{
    TEditForm<TByteLimitEdit> f(20);
    const struct {
        QString before, arriving, after;
        bool selectAll; // else the caret at the start
    } cases[] = {
        {QStringLiteral("株式会社テスト"), QStringLiteral("株式会社テスト\r\n営業部"), QStringLiteral("株式会社テスト"), true},
        {QStringLiteral("田中"), QStringLiteral("田中\n花子"), QStringLiteral("田中田中"), false},
        {QStringLiteral("表ソ"), QStringLiteral("\r\n表ソ\t能\r\n"), QStringLiteral("表ソ能表ソ"), false},
        {QStringLiteral("田中"), QStringLiteral("田中表ソ能株式会社テスト"), QStringLiteral("田中表ソ能株式会田中"), false},
    };
    for (TArrival how : {TArrival::PasteKey, TArrival::MenuPaste, TArrival::Drop, TArrival::Commit}) {
        for (const auto& c : cases) {
            if (how == TArrival::Drop && c.selectAll)
                continue; // a drop goes in where it lands, never over a selection
            SCOPED_TRACE(QStringLiteral("%1: %2").arg(int(how)).arg(c.arriving).toStdString());
            f.edit->setText(c.before);
            f.edit->setFocus();
            c.selectAll ? f.edit->selectAll() : f.edit->setCursorPosition(0);
            Arrive(f.edit, f.edit, how, c.arriving);
            EXPECT_EQ(f.edit->text(), c.after);
        }
    }
}

// Input the edit takes in part (digits folded, a first line, a cut to fit)
// is one undo step like any other: undo gives back the text before it.
TEST(ByteLimitEdit, UndoAfterInputTakenInPartGivesBackTheTextBeforeIt)
{
    TEditForm<TByteLimitEdit> f(6);
    const struct {
        bool numeric;
        TArrival how;
        QString arriving, after;
    } cases[] = {
        {true, TArrival::Commit, QStringLiteral("１２ー３"), QStringLiteral("0312-3")},
        {false, TArrival::MenuPaste, QStringLiteral("表ソ\r\n能"), QStringLiteral("03表ソ")},
        {false, TArrival::Commit, QStringLiteral("表ソ能"), QStringLiteral("03表ソ")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arriving.toStdString());
        f.edit->SetNumeric(c.numeric);
        f.edit->clear();
        QTest::keyClicks(f.edit, QStringLiteral("03"));
        Arrive(f.edit, f.edit, c.how, c.arriving);
        ASSERT_EQ(f.edit->text(), c.after);
        QTest::keySequence(f.edit, QKeySequence::Undo);
        EXPECT_EQ(f.edit->text(), QStringLiteral("03"));
    }
}

// A drop is a move only when the field took all of it: refused or cut, it
// ends as a copy (or not at all), and what was dragged stays in its source.
TEST(ByteLimitDrop, ADropRefusedOrCutLeavesTheSourceItsText)
{
    TMessageRecorder messages;
    TEditForm<TByteLimitEdit> f(10);
    auto* memo = new QPlainTextEdit(&f.window);
    (new TByteLimit(memo))->SetMaxBytes(10);
    f.window.layout()->addWidget(memo);
    const QString full = QStringLiteral("表ソ能表ソ"), kept = QStringLiteral("大事な備考");
    const struct {
        QWidget* target;
        QString before, dragged, after;
        Qt::DropAction action;
    } cases[] = {
        {f.edit, full, kept, full, Qt::IgnoreAction},
        {f.edit, {}, QStringLiteral("一行目\n二行目\n三行目"), QStringLiteral("一行目"), Qt::CopyAction},
        {f.edit, QStringLiteral("ab"), full, QStringLiteral("ab表ソ能表"), Qt::CopyAction},
        {f.edit, {}, QStringLiteral("𠮷野家"), {}, Qt::IgnoreAction},
        {memo, full, kept, full, Qt::IgnoreAction},
        {memo, QStringLiteral("ab"), QStringLiteral("表ソ\n能表ソ"), QStringLiteral("表ソ\n能ab"), Qt::CopyAction},
        {memo, {}, QStringLiteral("♥"), {}, Qt::IgnoreAction},
        {f.edit, {}, QStringLiteral("表ソ"), QStringLiteral("表ソ"), Qt::MoveAction}, // all of it taken
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.dragged.toStdString());
        c.target->setProperty(c.target == memo ? "plainText" : "text", c.before);
        EXPECT_EQ(Arrive(c.target, c.target, TArrival::Drop, c.dragged), c.action); // its source checked there
        EXPECT_EQ(TextOf(c.target), c.after);
    }
    EXPECT_TRUE(QTest::qWaitFor([&] { return messages.Messages().size() == 2u; })) << messages.Messages().size(); // 𠮷, ♥
}

// Undo gives back each step a user took, also over input taken in part:
// typed full-width digits undo as the same digits typed half-width would,
// a commit after them is a step of its own, and a refused or cut input
// leaves a memo's earlier steps to undo.
TEST(ByteLimitEdit, UndoGivesBackEachStepAlsoAroundInputTakenInPart)
{
    TMessageRecorder messages;
    TEditForm<TByteLimitEdit> f(13);
    auto* halfWidth = new TByteLimitEdit(&f.window);
    halfWidth->show();
    for (TByteLimitEdit* edit : {f.edit, halfWidth}) {
        edit->SetNumeric(true);
        edit->setFocus();
        QTest::keyClicks(edit, QStringLiteral("03"));
        QTest::keyClick(edit, Qt::Key_Left); // a caret move ends a run of typing
        QTest::keyClick(edit, Qt::Key_Right);
    }
    TypeChars(f.edit, QStringLiteral("１２"));
    TypeChars(halfWidth, QStringLiteral("12"));
    ASSERT_EQ(f.edit->text(), QStringLiteral("0312"));
    for (const QString& step : {QStringLiteral("03"), QString()}) {
        f.edit->undo();
        halfWidth->undo();
        EXPECT_EQ(f.edit->text(), step);
        EXPECT_EQ(halfWidth->text(), step);
    }
    // Two commits, each narrowed, each undone in turn back to the typing.
    QTest::keyClicks(f.edit, QStringLiteral("03"));
    CommitText(f.edit, QStringLiteral("１２"));
    CommitText(f.edit, QStringLiteral("３４"));
    ASSERT_EQ(f.edit->text(), QStringLiteral("031234"));
    for (const QString& step : {QStringLiteral("0312"), QStringLiteral("03"), QString()}) {
        f.edit->undo();
        EXPECT_EQ(f.edit->text(), step);
    }
    // A memo keeps its steps past a paste cut to its limit and a refused one.
    QPlainTextEdit memo(&f.window);
    (new TByteLimit(&memo))->SetMaxBytes(10);
    memo.show();
    memo.setFocus();
    QTest::keyClicks(&memo, QStringLiteral("ab"));
    for (const QString& pasted : {QStringLiteral("表ソ\n能あいう"), kHangul}) {
        QApplication::clipboard()->setText(pasted);
        QTest::keySequence(&memo, QKeySequence::Paste);
        ASSERT_EQ(memo.toPlainText(), QStringLiteral("ab表ソ\n能"));
    }
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("ab"));
    memo.undo();
    EXPECT_EQ(memo.toPlainText(), QString());
    memo.redo();
    memo.redo();
    EXPECT_EQ(memo.toPlainText(), QStringLiteral("ab表ソ\n能")) << "redo brings back what was taken, no more";
}

// A character a field cannot hold is refused alike in a one-line edit and a
// memo, and named so that it can be seen even when it has no glyph. The
// characters code page 932 keeps in a form of its own go in in that form,
// so what is stored reads back as it was shown.
TEST(ByteLimitEdit, InvisibleCharactersAreRefusedAlikeByNameAndOneWayFormsGoInAsStored)
{
    TMessageRecorder messages;
    TEditForm<TByteLimitEdit> f(0);
    auto* memo = new QPlainTextEdit(&f.window);
    new TByteLimit(memo);
    memo->show();
    for (QWidget* field : {static_cast<QWidget*>(f.edit), static_cast<QWidget*>(memo)}) {
        messages.Clear();
        field->setFocus();
        Arrive(field, field, TArrival::PasteKey, QStringLiteral("営業\u00A0部"));
        Arrive(field, field, TArrival::Commit, QStringLiteral("\u200B"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return messages.Messages().size() == 2u; })) << messages.Messages().size();
        EXPECT_EQ(messages.Messages().front().text, QStringLiteral("（U+00A0 NO-BREAK SPACE）は入力できない文字です。"));
        EXPECT_EQ(messages.LastText(), QStringLiteral("（U+200B ZERO WIDTH SPACE）は入力できない文字です。"));
        EXPECT_TRUE(TextOf(field).isEmpty());
    }
    // 〜 − — ‖ ¢ £ ¬ ¥ ‾ by every way in.
    const QString oneWay = QStringLiteral("〜−—‖¢£¬¥‾"), stored = QStringLiteral("～－―∥￠￡￢￥￣");
    Arrive(f.edit, f.edit, TArrival::Commit, oneWay);
    EXPECT_EQ(f.edit->text(), stored);
    f.edit->clear();
    Arrive(f.edit, f.edit, TArrival::PasteKey, oneWay);
    EXPECT_EQ(cp932::Decode(cp932::Encode(f.edit->text())), f.edit->text());
    memo->setFocus();
    CommitText(memo, oneWay);
    QTest::keyClicks(memo, QStringLiteral("~"));
    EXPECT_EQ(memo->toPlainText(), stored + QStringLiteral("~"));
}
