#include "records/AdrsCopy.h"

#include "ui_AdrsCopy.h"

#include "core/AdrsBook.h"
#include "core/DBInfo.h"
#include "core/Settings.h"
#include "core/common/Units.h"
#include "core/ui/AdrsList.h"
#include "core/ui/SubAdrsOpen.h"
#include "platform/IniFile.h"
#include "platform/ui/DialogKit.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/NumEdit.h"

#include <QApplication>
#include <QFileInfo>
#include <QPointer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidgetItem>
#include <QScreen>
#include <algorithm>
#include <optional>

namespace {

const QString kSection = QStringLiteral("ADRS COPY");

QString lines(std::initializer_list<QString> list)
{
    QStringList out;
    for (const QString& l : list)
        out << l + QStringLiteral("  ");
    return out.join(QStringLiteral("\r\n"));
}

int inRange(int value, int low, int high, int def) { return value < low || value > high ? def : value; }

// Why the destination could not be written, in words a user can act on.
QString writeFaultCause(TAdrsCopyWriteFault fault)
{
    switch (fault) {
    case TAdrsCopyWriteFault::DiskFull: return QStringLiteral("コピー先のディスクの空き容量が足りません");
    case TAdrsCopyWriteFault::ReadOnly: return QStringLiteral("コピー先のアドレス帳に書き込む権限がありません");
    case TAdrsCopyWriteFault::DiskError: return QStringLiteral("コピー先のディスクの読み書きでエラーが起きました");
    case TAdrsCopyWriteFault::Damaged: return QStringLiteral("コピー先のアドレス帳のファイルが壊れています");
    case TAdrsCopyWriteFault::InUse: return QStringLiteral("コピー先のアドレス帳は他で使用中です");
    case TAdrsCopyWriteFault::Moved:
        return QStringLiteral("コピー先のアドレス帳のファイルが移動または削除されたか、別のファイルに置き換えられました");
    default: return QStringLiteral("コピー先のアドレス帳のファイルに書き込めません");
    }
}

// Why a book listed before is not there now: its folder, or the table in it.
QString goneCause(const QString& folder)
{
    return QFileInfo::exists(AdrsBookFolderPath(folder))
               ? QStringLiteral("アドレス帳のファイルがありません")
               : QStringLiteral("アドレス帳のフォルダがありません（削除されたか、名前が変えられています）");
}

QPointer<TAddressCopy> gAddressCopy;

} // namespace

TAddressCopy* AddressCopyWindow() { return gAddressCopy.data(); }

