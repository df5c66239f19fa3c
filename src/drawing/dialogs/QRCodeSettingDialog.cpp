#include "drawing/dialogs/QRCodeSettingDialog.h"

#include "core/DBInfo.h"
#include "core/Folders.h"
#include "core/SenderRecord.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "core/ui/TntNMDEdit.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "listing_search/TntNameDic.h"
#include "platform/Canvas.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SqlTable.h"
#include "platform/ui/ColorDialog.h"
#include "platform/ui/MessageBox.h"

#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSizeGrip>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace {

const QString kSection = QStringLiteral("DESIGN");
constexpr int kNotStored = 32767;

QString Digits(const QString& s)
{
    QString out;
    for (QChar c : s)
        if (c >= u'0' && c <= u'9')
            out += c;
    return out;
}

// A memo's lines are stored with CR LF, as a typed memo always had them.
QByteArray MemoBytes(const QString& text)
{
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    t.replace(u'\n', QStringLiteral("\r\n"));
    return cp932::Encode(t);
}

QString MemoText(const QByteArray& bytes)
{
    QString t = cp932::Decode(bytes);
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return t;
}

// The non-empty values of a pair, packed to the front.
std::array<QByteArray, 2> Packed(const QByteArray& a, const QByteArray& b)
{
    if (a.isEmpty())
        return {b, QByteArray()};
    return {a, b};
}

QLineEdit* LimitedEdit(QWidget* parent, const char* name, int limit)
{
    auto* e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    e->setMaxLength(limit);
    return e;
}

} // namespace

// The work copy drawn at (0, 0), its own size.
class TQRCodeSettingDialog::TPreview : public QWidget {
public:
    TPreview(TQRCodeSettingDialog* dialog, QWidget* parent) : QWidget(parent), dialog_(dialog) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        TCanvas canvas(p);
        dialog_->work_->Draw(&canvas, 0, 0);
    }

private:
    TQRCodeSettingDialog* dialog_;
};

TQRCodeSettingDialog::TQRCodeSettingDialog(QWidget* owner) : TModalDialog(owner)
{
    setWindowTitle(QStringLiteral("QRコードの設定"));
    work_ = std::make_unique<TQRCodeRect>();
    work_->SetWorkFolder(DataFolder());
    build();

    setMinimumSize(ScaleForDpi(kMinWidth, true), ScaleForDpi(kMinHeight, true));
    int width = kNotStored, height = kNotStored;
    if (const QString file = DrawingSettingsFile(); !file.isEmpty()) {
        TIniFile ini(file);
        width = ini.ReadInteger(kSection, QStringLiteral("QRWidth"), kNotStored);
        height = ini.ReadInteger(kSection, QStringLiteral("QRHeight"), kNotStored);
    }
    if (width != kNotStored && height != kNotStored)
        resize(ScaleForDpi(std::max(width, kMinWidth), true), ScaleForDpi(std::max(height, kMinHeight), true));
    else
        resize(minimumSize());
    loadSenders();
}

TQRCodeSettingDialog::~TQRCodeSettingDialog() = default;

void TQRCodeSettingDialog::build()
{
    QGroupBox* kind = buildKindBox();
    buildCarrierBox();
    QGroupBox* content = buildContentBox();
    QGroupBox* view = buildViewBox();
    buildPreview();
    buildButtons();

    auto* left = new QVBoxLayout;
    left->addWidget(kind);
    left->addWidget(gbxCarrier);
    left->addWidget(content, 1);
    auto* right = new QVBoxLayout;
    right->addWidget(view);
    right->addWidget(sbxPreview, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnRefresh);
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    buttons->addWidget(pnlGrip, 0, Qt::AlignBottom | Qt::AlignRight);
    auto* main = new QGridLayout(this);
    main->addLayout(left, 0, 0);
    main->addLayout(right, 0, 1);
    main->addLayout(buttons, 1, 0, 1, 2);
    main->setColumnStretch(0, 1);
    main->setColumnStretch(1, 1);

    enter_ = ApplyDialogConventions(this);
    enter_->SetNext(edSize, btnOK);
    rbText->setChecked(true);
    rbDocomo->setChecked(true);
    udSize->setValue(3);
    edSize->setText(QStringLiteral("3"));
}

