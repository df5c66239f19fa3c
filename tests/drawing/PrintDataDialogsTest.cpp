#include "DrawRectTestItem.h"
#include "ImageTestSupport.h"
#include "drawing/dialogs/PrintDataList.h"
#include "drawing/dialogs/PrintDataOpenDialog.h"
#include "drawing/dialogs/PrintDataSaveDialog.h"
#include "drawing/dialogs/PrintMenuDialog.h"
#include "drawing/objects/PrintDataFile.h"
#include "drawing/objects/StreamIO.h"
#include "platform/FileErrors.h"
#include "support/TestSupport.h"

#include <QBuffer>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeWidget>

#include <cerrno>
#include <sys/stat.h>

namespace {

QByteArray FileBytes(quint8 kind, const QByteArray& thumbnail, const QByteArray& body = "BODY")
{
    QBuffer b;
    b.open(QIODevice::WriteOnly);
    TPrintDataHead head;
    head.Version = DrawRectCurrentVersion;
    head.Thumbnail = thumbnail;
    WritePrintDataHead(b, kind, head);
    b.write(body);
    return b.data();
}

QByteArray Jpeg(int w, int h)
{
    QImage picture(w, h, QImage::Format_RGB888);
    picture.fill(QColor(40, 120, 200)); // encoded bytes must not depend on leftover memory
    return MakeJpeg(picture);
}

// A data path with one folder of layouts of the kind.
class TLayouts {
public:
    explicit TLayouts(quint8 kind, const QStringList& titles) : kind_(kind)
    {
        SetPrintDataPath(dir_.path());
        QDir().mkpath(PrintDataFolder(kind));
        for (const QString& t : titles)
            EXPECT_TRUE(WriteFile(Path(t), FileBytes(kind, Jpeg(200, 100))));
    }
    ~TLayouts() { SetPrintDataPath(QString()); }
    QString Path(const QString& title) const { return PrintDataFolder(kind_) + title + PrintDataExtension(kind_); }
    QStringList Files() const { return QDir(PrintDataFolder(kind_)).entryList(QDir::Files, QDir::Name); }

private:
    QTemporaryDir dir_;
    quint8 kind_;
};

QStringList Captions(QTreeWidget* lv)
{
    QStringList out;
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
        out << lv->topLevelItem(i)->text(0);
    return out;
}

QTreeWidgetItem* ItemOf(QTreeWidget* lv, const QString& caption)
{
    for (int i = 0; i < lv->topLevelItemCount(); ++i)
        if (lv->topLevelItem(i)->text(0) == caption)
            return lv->topLevelItem(i);
    return nullptr;
}

} // namespace

TEST(PrintMenuDialog, CaptionsFollowTheKindAndContinueIsOnlyEnabledWhenChosen)
{
    TPrintMenuDialog d;
    d.SetPrintKind(pdDesign);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("文面印刷　メニュー"));
    auto* cont = Child<QRadioButton>(&d, "rbContinue");
    EXPECT_FALSE(cont->isEnabled());
    d.SetMenuIndex(2);
    EXPECT_TRUE(cont->isEnabled());
    EXPECT_EQ(d.GetMenuIndex(), 2);
    d.SetMenuIndex(1);
    EXPECT_FALSE(cont->isEnabled());
    EXPECT_EQ(d.GetMenuIndex(), 1);
    Child<QCheckBox>(&d, "ckbShowMenu")->setChecked(false);
    EXPECT_FALSE(d.GetShowMenu());
}