TAddressCopy* ShowAddressCopy(TAddressList& list)
{
    TAddressCopy* window = gAddressCopy.data();
    if (!window) {
        window = new TAddressCopy(list);
        window->setAttribute(Qt::WA_DeleteOnClose);
        gAddressCopy = window;
        // No owner window (a taskbar button of its own), but it goes with the
        // main window.
        QObject::connect(&list, &QObject::destroyed, window, [window] { delete window; });
        QObject::connect(&list, &TAddressList::listSelectionChanged, window, [window, &list] {
            if (list.GetSelCount() > 0)
                window->UpdateCopyCount();
        });
        QObject::connect(&list, &TAddressList::listRebuilt, window, [window, &list] {
            if (list.GetRecordCount() == 0)
                window->UpdateCopyCount();
        });
        QObject::connect(&list, &TAddressList::adrsBookChanged, window, &TAddressCopy::BookChanged);
    } else {
        // Books may have gone or come outside the program since it was filled.
        window->BookChanged();
    }
    if (window->isMinimized())
        window->showNormal();
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

TAddressCopy::TAddressCopy(TAddressList& list)
    : QWidget(nullptr, Qt::Window), ui(std::make_unique<Ui::TAddressCopy>()), list_(list)
{
    ui->setupUi(this);
    for (TNumEdit* e : {ui->edtBegin, ui->edtEnd}) {
        e->SetMaxLength(6);
        e->setRange(0, 999999);
        e->installEventFilter(this);
    }
    TEnterKeyFilter* enter = ApplyDialogConventions(this);
    enter->SetNext(ui->rbtnSelected, ui->chkTel);

    connect(ui->btnCopy, &QPushButton::clicked, this, &TAddressCopy::CopyClick);
    connect(ui->btnCancel, &QPushButton::clicked, this, &QWidget::close);
    for (QAbstractButton* b : {static_cast<QAbstractButton*>(ui->rbtnSelected), static_cast<QAbstractButton*>(ui->rbtnRange),
                               static_cast<QAbstractButton*>(ui->rbtnAll)})
        connect(b, &QAbstractButton::toggled, this, [this](bool on) {
            if (on)
                applyDataChoice();
        });
    for (QAbstractButton* b : {ui->chkTel, ui->chkFax, ui->chkPortable1, ui->chkPortable2})
        connect(b, &QAbstractButton::toggled, this, &TAddressCopy::applyTargets);
    connect(ui->chkSameAddDateTime, &QAbstractButton::toggled, this, &TAddressCopy::applyDateBoxes);
    // Steps of the up-down (keys and buttons) stay inside the range by the
    // spin box's own bounds; typed values are checked on leaving.
    connect(ui->edtBegin, &QSpinBox::valueChanged, this, [this] { rangeEdited(true); });
    connect(ui->edtEnd, &QSpinBox::valueChanged, this, [this] { rangeEdited(false); });
    for (TNumEdit* e : {ui->edtBegin, ui->edtEnd})
        connect(e->findChild<QLineEdit*>(), &QLineEdit::textEdited, this,
                [this, e](const QString& text) { rangeTyped(e == ui->edtBegin, text); });

    loadOptions();
}

TAddressCopy::~TAddressCopy() { savePosition(); }

// ---------------------------------------------------------------- options

void TAddressCopy::loadOptions()
{
    const TIniFile ini(SettingsFileName());
    adjustSize();
    const QScreen* screen = QApplication::primaryScreen();
    const QRect area = screen ? screen->geometry() : QRect(0, 0, 1280, 800);
    const int defLeft = ScaleForDpi(area.width() - width(), false) / 2;
    const int defTop = ScaleForDpi(area.height() - height(), false) / 2;
    move(ScaleForDpi(ini.ReadInteger(kSection, QStringLiteral("Left"), defLeft), true),
         ScaleForDpi(ini.ReadInteger(kSection, QStringLiteral("Top"), defTop), true));

    const int dataSelect = inRange(ini.ReadInteger(kSection, QStringLiteral("DataSelect"), 0), 0, 2, 0);
    beginPos_ = ini.ReadInteger(kSection, QStringLiteral("BeginPos"), 0);
    endPos_ = ini.ReadInteger(kSection, QStringLiteral("EndPos"), 0);
    // One box at a time, each through the target rule.
    ui->chkTel->setChecked(ini.ReadBool(kSection, QStringLiteral("Tel"), false));
    ui->chkFax->setChecked(ini.ReadBool(kSection, QStringLiteral("Fax"), false));
    ui->chkPortable1->setChecked(ini.ReadBool(kSection, QStringLiteral("Portable1"), false));
    ui->chkPortable2->setChecked(ini.ReadBool(kSection, QStringLiteral("Portable2"), false));
    const int both = inRange(ini.ReadInteger(kSection, QStringLiteral("BothType"), 0), 0, 1, 0);
    const int sameNum = inRange(ini.ReadInteger(kSection, QStringLiteral("SameNumCheck"), 0), 0, 1, 0);
    const int sameCustom = inRange(ini.ReadInteger(kSection, QStringLiteral("SameCustomCheck"), 1), 0, 1, 1);
    ui->chkSameAddDateTime->setChecked(ini.ReadBool(kSection, QStringLiteral("SameAddDateTime"), true));
    ui->chkSameUpdDateTime->setChecked(ini.ReadBool(kSection, QStringLiteral("SameUpdDateTime"), true));
    applyDateBoxes();

    BuildAdrsBookList(); // as the books are now, not as they were at the start
    fillBooks();

    shownRows_ = list_.GetRecordCount();
    lowest_ = shownRows_ > 0 ? 1 : 0;
    highest_ = shownRows_;
    if (beginPos_ < 1 || beginPos_ > highest_)
        beginPos_ = lowest_;
    if (endPos_ < 1 || endPos_ > highest_)
        endPos_ = highest_;
    if (beginPos_ > endPos_)
        beginPos_ = lowest_;

    (dataSelect == 1 ? ui->rbtnRange : dataSelect == 2 ? ui->rbtnAll : ui->rbtnSelected)->setChecked(true);
    (both == 1 ? ui->rbtnAnyMatch : ui->rbtnAllMatch)->setChecked(true);
    (sameNum == 1 ? ui->rbtnSameNumSkip : ui->rbtnSameNumAdd)->setChecked(true);
    (sameCustom == 0 ? ui->rbtnCustomOverwrite : ui->rbtnCustomSkip)->setChecked(true);
    applyTargets();
    applyDataChoice(); // shows the range and the count
}

void TAddressCopy::fillBooks()
{
    // Every other book not pending deletion, in list order; the chosen one
    // stays chosen while it is listed.
    const QListWidgetItem* chosen = ui->lbxAdrsBook->currentItem();
    const QString name = chosen ? chosen->text() : QString();
    ui->lbxAdrsBook->clear();
    for (const TAdrsFolderInfo& book : AdrsBookList)
        if (book.Name != AdrsName && book.State != 1)
            ui->lbxAdrsBook->addItem(book.Name);
    const QList<QListWidgetItem*> again = ui->lbxAdrsBook->findItems(name, Qt::MatchExactly);
    if (!again.isEmpty())
        ui->lbxAdrsBook->setCurrentItem(again.front());
    else if (ui->lbxAdrsBook->count() > 0)
        ui->lbxAdrsBook->setCurrentRow(0);
}

void TAddressCopy::BookChanged()
{
    BuildAdrsBookList();
    fillBooks();
    UpdateCopyCount();
}

void TAddressCopy::saveOptions()
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("DataSelect"), dataChoice());
    ini.WriteInteger(kSection, QStringLiteral("BeginPos"), beginPos_);
    ini.WriteInteger(kSection, QStringLiteral("EndPos"), endPos_);
    ini.WriteBool(kSection, QStringLiteral("Tel"), ui->chkTel->isChecked());
    ini.WriteBool(kSection, QStringLiteral("Fax"), ui->chkFax->isChecked());
    ini.WriteBool(kSection, QStringLiteral("Portable1"), ui->chkPortable1->isChecked());
    ini.WriteBool(kSection, QStringLiteral("Portable2"), ui->chkPortable2->isChecked());
    ini.WriteInteger(kSection, QStringLiteral("BothType"), ui->rbtnAnyMatch->isChecked() ? 1 : 0);
    ini.WriteInteger(kSection, QStringLiteral("SameNumCheck"), ui->rbtnSameNumSkip->isChecked() ? 1 : 0);
    ini.WriteInteger(kSection, QStringLiteral("SameCustomCheck"), ui->rbtnCustomOverwrite->isChecked() ? 0 : 1);
    ini.WriteBool(kSection, QStringLiteral("SameAddDateTime"), ui->chkSameAddDateTime->isChecked());
    ini.WriteBool(kSection, QStringLiteral("SameUpdDateTime"), ui->chkSameUpdDateTime->isChecked());
    ini.UpdateFile();
}

