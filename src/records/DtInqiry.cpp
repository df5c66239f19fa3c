// The record window: its making, its settings and its life on the screen.
// What it does is kept by concern in the units beside this one: the controls
// as values (DtInqiryControls), the input's own behaviour (DtInqiryInput),
// modes and navigation (DtInqiryNavigation), checking and writing
// (DtInqiryWrite), the lookups (DtInqiryLookup), the item copy
// (DtInqiryCopy).

#include "records/DtInqiry.h"

#include "ui_DtInqiry.h"
#include "records/DtInqiryUnits.h"

#include "core/Folders.h"
#include "platform/ui/DialogKit.h"
#include "platform/IniFile.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QTimer>

// The glyphs are the platform UI library's shared resource, registered at
// start; registering them again here is harmless.
static void InitRecordGlyphs()
{
    Q_INIT_RESOURCE(Glyphs);
}

QPointer<TDataInquiry> DataInquiry;

using namespace dtinquiry;

namespace {

const QString kSection = QStringLiteral("DATA INQUIRY");

QString IniPath()
{
    return DataFolder() + QStringLiteral("Telvora21.ini");
}

} // namespace

TDataInquiry::TDataInquiry(QWidget* parent)
    : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TDataInquiry>())
{
    InitRecordGlyphs();
    ui->setupUi(this);
    setAttribute(Qt::WA_DeleteOnClose);
    DataInquiry = this;

    ConnectInput();

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
    connect(ui->bbtnGetJisCode, &QPushButton::clicked, this, [this] { GetJisCodeClick(); });
    ConnectNameEdits();
    connect(ui->btnCopy, &QPushButton::clicked, this, &TDataInquiry::CopyItemsClick);
    connect(ui->bbtnCopySetting, &QPushButton::clicked, this, &TDataInquiry::CopySettingClick);

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
    const int left = ini.ReadInteger(kSection, QStringLiteral("Left"), area.left() + (area.width() - width()) / 2);
    const int top = ini.ReadInteger(kSection, QStringLiteral("Top"), area.top() + (area.height() - height()) / 2);
    // A position saved on a larger or another screen still opens in sight.
    PlaceWindowOnScreen(this, QPoint(left, top));
    ui->chkContinualAdd->setChecked(ini.ReadBool(kSection, QStringLiteral("ContinualAdd"), false));
    LoadCopySettings();
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
    RefreshGroupList();
    FillCategoryMain();
    FillCategorySub(0, 0);
    CheckMyNumbers(kAllMyNumbers);
    FillHistoryLists();
    RefreshSenderList();
    ShowCommonMyNumber();
    UpdateCooperateHints();
    ApplyAdminMode();
    ApplyKeywordNames();
    ApplyKeywordModes();
    ApplyProtectMemoNames();
    ApplyProtectMemoModes();
    ui->sbtnPriv->setChecked(true);
    ApplyPrivCorp();
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
    QTimer::singleShot(0, this, [this] { StartNewInputLookup(); });
}

void TDataInquiry::closeEvent(QCloseEvent* event)
{
    if (ConfirmSaveChanges(1, true) == TSaveResult::Cancelled) {
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