TEST(PrintDataOpenDialog, ListsTheKindPreviewsTheThumbnailAndDropsVanishedFiles)
{
    TLayouts layouts(pdLabel, {QStringLiteral("b"), QStringLiteral("A"), QStringLiteral("c")});
    // A thumbnail length beyond the file: an error in the dialog only.
    QByteArray bad = FileBytes(pdLabel, Jpeg(10, 10));
    qToLittleEndian(qint32(0x7FFFFFF0), bad.data() + PrintDataThumbnailOffset(pdLabel));
    ASSERT_TRUE(WriteFile(layouts.Path(QStringLiteral("damaged")), bad));

    TMessageRecorder messages;
    TPrintDataOpenDialog d;
    d.SetPrintKind(pdLabel);
    auto* lv = Child<QTreeWidget>(&d, "lvFile");
    EXPECT_EQ(Captions(lv), (QStringList{"A", "b", "c", "damaged"}));
    d.SetFileName(QStringLiteral("b"));
    EXPECT_EQ(d.GetFileName(), QStringLiteral("b"));
    // The open layout can be neither deleted nor renamed.
    EXPECT_FALSE(Child<QToolButton>(&d, "btnDelete")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>(&d, "btnRename")->isEnabled());
    d.resize(700, 400);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    ASSERT_FALSE(d.Preview().isNull());
    EXPECT_EQ(d.Preview().size(), QSize(200, 100));
    const QRect r = d.PreviewRect();
    EXPECT_NEAR(double(r.width()) / r.height(), 2.0, 0.05);
    EXPECT_TRUE(messages.Messages().empty());

    lv->setCurrentItem(ItemOf(lv, QStringLiteral("c")));
    EXPECT_TRUE(Child<QToolButton>(&d, "btnDelete")->isEnabled());
    lv->setCurrentItem(ItemOf(lv, QStringLiteral("damaged")));
    EXPECT_TRUE(d.Preview().isNull());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].flags & 0xF0, unsigned(MB_ICONERROR));
    EXPECT_TRUE(d.isVisible());

    // Deleted behind the dialog's back.
    messages.Clear();
    ASSERT_TRUE(QFile::remove(layouts.Path(QStringLiteral("A"))));
    lv->setCurrentItem(ItemOf(lv, QStringLiteral("A")));
    EXPECT_EQ(messages.LastText(), QStringLiteral("ファイルが見つかりません  "));
    QTest::qWait(10);
    EXPECT_EQ(Captions(lv), (QStringList{"b", "c", "damaged"}));

    lv->clearSelection();
    EXPECT_TRUE(d.Preview().isNull());
    EXPECT_FALSE(Child<QToolButton>(&d, "btnRename")->isEnabled());
    Child<QPushButton>(&d, "btnOK")->click(); // nothing selected: stays open
    EXPECT_TRUE(d.isVisible());
    EXPECT_FALSE(d.FilesChanged());
}

