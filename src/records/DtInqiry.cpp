#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"

#include "core/Category.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Folders.h"
#include "core/Groups.h"
#include "core/HistoryData.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "listing_search/ListingDetail.h"
#include "platform/Cp932.h"
#include "platform/ui/ByteLimitEdit.h"
#include "platform/ui/DialogKit.h"
#include "platform/IniFile.h"
#include "platform/ui/MessageBox.h"
#include "platform/Seams.h"
#include "platform/SqlTable.h"
#include "records/RecordWriter.h"
#include "records/RecordMapping.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QTimer>
#include <memory>

// The glyphs are the platform UI library's shared resource, registered at
// start; registering them again here is harmless.
static void InitRecordGlyphs()
{
    Q_INIT_RESOURCE(Glyphs);
}

QPointer<TDataInquiry> DataInquiry;

namespace {

const QString kSection = QStringLiteral("DATA INQUIRY");
const QString kInquiryCaption = QStringLiteral("アドレス帳情報照会");
const QString kRegistCaption = QStringLiteral("アドレス帳情報登録");
const QString kNoPosition = QStringLiteral("---");
constexpr int kMaxExtLinks = 10;
constexpr int kProtectNoteBytes = 1000;
// Windows colour values: blue in the high byte.
constexpr QRgb kInvalidMyNumberColor = qRgb(0xFF, 0xDF, 0xDF);

QString IniPath()
{
    return DataFolder() + QStringLiteral("Telvora21.ini");
}

QIcon Glyph(const char* name)
{
    return QIcon(QStringLiteral(":/glyphs/%1.png").arg(QLatin1String(name)));
}

// Memos hold LF internally; the record keeps CR LF.
QString MemoText(const QPlainTextEdit* memo)
{
    QString text = memo->toPlainText();
    text.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return text;
}

void SetMemoText(QPlainTextEdit* memo, QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    memo->setPlainText(text);
}

// The memos are stored in code page 932, the protected one in at most
// maxBytes bytes (0: no limit) counted with CR LF line breaks: typing or
// pasting what the record cannot hold is undone with a beep, as the edits of
// the window refuse it, rather than lost or cut when the record is written.
void KeepMemoStorable(QPlainTextEdit* memo, int maxBytes)
{
    auto accepted = std::make_shared<QString>();
    QObject::connect(memo, &QPlainTextEdit::textChanged, memo, [memo, maxBytes, accepted] {
        const QString text = MemoText(memo);
        if (TByteLimitEdit::Allows(*accepted, text, maxBytes, false)) {
            *accepted = text;
            return;
        }
        // The caret goes back to where the refused input began.
        const int inserted = int(memo->toPlainText().size()) - int(QString(*accepted).remove(QLatin1Char('\r')).size());
        const int at = memo->textCursor().position() - qMax(0, inserted);
        {
            const QSignalBlocker blocker(memo);
            SetMemoText(memo, *accepted);
        }
        QTextCursor cursor = memo->textCursor();
        cursor.setPosition(qBound(0, at, int(memo->toPlainText().size())));
        memo->setTextCursor(cursor);
        QApplication::beep();
    });
}

} // namespace

TDataInquiry::TDataInquiry(QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TDataInquiry>())
{
    InitRecordGlyphs();
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DataInquiry = this;

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

    for (int i = 0; i < 6; ++i)
        connect(MyNumberEdit(i), &QLineEdit::textChanged, this, [this, i] { CheckMyNumbers(1u << i); });

    connect(ui->sbtnFirst, &QPushButton::clicked, this, [this] { MoveRecord(mkFirst); });
    connect(ui->sbtnPrior, &QPushButton::clicked, this, [this] { MoveRecord(mkPrior); });
    connect(ui->sbtnNext, &QPushButton::clicked, this, [this] { MoveRecord(mkNext); });
    connect(ui->sbtnLast, &QPushButton::clicked, this, [this] { MoveRecord(mkLast); });
    connect(ui->bbtnNew, &QPushButton::clicked, this, [this] { NewInput(); });
    connect(ui->btnAdd, &QPushButton::clicked, this, [this] { AddRecord(); });
    connect(ui->btnUpdate, &QPushButton::clicked, this, [this] { UpdateRecord(); });
    connect(ui->btnDelete, &QPushButton::clicked, this, [this] { DeleteRecord(); });
    connect(ui->btnClose, &QPushButton::clicked, this, &QWidget::close);
    connect(ui->bbtnTelSch, &QPushButton::clicked, this, [this] { DicSearchClick(0); });
    connect(ui->bbtnPosSch, &QPushButton::clicked, this, [this] { DicSearchClick(1); });
    connect(ui->bbtnAdrsSearch, &QPushButton::clicked, this, [this] { DicSearchClick(2); });
    ConnectNameEdits();
    KeepMemoStorable(ui->mmoNote, 0);
    KeepMemoStorable(ui->mmoProtectNote, kProtectNoteBytes);

    ui->lvExtLink->setColumnWidth(0, 40);
    ApplyDialogConventions(this);

    LoadSettings();
    InitControls();
    ClearControls();
    ui->btnUpdate->setEnabled(false);
    ui->btnDelete->setEnabled(false);
    UpdateNavigation();
    ui->pgctlData->setCurrentIndex(0);
}

TDataInquiry::~TDataInquiry()
{
    SaveWindowSettings();
}

