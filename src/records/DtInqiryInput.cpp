// The record window's input behaviour: what the controls do while the user
// types and clicks (the person/company switch, joint names and their owner,
// print marks, My Number checks, the memos' storable length, the pick-list,
// group, link, colour and web-search buttons, where Enter goes, the tab
// change and the note memo's closing line break).

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/DtInqiryUnits.h"

#include "core/FieldCipher.h"
#include "core/Folders.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "integrations/AddExtURL.h"
#include "integrations/WebSearch.h"
#include "platform/Cp932.h"
#include "platform/CustomColors.h"
#include "platform/Seams.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/DialogKit.h"
#include "platform/ui/DialogSeams.h"
#include "platform/ui/MessageBox.h"
#include "records/InputList.h"
#include "records/LinkSchemes.h"
#include "records/NumberInput.h"
#include "records/RecordMapping.h"

#include <QApplication>
#include <QButtonGroup>
#include <QDir>
#include <QFileInfo>
#include <QMenu>
#include <QStandardPaths>
#include <QTextCursor>
#include <functional>
#include <iterator>
#include <optional>

using namespace dtinquiry;

namespace {

constexpr int kProtectNoteBytes = 1000;
constexpr int kMaxLinks = 10;
// Windows colour values: blue in the high byte.
constexpr QRgb kInvalidMyNumberColor = qRgb(0xFF, 0xDF, 0xDF);

// The memos are stored in code page 932, the protected one in at most
// maxBytes bytes (0: no limit) counted with CR LF line breaks: typing or
// pasting what the record cannot hold is undone with a beep, as the edits of
// the window refuse it, rather than lost or cut when the record is written.
void KeepMemoStorable(QPlainTextEdit* memo, int maxBytes)
{
    auto* limit = new TByteLimit(memo);
    limit->SetMaxBytes(maxBytes);
}

// Calls back on the focus entering or leaving a control of the window, but
// not once the window is being torn down (its controls lose the focus then
// too, after the window's own part is gone).
class TFocusWatch : public QObject {
public:
    TFocusWatch(TDataInquiry* window, QWidget* control, QEvent::Type type, std::function<void()> call)
        : QObject(control), window_(window), type_(type), call_(std::move(call))
    {
        control->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == type_ && qobject_cast<TDataInquiry*>(window_))
            call_();
        return false;
    }

private:
    QObject* window_;
    QEvent::Type type_;
    std::function<void()> call_;
};

} // namespace

void TDataInquiry::ConnectInput()
{
    auto* privCorp = new QButtonGroup(this);
    privCorp->addButton(ui->sbtnPriv);
    privCorp->addButton(ui->sbtnCorp);
    privCorp->setExclusive(true);
    connect(ui->sbtnPriv, &QToolButton::clicked, this, [this] {
        ApplyPrivCorp();
        if (isVisible())
            ui->nmedtNameKanji->setFocus();
    });
    connect(ui->sbtnCorp, &QToolButton::clicked, this, [this] {
        ApplyPrivCorp();
        if (isVisible())
            ui->nmedtCorpKanji->setFocus();
    });

    connect(ui->cbxGroup, &QComboBox::activated, this, [this](int index) { groupNo_ = index; });
    connect(ui->cbxSender, &QComboBox::activated, this,
            [this](int index) { sender_ = ui->cbxSender->itemData(index).toInt(); });
    connect(ui->cbxCatMain, &QComboBox::activated, this, [this](int index) {
        const int code = ui->cbxCatMain->itemData(index).toInt();
        if (code == majorCode_)
            return;
        majorCode_ = code;
        FillCategorySub(code, code * 100 + 1);
    });
    connect(ui->cbxCatSub, &QComboBox::activated, this, [this] { keptSubEntry_ = 0; });

    for (int n = 1; n <= 5; ++n) {
        QLineEdit* edit = JointEdit(n);
        connect(edit, &QLineEdit::textChanged, this, [this, n] { JointChanged(n); });
        connect(edit, &QLineEdit::editingFinished, this, [this, n] { JointLeft(n); });
    }
    connect(ui->cbxJointOwner, &QComboBox::activated, this,
            [this](int index) { ChooseJointOwner(ui->cbxJointOwner->itemData(index).toInt()); });
    QToolButton* prints[6] = {ui->sbtnJointPrintM, ui->sbtnJointPrint1, ui->sbtnJointPrint2,
                              ui->sbtnJointPrint3, ui->sbtnJointPrint4, ui->sbtnJointPrint5};
    for (int n = 0; n < 6; ++n)
        connect(prints[n], &QToolButton::clicked, this, [this, n](bool pressed) { SetJointPrint(n, pressed); });
    connect(ui->sbtnPrintTarget, &QToolButton::clicked, this,
            [this](bool pressed) { SetPrintTarget(pressed ? 1 : 0); });
    connect(ui->sbtnPrintException, &QToolButton::clicked, this,
            [this](bool pressed) { SetPrintTarget(pressed ? 2 : 0); });

    // Numbers typed with the input method on come in full width: taken in
    // half width, what is shown is what the record stores.
    // The record keeps at most 11 digits of a telephone number, 7 of a
    // postal code: a number that does not fit is refused whole, never cut.
    for (TByteLimitEdit* edit : {ui->edtTel, ui->edtFax, ui->edtPortable1, ui->edtPortable2, ui->edtPos}) {
        edit->SetNumeric(true);
        KeepNumberWhole(edit, edit == ui->edtPos ? 7 : 11);
    }
    for (int i = 0; i < 6; ++i)
        connect(MyNumberEdit(i), &QLineEdit::textChanged, this, [this, i] { CheckMyNumbers(1u << i); });
    KeepMemoStorable(ui->mmoNote, 0);
    KeepMemoStorable(ui->mmoProtectNote, kProtectNoteBytes);
    ConnectButtons();
}