TEST(PrintDataList, RenameAndDeleteChangeFilesOnlyWhenAllowedAndReportRefusals)
{
    TLayouts layouts(pdAddress, {QStringLiteral("open"), QStringLiteral("old"), QStringLiteral("Other")});
    TMessageRecorder messages;
    TPrintDataSaveDialog d;
    d.SetPrintKind(pdAddress);
    d.SetTitle(QStringLiteral("open"));
    TPrintDataList* files = d.Files();
    QTreeWidget* lv = files->List();
    const QByteArray oldBytes = ReadFile(layouts.Path(QStringLiteral("old")));

    // Forbidden characters: message, nothing renamed.
    EXPECT_FALSE(files->EndRename(ItemOf(lv, QStringLiteral("old")), QStringLiteral("x:y")));
    EXPECT_EQ(messages.LastText(), ForbiddenTitleMessage());
    EXPECT_EQ(layouts.Files(), (QStringList{"Other.gpl", "old.gpl", "open.gpl"}));
    // Taken by another item, ignoring case.
    EXPECT_FALSE(files->EndRename(ItemOf(lv, QStringLiteral("old")), QStringLiteral("  OTHER ")));
    EXPECT_EQ(messages.LastText(), QStringLiteral("指定されたファイル名は既に存在します  "));
    // The open layout, ignoring case.
    files->CurrentName = QStringLiteral("OPEN");
    EXPECT_FALSE(files->EndRename(ItemOf(lv, QStringLiteral("open")), QStringLiteral("new")));
    EXPECT_EQ(messages.LastText(), QStringLiteral("現在開いているファイルの名前は変更できません  "));
    files->CurrentName = QStringLiteral("open");
    EXPECT_FALSE(files->FilesChanged);

    // 100 half-width katakana fit 100 bytes of code page 932 but not a file
    // name (300 bytes of UTF-8).
    EXPECT_FALSE(files->EndRename(ItemOf(lv, QStringLiteral("old")), QString(100, u'ｱ')));
    EXPECT_EQ(messages.LastText(), TitleTooLongMessage());
    // A 101-byte name cut to 99 at the lead byte of 表.
    const QString longName = QString(99, u'a') + QStringLiteral("表");
    ASSERT_TRUE(files->EndRename(ItemOf(lv, QStringLiteral("old")), longName));
    EXPECT_NE(ItemOf(lv, QString(99, u'a')), nullptr);
    EXPECT_EQ(ReadFile(layouts.Path(QString(99, u'a'))), oldBytes);
    EXPECT_TRUE(files->FilesChanged);
    files->FilesChanged = false;

    // A file of that name the list does not show (another kind's bytes) is
    // never replaced: the rename is refused and the list stays.
    ASSERT_TRUE(WriteFile(layouts.Path(QStringLiteral("hidden")), "not a layout"));
    EXPECT_FALSE(files->EndRename(ItemOf(lv, QString(99, u'a')), QStringLiteral("hidden")));
    EXPECT_EQ(messages.LastText(), QStringLiteral("指定されたファイル名は既に存在します  "));
    EXPECT_EQ(ReadFile(layouts.Path(QStringLiteral("hidden"))), QByteArray("not a layout"));
    EXPECT_NE(ItemOf(lv, QString(99, u'a')), nullptr);
    EXPECT_FALSE(files->FilesChanged);

    // Delete: the open layout is refused; No keeps the file; Yes deletes it.
    lv->setCurrentItem(ItemOf(lv, QStringLiteral("open")));
    EXPECT_FALSE(files->DeleteSelected());
    EXPECT_EQ(messages.LastText(), QStringLiteral("現在開いているファイルは削除できません  "));
    lv->setCurrentItem(ItemOf(lv, QStringLiteral("Other")));
    messages.Answer(IDNO);
    EXPECT_FALSE(files->DeleteSelected());
    EXPECT_EQ(messages.LastText(), QStringLiteral("選択中のファイルを削除します  \nよろしいですか？"));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2));
    EXPECT_TRUE(QFile::exists(layouts.Path(QStringLiteral("Other"))));
    // Gone behind the dialog's back: the failure is told, the item stays.
    ASSERT_TRUE(QFile::remove(layouts.Path(QStringLiteral("Other"))));
    EXPECT_FALSE(files->DeleteSelected());
    EXPECT_NE(ItemOf(lv, QStringLiteral("Other")), nullptr);
}

TEST(PrintDataSaveDialog, OkChecksTheTitleAndAFailedSaveKeepsTheOldFile)
{
    TLayouts layouts(pdDesign, {QStringLiteral("表示ソ")});
    TMessageRecorder messages;
    TPrintDataSaveDialog d;
    d.SetPrintKind(pdDesign);
    d.SetTitle(QStringLiteral("new"));
    auto* edit = Child<QLineEdit>(&d, "edtTitle");
    EXPECT_EQ(edit->text(), QStringLiteral("new"));
    d.Files()->List()->setCurrentItem(d.Files()->List()->topLevelItem(0));
    EXPECT_EQ(edit->text(), QStringLiteral("表示ソ")); // selecting copies the caption

    d.show();
    edit->setText(QStringLiteral("  "));
    d.accept();
    EXPECT_TRUE(d.isVisible());
    EXPECT_TRUE(messages.Messages().empty());
    for (const auto& [title, message] : {std::pair{QStringLiteral("a|b"), ForbiddenTitleMessage()},
                                         std::pair{QString(100, u'ｱ'), TitleTooLongMessage()},
                                         std::pair{QStringLiteral("$$表示ソ"), BackupTitleMessage()}}) {
        edit->setText(title);
        d.accept();
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(messages.LastText(), message);
    }
    edit->setText(QStringLiteral("表示ソ "));
    messages.Answer(IDNO);
    d.accept();
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(messages.LastText(), QStringLiteral("同名のファイルが存在します．上書きしますか？  \n表示ソ.gpd"));
    d.accept(); // Yes
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), int(mrOk));
    EXPECT_EQ(d.GetTitle(), QStringLiteral("表示ソ"));

    // The designer saves: a writer failing half-way.
    messages.Clear();
    const QString path = d.FilePath();
    EXPECT_EQ(path, layouts.Path(QStringLiteral("表示ソ")));
    const QByteArray old = ReadFile(path);
    const bool saved = SavePrintData(&d, path, [](QIODevice& out) -> bool {
        out.write(QByteArray(5000, 'x'));
        throw EDrawRectStreamError("write failed");
    });
    EXPECT_FALSE(saved);
    EXPECT_EQ(messages.LastText(), QStringLiteral("保存できませんでした  \r\n") + FileErrorCause(0));
    EXPECT_EQ(messages.Messages().back().flags & 0xF0, unsigned(MB_ICONERROR));
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(layouts.Files(), QStringList{QStringLiteral("表示ソ.gpd")});
}

