#include "listing_search/DicSch.h"

#include "core/Folders.h"
#include "listing_search/ContinualAdrsSearch.h"
#include "listing_search/ListingSource.h"
#include "listing_search/SkkDictionary.h"
#include "platform/ui/MessageBox.h"
#include "ui_DicSch.h"

#include <QApplication>

namespace {

TBookTelLookup& BookTelLookup()
{
    static TBookTelLookup lookup;
    return lookup;
}

// Widths in bytes of the lookup result's city and town.
constexpr int kDicCityBytes = 40;
constexpr int kDicTownBytes = 140;

TDicAdrsRecord FromPostal(const TPostalEntry& e)
{
    TDicAdrsRecord r;
    r.PostalCode = e.Code;
    const TAddressParts parts = TPostalDictionary::Shared().Split(e.Address);
    r.Tdfkn = parts.Tdfkn;
    r.City = FitToField(parts.City, kDicCityBytes);
    r.Town = FitToField(parts.Town, kDicTownBytes);
    return r;
}

} // namespace

TDicAdrsRecord TDicAdrsRecord::FromListing(const TListingDetail& d)
{
    TDicAdrsRecord r;
    r.Tel = d.Tel;
    r.TelKind = d.TelKind;
    r.PubDate = d.PubDate.left(6);
    r.PostalCode = d.PostalCode;
    r.Tdfkn = d.Tdfkn;
    r.City = d.City;
    r.Town = d.Town;
    r.Rest = d.Adrs2 + d.Adrs3;
    r.AdrsKana = d.JoinedReading();
    r.JisCode = d.JisCode();
    r.KajoCode = d.KajoCode();
    r.Latitude = d.LatitudeMs();
    r.Longitude = d.LongitudeMs();
    r.Person = d.IsPerson() ? 1 : 0;
    r.Name = d.Name;
    r.NameKana = d.NameKana;
    r.CtgryMain = d.CategoryMain();
    r.CtgrySub = d.CategorySub();
    return r;
}

TDicAdrsRecord TDicAdrsRecord::FittedToRecord() const
{
    TDicAdrsRecord r = *this;
    r.Tdfkn = FitToField(Tdfkn, field_width::Tdfkn);
    QString* lines[] = {&r.City, &r.Town, &r.Rest};
    const int widths[] = {field_width::Adrs1, field_width::Adrs2, field_width::Adrs3};
    QString carried;
    for (int i = 0; i < 3; ++i) {
        const QString text = carried + *lines[i];
        *lines[i] = FitToField(text, widths[i]);
        carried = text.mid(lines[i]->size());
    }
    r.JisCode = FitToField(JisCode, field_width::JisCode);
    r.KajoCode = FitToField(KajoCode, field_width::KajoCode);
    return r;
}

TDicSearch::TDicSearch(QWidget* owner) : QDialog(owner), ui(new Ui::TDicSearch)
{
    ui->setupUi(this);
    // The postal codes take a moment to read: start now, wait only when needed.
    TPostalDictionary::Shared().Preload();
    connect(ui->btnSearch, &QPushButton::clicked, this, &TDicSearch::SearchClicked);
    connect(ui->btnOk, &QPushButton::clicked, this, &TDicSearch::accept);
    connect(ui->btnCancel, &QPushButton::clicked, this, &TDicSearch::reject);
    connect(ui->lvResult, &QTreeWidget::itemActivated, this, &TDicSearch::accept);
    for (QLineEdit* e : {ui->edtTel, ui->edtPos, ui->edtAdrs})
        connect(e, &QLineEdit::returnPressed, this, &TDicSearch::SearchClicked);
    CenterFormOnOwner(this, owner);
}

TDicSearch::~TDicSearch() = default;

void TDicSearch::SetBookTelLookup(TBookTelLookup lookup) { BookTelLookup() = std::move(lookup); }

void TDicSearch::SetSearchKinds(int mask, int flag)
{
    mask_ = mask;
    flag_ = flag;
    for (int i = 0; i < 3; ++i)
        ui->pcDic->setTabEnabled(i, (mask & (1 << i)) != 0);
}