void TDataInquiry::ApplyPrivCorp()
{
    const bool corp = ui->sbtnCorp->isChecked();
    QWidget* corpControls[] = {ui->nmedtCorpKanji, ui->edtCorpKana,    ui->cbxDptmnt,     ui->cbxPost,
                               ui->edtEmployeeNo,  ui->lblCorpKanji,   ui->lblCorpKana,   ui->lblDptmnt,
                               ui->lblPost,        ui->lblEmployeeNo,  ui->bbtnEditDptmnt, ui->bbtnEditPost};
    for (QWidget* w : corpControls)
        w->setEnabled(corp);
    ui->chkIgnoreName->setVisible(corp);
}

void TDataInquiry::JointChanged(int n)
{
    QComboBox* honor = JointHonor(n);
    const bool present = !JointEdit(n)->text().isEmpty();
    honor->setEnabled(present);
    if (!present) {
        honor->setEditText(QString());
        JointPrintButton(n)->setChecked(false);
        UpdateJointPrintGlyph(n);
        if (jointOwner_ == n) {
            ui->cbxJointOwner->setCurrentIndex(0);
            jointOwner_ = 0;
        }
    }
    bool anyHonor = false;
    for (int k = 1; k <= 5; ++k)
        anyHonor = anyHonor || JointHonor(k)->isEnabled();
    ui->bbtnJointHonor->setEnabled(anyHonor);
}

void TDataInquiry::JointLeft(int n)
{
    QComboBox* owner = ui->cbxJointOwner;
    const QString name = JointEdit(n)->text();
    const int at = owner->findData(n);
    if (name.isEmpty()) {
        if (at >= 0)
            owner->removeItem(at);
    } else if (at >= 0) {
        owner->setItemText(at, name);
    } else {
        int insertAt = 1;
        for (int i = 1; i < owner->count(); ++i) {
            if (owner->itemData(i).toInt() < n)
                insertAt = i + 1;
        }
        owner->insertItem(insertAt, name, n);
    }
    const int current = owner->findData(jointOwner_);
    owner->setCurrentIndex(current >= 0 ? current : 0);
}

void TDataInquiry::ChooseJointOwner(int code)
{
    if (code == jointOwner_)
        return;
    jointOwner_ = code;
    JointPrintButton(code)->setChecked(true);
    UpdateJointPrintGlyph(code);
}

void TDataInquiry::SetJointPrint(int n, bool pressed)
{
    QToolButton* button = JointPrintButton(n);
    // The owner is always printed, and a joint name that is not there never is.
    if (!pressed && n == jointOwner_)
        button->setChecked(true);
    else if (pressed && n > 0 && !JointHonor(n)->isEnabled())
        button->setChecked(false);
    UpdateJointPrintGlyph(n);
}

void TDataInquiry::UpdateJointPrintGlyph(int n)
{
    QToolButton* button = JointPrintButton(n);
    button->setIcon(Glyph(button->isChecked() ? "PRINTER" : "NOPRINT"));
}

