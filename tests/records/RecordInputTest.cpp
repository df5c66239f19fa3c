// The record window's input behaviour: external links, joint names and their
// owner, where Enter goes, the tab wheel, the note memo's line break, the
// colour and web-search buttons.

#include "RecordWindowFixture.h"

#include "core/AdrsRecord.h"
#include "core/ui/GroupEdit.h"
#include "integrations/AddExtURL.h"
#include "integrations/WebSearch.h"
#include "platform/Cp932.h"
#include "platform/Seams.h"
#include "platform/SqlTable.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/DialogSeams.h"
#include "records/InputList.h"
#include "records/KeywordEdit.h"
#include "records/ProtectMemoEdit.h"
#include "core/common/Units.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <functional>

namespace {

// Runs act on the first popup or modal window of type T once it is up.
template <class T>
void WhenUp(std::function<void(T*)> act, bool popup = false)
{
    auto* timer = new QTimer;
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, act, popup] {
        QWidget* w = popup ? QApplication::activePopupWidget() : QApplication::activeModalWidget();
        if (T* t = qobject_cast<T*>(w)) {
            timer->stop();
            timer->deleteLater();
            act(t);
        }
    });
    timer->start();
}

// Chooses the menu entry with this text.
void ChooseMenu(const QString& text)
{
    WhenUp<QMenu>(
        [text](QMenu* menu) {
            for (QAction* a : menu->actions())
                if (a->text() == text)
                    menu->setActiveAction(a);
            QTest::keyClick(menu, Qt::Key_Return);
        },
        true);
}

QStringList Column(QTreeWidget* list, int column)
{
    QStringList out;
    for (int i = 0; i < list->topLevelItemCount(); ++i)
        out << list->topLevelItem(i)->text(column);
    return out;
}

} // namespace

class RecordInput : public RecordWindowOnBook {
protected:
    void addUrl(const QString& url)
    {
        ChooseMenu(QStringLiteral("URLを登録"));
        WhenUp<TAddExtURL>([url](TAddExtURL* d) {
            d->findChild<QLineEdit*>(QStringLiteral("edtURL"))->setText(url);
            d->accept();
        });
        find<QPushButton>("bbtnAddExtLink")->click();
    }
    // The record saved last, in book order.
    TAdrsRecord lastStored()
    {
        TSqlTable& t = dm->AdrsTable();
        t.SetIndexName(QString());
        t.Last();
        TAdrsRecord stored;
        ReadAdrsRecord(t, stored);
        return stored;
    }
    void addFile(const QString& path)
    {
        const TFileDialogHandler old = SetFileDialogHandler([path](const TFileDialogRequest&) { return path; });
        ChooseMenu(QStringLiteral("ファイルを登録"));
        find<QPushButton>("bbtnAddExtLink")->click();
        SetFileDialogHandler(old);
    }
    void show()
    {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    }
    void enterIn(QWidget* w)
    {
        w->setFocus();
        QTest::keyClick(w, Qt::Key_Return);
    }
};

// The dialogs for a link, the pick lists and the names of items and groups.
TEST_F(RecordInput, EveryInputOfTheRecordWindowsDialogsTakesTheFirstLineOfWhatArrives)
{
    TAddExtURL link(window);
    TInputList pickList;
    TKeywordEdit keywords;
    TProtectMemoEdit memos;
    TGroupEdit groups;
    for (auto [dialog, inputs] :
         {std::pair<QWidget*, int>{&link, 1}, {&pickList, 1}, {&keywords, 8}, {&memos, 10}, {&groups, 10}}) {
        dialog->show();
        ExpectFirstLineEverywhere(dialog, inputs);
    }
}