// 種類: a text, a phone-book entry or a mail.
QGroupBox* TQRCodeSettingDialog::buildKindBox()
{
    auto* kind = new QGroupBox(QStringLiteral("種類"), this);
    rbText = new QRadioButton(QStringLiteral("文章"), kind);
    rbAddress = new QRadioButton(QStringLiteral("電話帳登録"), kind);
    rbMail = new QRadioButton(QStringLiteral("メール作成"), kind);
    auto* kindLayout = new QHBoxLayout(kind);
    int tag = 0;
    for (QRadioButton* rb : {rbText, rbAddress, rbMail}) {
        rb->setProperty("tag", tag++);
        kindLayout->addWidget(rb);
        connect(rb, &QRadioButton::toggled, this, [this](bool on) {
            if (on)
                kindChosen();
        });
    }
    rbText->setObjectName(QStringLiteral("rbText"));
    rbAddress->setObjectName(QStringLiteral("rbAddress"));
    rbMail->setObjectName(QStringLiteral("rbMail"));
    return kind;
}

// キャリア: the form a phone-book entry or a mail takes.
void TQRCodeSettingDialog::buildCarrierBox()
{
    gbxCarrier = new QGroupBox(QStringLiteral("キャリア"), this);
    rbDocomo = new QRadioButton(QStringLiteral("docomo"), gbxCarrier);
    rbDocomo->setObjectName(QStringLiteral("rbDocomo"));
    rbDocomo->setProperty("tag", 0);
    rbSoftBank = new QRadioButton(QStringLiteral("SoftBank"), gbxCarrier);
    rbSoftBank->setObjectName(QStringLiteral("rbSoftBank"));
    rbSoftBank->setProperty("tag", 1);
    lblInfo = new QLabel(QStringLiteral("※auはどちらの仕様にも対応しています"), gbxCarrier);
    lblInfo->setObjectName(QStringLiteral("lblInfo"));
    auto* carrierLayout = new QHBoxLayout(gbxCarrier);
    carrierLayout->addWidget(rbDocomo);
    carrierLayout->addWidget(rbSoftBank);
    carrierLayout->addWidget(lblInfo, 1);
}

// 内容: one page of edits a kind.
QGroupBox* TQRCodeSettingDialog::buildContentBox()
{
    auto* content = new QGroupBox(QStringLiteral("内容"), this);
    pgcContent = new QStackedWidget(content);
    auto* contentLayout = new QVBoxLayout(content);
    contentLayout->addWidget(pgcContent);
    pgcContent->addWidget(buildTextPage());
    pgcContent->addWidget(buildPhonePage());
    pgcContent->addWidget(buildMailPage());
    return content;
}

QWidget* TQRCodeSettingDialog::buildTextPage()
{
    auto* textPage = new QWidget;
    auto* textLayout = new QGridLayout(textPage);
    memText = new QPlainTextEdit(textPage);
    memText->setObjectName(QStringLiteral("memText"));
    bbtnTelHeader = new QPushButton(QStringLiteral("「TEL:」を付加"), textPage);
    bbtnTelHeader->setObjectName(QStringLiteral("bbtnTelHeader"));
    bbtnTelHeader->setProperty("tag", 0);
    bbtnURLHeader = new QPushButton(QStringLiteral("「http://」を付加"), textPage);
    bbtnURLHeader->setObjectName(QStringLiteral("bbtnURLHeader"));
    bbtnURLHeader->setProperty("tag", 1);
    textLayout->addWidget(new QLabel(QStringLiteral("文章："), textPage), 0, 0, 1, 2);
    textLayout->addWidget(memText, 1, 0, 1, 2);
    textLayout->addWidget(bbtnTelHeader, 2, 0);
    textLayout->addWidget(bbtnURLHeader, 2, 1);
    connect(bbtnTelHeader, &QPushButton::clicked, this, [this] { insertHeader(0); });
    connect(bbtnURLHeader, &QPushButton::clicked, this, [this] { insertHeader(1); });
    return textPage;
}