int TDicSearch::StartSearch(int kind, const QString& key)
{
    if (kind < kTel || kind > kAddress || !(mask_ & (1 << kind)))
        return 2;
    ui->pcDic->setCurrentIndex(kind);
    QLineEdit* edits[] = {ui->edtTel, ui->edtPos, ui->edtAdrs};
    edits[kind]->setText(key);
    Lookup(kind, key);
    if (candidates_.empty())
        return 2;
    if (candidates_.size() == 1) {
        Choose(candidates_.front());
        return 1;
    }
    return 0;
}

void TDicSearch::SearchClicked()
{
    const int kind = ui->pcDic->currentIndex();
    QLineEdit* edits[] = {ui->edtTel, ui->edtPos, ui->edtAdrs};
    Lookup(kind, edits[kind]->text());
    ui->lblStatus->setText(candidates_.empty() ? QStringLiteral("該当するデータはありません") : QString());
}

void TDicSearch::Lookup(int kind, const QString& key)
{
    candidates_.clear();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    if (kind == kTel) {
        std::vector<TListingDetail> listings;
        ListingSource().TelLookup(key, listings);
        for (const TListingDetail& d : listings) {
            Candidate c;
            c.kind = d.IsPerson() ? kResultPersonTel : kResultTel;
            c.record = TDicAdrsRecord::FromListing(d);
            c.columns = {QStringLiteral("掲載"), d.Tel, d.Tdfkn + d.City + d.JoinedAddress(), d.Name};
            candidates_.push_back(std::move(c));
        }
        if ((flag_ & 1) && (mask_ & 8) && BookTelLookup() && !DigitsOf(key).isEmpty()) {
            for (const TBookTelMatch& m : BookTelLookup()(DigitsOf(key))) {
                Candidate c;
                c.kind = kResultBook;
                c.recNo = m.RecNo;
                c.columns = {QStringLiteral("アドレス帳"), key, m.Address, m.Name};
                candidates_.push_back(std::move(c));
            }
        }
    } else {
        TPostalDictionary& dic = TPostalDictionary::Shared();
        if (!dic.Ready()) {
            QApplication::restoreOverrideCursor();
            if (!missingReported_) {
                missingReported_ = true;
                ShowMessage(ownerWnd_ ? ownerWnd_ : parentWidget(), DictionaryMissingMessage(dic.Path()), MB_ICONERROR);
            }
            FillList();
            return;
        }
        const std::vector<TPostalEntry> entries = kind == kPostal ? dic.FindByCode(key) : dic.FindByAddress(key);
        for (const TPostalEntry& e : entries) {
            Candidate c;
            c.kind = kind == kPostal ? kResultPostal : kResultAddress;
            c.record = FromPostal(e);
            c.columns = {QStringLiteral("郵便番号"), e.Code.left(3) + u'-' + e.Code.mid(3), e.Address, QString()};
            candidates_.push_back(std::move(c));
        }
    }
    QApplication::restoreOverrideCursor();
    FillList();
}

void TDicSearch::FillList()
{
    ui->lvResult->clear();
    QList<QTreeWidgetItem*> items;
    for (const Candidate& c : candidates_)
        items << new QTreeWidgetItem(c.columns);
    ui->lvResult->addTopLevelItems(items);
    for (int c = 0; c < ui->lvResult->columnCount() - 1; ++c)
        ui->lvResult->resizeColumnToContents(c);
    if (!items.isEmpty())
        ui->lvResult->setCurrentItem(items.front());
}

void TDicSearch::Choose(const Candidate& c)
{
    resultKind_ = c.kind;
    selectedRecNo_ = c.kind == kResultBook ? c.recNo : -1;
    record_ = c.record;
    if (c.kind == kResultPostal || c.kind == kResultAddress) {
        // The codes come from the listing data where it has the place.
        TContinualAdrsSearch parser{AppPath(), AppPath() + QStringLiteral("Dic/")};
        if (parser.Search(record_.Tdfkn + record_.City + record_.Town) == 0) {
            const TContinualAdrsResult r = parser.GetResult(0);
            record_.JisCode = r.JisCode;
            record_.KajoCode = r.KajoCode;
        }
    }
}

void TDicSearch::accept()
{
    const int row = ui->lvResult->indexOfTopLevelItem(ui->lvResult->currentItem());
    if (row < 0 || row >= int(candidates_.size()))
        return;
    Choose(candidates_[row]);
    done(1);
}

void TDicSearch::reject() { done(2); }