TEST_F(RecordInput, TenLinksAtMostCaseBlindDuplicatesRefusedDeleteRenumbersAndSavingKeepsTheOrder)
{
    auto* links = find<QTreeWidget>("lvExtLink");
    auto* add = find<QPushButton>("bbtnAddExtLink");
    auto* del = find<QPushButton>("bbtnDelExtLink");
    // A file whose name holds bytes 0x5C as trail bytes in code page 932.
    const QString file = folder.path() + QStringLiteral("表ソ.txt");
    QFile(file).open(QIODevice::WriteOnly);
    addFile(file);
    for (int i = 2; i <= 9; ++i)
        addUrl(QStringLiteral("https://example.jp/p%1").arg(i));
    ASSERT_EQ(links->topLevelItemCount(), 9);
    addUrl(QStringLiteral("  HTTPS://EXAMPLE.JP/P5  "));
    addFile(file.chopped(3) + QStringLiteral("TXT")); // the same file, in other case
    EXPECT_EQ(links->topLevelItemCount(), 9);
    EXPECT_TRUE(add->isEnabled());
    addUrl(QStringLiteral("https://example.jp/p10"));
    ASSERT_EQ(links->topLevelItemCount(), 10);
    EXPECT_FALSE(add->isEnabled());
    EXPECT_EQ(links->currentItem()->text(1), QStringLiteral("https://example.jp/p10"));

    links->setCurrentItem(links->topLevelItem(2));
    del->click();
    EXPECT_EQ(Column(links, 0), QStringList({"1", "2", "3", "4", "5", "6", "7", "8", "9"}));
    EXPECT_EQ(links->currentItem()->text(1), QStringLiteral("https://example.jp/p4"));
    EXPECT_TRUE(add->isEnabled());
    const QStringList expected = Column(links, 1);

    // Open with nothing selected does nothing; a selected link goes to the
    // opener as one argument.
    QStringList opened;
    bool started = true;
    const TLaunchHandler old = SetLaunchHandler([&](const QString& program, const QStringList& args) {
        opened << program << args;
        return started;
    });
    links->clearSelection();
    find<QPushButton>("bbtnOpenExtLink")->click();
    del->click();
    EXPECT_TRUE(opened.isEmpty());
    EXPECT_EQ(links->topLevelItemCount(), 9);
    links->setCurrentItem(links->topLevelItem(0));
    find<QPushButton>("bbtnOpenExtLink")->click();
    EXPECT_EQ(opened, QStringList({QStringLiteral("xdg-open"), file}));
    // With no program to open it, the warning says why on a line of its own.
    started = false;
    find<QPushButton>("bbtnOpenExtLink")->click();
    SetLaunchHandler(old);
    EXPECT_EQ(messages.LastText(), QStringLiteral("リンクを開けませんでした  \r\n") + file +
                                       QStringLiteral("\r\n開くためのプログラム（xdg-open）を起動できませんでした  "));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONWARNING));
    messages.Clear();

    find<QLineEdit>("edtTel")->setText(QStringLiteral("03-1111-2222"));
    find<QPushButton>("btnAdd")->click();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    const TAdrsRecord stored = lastStored();
    ASSERT_TRUE(stored.ExtLink);
    QList<QByteArray> bytes;
    for (const QString& link : expected)
        bytes << cp932::Encode(link);
    EXPECT_EQ(*stored.ExtLink, bytes);
    EXPECT_TRUE(stored.ExtLink->front().contains('\x5C'));
}

// A link is stored as one line of code page 932 bytes and must read back as
// chosen: a character the page cannot hold (or gives back as another) or a
// line break is refused aloud by the file and URL dialogs and by the save; a
// long path is kept whole.
TEST_F(RecordInput, ALinkThatWouldNotReadBackIsRefusedAloudAndALongOneIsKeptWhole)
{
    auto* links = find<QTreeWidget>("lvExtLink");
    const QString yoshi = QStringLiteral("「𠮷」（U+20BB7）は入力できない文字です。");
    for (const auto& [name, message] : {std::pair{QStringLiteral("𠮷野家.txt"), yoshi},
                                        {QStringLiteral("波〜線.txt"), QStringLiteral("「〜」（U+301C）は入力できない文字です。")},
                                        {QStringLiteral("二行\n目.txt"), QStringLiteral("（U+000A）は入力できない文字です。")}}) {
        ASSERT_TRUE(QFile(folder.path() + name).open(QIODevice::WriteOnly));
        addFile(folder.path() + name);
        EXPECT_EQ(links->topLevelItemCount(), 0);
        EXPECT_EQ(messages.LastText(), message);
    }
    // The URL dialog comes back with what was typed, to be mended.
    messages.Clear();
    QString typedAgain;
    ChooseMenu(QStringLiteral("URLを登録"));
    WhenUp<TAddExtURL>([&typedAgain](TAddExtURL* d) {
        d->findChild<QLineEdit*>(QStringLiteral("edtURL"))->setText(QStringLiteral("https://example.jp/𠮷"));
        WhenUp<TAddExtURL>([&typedAgain](TAddExtURL* again) {
            typedAgain = again->GetURL();
            again->reject();
        });
        d->accept();
    });
    find<QPushButton>("bbtnAddExtLink")->click();
    EXPECT_EQ(typedAgain, QStringLiteral("https://example.jp/𠮷"));
    EXPECT_EQ(messages.LastText(), yoshi);
    EXPECT_FALSE(links->acceptDrops() || links->viewport()->acceptDrops()); // no other way in

    QString deep = folder.path(); // with trail bytes 0x5C, longer than any field of the record
    while (cp932::ByteLength(deep) < 600)
        deep += QStringLiteral("表ソ能フォルダ/");
    ASSERT_TRUE(QDir().mkpath(deep) && QFile(deep + QStringLiteral("申込書.txt")).open(QIODevice::WriteOnly));
    deep += QStringLiteral("申込書.txt");
    addFile(deep);
    // One that came into the list otherwise: the save refuses it and shows it.
    new QTreeWidgetItem(links, {QStringLiteral("2"), folder.path() + QStringLiteral("𠮷.txt")});
    messages.Clear();
    find<QPushButton>("btnAdd")->click();
    EXPECT_EQ(messages.LastText(), yoshi);
    EXPECT_EQ(find<QTabWidget>("pgctlData")->currentWidget(), find<QWidget>("tabstOther"));
    delete links->topLevelItem(1);
    find<QPushButton>("btnAdd")->click();
    EXPECT_EQ(messages.Messages().size(), 1u);
    const TAdrsRecord stored = lastStored();
    ASSERT_TRUE(stored.ExtLink);
    EXPECT_EQ(*stored.ExtLink, QList<QByteArray>({cp932::Encode(deep)}));
    EXPECT_EQ(cp932::Decode(stored.ExtLink->front()), deep);
}

