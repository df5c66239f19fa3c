#include "listing_search/TntNameDic.h"

#include "listing_search/SkkDictionary.h"
#include "core/Folders.h"
#include "platform/ui/MessageBox.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListWidget>
#include <QRadioButton>
#include <QVBoxLayout>

TTntNameDic::TTntNameDic(QWidget* owner)
    : QFrame(owner, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus)
{
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setFrameStyle(QFrame::Box | QFrame::Plain);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    auto* modes = new QHBoxLayout;
    rbFamily_ = new QRadioButton(QStringLiteral("姓"), this);
    rbFamily_->setObjectName(QStringLiteral("rbFamily"));
    rbGiven_ = new QRadioButton(QStringLiteral("名"), this);
    rbGiven_->setObjectName(QStringLiteral("rbGiven"));
    for (QRadioButton* rb : {rbFamily_, rbGiven_}) {
        rb->setFocusPolicy(Qt::NoFocus);
        modes->addWidget(rb);
    }
    modes->addStretch();
    layout->addLayout(modes);
    lstNames_ = new QListWidget(this);
    lstNames_->setObjectName(QStringLiteral("lstNames"));
    lstNames_->setFocusPolicy(Qt::NoFocus);
    layout->addWidget(lstNames_);
    resize(220, 200);

    // A kind picked in the popup holds for the lookups that follow.
    connect(rbFamily_, &QRadioButton::clicked, this, [this] {
        fixedMode_ = 0;
        FillCandidates(CountNames(reading_, 0));
    });
    connect(rbGiven_, &QRadioButton::clicked, this, [this] {
        fixedMode_ = 1;
        FillCandidates(CountNames(reading_, 1));
    });
    connect(lstNames_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { Choose(lstNames_->row(item)); });
}

TTntNameDic::~TTntNameDic() = default;

void TTntNameDic::SetFolders(const QString&, const QString&)
{
    // The readings come from the system's SKK dictionary, not from the
    // program's folders.
}

void TTntNameDic::SetHighlightColor(const QColor& color)
{
    QPalette pal = lstNames_->palette();
    pal.setColor(QPalette::Highlight, color);
    pal.setColor(QPalette::Inactive, QPalette::Highlight, color);
    lstNames_->setPalette(pal);
}

bool TTntNameDic::Initialize()
{
    TNameDictionary& dic = TNameDictionary::Shared();
    if (dic.Ready())
        return true;
    if (!reported_) {
        reported_ = true;
        ShowMessage(parentWidget(), DictionaryMissingMessage(dic.Path()), MB_ICONERROR);
    }
    return false;
}

int TTntNameDic::CountNames(const QString& reading, int givenNameMode)
{
    reading_ = reading;
    mode_ = givenNameMode;
    candidates_ = TNameDictionary::Shared().Find(reading, givenNameMode == 1);
    return int(candidates_.size());
}

void TTntNameDic::SetGivenNameMode(int mode)
{
    mode_ = mode;
    (mode == 1 ? rbGiven_ : rbFamily_)->setChecked(true);
}

void TTntNameDic::FillCandidates(int count)
{
    lstNames_->clear();
    for (int i = 0; i < count && i < int(candidates_.size()); ++i)
        lstNames_->addItem(candidates_[i].Name + QStringLiteral("  ") + candidates_[i].Reading);
    if (lstNames_->count() > 0)
        lstNames_->setCurrentRow(0);
    if (count <= 0)
        hide();
}

void TTntNameDic::ShowUnder(QWidget* edit)
{
    move(edit->mapToGlobal(QPoint(0, edit->height())));
    show();
}

bool TTntNameDic::ProcessKey(int key)
{
    if (!isVisible() || lstNames_->count() == 0)
        return false;
    const int row = lstNames_->currentRow();
    switch (key) {
    case Qt::Key_Down:
        lstNames_->setCurrentRow(std::min(row + 1, lstNames_->count() - 1));
        return true;
    case Qt::Key_Up:
        lstNames_->setCurrentRow(std::max(row - 1, 0));
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        Choose(row);
        return true;
    case Qt::Key_Escape:
        hide();
        return true;
    default:
        return false;
    }
}

void TTntNameDic::Choose(int row)
{
    if (row < 0 || row >= int(candidates_.size()))
        return;
    chosenName_ = candidates_[row].Name;
    chosenReading_ = candidates_[row].Reading;
    // The owner takes the name once the key that chose it is done with.
    QMetaObject::invokeMethod(
        this, [this, name = chosenName_, reading = chosenReading_] { emit nameChosen(name, reading); },
        Qt::QueuedConnection);
}

bool TTntNameDic::OfferNames(const QString& reading, int mode, int tag, QWidget* under)
{
    const int count = CountNames(reading, mode);
    if (count <= 0) {
        hide();
        return false;
    }
    SetGivenNameMode(mode);
    SetTag(tag);
    FillCandidates(count);
    ShowUnder(under);
    return true;
}

TTntNameDic* MakeNameDic(QWidget* owner)
{
    auto* dic = new TTntNameDic(owner);
    dic->setObjectName(QStringLiteral("NameDic"));
    dic->SetFolders(AppPath(), AppPath() + QStringLiteral("Dic/"));
    dic->SetHighlightColor(Qt::blue);
    dic->Initialize();
    return dic;
}