void TAddressCopy::savePosition()
{
    TIniFile ini(SettingsFileName());
    ini.WriteInteger(kSection, QStringLiteral("Left"), ScaleForDpi(x(), false));
    ini.WriteInteger(kSection, QStringLiteral("Top"), ScaleForDpi(y(), false));
    ini.UpdateFile();
}

// ---------------------------------------------------------------- controls

int TAddressCopy::dataChoice() const
{
    return ui->rbtnRange->isChecked() ? 1 : ui->rbtnAll->isChecked() ? 2 : 0;
}

void TAddressCopy::applyDataChoice()
{
    const bool range = dataChoice() == 1;
    for (QWidget* w : std::initializer_list<QWidget*>{ui->edtBegin, ui->edtEnd, ui->lblBegin, ui->lblEnd})
        w->setEnabled(range);
    // Disabled edits in the button-face colour, enabled ones in the window colour.
    for (TNumEdit* e : {ui->edtBegin, ui->edtEnd}) {
        QPalette p = e->palette();
        p.setColor(QPalette::Base, palette().color(range ? QPalette::Base : QPalette::Button));
        e->setPalette(p);
    }
    showCount();
}

void TAddressCopy::applyTargets()
{
    const int ticked = int(ui->chkTel->isChecked()) + int(ui->chkFax->isChecked()) +
                       int(ui->chkPortable1->isChecked()) + int(ui->chkPortable2->isChecked());
    ui->rbtnSameNumAdd->setEnabled(ticked > 0);
    ui->rbtnSameNumSkip->setEnabled(ticked > 0);
    ui->rbtnAllMatch->setEnabled(ticked >= 2);
    ui->rbtnAnyMatch->setEnabled(ticked >= 2);
}