// ---------------------------------------------------------------- settings

void TDataInquiry::LoadSettings()
{
    TIniFile ini(IniPath());
    const QRect area = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                        : QRect(0, 0, 1024, 768);
    // Positions are kept in 96-dpi units; Qt's coordinates already are.
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"), (area.width() - width()) / 2);
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"), (area.height() - height()) / 2);
    move(left, top);
    ui->chkContinualAdd->setChecked(ini.ReadBool(kSection, QStringLiteral("ContinualAdd"), false));
}

void TDataInquiry::SaveWindowSettings()
{
    TIniFile ini(IniPath());
    ini.WriteInteger(kSection, QStringLiteral("Left"), x());
    ini.WriteInteger(kSection, QStringLiteral("Top"), y());
    ini.WriteBool(kSection, QStringLiteral("ContinualAdd"), ui->chkContinualAdd->isChecked());
    ini.UpdateFile();
}

// ---------------------------------------------------------------- controls

void TDataInquiry::InitControls()
{
    FillGroupList();
    FillCategoryMain();
    FillCategorySub(0, 0);
    CheckMyNumbers(kAllMyNumbers);
    FillHistoryLists();
    FillSenderList();
    ui->sbtnPriv->setChecked(true);
    ApplyPrivCorp();
}

void TDataInquiry::FillGroupList()
{
    ui->cbxGroup->clear();
    ui->cbxGroup->addItem(QStringLiteral("指定しない"));
    for (int n = 1; n <= 10; ++n)
        ui->cbxGroup->addItem(QStringLiteral("%1： %2").arg(n, 2).arg(GroupName(n)));
    ui->cbxGroup->setMaxVisibleItems(11);
    ui->cbxGroup->setCurrentIndex(qBound(0, groupNo_, 10));
}

void TDataInquiry::FillCategoryMain()
{
    ui->cbxCatMain->clear();
    ui->cbxCatMain->addItem(QStringLiteral("指定しない"), 0);
    for (const TCtgryItem& item : CtgryMainList)
        ui->cbxCatMain->addItem(item.Name, item.Code);
    ui->cbxCatMain->setMaxVisibleItems(qMax(1, ui->cbxCatMain->count()));
    ui->cbxCatMain->setCurrentIndex(0);
    majorCode_ = 0;
}

void TDataInquiry::FillCategorySub(int major, int selectCode)
{
    ui->cbxCatSub->clear();
    keptSubEntry_ = 0;
    if (major > 0 && major < int(CtgrySubLists.size())) {
        for (const TCtgryItem& item : CtgrySubLists[size_t(major)])
            ui->cbxCatSub->addItem(item.Name, item.Code);
    }
    ui->cbxCatSub->setEnabled(ui->cbxCatSub->count() > 0);
    if (ui->cbxCatSub->count() == 0)
        return;
    const int at = ui->cbxCatSub->findData(selectCode);
    ui->cbxCatSub->setCurrentIndex(at >= 0 ? at : 0);
}

void TDataInquiry::FillHistoryLists()
{
    if (!DMTelvora21)
        return;
    // Refilling keeps what is typed: the entry it names is chosen, or the
    // trimmed text is put back.
    const auto fill = [](QComboBox* combo, const THistoryData& history) {
        const QString typed = cp932::Trim(combo->currentText());
        combo->clear();
        for (int i = 0; i < history.GetCount(); ++i)
            combo->addItem(history.GetItem(i));
        int at = -1;
        for (int i = 0; i < combo->count() && at < 0; ++i) {
            if (cp932::Trim(combo->itemText(i)) == typed)
                at = i;
        }
        combo->setCurrentIndex(at);
        if (at < 0)
            combo->setEditText(typed);
    };
    fill(ui->cbxDptmnt, DMTelvora21->DptmntHistory());
    fill(ui->cbxPost, DMTelvora21->PostHistory());
    fill(ui->cbxHonor, DMTelvora21->HonorHistory());
    for (int n = 1; n <= 5; ++n)
        fill(JointHonor(n), DMTelvora21->HonorHistory());
    fill(ui->cbxKeyword6, DMTelvora21->KeywordHistory(6));
    fill(ui->cbxKeyword7, DMTelvora21->KeywordHistory(7));
    fill(ui->cbxKeyword8, DMTelvora21->KeywordHistory(8));
}

void TDataInquiry::FillSenderList()
{
    const int keep = sender_;
    ui->cbxSender->clear();
    ui->cbxSender->addItem(QStringLiteral("標準"), 0);
    if (TAddressListLink* list = CurrentInquiryLinks().AddressList) {
        for (int i = 0; i < list->SenderCount(); ++i)
            ui->cbxSender->addItem(list->SenderTitle(i), list->SenderRecNo(i));
    }
    SelectSender(keep);
}