TEST_F(RecordInput, JointOwnerFollowsTheNamesAndIsAlwaysPrinted)
{
    auto* joint2 = find<QLineEdit>("nmedtJoint2");
    auto* owner = find<QComboBox>("cbxJointOwner");
    auto* print2 = find<QToolButton>("sbtnJointPrint2");
    auto* print3 = find<QToolButton>("sbtnJointPrint3");
    joint2->setText(QStringLiteral("花子"));
    emit joint2->editingFinished();
    ASSERT_EQ(owner->count(), 2);
    EXPECT_EQ(owner->itemText(0), QStringLiteral("本人"));
    EXPECT_EQ(owner->itemText(1), QStringLiteral("花子"));

    owner->setCurrentIndex(1);
    emit owner->activated(1);
    EXPECT_TRUE(print2->isChecked());
    print2->click(); // the owner's button cannot be released
    EXPECT_TRUE(print2->isChecked());
    print3->click(); // nor pressed for a name that is not there
    EXPECT_FALSE(print3->isChecked());
    EXPECT_EQ(window->ReadControls().JointOwner, 2);

    joint2->clear();
    emit joint2->editingFinished();
    EXPECT_EQ(owner->currentText(), QStringLiteral("本人"));
    EXPECT_EQ(owner->count(), 1);
    EXPECT_EQ(window->ReadControls().JointOwner, 0);
    EXPECT_FALSE(print2->isChecked());
}

TEST_F(RecordInput, EnterFollowsTheTableAndTheNoteMemoTakesItAsALineBreak)
{
    show();
    auto* tel = find<QLineEdit>("edtTel");
    auto* pref = find<QLineEdit>("edtTdfkn");
    enterIn(tel);
    EXPECT_EQ(QApplication::focusWidget(), find<QPushButton>("bbtnTelSch"));
    pref->setText(QStringLiteral("東京都"));
    enterIn(tel);
    EXPECT_EQ(QApplication::focusWidget(), find<QCheckBox>("chkMainNumber"));
    enterIn(find<QLineEdit>("edtPos"));
    EXPECT_EQ(QApplication::focusWidget(), pref);
    EXPECT_EQ(pref->cursorPosition(), 3);

    // The category: minor when the major has minors, else the add button.
    auto* major = find<QComboBox>("cbxCatMain");
    enterIn(major);
    EXPECT_EQ(QApplication::focusWidget(), find<QPushButton>("btnAdd"));
    major->setCurrentIndex(major->findData(5));
    emit major->activated(major->currentIndex());
    enterIn(major);
    EXPECT_EQ(QApplication::focusWidget(), find<QComboBox>("cbxCatSub"));

    // A company goes from the honorific to "ignore name", and from the My
    // Number to the company name.
    find<QToolButton>("sbtnCorp")->click();
    enterIn(find<QComboBox>("cbxHonor"));
    EXPECT_EQ(QApplication::focusWidget(), find<QCheckBox>("chkIgnoreName"));
    enterIn(find<QLineEdit>("edtMyNumber"));
    EXPECT_EQ(QApplication::focusWidget(), find<QLineEdit>("nmedtCorpKanji"));

    auto* tabs = find<QTabWidget>("pgctlData");
    tabs->setCurrentIndex(2);
    auto* note = find<QPlainTextEdit>("mmoNote");
    note->setPlainText(QStringLiteral("一行目"));
    note->moveCursor(QTextCursor::End);
    enterIn(note);
    EXPECT_EQ(QApplication::focusWidget(), note);
    EXPECT_EQ(note->toPlainText(), QStringLiteral("一行目\n"));
}