void TAddressCopy::applyDateBoxes() { ui->chkSameUpdDateTime->setEnabled(ui->chkSameAddDateTime->isChecked()); }

void TAddressCopy::resetRange()
{
    shownRows_ = list_.GetRecordCount();
    lowest_ = shownRows_ > 0 ? 1 : 0;
    highest_ = shownRows_;
    beginPos_ = lowest_;
    endPos_ = highest_;
}

void TAddressCopy::UpdateCopyCount()
{
    if (list_.GetRecordCount() != shownRows_)
        resetRange();
    showCount();
}

int TAddressCopy::CopyCount() const
{
    switch (dataChoice()) {
    case 1: return beginPos_ == 0 ? 0 : endPos_ - beginPos_ + 1;
    case 2: return list_.GetRecordCount();
    default: return list_.GetSelCount();
    }
}

void TAddressCopy::showCount()
{
    for (auto [edit, value] : {std::pair{ui->edtBegin, beginPos_}, std::pair{ui->edtEnd, endPos_}}) {
        const QSignalBlocker block(edit);
        edit->setRange(lowest_, highest_);
        edit->setValue(value);
    }
    showCountOf(CopyCount());
}

void TAddressCopy::showCountOf(int count)
{
    ui->lblCount->setText(QString::number(count) + QStringLiteral(" 件"));
    ui->btnCopy->setEnabled(count != 0);
}

namespace {
// One end of the range set to a value: the other end follows when it would
// be passed (a start above the end pushes the end up to it, and back).
void setRangeEnd(bool isBegin, int value, int& begin, int& end)
{
    if (isBegin) {
        begin = value;
        end = std::max(end, value);
    } else {
        end = value;
        begin = std::min(begin, value);
    }
}
} // namespace

void TAddressCopy::rangeTyped(bool isBegin, const QString& text)
{
    // The count follows each change typed, as the range will be once the
    // value is taken on leaving the edit (a start above the end pushes the
    // end up to it); a value not taken leaves the range's own count.
    if (dataChoice() != 1)
        return;
    int begin = beginPos_, end = endPos_;
    const int typed = TNumEdit::ParseNonNegative(text);
    if (typed >= 1 && typed >= lowest_ && typed <= highest_)
        setRangeEnd(isBegin, typed, begin, end);
    showCountOf(begin == 0 ? 0 : end - begin + 1);
}

void TAddressCopy::rangeEdited(bool isBegin)
{
    setRangeEnd(isBegin, (isBegin ? ui->edtBegin : ui->edtEnd)->value(), beginPos_, endPos_);
    showCount();
}

bool TAddressCopy::eventFilter(QObject* watched, QEvent* event)
{
    // A typed range value is tested before the edit takes it: empty, not
    // only single-byte digits, or outside the shown rows puts back the value
    // it had (the spin box itself would clamp it).
    auto* edit = qobject_cast<TNumEdit*>(watched);
    if (edit && (event->type() == QEvent::FocusOut ||
                 (event->type() == QEvent::KeyPress &&
                  (static_cast<QKeyEvent*>(event)->key() == Qt::Key_Return ||
                   static_cast<QKeyEvent*>(event)->key() == Qt::Key_Enter)))) {
        const int typed = TNumEdit::ParseNonNegative(edit->text());
        if (typed < lowest_ || typed > highest_ || typed < 1) {
            const QSignalBlocker block(edit);
            if (auto* line = edit->findChild<QLineEdit*>())
                line->setText(QString::number(edit == ui->edtBegin ? beginPos_ : endPos_));
        }
    }
    return QWidget::eventFilter(watched, event);
}