// The phone-book entry, which a sender may fill.
QWidget* TQRCodeSettingDialog::buildPhonePage()
{
    auto* phonePage = new QWidget;
    auto* phoneLayout = new QGridLayout(phonePage);
    edName = new TTntNMDEdit(phonePage);
    edName->setObjectName(QStringLiteral("edName"));
    edName->setMaxLength(15);
    edKana = LimitedEdit(phonePage, "edKana", 30);
    edTel1 = LimitedEdit(phonePage, "edTel1", 13);
    edTel2 = LimitedEdit(phonePage, "edTel2", 13);
    edMail1 = LimitedEdit(phonePage, "edMail1", 128);
    edMail2 = LimitedEdit(phonePage, "edMail2", 128);
    edMemo = LimitedEdit(phonePage, "edMemo", 200);
    cbxSender = new QComboBox(phonePage);
    cbxSender->setObjectName(QStringLiteral("cbxSender"));
    btnSender = new QPushButton(QStringLiteral("差出人から取得"), phonePage);
    btnSender->setObjectName(QStringLiteral("btnSender"));
    const std::pair<const char16_t*, QWidget*> phoneRows[] = {
        {u"名前：", edName}, {u"カナ：", edKana}, {u"TEL：", edTel1}, {u"TEL：", edTel2},
        {u"E-Mail：", edMail1}, {u"E-Mail：", edMail2}, {u"メモ：", edMemo}};
    int row = 0;
    for (const auto& [caption, edit] : phoneRows) {
        phoneLayout->addWidget(new QLabel(QString::fromUtf16(caption), phonePage), row, 0);
        phoneLayout->addWidget(edit, row++, 1, 1, 2);
    }
    phoneLayout->addWidget(cbxSender, row, 1);
    phoneLayout->addWidget(btnSender, row, 2);
    connect(btnSender, &QPushButton::clicked, this, &TQRCodeSettingDialog::takeSender);
    // Half-width katakana input: what is typed is shown in half-width forms.
    connect(edKana, &QLineEdit::textEdited, this, [this](const QString& text) {
        const QString half = ToHalfWidth(text);
        if (half != text) {
            const int tail = int(text.size()) - edKana->cursorPosition();
            edKana->setText(half.left(edKana->maxLength()));
            edKana->setCursorPosition(std::max(0, int(edKana->text().size()) - tail));
        }
    });
    connect(edName, &TTntNMDEdit::NameConvertNeed, this, &TQRCodeSettingDialog::nameConvertNeed);
    edName->OnConvertKeyDown = [this](int key) { return nameDic_ && nameDic_->isVisible() && nameDic_->ProcessKey(key); };
    return phonePage;
}

QWidget* TQRCodeSettingDialog::buildMailPage()
{
    auto* mailPage = new QWidget;
    auto* mailLayout = new QGridLayout(mailPage);
    edMailTo = LimitedEdit(mailPage, "edMailTo", 128);
    edSubject = LimitedEdit(mailPage, "edSubject", 100);
    edBody = LimitedEdit(mailPage, "edBody", 200);
    int row = 0;
    for (const auto& [caption, edit] : {std::pair<const char16_t*, QWidget*>{u"宛先：", edMailTo},
                                        {u"件名：", edSubject}, {u"本文：", edBody}}) {
        mailLayout->addWidget(new QLabel(QString::fromUtf16(caption), mailPage), row, 0);
        mailLayout->addWidget(edit, row++, 1);
    }
    mailLayout->setRowStretch(row, 1);
    return mailPage;
}

// 表示: the colour and the module size.
QGroupBox* TQRCodeSettingDialog::buildViewBox()
{
    auto* view = new QGroupBox(QStringLiteral("表示"), this);
    auto* viewLayout = new QHBoxLayout(view);
    pnlColor = new QFrame(view);
    pnlColor->setObjectName(QStringLiteral("pnlColor"));
    pnlColor->setFrameShape(QFrame::Box);
    pnlColor->setFixedSize(40, 22);
    pnlColor->setAutoFillBackground(true);
    bbtnColor = new QPushButton(QIcon(QStringLiteral(":/glyphs/COLORSET.png")), QString(), view);
    bbtnColor->setObjectName(QStringLiteral("bbtnColor"));
    edSize = LimitedEdit(view, "edSize", 1);
    edSize->setFixedWidth(28);
    udSize = new QScrollBar(Qt::Vertical, view);
    udSize->setObjectName(QStringLiteral("udSize"));
    udSize->setRange(1, 5);
    udSize->setInvertedAppearance(true);
    udSize->setInvertedControls(true);
    udSize->setFixedHeight(24);
    viewLayout->addWidget(pnlColor);
    viewLayout->addWidget(bbtnColor);
    viewLayout->addSpacing(12);
    viewLayout->addWidget(new QLabel(QStringLiteral("サイズ："), view));
    viewLayout->addWidget(edSize);
    viewLayout->addWidget(udSize);
    viewLayout->addStretch(1);
    connect(bbtnColor, &QPushButton::clicked, this, &TQRCodeSettingDialog::chooseColor);
    connect(udSize, &QScrollBar::valueChanged, this, [this](int v) { edSize->setText(QString::number(v)); });
    connect(edSize, &QLineEdit::editingFinished, this, &TQRCodeSettingDialog::sizeEdited);
    edSize->installEventFilter(this);
    return view;
}