void TDataInquiry::CheckMyNumbers(unsigned which)
{
    for (int i = 0; i < 6; ++i) {
        if (!(which & (1u << i)))
            continue;
        QLineEdit* edit = MyNumberEdit(i);
        const QString text = edit->text();
        const int length = int(text.size());
        const bool valid = length == 0 || (length == 12 && CheckMyNumber(text, 0) == 0) ||
                           (length == 13 && CheckMyNumber(text, 1) == 0);
        QPalette pal = edit->palette();
        if (valid) {
            pal.setColor(QPalette::Base, EditGround(edit));
            MyNumberImage(i)->setPixmap(length == 12   ? QPixmap(QStringLiteral(":/glyphs/MYNUMBERPRIV.png"))
                                        : length == 13 ? QPixmap(QStringLiteral(":/glyphs/MYNUMBERCORP.png"))
                                                       : QPixmap());
        } else {
            pal.setColor(QPalette::Base, QColor(kInvalidMyNumberColor));
            MyNumberImage(i)->setPixmap(QPixmap());
        }
        edit->setPalette(pal);
        MyNumberDigits(i)->setText(length == 0 ? QString() : QStringLiteral("%1桁").arg(length));
        MyNumberDigits(i)->setVisible(!valid);
    }
}

// ---------------------------------------------------------------- buttons

void TDataInquiry::ConnectButtons()
{
    const std::pair<QPushButton*, int> lists[] = {{ui->bbtnEditDptmnt, 0}, {ui->bbtnEditPost, 1},
                                                  {ui->bbtnEditHonor, 2},  {ui->bbtnJointHonor, 2},
                                                  {ui->bbtnKeyword6, 3},   {ui->bbtnKeyword7, 4},
                                                  {ui->bbtnKeyword8, 5}};
    for (const auto& [button, tag] : lists)
        connect(button, &QPushButton::clicked, this, [this, tag = tag] { EditListClick(tag); });
    ui->bbtnEditGroup->setToolTip(QStringLiteral("グループ名の設定"));
    connect(ui->bbtnEditGroup, &QPushButton::clicked, this, [this] { EditGroupClick(); });
    connect(ui->bbtnAddExtLink, &QPushButton::clicked, this, [this] { AddExtLinkClick(); });
    connect(ui->bbtnDelExtLink, &QPushButton::clicked, this, [this] { DelExtLinkClick(); });
    connect(ui->bbtnOpenExtLink, &QPushButton::clicked, this, [this] { OpenExtLinkClick(); });
    connect(ui->lvExtLink, &QTreeWidget::itemDoubleClicked, this, [this] { OpenExtLinkClick(); });
    connect(ui->bbtnSymbolColor, &QPushButton::clicked, this, [this] { SymbolColorClick(); });
    connect(ui->bbtnWebSearch, &QPushButton::clicked, this, [this] { WebSearchClick(); });
    connect(ui->pgctlData, &QTabWidget::currentChanged, this, [this](int index) { TabChanged(index); });
    new TFocusWatch(this, ui->mmoNote, QEvent::FocusOut, [this] { NoteLeft(); });

    // Where Enter goes: the fixed part of the table here, the part that
    // depends on the input in UpdateEnterTable, worked out again whenever one
    // of its controls takes the focus.
    TEnterKeyFilter* enter = TEnterKeyFilter::Install(this);
    const std::pair<QWidget*, QWidget*> fixed[] = {
        {ui->cbxGroup, ui->edtCustomCode},      {ui->edtJisCode, ui->edtTdfkn},
        {ui->edtAdrs1, ui->edtAdrs2},           {ui->nmedtCorpKanji, ui->edtCorpKana},
        {ui->cbxDptmnt, ui->cbxPost},           {ui->cbxPost, ui->edtEmployeeNo},
        {ui->edtURL, ui->edtEMail1},            {ui->edtEMail1, ui->edtEMail2},
        {ui->edtEMail2, ui->nmedtJoint1},       {ui->cbxJointHonor1, ui->edtJointMyNumber1},
        {ui->cbxKeyword6, ui->cbxKeyword7},     {ui->cbxKeyword7, ui->cbxKeyword8},
        {ui->cbxKeyword8, ui->mmoNote},         {ui->lvExtLink, ui->cbxSymbolMark},
        {ui->edtAddDateTime, ui->edtUpdDateTime},
    };
    for (const auto& [from, to] : fixed)
        enter->SetNext(from, to);
    for (QWidget* w : {static_cast<QWidget*>(ui->edtTel), static_cast<QWidget*>(ui->edtPos),
                       static_cast<QWidget*>(ui->edtAdrsKana), static_cast<QWidget*>(ui->edtMyNumber),
                       static_cast<QWidget*>(ui->cbxHonor), static_cast<QWidget*>(ui->cbxCatMain),
                       static_cast<QWidget*>(ui->cbxCatSub), static_cast<QWidget*>(ui->cbxSender),
                       static_cast<QWidget*>(ui->cbxSymbolMark)})
        new TFocusWatch(this, w, QEvent::FocusIn, [this] { UpdateEnterTable(); });
    UpdateEnterTable();
    ConnectLaunches();
}