// ---------------------------------------------------------------- window frame

void TAddressCopy::bringModalForward()
{
    QWidget* modal = QApplication::activeModalWidget();
    if (!modal || modal == this)
        return;
    modal->raise();
    modal->activateWindow();
}

void TAddressCopy::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    // While a modal window of the program is open, this window hands the
    // activation to it instead of standing in front of it.
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        bringModalForward();
}

// ---------------------------------------------------------------- copy

TAdrsCopyOptions TAddressCopy::options() const
{
    TAdrsCopyOptions o;
    o.Tel = ui->chkTel->isChecked();
    o.Fax = ui->chkFax->isChecked();
    o.Portable1 = ui->chkPortable1->isChecked();
    o.Portable2 = ui->chkPortable2->isChecked();
    o.BothType = ui->rbtnAnyMatch->isChecked() ? 1 : 0;
    o.SameNumCheck = ui->rbtnSameNumSkip->isChecked() ? 1 : 0;
    o.SameCustomCheck = ui->rbtnCustomOverwrite->isChecked() ? 0 : 1;
    o.SameAddDateTime = ui->chkSameAddDateTime->isChecked();
    o.SameUpdDateTime = ui->chkSameUpdDateTime->isChecked();
    return o;
}

std::vector<int> TAddressCopy::rowsToCopy() const
{
    std::vector<int> recNos;
    int first = 0, last = -1;
    switch (dataChoice()) {
    case 0:
        first = list_.GetSelectedIndex();
        last = first < 0 ? -1 : list_.GetLastSelectedIndex();
        break;
    case 1:
        first = beginPos_ - 1;
        last = beginPos_ == 0 ? -1 : endPos_ - 1;
        break;
    default:
        last = list_.GetRecordCount() - 1;
        break;
    }
    recNos.reserve(size_t(std::max(0, last - first + 1)));
    for (int i = std::max(first, 0); i <= last; ++i)
        if (dataChoice() != 0 || list_.IsSelected(i))
            recNos.push_back(list_.GetRecNo(i));
    return recNos;
}