bool TDataInquiry::SelectSender(int recNo)
{
    for (int i = 1; i < ui->cbxSender->count(); ++i) {
        if (ui->cbxSender->itemData(i).toInt() == recNo) {
            ui->cbxSender->setCurrentIndex(i);
            sender_ = recNo;
            return true;
        }
    }
    ui->cbxSender->setCurrentIndex(0);
    sender_ = 0;
    return recNo == 0;
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

QLineEdit* TDataInquiry::JointEdit(int n) const
{
    QLineEdit* edits[] = {ui->nmedtJoint1, ui->nmedtJoint2, ui->nmedtJoint3, ui->nmedtJoint4, ui->nmedtJoint5};
    return edits[n - 1];
}

QComboBox* TDataInquiry::JointHonor(int n) const
{
    QComboBox* combos[] = {ui->cbxJointHonor1, ui->cbxJointHonor2, ui->cbxJointHonor3, ui->cbxJointHonor4,
                           ui->cbxJointHonor5};
    return combos[n - 1];
}

QToolButton* TDataInquiry::JointPrintButton(int n) const
{
    QToolButton* buttons[] = {ui->sbtnJointPrintM, ui->sbtnJointPrint1, ui->sbtnJointPrint2,
                              ui->sbtnJointPrint3, ui->sbtnJointPrint4, ui->sbtnJointPrint5};
    return buttons[n];
}

QLineEdit* TDataInquiry::MyNumberEdit(int i) const
{
    QLineEdit* edits[] = {ui->edtMyNumber,        ui->edtJointMyNumber1, ui->edtJointMyNumber2,
                          ui->edtJointMyNumber3, ui->edtJointMyNumber4, ui->edtJointMyNumber5};
    return edits[i];
}

QLabel* TDataInquiry::MyNumberImage(int i) const
{
    QLabel* labels[] = {ui->imgMyNumber,        ui->imgJointMyNumber1, ui->imgJointMyNumber2,
                        ui->imgJointMyNumber3, ui->imgJointMyNumber4, ui->imgJointMyNumber5};
    return labels[i];
}

QLabel* TDataInquiry::MyNumberDigits(int i) const
{
    QLabel* labels[] = {ui->lblMyNumberDigits,       ui->lblJointMyNumberDigits1, ui->lblJointMyNumberDigits2,
                        ui->lblJointMyNumberDigits3, ui->lblJointMyNumberDigits4, ui->lblJointMyNumberDigits5};
    return labels[i];
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

void TDataInquiry::SetPrintTarget(int target)
{
    ui->sbtnPrintTarget->setChecked(target == 1);
    ui->sbtnPrintException->setChecked(target == 2);
}

void TDataInquiry::SetExtLinks(const QStringList& links)
{
    ui->lvExtLink->clear();
    for (int i = 0; i < links.size(); ++i)
        new QTreeWidgetItem(ui->lvExtLink, {QString::number(i + 1), links[i]});
    ui->bbtnAddExtLink->setEnabled(links.size() < kMaxExtLinks);
    ui->bbtnDelExtLink->setEnabled(!links.isEmpty());
}

void TDataInquiry::SetSymbolColor(int color)
{
    symbolColor_ = color;
    QPalette pal = ui->pnlSymbolColor->palette();
    pal.setColor(QPalette::Window, ColorFromStored(color));
    ui->pnlSymbolColor->setPalette(pal);
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
            pal.setColor(QPalette::Base, QApplication::palette(edit).color(QPalette::Base));
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

TRecordInput TDataInquiry::ReadControls() const
{
    TRecordInput in;
    in.Group = groupNo_;
    in.CustomCode = ui->edtCustomCode->text();
    in.Tel = ui->edtTel->text();
    in.MainNumber = ui->chkMainNumber->isChecked();
    in.Fax = ui->edtFax->text();
    in.PubDate = ui->edtPubDate->text();
    in.Portable1 = ui->edtPortable1->text();
    in.Portable2 = ui->edtPortable2->text();
    in.Pos = ui->edtPos->text();
    in.Tdfkn = ui->edtTdfkn->text();
    in.Adrs1 = ui->edtAdrs1->text();
    in.Adrs2 = ui->edtAdrs2->text();
    in.Adrs3 = ui->edtAdrs3->text();
    in.AdrsKana = ui->edtAdrsKana->text();
    in.JisCode = ui->edtJisCode->text();
    in.KajoCode = ui->lblKajoCode->text();
    in.Latitude = latitude_;
    in.Longitude = longitude_;
    in.Priv = ui->sbtnPriv->isChecked();
    in.MyNumber = ui->edtMyNumber->text();
    in.CorpKanji = ui->nmedtCorpKanji->text();
    in.CorpKana = ui->edtCorpKana->text();
    in.Dptmnt = ui->cbxDptmnt->currentText();
    in.Post = ui->cbxPost->currentText();
    in.EmployeeNo = ui->edtEmployeeNo->text();
    in.NameKanji = ui->nmedtNameKanji->text();
    in.NameKana = ui->nmedtNameKana->text();
    in.Honor = ui->cbxHonor->currentText();
    in.IgnoreName = ui->chkIgnoreName->isChecked();
    in.CodeMain = ui->cbxCatMain->currentIndex() >= 0 ? ui->cbxCatMain->currentData().toInt() : majorCode_;
    in.CodeSubEntry = ui->cbxCatSub->currentIndex() >= 0 ? ui->cbxCatSub->currentData().toInt() : keptSubEntry_;
    in.URL = ui->edtURL->text();
    in.EMail1 = ui->edtEMail1->text();
    in.EMail2 = ui->edtEMail2->text();
    for (int n = 1; n <= 5; ++n) {
        in.Joint[n - 1] = JointEdit(n)->text();
        in.JointHonor[n - 1] = JointHonor(n)->currentText();
        in.JointMyNumber[n - 1] = MyNumberEdit(n)->text();
    }
    in.JointOwner = jointOwner_;
    for (int n = 0; n < 6; ++n)
        in.JointPrint[n] = JointPrintButton(n)->isChecked();
    in.PrintTarget = ui->sbtnPrintTarget->isChecked() ? 1 : ui->sbtnPrintException->isChecked() ? 2 : 0;
    in.Sender = sender_;
    QLineEdit* keywords[] = {ui->edtKeyword1, ui->edtKeyword2, ui->edtKeyword3, ui->edtKeyword4, ui->edtKeyword5};
    for (int i = 0; i < 5; ++i)
        in.Keyword[i] = keywords[i]->text();
    in.Keyword[5] = ui->cbxKeyword6->currentText();
    in.Keyword[6] = ui->cbxKeyword7->currentText();
    in.Keyword[7] = ui->cbxKeyword8->currentText();
    in.Note = MemoText(ui->mmoNote);
    for (int i = 0; i < 10; ++i)
        in.ProtectMemo[i] = ProtectMemoEdit(i)->text();
    in.ProtectNote = MemoText(ui->mmoProtectNote);
    for (int i = 0; i < ui->lvExtLink->topLevelItemCount(); ++i)
        in.ExtLink.append(ui->lvExtLink->topLevelItem(i)->text(1));
    in.SymbolMark = ui->cbxSymbolMark->currentIndex() > 0 ? ui->cbxSymbolMark->currentText() : QString();
    in.SymbolColor = symbolColor_;
    in.AddDateTime = ui->edtAddDateTime->text();
    in.UpdDateTime = ui->edtUpdDateTime->text();
    return in;
}

QLineEdit* TDataInquiry::ProtectMemoEdit(int i) const
{
    QLineEdit* edits[] = {ui->edtProtectMemo1, ui->edtProtectMemo2, ui->edtProtectMemo3, ui->edtProtectMemo4,
                          ui->edtProtectMemo5, ui->edtProtectMemo6, ui->edtProtectMemo7, ui->edtProtectMemo8,
                          ui->edtProtectMemo9, ui->edtProtectMemo10};
    return edits[i];
}

void TDataInquiry::WriteControls(const TRecordInput& in)
{
    groupNo_ = qBound(0, in.Group, ui->cbxGroup->count() - 1);
    ui->cbxGroup->setCurrentIndex(groupNo_);
    ui->edtCustomCode->setText(in.CustomCode);
    ui->edtTel->setText(in.Tel);
    ui->chkMainNumber->setChecked(in.MainNumber);
    ui->edtFax->setText(in.Fax);
    ui->edtPubDate->setText(in.PubDate);
    ui->edtPortable1->setText(in.Portable1);
    ui->edtPortable2->setText(in.Portable2);
    ui->edtPos->setText(in.Pos);
    ui->edtTdfkn->setText(in.Tdfkn);
    ui->edtAdrs1->setText(in.Adrs1);
    ui->edtAdrs2->setText(in.Adrs2);
    ui->edtAdrs3->setText(in.Adrs3);
    ui->edtAdrsKana->setText(in.AdrsKana);
    ui->edtJisCode->setText(in.JisCode);
    ui->lblKajoCode->setText(in.KajoCode);
    latitude_ = in.Latitude;
    longitude_ = in.Longitude;
    (in.Priv ? ui->sbtnPriv : ui->sbtnCorp)->setChecked(true);
    ApplyPrivCorp();
    ui->edtMyNumber->setText(in.MyNumber);
    ui->nmedtCorpKanji->setText(in.CorpKanji);
    ui->edtCorpKana->setText(in.CorpKana);
    ui->cbxDptmnt->setEditText(in.Dptmnt);
    ui->cbxPost->setEditText(in.Post);
    ui->edtEmployeeNo->setText(in.EmployeeNo);
    ui->nmedtNameKanji->setText(in.NameKanji);
    ui->nmedtNameKana->setText(in.NameKana);
    ui->cbxHonor->setEditText(in.Honor);
    ui->chkIgnoreName->setChecked(in.IgnoreName);

    // A stored category the lists do not know is kept as it is (shown blank)
    // rather than silently turned into "none".
    const int major = ui->cbxCatMain->findData(in.CodeMain);
    ui->cbxCatMain->setCurrentIndex(major);
    majorCode_ = in.CodeMain;
    FillCategorySub(in.CodeMain, in.CodeSubEntry);
    if (in.CodeMain > 0 && in.CodeSubEntry > 0 && ui->cbxCatSub->findData(in.CodeSubEntry) < 0) {
        ui->cbxCatSub->setCurrentIndex(-1);
        keptSubEntry_ = in.CodeSubEntry;
    }

    ui->edtURL->setText(in.URL);
    ui->edtEMail1->setText(in.EMail1);
    ui->edtEMail2->setText(in.EMail2);

    ui->cbxJointOwner->clear();
    ui->cbxJointOwner->addItem(QStringLiteral("本人"), 0);
    jointOwner_ = 0;
    for (int n = 1; n <= 5; ++n) {
        JointEdit(n)->setText(in.Joint[n - 1]);
        JointChanged(n);
        JointHonor(n)->setEditText(in.JointHonor[n - 1]);
        MyNumberEdit(n)->setText(in.JointMyNumber[n - 1]);
    }
    for (int n = 1; n <= 5; ++n)
        JointLeft(n);
    jointOwner_ = in.JointOwner;
    const int owner = ui->cbxJointOwner->findData(in.JointOwner);
    ui->cbxJointOwner->setCurrentIndex(owner >= 0 ? owner : 0);
    for (int n = 0; n < 6; ++n) {
        JointPrintButton(n)->setChecked(in.JointPrint[n]);
        UpdateJointPrintGlyph(n);
    }
    SetPrintTarget(in.PrintTarget);
    SelectSender(in.Sender);

    QLineEdit* keywords[] = {ui->edtKeyword1, ui->edtKeyword2, ui->edtKeyword3, ui->edtKeyword4, ui->edtKeyword5};
    for (int i = 0; i < 5; ++i)
        keywords[i]->setText(in.Keyword[i]);
    ui->cbxKeyword6->setEditText(in.Keyword[5]);
    ui->cbxKeyword7->setEditText(in.Keyword[6]);
    ui->cbxKeyword8->setEditText(in.Keyword[7]);
    SetMemoText(ui->mmoNote, in.Note);
    for (int i = 0; i < 10; ++i)
        ProtectMemoEdit(i)->setText(in.ProtectMemo[i]);
    SetMemoText(ui->mmoProtectNote, in.ProtectNote);
    SetExtLinks(in.ExtLink);
    const int mark = in.SymbolMark.isEmpty() ? 0 : ui->cbxSymbolMark->findText(in.SymbolMark, Qt::MatchExactly);
    ui->cbxSymbolMark->setCurrentIndex(mark > 0 ? mark : 0);
    SetSymbolColor(in.SymbolColor);
    ui->edtAddDateTime->setText(in.AddDateTime);
    ui->edtUpdDateTime->setText(in.UpdDateTime);
}

void TDataInquiry::ClearControls()
{
    ui->pgctlData->setCurrentIndex(0);
    TRecordInput blank;
    blank.Group = groupNo_; // the group and the person/company switch keep their state
    blank.Priv = ui->sbtnPriv->isChecked();
    WriteControls(blank);
    ui->cbxCatMain->setCurrentIndex(0);
    majorCode_ = 0;
    FillCategorySub(0, 0);
}

// ---------------------------------------------------------------- modes and navigation

TSourceLink* TDataInquiry::SourceLink(const TInquiryLinks& links) const
{
    switch (sourceMode_) {
    case smNameSearch: return links.NameSearch;
    case smAddressList: return links.AddressList;
    case smCategorySearch: return links.CategorySearch;
    default: return nullptr;
    }
}

void TDataInquiry::RepaintSourceLists()
{
    const TInquiryLinks links = CurrentInquiryLinks();
    TSourceLink* all[] = {links.NameSearch, links.CategorySearch, links.AddressList};
    for (TSourceLink* link : all) {
        if (link)
            link->UpdateColor();
    }
}

void TDataInquiry::SetSourceMode(int mode)
{
    if (mode == sourceMode_)
        return;
    sourceMode_ = mode;
    RepaintSourceLists();
}

void TDataInquiry::SetDataShown(int shown)
{
    if (shown == dataShown_)
        return;
    dataShown_ = shown;
    RepaintSourceLists();
}

void TDataInquiry::UpdateNavigation()
{
    TSourceLink* link = SourceLink(CurrentInquiryLinks());
    QPushButton* buttons[] = {ui->sbtnFirst, ui->sbtnPrior, ui->sbtnNext, ui->sbtnLast};
    if (!link) {
        for (QPushButton* b : buttons)
            b->setEnabled(false);
        ui->lblNowRec->setText(kNoPosition);
        ui->lblTotalRec->setText(kNoPosition);
        return;
    }
    const bool first = link->IsFirst();
    const bool last = link->IsLast();
    ui->sbtnFirst->setEnabled(!first);
    ui->sbtnPrior->setEnabled(!first);
    ui->sbtnNext->setEnabled(!last);
    ui->sbtnLast->setEnabled(!last);
    const int index = link->CurrentIndex();
    const int count = link->Count();
    ui->lblNowRec->setText(index >= 0 ? QString::number(index + 1) : kNoPosition);
    ui->lblTotalRec->setText(count > 0 ? QString::number(count) : kNoPosition);
}

void TDataInquiry::FocusGroupIfShown()
{
    if (isVisible() && ui->pgctlData->currentIndex() == 0)
        ui->cbxGroup->setFocus();
}

void TDataInquiry::StartNumberSearch()
{
    if (!isVisible())
        dataShown_ = 0;
    else
        ui->bbtnNew->click();
}

int TDataInquiry::GetCurrentRecNo() const
{
    return heldRecord_ ? heldRecord_->RecNo : -1;
}

void TDataInquiry::ShowRecord(TAdrsRecord& record)
{
    WriteControls(InputFromRecord(record));
    // A sender that is gone is the standard sender from now on.
    record.Sender = sender_;
}

void TDataInquiry::ShowListing(const TListingDetail& listing)
{
    TRecordInput input = ReadControls();
    ApplyListing(listing, input);
    WriteControls(input);
}

void TDataInquiry::TakeSnapshot(bool take)
{
    snapshot_.reset();
    if (!take)
        return;
    snapshot_ = std::make_unique<TAdrsRecord>();
    RecordFromInput(ReadControls(), TRecordForm::Snapshot, *snapshot_);
}

void TDataInquiry::HoldRecord(const TAdrsRecord& record)
{
    heldRecord_ = std::make_unique<TAdrsRecord>(record);
}

bool TDataInquiry::IsModified()
{
    const TRecordInput input = ReadControls();
    if (heldRecord_)
        return IsRecordChanged(input, *heldRecord_);
    if (snapshot_)
        return IsRecordChanged(input, *snapshot_);
    TAdrsRecord blank;
    InitNewAdrsRecord(blank, input.Priv);
    return IsRecordChanged(input, blank);
}

void TDataInquiry::ShowInquiry(const TAdrsRecord& record)
{
    SetDataShown(1);
    setWindowTitle(kInquiryCaption);
    const TInquiryLinks links = CurrentInquiryLinks();
    if (snapshot_) {
        snapshot_.reset();
        if (links.NameSearch)
            links.NameSearch->SetCurrentIndex(-1);
    }
    ui->chkContinualAdd->setEnabled(false);
    TAdrsRecord shown(record);
    ShowRecord(shown);
    CheckMyNumbers(kAllMyNumbers);
    HoldRecord(shown);
    UpdateNavigation();
    ui->btnUpdate->setEnabled(true);
    ui->btnDelete->setEnabled(true);
    FocusGroupIfShown();
}

void TDataInquiry::ShowRegist(const TListingDetail& listing)
{
    SetDataShown(1);
    setWindowTitle(kRegistCaption);
    if (heldRecord_) {
        heldRecord_.reset();
        if (TAddressListLink* list = CurrentInquiryLinks().AddressList)
            list->SetCurrentIndex(-1);
    }
    ui->chkContinualAdd->setEnabled(false);
    ui->chkContinualAdd->setChecked(false);
    ClearControls();
    ShowListing(listing);
    CheckMyNumbers(kAllMyNumbers);
    TakeSnapshot(Settings().OutOfTarget);
    UpdateNavigation();
    ui->btnUpdate->setEnabled(false);
    ui->btnDelete->setEnabled(false);
    FocusGroupIfShown();
}

int TDataInquiry::ConfirmSaveChanges(int kind, bool refresh)
{
    if (skipSaveConfirm_) {
        skipSaveConfirm_ = false;
        return 1;
    }
    const bool option = kind == 1 ? Settings().FormClose : Settings().ChangeData;
    if (!option || !IsModified())
        return 1;
    if (Settings().Confirmation) {
        const QString text = (heldRecord_ ? QStringLiteral("照会中のデータが変更されています  ")
                                          : QStringLiteral("入力途中のデータがあります  ")) +
                             QStringLiteral("\r\n\r\n"
                                            "アドレス帳に保存する場合は「はい」  \r\n"
                                            "破棄する場合は「いいえ」  \r\n"
                                            "中止する場合は「キャンセル」  \r\n"
                                            "\r\n"
                                            "を押してください  ");
        const int answer = ShowMessage(this, text, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDNO)
            return 1;
        if (answer != IDYES)
            return 9;
    }
    const bool update = heldRecord_ != nullptr;
    if (!ValidateInput(!update))
        return 9;
    int newRecNo = -1;
    const int written = WriteRecord(update, update ? nullptr : &newRecNo);
    if (written != 0) {
        if (written == 9)
            ShowMessage(this, QStringLiteral("update error"), MB_OK);
        // Whatever kept the record from being written, the input stays.
        return 9;
    }
    TAddressListLink* list = CurrentInquiryLinks().AddressList;
    if (list) {
        if (refresh) {
            const int recNo = update ? heldRecord_->RecNo : newRecNo;
            list->RefreshList(false, true, true);
            list->SelectItem(list->IndexOfRecNo(recNo), true, true);
        }
        list->NotifyRecordsUpdated({update ? heldRecord_->RecNo : newRecNo});
    }
    return 0;
}

void TDataInquiry::MoveRecord(TMoveKind kind)
{
    THourglass hourglass;
    const int saved = ConfirmSaveChanges(0, false);
    if (saved == 9)
        return;
    const TInquiryLinks links = CurrentInquiryLinks();
    if (sourceMode_ == smNameSearch || sourceMode_ == smCategorySearch) {
        TResultLink* search = sourceMode_ == smNameSearch ? links.NameSearch : links.CategorySearch;
        TListingDetail listing;
        if (search && search->Move(kind, listing))
            ShowRegist(listing);
    } else if (sourceMode_ == smAddressList && links.AddressList) {
        TAdrsRecord record;
        if (links.AddressList->Move(kind, record))
            ShowInquiry(record);
    }
    if (saved == 0 && links.AddressList) {
        links.AddressList->RefreshList(false, true, true);
        links.AddressList->SelectItem(links.AddressList->CurrentIndex(), true, false);
        UpdateNavigation();
    }
}

void TDataInquiry::NewInput()
{
    THourglass hourglass;
    if (ConfirmSaveChanges(0, true) == 9)
        return;
    SetDataShown(0);
    setWindowTitle(kRegistCaption);
    snapshot_.reset();
    heldRecord_.reset();
    const TInquiryLinks links = CurrentInquiryLinks();
    TSourceLink* all[] = {links.NameSearch, links.CategorySearch, links.AddressList};
    for (TSourceLink* link : all) {
        if (link)
            link->SetCurrentIndex(-1);
    }
    ui->chkContinualAdd->setEnabled(true);
    UpdateNavigation();
    ui->btnUpdate->setEnabled(false);
    ui->btnDelete->setEnabled(false);
    ClearControls();
    ui->cbxGroup->setFocus();
}

void TDataInquiry::AddRecord()
{
    THourglass hourglass;
    if (!ValidateInput(true))
        return;
    int newRecNo = -1;
    const int written = WriteRecord(false, &newRecNo);
    if (written == 9)
        ShowMessage(this, QStringLiteral("add error"), MB_OK);
    if (written != 0)
        return;
    const TInquiryLinks links = CurrentInquiryLinks();
    if (links.AddressList) {
        links.AddressList->RefreshList(false, true, true);
        links.AddressList->SelectItem(links.AddressList->IndexOfRecNo(newRecNo), true, true);
        links.AddressList->NotifyRecordsUpdated({newRecNo});
    }
    if (!heldRecord_ && ui->chkContinualAdd->isChecked()) {
        skipSaveConfirm_ = true;
        NewInput();
        return;
    }
    if (heldRecord_) {
        // The shown record was registered once more: go on with the new row.
        TAdrsRecord added;
        if (links.AddressList && links.AddressList->ReadRecord(newRecNo, added)) {
            ShowInquiry(added);
        } else {
            skipSaveConfirm_ = true;
            close();
        }
        return;
    }
    const bool hasResult = (links.NameSearch && links.NameSearch->CurrentIndex() >= 0) ||
                           (links.CategorySearch && links.CategorySearch->CurrentIndex() >= 0);
    if (hasResult) {
        TakeSnapshot(true);
    } else {
        skipSaveConfirm_ = true;
        close();
    }
}

void TDataInquiry::UpdateRecord()
{
    THourglass hourglass;
    if (!heldRecord_ || !ValidateInput(false) || !IsModified())
        return;
    const int written = WriteRecord(true, nullptr);
    if (written == 9)
        ShowMessage(this, QStringLiteral("update error"), MB_OK);
    if (written != 0)
        return;
    TAddressListLink* list = CurrentInquiryLinks().AddressList;
    if (!list) {
        // Nothing to go on with; what was written stays shown.
        TAdrsRecord again(*heldRecord_);
        RecordFromInput(ReadControls(), TRecordForm::Write, again);
        again.RecNo = heldRecord_->RecNo;
        HoldRecord(again);
        return;
    }
    const int before = list->CurrentIndex();
    list->RefreshList(false, true, true);
    int index = list->CurrentIndex();
    if (index < 0 || index >= list->Count())
        index = std::min(before, list->Count() - 1);
    list->SelectItem(index, true, true);
    list->NotifyRecordsUpdated({heldRecord_->RecNo});
    TAdrsRecord record;
    if (index >= 0 && list->ReadRecordAt(index, record)) {
        ShowInquiry(record);
    } else {
        skipSaveConfirm_ = true;
        close();
    }
}

void TDataInquiry::DeleteRecord()
{
    if (!heldRecord_)
        return;
    if (ShowMessage(this, QStringLiteral("このデータを削除します  \r\nよろしいですか？  "),
                    MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2) != IDYES)
        return;
    const int recNo = heldRecord_->RecNo;
    {
        THourglass hourglass;
        if (!DeleteRow(recNo)) {
            ShowMessage(this, QStringLiteral("データを削除できませんでした  "), MB_OK | MB_ICONSTOP);
            return;
        }
        if (TAddressListLink* list = CurrentInquiryLinks().AddressList) {
            list->RefreshList(false, true, true);
            list->SelectItem(list->CurrentIndex(), true, true);
            list->NotifyRecordsDeleted({recNo});
        }
    }
    skipSaveConfirm_ = true;
    close();
}

bool TDataInquiry::DeleteRow(int recNo)
{
    if (!DMTelvora21)
        return false;
    TSqlTable& table = DMTelvora21->AdrsTable();
    try {
        table.SetIndexName(QString());
        // A row already gone (deleted in another window) leaves nothing to do.
        if (table.FindKey({recNo}))
            table.Delete();
        table.FlushBuffers();
        return true;
    } catch (const ESqlTableError&) {
        if (table.State() == TSqlTable::TState::Edit || table.State() == TSqlTable::TState::Insert)
            table.Cancel();
        return false;
    }
}

// ---------------------------------------------------------------- life cycle

void TDataInquiry::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (shownOnce_)
        return;
    shownOnce_ = true;
    if (dataShown_ != 0) {
        ui->cbxGroup->setFocus();
        return;
    }
    setWindowTitle(kRegistCaption);
    // Runs once the window is up, as a posted message would.
    QTimer::singleShot(0, this, [this] { ui->cbxGroup->setFocus(); });
}

void TDataInquiry::closeEvent(QCloseEvent* event)
{
    if (ConfirmSaveChanges(1, true) == 9) {
        event->ignore();
        return;
    }
    snapshot_.reset();
    heldRecord_.reset();
    SetSourceMode(smNone);
    const TInquiryLinks links = CurrentInquiryLinks();
    for (TSourceLink* link : {static_cast<TSourceLink*>(links.NameSearch), static_cast<TSourceLink*>(links.CategorySearch),
                              static_cast<TSourceLink*>(links.AddressList)}) {
        if (link)
            link->SetCurrentIndex(-1);
    }
    RepaintSourceLists();
    event->accept();
}

bool TDataInquiry::event(QEvent* event)
{
    // While a modal dialog of the program is open, this window is blocked;
    // bringing it forward brings the dialog forward instead.
    if (event->type() == QEvent::WindowActivate || event->type() == QEvent::MouseButtonPress) {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal != this && !isAncestorOf(modal)) {
            modal->raise();
            modal->activateWindow();
        }
    }
    if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape) {
        close();
        return true;
    }
    return QWidget::event(event);
}