// The preview on white, the code drawn at its own size.
void TQRCodeSettingDialog::buildPreview()
{
    sbxPreview = new QScrollArea(this);
    sbxPreview->setObjectName(QStringLiteral("sbxPreview"));
    sbxPreview->setWidgetResizable(false);
    sbxPreview->setAlignment(Qt::AlignCenter);
    QPalette white = sbxPreview->palette();
    white.setColor(QPalette::Window, Qt::white);
    sbxPreview->setPalette(white);
    sbxPreview->setBackgroundRole(QPalette::Window);
    pbxPreview = new TPreview(this, sbxPreview);
    pbxPreview->setObjectName(QStringLiteral("pbxPreview"));
    sbxPreview->setWidget(pbxPreview);
}

void TQRCodeSettingDialog::buildButtons()
{
    btnRefresh = new QPushButton(QStringLiteral("更新"), this);
    btnRefresh->setObjectName(QStringLiteral("btnRefresh"));
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = new QPushButton(QStringLiteral("キャンセル"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    pnlGrip = new QSizeGrip(this);
    pnlGrip->setObjectName(QStringLiteral("pnlGrip"));
    connect(btnRefresh, &QPushButton::clicked, this, &TQRCodeSettingDialog::RefreshFromControls);
    connect(btnOK, &QPushButton::clicked, this, &TQRCodeSettingDialog::accept);
    connect(btnCancel, &QPushButton::clicked, this, &TQRCodeSettingDialog::reject);
}

void TQRCodeSettingDialog::loadSenders()
{
    cbxSender->clear();
    senderRecNos_.clear();
    if (DMTelvora21) {
        try {
            for (const TDMTelvora21::TSenderTitle& t : DMTelvora21->ReadSenderTitles()) {
                cbxSender->addItem(t.Title);
                senderRecNos_.push_back(t.RecNo);
            }
        } catch (const std::exception&) {
            cbxSender->clear();
            senderRecNos_.clear();
        }
    }
    if (senderRecNos_.empty())
        cbxSender->addItem(QStringLiteral("なし"));
    cbxSender->setCurrentIndex(0);
    btnSender->setEnabled(!senderRecNos_.empty());
}

void TQRCodeSettingDialog::LoadFromRect(const TQRCodeRect& Source)
{
    work_->Assign(Source);
    work_->SetZoom(1.0);
    work_->SetRect(TRect(0, 0, 0, 0)); // keeps its size
    sized_ = false;
}

void TQRCodeSettingDialog::fillControls()
{
    loading_ = true;
    const TQRCodeRect& q = *work_;
    const quint8 kind = q.GetDataKind();
    if (kind == qdMeCard || kind == qdPhoneLines)
        rbAddress->setChecked(true);
    else if (kind == qdMatMsg || kind == qdMailLines)
        rbMail->setChecked(true);
    else
        rbText->setChecked(true);
    (kind == qdPhoneLines || kind == qdMailLines ? rbSoftBank : rbDocomo)->setChecked(true);
    memText->setPlainText(MemoText(q.GetText()));
    edName->setText(cp932::Decode(q.GetName()));
    edKana->setText(cp932::Decode(q.GetKana()));
    edTel1->setText(cp932::Decode(q.GetTel(0)));
    edTel2->setText(cp932::Decode(q.GetTel(1)));
    edMail1->setText(cp932::Decode(q.GetMail(0)));
    edMail2->setText(cp932::Decode(q.GetMail(1)));
    edMemo->setText(cp932::Decode(q.GetMemo()));
    edMailTo->setText(cp932::Decode(q.GetMailTo()));
    edSubject->setText(cp932::Decode(q.GetSubject()));
    edBody->setText(cp932::Decode(q.GetBody()));
    udSize->setValue(std::clamp(q.GetCodeSize(), 1, 5));
    edSize->setText(QString::number(udSize->value()));
    QPalette p = pnlColor->palette();
    p.setColor(QPalette::Window, ToQColor(q.GetColor()));
    pnlColor->setPalette(p);
    const TRect r = q.GetRect();
    pbxPreview->resize(r.Width(), r.Height());
    loading_ = false;
    kindChosen();
    layoutPreview();
}

void TQRCodeSettingDialog::showEvent(QShowEvent* event)
{
    TModalDialog::showEvent(event);
    if (!sized_) {
        sized_ = true;
        fillControls();
    }
}

void TQRCodeSettingDialog::kindChosen()
{
    const bool text = rbText->isChecked();
    help_ = rbMail->isChecked() ? 131 : 130;
    // The carrier keeps its state while the text kind has no use for it.
    rbDocomo->setEnabled(!text);
    rbSoftBank->setEnabled(!text);
    lblInfo->setEnabled(!text);
    pgcContent->setCurrentIndex(text ? 0 : rbAddress->isChecked() ? 1 : 2);
}

void TQRCodeSettingDialog::insertHeader(int tag)
{
    memText->insertPlainText(tag == 0 ? QStringLiteral("TEL:") : QStringLiteral("http://"));
    memText->setFocus();
}

void TQRCodeSettingDialog::takeSender()
{
    const int index = cbxSender->currentIndex();
    if (!DMTelvora21 || index < 0 || index >= int(senderRecNos_.size()))
        return;
    // The entry's position in the list picks the sender; its RecNo finds the
    // row (RecNos are never reused, so they are not positions).
    QString name, tel;
    QStringList mobiles, mails;
    try {
        DMTelvora21->OpenSenderTable();
        struct TRelease {
            ~TRelease() { DMTelvora21->CloseSenderTable(); }
        } release;
        TSqlTable& table = DMTelvora21->SenderTable();
        if (!table.Locate(senderfield::RecNo, senderRecNos_[index]))
            return;
        name = AtHexToWide(cp932::Encode(table.AsString(senderfield::Name)));
        tel = table.AsString(senderfield::Tel);
        for (int i = 1; i <= 4; ++i) {
            const QString head = cp932::Trim(table.AsString(senderfield::Head(i)));
            const QString addition = table.AsString(senderfield::Addition(i));
            if (head.compare(QStringLiteral("携帯"), Qt::CaseInsensitive) == 0 && mobiles.size() < 2)
                mobiles << Digits(addition);
            else if (head.compare(QStringLiteral("E-Mail"), Qt::CaseInsensitive) == 0 && mails.size() < 2)
                mails << addition;
        }
    } catch (const std::exception& e) {
        ShowMessage(this, QString::fromUtf8(e.what()), MB_ICONSTOP);
        return;
    }
    while (mobiles.size() < 2)
        mobiles << QString();
    while (mails.size() < 2)
        mails << QString();
    edName->setText(name);
    edKana->clear();
    edTel1->setText(tel);
    if (edTel1->text().isEmpty()) {
        edTel1->setText(mobiles[0]);
        edTel2->setText(mobiles[1]);
    } else {
        edTel2->setText(mobiles[0]);
    }
    edMail1->setText(mails[0]);
    edMail2->setText(mails[1]);
}

void TQRCodeSettingDialog::sizeEdited()
{
    bool ok = false;
    const int v = cp932::Trim(edSize->text()).toInt(&ok);
    if (ok && v >= 0)
        udSize->setValue(std::clamp(v, 1, 5));
    edSize->setText(QString::number(udSize->value()));
}

void TQRCodeSettingDialog::chooseColor()
{
    bool ok = false;
    const QColor c = ChooseColor(this, pnlColor->palette().color(QPalette::Window), &ok);
    if (!ok)
        return;
    QPalette p = pnlColor->palette();
    p.setColor(QPalette::Window, c);
    pnlColor->setPalette(p);
}

void TQRCodeSettingDialog::RefreshFromControls()
{
    TQRCodeRect& q = *work_;
    const bool softBank = rbSoftBank->isChecked();
    q.SetDataKind(rbText->isChecked() ? qdText : rbAddress->isChecked() ? (softBank ? qdPhoneLines : qdMeCard)
                                                                          : (softBank ? qdMailLines : qdMatMsg));
    sizeEdited();
    q.SetCodeSize(udSize->value());
    q.SetColor(FromQColor(pnlColor->palette().color(QPalette::Window)));
    q.SetText(MemoBytes(memText->toPlainText()));
    q.SetName(cp932::Encode(edName->text()));
    q.SetKana(cp932::Encode(edKana->text()));
    q.SetMemo(cp932::Encode(edMemo->text()));
    q.SetMailTo(cp932::Encode(edMailTo->text()));
    q.SetSubject(cp932::Encode(edSubject->text()));
    q.SetBody(cp932::Encode(edBody->text()));
    const auto tels = Packed(cp932::Encode(Digits(edTel1->text())), cp932::Encode(Digits(edTel2->text())));
    const auto mails = Packed(cp932::Encode(edMail1->text()), cp932::Encode(edMail2->text()));
    for (int i = 0; i < 2; ++i) {
        q.SetTel(i, tels[i]);
        q.SetMail(i, mails[i]);
    }
    q.Refresh(false);
    q.SetRect(TRect(0, 0, 0, 0));
    const TRect r = q.GetRect();
    pbxPreview->resize(r.Width(), r.Height());
    layoutPreview();
}

void TQRCodeSettingDialog::accept()
{
    RefreshFromControls();
    if (!work_->PayloadFits()) {
        ShowMessage(this, QStringLiteral("内容が長すぎるためQRコードを作成できません。\n内容を短くしてください。"),
                    MB_ICONWARNING);
        return;
    }
    TModalDialog::accept();
}

void TQRCodeSettingDialog::layoutPreview()
{
    if (loading_)
        return;
    // The scroll box centres the paint box and scrolls where it is larger.
    pbxPreview->update();
}

void TQRCodeSettingDialog::nameConvertNeed(bool need, const QString& reading, int kind)
{
    if (!need) {
        if (nameDic_)
            nameDic_->hide();
        return;
    }
    THourglass hourglass;
    TTntNameDic* dic = NameDicOf(nameDic_, this, &TQRCodeSettingDialog::applyNameReading);
    dic->OfferNames(reading, dic->EffectiveMode(kind), 0, edName);
}

void TQRCodeSettingDialog::applyNameReading(const QString& name, const QString& reading)
{
    if (!nameDic_)
        return;
    nameDic_->hide();
    edName->InsertName(name, reading);
    edName->setFocus();
}

void TQRCodeSettingDialog::moveEvent(QMoveEvent* event)
{
    TModalDialog::moveEvent(event);
    if (nameDic_ && nameDic_->isVisible())
        nameDic_->ShowUnder(edName);
}

void TQRCodeSettingDialog::resizeEvent(QResizeEvent* event)
{
    TModalDialog::resizeEvent(event);
    layoutPreview();
}

bool TQRCodeSettingDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == edSize && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        const int step = key == Qt::Key_PageUp ? 10 : key == Qt::Key_PageDown ? -10 : key == Qt::Key_Up ? 1
                         : key == Qt::Key_Down ? -1 : 0;
        if (step != 0) {
            udSize->setValue(std::clamp(udSize->value() + step, 1, 5));
            return true;
        }
    }
    return TModalDialog::eventFilter(watched, event);
}

void TQRCodeSettingDialog::done(int result)
{
    if (nameDic_)
        nameDic_->hide();
    if (const QString file = DrawingSettingsFile(); !file.isEmpty()) {
        const QRect g = isMaximized() ? normalGeometry() : geometry();
        TIniFile ini(file);
        ini.WriteInteger(kSection, QStringLiteral("QRWidth"), ScaleForDpi(g.width(), false));
        ini.WriteInteger(kSection, QStringLiteral("QRHeight"), ScaleForDpi(g.height(), false));
        ini.UpdateFile();
    }
    TModalDialog::done(result);
}