void TAddressCopy::CopyClick()
{
    QListWidgetItem* book = ui->lbxAdrsBook->currentItem();
    if (!book) {
        ShowMessage(this, lines({QStringLiteral("コピー先のアドレス帳を選択してください")}), MB_OK | MB_ICONINFORMATION);
        ui->lbxAdrsBook->setFocus();
        return;
    }
    const QString name = book->text();
    // The open book is copied from its file as it stands in its folder: one
    // whose folder went (deleted or renamed outside the program) is no
    // longer the book, though the program still holds the file.
    if (DMTelvora21 && DMTelvora21->AdrsTable().Active()
        && !QFileInfo::exists(DMTelvora21->AdrsTable().FileName())) {
        ShowMessage(this,
                    lines({QStringLiteral("コピー元のアドレス帳が見つかりません"),
                           QStringLiteral("開いているアドレス帳のフォルダが削除されたか、名前が変えられています"),
                           QStringLiteral("アドレス帳：%1").arg(AdrsName)}),
                    MB_OK | MB_ICONWARNING);
        return;
    }
    // The books are read again: the list may be older than a book deleted
    // or renamed outside the program, or the main window's last change of book.
    const int listed = IndexOfAdrsBook(name);
    const QString folder = listed >= 0 ? AdrsBookList[size_t(listed)].Folder : name;
    BuildAdrsBookList();
    const int at = IndexOfAdrsBook(name);
    if (at < 0 || AdrsBookList[size_t(at)].State == 1 || name == AdrsName || !DMTelvora21) {
        ShowMessage(this,
                    at < 0 ? lines({QStringLiteral("コピー先のアドレス帳が見つかりません"), goneCause(folder),
                                    QStringLiteral("アドレス帳：%1").arg(name)})
                           : lines({QStringLiteral("このアドレス帳にはコピーできません"),
                                    name == AdrsName ? QStringLiteral("開いているアドレス帳です")
                                                     : QStringLiteral("削除の予定になっています"),
                                    QStringLiteral("アドレス帳：%1").arg(name)}),
                    MB_OK | MB_ICONWARNING);
        fillBooks();
        return;
    }
    // The rows may have changed since the count was shown: the range is
    // taken against the rows shown now.
    UpdateCopyCount();
    if (CopyCount() == 0) {
        ShowMessage(this, lines({QStringLiteral("コピーするデータがありません")}), MB_OK | MB_ICONINFORMATION);
        return;
    }
    if (ShowMessage(this,
                    lines({QStringLiteral("アドレス帳のデータを、指定した他のアドレス帳にコピーします"),
                           QStringLiteral("よろしいですか？")}),
                    MB_YESNO | MB_ICONQUESTION) != IDYES)
        return;
    if (ui->rbtnCustomOverwrite->isChecked() &&
        ShowMessage(this,
                    lines({QStringLiteral("コピー先のアドレス帳に、同じ顧客コードのデータが見つかった場合に"),
                           QStringLiteral("そのデータを上書きしてしまう設定ですが、よろしいですか？")}),
                    MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2) != IDYES)
        return;
    std::optional<THourglass> hourglass(std::in_place);
    const int count = CopyCount();
    ui->pbProgress->setRange(0, std::max(count, 1));
    ui->pbProgress->setValue(0);
    repaint();

    if (!OpenSubAdrsTable(*DMTelvora21, AdrsBookList[size_t(at)].Folder, this))
        return; // the message has been shown; nothing copied
    counts_ = {};
    {
        TAdrsCopyEngine engine(DMTelvora21->AdrsTable(), *DMTelvora21->SubAdrsTable(), options());
        int step = 0;
        engine.OnStep = [&] {
            ui->pbProgress->setValue(++step);
            if (step % 500 == 0) // the run holds the event loop: paint the bar now and then
                ui->pbProgress->repaint();
        };
        engine.OnLimit = [this] {
            ShowMessage(this, lines({QStringLiteral("最大登録件数10万件に達しました"), QStringLiteral("これ以上登録できません")}),
                        MB_OK | MB_ICONINFORMATION);
        };
        counts_ = engine.Run(rowsToCopy());
    }
    DMTelvora21->CloseSubAdrsTable();
    saveOptions();

    // Records lost to a destination that could not be written are told with
    // the cause on a line of its own, not as a completed copy.
    const bool written = !counts_.WriteError && counts_.WriteFault == TAdrsCopyWriteFault::None;
    QStringList summary;
    if (written)
        summary << QStringLiteral("アドレス帳のコピーが完了しました");
    else
        summary << (counts_.WriteError ? QStringLiteral("コピー先のアドレス帳に書き込めないため、コピーを中止しました")
                                       : QStringLiteral("コピー先のアドレス帳に書き込めなかったデータがあります"))
                << writeFaultCause(counts_.WriteFault) << QStringLiteral("アドレス帳：%1").arg(name);
    summary << QString() << QStringLiteral("対象件数 : \t%1 件").arg(count)
            << QStringLiteral("登録件数 : \t%1 件").arg(counts_.Registered);
    if (counts_.Overwritten > 0)
        summary << QStringLiteral("上書き件数 : \t%1 件").arg(counts_.Overwritten);
    if (counts_.NotProcessed > 0)
        summary << QStringLiteral("未処理件数 : \t%1 件").arg(counts_.NotProcessed);
    if (counts_.Failed > 0)
        summary << QStringLiteral("エラー件数 : \t%1 件").arg(counts_.Failed);
    QStringList out;
    for (const QString& l : summary)
        out << l + QStringLiteral("  ");
    hourglass.reset();
    ShowMessage(this, out.join(QStringLiteral("\r\n")), MB_OK | (written ? MB_ICONINFORMATION : MB_ICONWARNING));
    close();
}