TEST_F(RecordInput, LeavingTheNoteAddsALineBreakThatIsNoPartOfTheNote)
{
    show();
    auto* note = find<QPlainTextEdit>("mmoNote");
    auto* other = find<QLineEdit>("edtKeyword1"); // on the memo's page
    // A record whose note ends in an empty line keeps it; one without keeps
    // its lines though leaving the memo adds a break.
    for (const QStringList& lines : {QStringList{"メモ", ""}, QStringList{"表", "ソ"}}) {
        SCOPED_TRACE(lines.join('|').toStdString());
        TAdrsRecord r = list.rows[0];
        r.Note = std::make_unique<TStringList>();
        for (const QString& line : lines)
            r.Note->append(cp932::Encode(line));
        list.rows[0] = r;
        showRow(0);
        const QString before = window->ReadControls().Note;
        find<QTabWidget>("pgctlData")->setCurrentIndex(2);
        note->setFocus();
        other->setFocus();
        EXPECT_TRUE(note->toPlainText().endsWith('\n'));
        EXPECT_EQ(window->ReadControls().Note, before);
        EXPECT_FALSE(window->IsModified());
    }
    // Typed after the break, the break is the user's.
    note->setFocus();
    note->moveCursor(QTextCursor::End);
    QTest::keyClicks(note, "x");
    EXPECT_EQ(window->ReadControls().Note, QStringLiteral("表\r\nソ\r\nx"));
    // A blank note gets nothing.
    note->setPlainText(QStringLiteral("  "));
    note->setFocus();
    other->setFocus();
    EXPECT_EQ(note->toPlainText(), QStringLiteral("  "));
}

TEST_F(RecordInput, SymbolColourAndWebSearchButtons)
{
    QColor offered;
    const TColorDialogHandler old =
        SetColorDialogHandler([&](QWidget*, const QColor& initial, TCustomColors&, QColor& chosen) {
            offered = initial;
            chosen = QColor(0x12, 0x34, 0x56);
            return true;
        });
    find<QPushButton>("bbtnSymbolColor")->click();
    SetColorDialogHandler(old);
    EXPECT_EQ(offered, ColorFromStored(kDefaultSymbolColor));
    EXPECT_EQ(window->ReadControls().SymbolColor, 0x563412);

    // The company name is the word for a company, nothing for a person.
    find<QLineEdit>("nmedtCorpKanji")->setText(QStringLiteral("表示株式会社"));
    for (bool corp : {true, false}) {
        find<QToolButton>(corp ? "sbtnCorp" : "sbtnPriv")->click();
        QString word;
        WhenUp<TWebSearch>([&word](TWebSearch* d) {
            word = d->Word();
            d->reject();
        });
        find<QPushButton>("bbtnWebSearch")->click();
        EXPECT_EQ(word, corp ? QStringLiteral("表示株式会社") : QString());
    }
}

// Numbers committed in full width fit their edits whole, taken in half width;
// a number too long for the record, in digits or in bytes, is refused whole by
// every way in, with the refusal typing gives: cut, it would be another number.
TEST_F(RecordInput, FullWidthNumbersCommittedFitTheirEditsAndWhatDoesNotFitIsRefusedAloud)
{
    show();
    const std::array<const char*, 4> numbers[] = {
        {"edtTel", "０３－１２３４ー５６７８", "03-1234-5678", "03-1234-567890"},
        {"edtFax", "０３－１２３４－５６７９", "03-1234-5679", "031234567890"},
        {"edtPortable1", "０９０‐１１１１‐２２２２", "090-1111-2222", "090--1111--2222"},
        {"edtPortable2", "０８０ー３３３３ー４４４４", "080-3333-4444", "０８０－３３３３－４４４４５"},
        {"edtPos", "１００－０００１", "100-0001", "100-00012"},
    };
    for (const auto& [name, full, half, tooLong] : numbers) {
        SCOPED_TRACE(name);
        auto* edit = find<TByteLimitEdit>(QLatin1String(name));
        QSignalSpy refused(edit, &TByteLimitEdit::InputRefused);
        CommitText(edit, QString::fromUtf8(full));
        EXPECT_EQ(edit->text(), QLatin1String(half));
        CommitText(edit, QStringLiteral("１２"));
        EXPECT_EQ(edit->text(), QLatin1String(half)) << "never cut to another number";
        for (int way = 0; way <= int(TArrival::Drop); ++way) {
            edit->clear();
            Arrive(edit, edit, TArrival(way), QString::fromUtf8(tooLong));
            EXPECT_EQ(edit->text(), QString()) << "way " << way;
        }
        EXPECT_EQ(refused.count(), 6);
    }
}