// ---------------------------------------------------------------- validation and writing

bool TDataInquiry::ValidateInput(bool isNew)
{
    const TRecordInput input = ReadControls();
    std::optional<TInputError> error = CheckInputFormat(input);
    const QString code = cp932::Trim(input.CustomCode);
    // A code in use is reported right after the code's own characters, before
    // the numbers and the postal code.
    const bool codeWellFormed = !error || error->Control != QLatin1String("edtCustomCode");
    if (codeWellFormed && !code.isEmpty() && DMTelvora21 && DMTelvora21->AdrsTable().Active()) {
        // In an update an unchanged code is not looked up: rows may share one.
        const bool lookUp = isNew || !heldRecord_ || code != heldRecord_->CustomCode.Text();
        bool used = false;
        try {
            used = lookUp && CustomCodeInUse(DMTelvora21->AdrsTable(), code);
        } catch (const ESqlTableError&) {
            used = false;
        }
        if (used)
            error = TInputError{QStringLiteral("入力した顧客コードは既に使われています  \r\n別のコードに変更してください  "),
                                QStringLiteral("edtCustomCode"), true};
    }
    if (!error)
        return true;
    ShowMessage(this, error->Message, MB_OK | MB_ICONINFORMATION);
    ui->pgctlData->setCurrentWidget(ui->tabstMain);
    if (auto* edit = findChild<QLineEdit*>(error->Control)) {
        edit->setFocus();
        if (error->SelectAll)
            edit->selectAll();
        else
            edit->setCursorPosition(int(edit->text().size()));
    }
    return false;
}