void TDataInquiry::UpdateEnterTable()
{
    TEnterKeyFilter* enter = TEnterKeyFilter::Install(this);
    const bool prefecture = !ui->edtTdfkn->text().isEmpty();
    enter->SetNext(ui->edtTel, prefecture ? static_cast<QWidget*>(ui->chkMainNumber) : ui->bbtnTelSch);
    enter->SetNext(ui->edtPos, prefecture ? static_cast<QWidget*>(ui->edtTdfkn) : ui->bbtnPosSch);
    QWidget* name = ui->sbtnCorp->isChecked() ? static_cast<QWidget*>(ui->nmedtCorpKanji) : ui->nmedtNameKanji;
    enter->SetNext(ui->edtMyNumber, name);
    // A masked My Number cannot be typed into: Enter passes over it.
    enter->SetNext(ui->edtAdrsKana,
                   HasAdminPassword() && !Settings().AdminMode ? name : static_cast<QWidget*>(ui->edtMyNumber));
    enter->SetNext(ui->cbxHonor, ui->sbtnCorp->isChecked() ? static_cast<QWidget*>(ui->chkIgnoreName)
                                                          : static_cast<QWidget*>(ui->cbxCatMain));
    QWidget* write = heldRecord_ ? ui->btnUpdate : ui->btnAdd; // both QPushButton
    enter->SetNext(ui->cbxCatMain, ui->cbxCatSub->isEnabled() ? static_cast<QWidget*>(ui->cbxCatSub) : write);
    for (QWidget* w : {static_cast<QWidget*>(ui->cbxCatSub), static_cast<QWidget*>(ui->cbxSender),
                       static_cast<QWidget*>(ui->cbxSymbolMark)})
        enter->SetNext(w, write);
}

void TDataInquiry::TabChanged(int index)
{
    // A window not on the screen moves no focus.
    if (!isVisible())
        return;
    QWidget* first[] = {ui->cbxGroup, ui->edtURL, ui->edtKeyword1, ui->edtProtectMemo1, ui->lvExtLink};
    if (index >= 0 && index < int(std::size(first)))
        FocusControl(first[index]);
}

void TDataInquiry::NoteLeft()
{
    // The next visit starts on a line of its own. The break is the window's,
    // not the user's: read back untouched, the note is what it was.
    const QString text = ui->mmoNote->toPlainText();
    if (cp932::Trim(text).isEmpty() || text.endsWith(QLatin1Char('\n')))
        return;
    QTextCursor cursor(ui->mmoNote->document());
    cursor.movePosition(QTextCursor::End);
    cursor.insertText(QStringLiteral("\n"));
    noteWithBreak_ = ui->mmoNote->toPlainText();
}

void TDataInquiry::EditListClick(int tag)
{
    const int changed = TInputList::Execute(this, tag);
    if (changed != 0)
        FillHistoryLists();
}

void TDataInquiry::EditGroupClick()
{
    if (TAddressListLink* list = CurrentInquiryLinks().AddressList)
        list->EditGroupNames();
    RefreshGroupList();
    ui->cbxGroup->setFocus();
}

// ---------------------------------------------------------------- external links

void TDataInquiry::AddExtLinkClick()
{
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("pmAddExtLink"));
    menu.addAction(QStringLiteral("キャンセル"));
    QAction* file = menu.addAction(QStringLiteral("ファイルを登録"));
    QAction* url = menu.addAction(QStringLiteral("URLを登録"));
    QAction* chosen = menu.exec(ui->bbtnAddExtLink->mapToGlobal(ui->bbtnAddExtLink->rect().bottomLeft() + QPoint(4, 4)));
    if (chosen == file)
        AddExtLinkFile();
    else if (chosen == url)
        AddExtLinkUrl();
}