TEST(PrintDataList, F2EditsInPlaceAndEnterEndsTheEditNotTheDialog)
{
    TLayouts layouts(pdCard, {QStringLiteral("first"), QStringLiteral("second")});
    TMessageRecorder messages;
    TPrintDataOpenDialog d;
    d.SetPrintKind(pdCard);
    d.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QTreeWidget* lv = d.Files()->List();
    lv->setFocus();
    lv->setCurrentItem(ItemOf(lv, QStringLiteral("second")));

    QTest::keyClick(lv, Qt::Key_F2);
    auto* editor = lv->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("a;b"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_TRUE(d.isVisible()); // Enter went to the edit, not to OK
    EXPECT_EQ(messages.LastText(), ForbiddenTitleMessage());
    EXPECT_NE(ItemOf(lv, QStringLiteral("second")), nullptr);
    // A "$$" title would hide the layout beside its namesake.
    editor = lv->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("$$first"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_EQ(messages.LastText(), BackupTitleMessage());
    EXPECT_EQ(layouts.Files(), (QStringList{"first.gpc", "second.gpc"}));
    // Editing starts again on the same item.
    editor = lv->viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    editor->setText(QStringLiteral("名刺ソ"));
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::qWait(20);
    EXPECT_TRUE(d.isVisible());
    EXPECT_EQ(Captions(lv), (QStringList{"first", "名刺ソ"}));
    EXPECT_EQ(layouts.Files(), (QStringList{"first.gpc", "名刺ソ.gpc"}));
    EXPECT_TRUE(d.FilesChanged());
    EXPECT_EQ(d.GetFileName(), QStringLiteral("名刺ソ"));
}

TEST(PrintDataList, NamesDifferingInLetterCaseAreEachOpenedRenamedDeletedAndOverwrittenAsListed)
{
    TLayouts layouts(pdAddress, {});
    const QString folder = PrintDataFolder(pdAddress);
    const QStringList names{"PLAN.GPL", "Plan.GPL", "Plan.gpl"}; // the listing's order
    for (const QString& name : names)
        ASSERT_TRUE(WriteFile(folder + name, FileBytes(pdAddress, Jpeg(20, 10), name.toLatin1())));
    TMessageRecorder messages;
    TPrintDataOpenDialog open;
    open.SetPrintKind(pdAddress);
    QTreeWidget* lv = open.Files()->List();
    ASSERT_EQ(Captions(lv), (QStringList{"PLAN", "Plan", "Plan"}));
    // Titles alike but for the extension's letter case show their file names.
    QStringList shown;
    for (int i = 0; i < 3; ++i)
        shown << open.Files()->ShownCaption(lv->topLevelItem(i));
    EXPECT_EQ(shown, (QStringList{"PLAN", "Plan.GPL", "Plan.gpl"}));
    for (int i = 0; i < 3; ++i) {
        lv->setCurrentItem(lv->topLevelItem(i));
        EXPECT_EQ(open.FilePath(), folder + names[i]);
        EXPECT_FALSE(open.Preview().isNull()) << i;
    }
    lv->setCurrentItem(lv->topLevelItem(1));
    ASSERT_TRUE(open.Files()->DeleteSelected());
    EXPECT_EQ(layouts.Files(), (QStringList{"PLAN.GPL", "Plan.gpl"}));
    ASSERT_TRUE(open.Files()->EndRename(lv->topLevelItem(0), QStringLiteral("Draft")));
    EXPECT_EQ(layouts.Files(), (QStringList{"Draft.GPL", "Plan.gpl"}));
    lv->setCurrentItem(lv->topLevelItem(0)); // the renamed item deletes the renamed file
    ASSERT_TRUE(open.Files()->DeleteSelected());
    EXPECT_EQ(layouts.Files(), QStringList{QStringLiteral("Plan.gpl")});
    EXPECT_TRUE(open.FilesChanged());

    // "plan" while "Plan" is listed: the question, then Plan.gpl is replaced.
    TPrintDataSaveDialog save;
    save.SetPrintKind(pdAddress);
    Child<QLineEdit>(&save, "edtTitle")->setText(QStringLiteral("plan"));
    save.accept();
    EXPECT_EQ(messages.LastText(), QStringLiteral("同名のファイルが存在します．上書きしますか？  \nPlan.gpl"));
    ASSERT_TRUE(SavePrintData(&save, save.FilePath(), [](QIODevice& out) { return out.write("NEW") == 3; }));
    EXPECT_EQ(layouts.Files(), QStringList{QStringLiteral("Plan.gpl")});
    EXPECT_EQ(ReadFile(folder + QStringLiteral("Plan.gpl")), QByteArray("NEW"));
}

TEST(PrintDataList, TheOpenLayoutIsKnownByItsFileAmongTitlesDifferingInCase)
{
    TLayouts layouts(pdAddress, {});
    const QString folder = PrintDataFolder(pdAddress), open = folder + QStringLiteral("Plan.gpl");
    const auto bytes = [](const char* name) { return FileBytes(pdAddress, Jpeg(20, 10), name); };
    for (const char* name : {"PLAN.GPL", "Plan.GPL", "Plan.gpl"}) // the listing's order
        ASSERT_TRUE(WriteFile(folder + name, bytes(name)));
    TMessageRecorder messages;
    // Only the open layout's own item is kept from rename and delete.
    TPrintDataOpenDialog opener;
    opener.SetPrintKind(pdAddress);
    opener.SetFileName(QStringLiteral("Plan"), open);
    EXPECT_EQ(opener.FilePath(), open);
    opener.Files()->List()->setCurrentItem(opener.Files()->List()->topLevelItem(1));
    EXPECT_TRUE(opener.Files()->DeleteButton()->isEnabled());

    TPrintDataSaveDialog save;
    save.SetPrintKind(pdAddress);
    save.SetTitle(QStringLiteral("Plan"), open);
    EXPECT_EQ(save.FilePath(), open);
    // A title typed as another file's caption names that file.
    auto* edit = Child<QLineEdit>(&save, "edtTitle");
    edit->setText(QStringLiteral("PLAN"));
    EXPECT_EQ(save.FilePath(), folder + QStringLiteral("PLAN.GPL"));
    edit->setText(QStringLiteral("plan"));
    QTreeWidget* lv = save.Files()->List();
    EXPECT_FALSE(save.Files()->EndRename(lv->topLevelItem(2), QStringLiteral("Moved")));
    ASSERT_TRUE(save.Files()->EndRename(lv->topLevelItem(0), QStringLiteral("Draft")));
    save.accept(); // Yes to the overwrite question
    ASSERT_TRUE(SavePrintData(&save, save.FilePath(), [](QIODevice& out) { return out.write("NEW") == 3; }));
    EXPECT_EQ(ReadFile(open), QByteArray("NEW"));
    EXPECT_EQ(ReadFile(folder + QStringLiteral("Plan.GPL")), bytes("Plan.GPL"));
    EXPECT_EQ(ReadFile(folder + QStringLiteral("Draft.GPL")), bytes("PLAN.GPL"));
}

namespace {
const auto kWriteNew = [](QIODevice& out) { return out.write("NEW") == 3; };

QStringList Entries(const QString& folder) // files, folders and pipes, sorted
{
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
    names.sort();
    return names;
}
} // namespace

TEST(PrintDataSaveDialog, OkAsksWheneverTheDiskHoldsAFileOfThatNameListedOrNot)
{
    TLayouts layouts(pdAddress, {QStringLiteral("listed")});
    const QString folder = PrintDataFolder(pdAddress);
    // A damaged layout, another program's file, a name in another case, one
    // the disk shows decomposed (が as か and a voicing mark).
    const QString nfd = QStringLiteral("がっこう表.gpl").normalized(QString::NormalizationForm_D);
    for (const QString& name : {QStringLiteral("memo.gpl"), QStringLiteral("other.gpl"), QStringLiteral("CASE.GPL"), nfd})
        ASSERT_TRUE(WriteFile(folder + name, "Mos"));
    TMessageRecorder messages;
    TPrintDataSaveDialog d;
    d.SetPrintKind(pdAddress);
    ASSERT_EQ(Captions(d.Files()->List()), QStringList{QStringLiteral("listed")});
    // Saved by another window after the list was read.
    ASSERT_TRUE(WriteFile(layouts.Path(QStringLiteral("later")), FileBytes(pdAddress, Jpeg(20, 10))));
    const QStringList before = Entries(folder);
    const std::pair<QString, QString> cases[] = {
        {QStringLiteral("memo"), QStringLiteral("memo.gpl")}, {QStringLiteral("other"), QStringLiteral("other.gpl")},
        {QStringLiteral("case"), QStringLiteral("CASE.GPL")}, {QStringLiteral("がっこう表"), nfd},
        {QStringLiteral("later"), QStringLiteral("later.gpl")}, {QStringLiteral("LISTED"), QStringLiteral("listed.gpl")}};
    for (const auto& [title, file] : cases) {
        SCOPED_TRACE(file.toStdString());
        d.show();
        Child<QLineEdit>(&d, "edtTitle")->setText(title);
        messages.Answer(IDNO);
        d.accept();
        EXPECT_EQ(messages.LastText(), QStringLiteral("同名のファイルが存在します．上書きしますか？  \n") + file);
        ASSERT_TRUE(d.isVisible());
        d.accept(); // Yes
        ASSERT_TRUE(d.Save(kWriteNew));
        EXPECT_EQ(ReadFile(folder + file), QByteArray("NEW"));
    }
    EXPECT_EQ(Entries(folder), before) << "each replaced in place, no name beside it";
}

TEST(PrintDataSaveDialog, ASaveNeverReplacesAFileThatAppearedAfterOkNorOneThatIsNoRegularFile)
{
    TLayouts layouts(pdCard, {});
    const QString folder = PrintDataFolder(pdCard);
    const auto fifo = [&](const char* title) {
        return ::mkfifo(QFile::encodeName(layouts.Path(QLatin1String(title))).constData(), 0600) == 0;
    };
    TMessageRecorder messages;
    TPrintDataSaveDialog d;
    d.SetPrintKind(pdCard);
    auto* edit = Child<QLineEdit>(&d, "edtTitle");
    // No file at OK, so no question; another program writes one before the save.
    edit->setText(QStringLiteral("表の名刺"));
    d.accept();
    ASSERT_TRUE(WriteFile(layouts.Path(QStringLiteral("表の名刺")), "theirs"));
    EXPECT_FALSE(d.Save(kWriteNew));
    EXPECT_EQ(messages.LastText(), QStringLiteral("保存できませんでした  \r\n") + FileErrorCause(EEXIST));
    EXPECT_EQ(ReadFile(layouts.Path(QStringLiteral("表の名刺"))), QByteArray("theirs"));
    // A folder or a pipe of that name is never offered for replacing ...
    ASSERT_TRUE(QDir().mkpath(layouts.Path(QStringLiteral("dir"))) && fifo("pipe"));
    for (const auto& [title, cause] : {std::pair{"dir", EISDIR}, std::pair{"pipe", EEXIST}}) {
        d.show();
        edit->setText(QLatin1String(title));
        d.accept();
        EXPECT_TRUE(d.isVisible()) << title;
        EXPECT_EQ(messages.LastText(), QStringLiteral("保存できませんでした  \r\n") + FileErrorCause(cause));
    }
    // ... nor replaced when it took an agreed layout's place before the save.
    ASSERT_TRUE(WriteFile(layouts.Path(QStringLiteral("swap")), "old"));
    edit->setText(QStringLiteral("swap"));
    d.accept(); // Yes
    ASSERT_TRUE(QFile::remove(layouts.Path(QStringLiteral("swap"))) && fifo("swap"));
    EXPECT_FALSE(d.Save(kWriteNew));
    EXPECT_EQ(Entries(folder), (QStringList{"dir.gpc", "pipe.gpc", "swap.gpc", "表の名刺.gpc"}));
    EXPECT_FALSE(QFileInfo(layouts.Path(QStringLiteral("swap"))).isFile());
}

TEST(PrintDataList, TitlesOfBlanksOrADotOrACharacterTheCodePageLacksAreTrimmedOrRefusedByNameWhenSavedOrRenamed)
{
    TLayouts layouts(pdAddress, {QStringLiteral("second")});
    // Copied in under a name the code page cannot hold; and a name taken on the disk only.
    ASSERT_TRUE(WriteFile(layouts.Path(QStringLiteral("鷗外の葉書")), FileBytes(pdAddress, Jpeg(20, 10))));
    ASSERT_TRUE(WriteFile(PrintDataFolder(pdAddress) + QStringLiteral("Taken.GPL"), "not a layout"));
    const QStringList before = Entries(PrintDataFolder(pdAddress));
    TMessageRecorder messages;
    TPrintDataOpenDialog open;
    open.SetPrintKind(pdAddress);
    open.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&open));
    QTreeWidget* lv = open.Files()->List();
    lv->setFocus();
    lv->setCurrentItem(ItemOf(lv, QStringLiteral("second")));
    const auto rename = [&](const QString& text) { // F2 on the item, the text committed, Enter
        auto* editor = lv->viewport()->findChild<QLineEdit*>();
        if (!editor) {
            QTest::keyClick(lv, Qt::Key_F2);
            editor = lv->viewport()->findChild<QLineEdit*>();
        }
        ASSERT_NE(editor, nullptr);
        editor->setText(text);
        QTest::keyClick(editor, Qt::Key_Return);
        QTest::qWait(20);
    };
    TPrintDataSaveDialog save;
    save.SetPrintKind(pdAddress);
    save.show();
    auto* edit = Child<QLineEdit>(&save, "edtTitle");
    const std::pair<QString, QString> refused[] = {
        {QStringLiteral(".hidden"), QStringLiteral("タイトルの先頭に「.」は使えません  ")},
        {QStringLiteral("髙橋様♥"), QStringLiteral("「♥」（U+2665）は入力できない文字です。")},
        {QStringLiteral("鷗外の葉書"), QStringLiteral("「鷗」（U+9DD7）は入力できない文字です。")}};
    for (const auto& [title, message] : refused) {
        edit->setText(title);
        save.accept();
        EXPECT_EQ(messages.LastText(), message);
        messages.Clear();
        rename(title);
        EXPECT_EQ(messages.LastText(), message);
    }
    rename(QStringLiteral("taken"));
    EXPECT_EQ(messages.LastText(), QStringLiteral("指定されたファイル名は既に存在します  "));
    messages.Clear();
    rename(QStringLiteral("　"));
    edit->setText(QStringLiteral("　"));
    save.accept();
    EXPECT_TRUE(messages.Messages().empty() && save.isVisible());
    EXPECT_EQ(Entries(PrintDataFolder(pdAddress)), before);

    rename(QStringLiteral("　表の葉書　"));
    edit->setText(QStringLiteral(" 　表の葉書２　"));
    save.accept();
    ASSERT_TRUE(save.Save(kWriteNew));
    EXPECT_EQ(Entries(PrintDataFolder(pdAddress)),
              (QStringList{"Taken.GPL", "表の葉書.gpl", "表の葉書２.gpl", "鷗外の葉書.gpl"}));
}