int TDataInquiry::WriteRecord(bool isUpdate, int* newRecNo)
{
    if (!DMTelvora21 || !DMTelvora21->AdrsTable().Active())
        return wrFailed;
    TSqlTable& table = DMTelvora21->AdrsTable();
    const TRecordInput input = ReadControls();
    try {
        if (!isUpdate) {
            if (DMTelvora21->AdrsTableFull()) {
                ShowMessage(this, QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  "),
                            MB_OK | MB_ICONINFORMATION);
                return wrRefused;
            }
            if (Settings().SameNum) {
                const int which = FindDuplicateNumber(table, input);
                if (which >= 0 &&
                    ShowMessage(this,
                                QStringLiteral("既に同一の") + DuplicateNumberLabel(which) +
                                    QStringLiteral("のデータが登録されています  \r\n登録しますか？  "),
                                MB_YESNO | MB_ICONQUESTION) != IDYES)
                    return wrRefused;
            }
        }
    } catch (const ESqlTableError&) {
        return wrFailed;
    }

    TAdrsRecord record;
    RecordFromInput(input, TRecordForm::Write, record);
    record.CodeGenre = heldRecord_ ? heldRecord_->CodeGenre : 0;
    const QDateTime now = Now();
    record.UpdDateTime = recordform::DateTimeValue(now);
    record.AddDateTime = isUpdate && heldRecord_ ? heldRecord_->AddDateTime
                                                 : recordform::DateTimeValue(TruncToSeconds(now));
    const int heldRecNo = isUpdate && heldRecord_ ? heldRecord_->RecNo : -1;
    if (isUpdate && heldRecNo < 0)
        return wrFailed;
    const TWriteResult result = WriteAdrsRow(table, record, heldRecNo, newRecNo);
    if (result == wrRefused)
        ShowMessage(this, QStringLiteral("変更データを参照できませんでした  "), MB_OK | MB_ICONSTOP);
    if (result == wrWritten) {
        // The record is stored; a history that cannot be kept costs nothing
        // more than its pick list and is not worth a message.
        try {
            SaveInputHistories();
        } catch (const std::exception&) {
        }
    }
    return result;
}