void TDataInquiry::AddExtLinkFile()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = DataFolder();
    const QString path = GetOpenFileName(this, QString(), folder, QStringLiteral("すべてのファイル (*.*)|*.*"));
    if (!path.isEmpty())
        AddExtLink(QDir::toNativeSeparators(path));
}

void TDataInquiry::AddExtLinkUrl()
{
    TAddExtURL dialog(this);
    // A link refused for a character comes back with what was typed, to be mended.
    while (dialog.ShowModal() == mrOk) {
        if (AddExtLink(dialog.GetURL()) || UnstorableLinkChar(dialog.GetURL()) == 0)
            return;
    }
}

bool TDataInquiry::AddExtLink(const QString& link)
{
    QTreeWidget* list = ui->lvExtLink;
    const int count = list->topLevelItemCount();
    if (link.isEmpty() || count >= kMaxLinks)
        return false;
    // Chosen in a file dialog or typed: either way it is stored as one line
    // of code page 932 bytes and must come back as it went in, or it would
    // no longer open.
    if (const char32_t ch = UnstorableLinkChar(link)) {
        ShowMessage(this, cp932::UnencodableMessage(ch), MB_OK | MB_ICONWARNING);
        return false;
    }
    for (int i = 0; i < count; ++i) {
        if (list->topLevelItem(i)->text(1).compare(link, Qt::CaseInsensitive) == 0)
            return false;
    }
    auto* item = new QTreeWidgetItem(list, {QString::number(count + 1), link});
    list->setCurrentItem(item);
    list->setFocus();
    ui->bbtnAddExtLink->setEnabled(count + 1 < kMaxLinks);
    ui->bbtnDelExtLink->setEnabled(true);
    return true;
}

void TDataInquiry::DelExtLinkClick()
{
    QTreeWidget* list = ui->lvExtLink;
    QTreeWidgetItem* item = list->currentItem();
    if (!item || !item->isSelected())
        return;
    const int row = list->indexOfTopLevelItem(item);
    delete list->takeTopLevelItem(row);
    const int count = list->topLevelItemCount();
    for (int i = 0; i < count; ++i)
        list->topLevelItem(i)->setText(0, QString::number(i + 1));
    if (count > 0)
        list->setCurrentItem(list->topLevelItem(qMin(row, count - 1)));
    ui->bbtnAddExtLink->setEnabled(count < kMaxLinks);
    ui->bbtnDelExtLink->setEnabled(count > 0);
}

void TDataInquiry::OpenExtLinkClick()
{
    QTreeWidgetItem* item = ui->lvExtLink->currentItem();
    if (!item || !item->isSelected())
        return;
    const QString link = item->text(1);
    // A path that is there is a document; anything else goes to the desktop
    // as a link, one argument, no shell, and only as a web or mail address.
    const bool isFile = QFileInfo::exists(link);
    const QString url = isFile ? QString() : OpenableWebLink(link);
    if (!isFile && url.isEmpty()) {
        ShowMessage(this,
                    QStringLiteral("このリンクは開けません  \r\n") + link +
                        QStringLiteral("  \r\n開けるのはファイルと http https mailto のリンクです  "),
                    MB_OK | MB_ICONWARNING);
        return;
    }
    const int status = isFile ? (OpenDocument(link) ? 0 : -1) : OpenUrlStatus(url);
    if (status != 0)
        ShowMessage(this,
                    QStringLiteral("リンクを開けませんでした  \r\n") + link + QStringLiteral("\r\n") +
                        OpenFailureCause(status),
                    MB_OK | MB_ICONWARNING);
}

// ---------------------------------------------------------------- colour, web search

void TDataInquiry::SymbolColorClick()
{
    bool ok = false;
    const QColor chosen = ChooseColor(this, ColorFromStored(symbolColor_), &ok);
    if (ok)
        SetSymbolColor(int(WinColorFromColor(chosen)));
}

void TDataInquiry::WebSearchClick()
{
    std::optional<THourglass> hourglass(std::in_place);
    TWebSearch dialog(this);
    dialog.SetWord(ui->nmedtCorpKanji->isEnabled() ? ui->nmedtCorpKanji->text() : QString());
    hourglass.reset();
    dialog.ShowModal();
}