void TDataInquiry::SaveInputHistories()
{
    if (!DMTelvora21)
        return;
    struct TEntry {
        QComboBox* combo;
        THistoryData* history;
    };
    THistoryData& honor = DMTelvora21->HonorHistory();
    const TEntry entries[] = {
        {ui->cbxDptmnt, &DMTelvora21->DptmntHistory()}, {ui->cbxPost, &DMTelvora21->PostHistory()},
        {ui->cbxHonor, &honor},          {ui->cbxJointHonor1, &honor},
        {ui->cbxJointHonor2, &honor},    {ui->cbxJointHonor3, &honor},
        {ui->cbxJointHonor4, &honor},    {ui->cbxJointHonor5, &honor},
        {ui->cbxKeyword6, &DMTelvora21->KeywordHistory(6)}, {ui->cbxKeyword7, &DMTelvora21->KeywordHistory(7)},
        {ui->cbxKeyword8, &DMTelvora21->KeywordHistory(8)},
    };
    bool changed = false;
    for (const TEntry& e : entries) {
        const QString text = e.combo->currentText();
        if (text.isEmpty())
            continue;
        const int at = e.history->IndexOf(text);
        if (at == 0)
            continue;
        if (at > 0)
            e.history->Delete(at);
        e.history->Insert(0, text, QDateTime());
        e.history->Save();
        changed = true;
    }
    if (changed)
        FillHistoryLists();
}
