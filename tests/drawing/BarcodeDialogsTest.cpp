// The additional-information and QR-code settings dialogs driven offscreen
// through their setters and their controls, on a throw-away data folder.

#include "core/DBInfo.h"
#include "core/SenderRecord.h"
#include "core/common/AddressText.h"
#include "core/common/Units.h"
#include "core/ui/TntNMDEdit.h"
#include "drawing/dialogs/AdditionInfoDialog.h"
#include "drawing/dialogs/DrawingSettings.h"
#include "drawing/dialogs/QRCodeSettingDialog.h"
#include "listing_search/SkkDictionary.h"
#include "listing_search/TntNameDic.h"
#include "platform/Cp932.h"
#include "platform/IniFile.h"
#include "platform/SqlTable.h"
#include "platform/ui/MessageBox.h"
#include "support/TestSupport.h"
#include "support/data/DataSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>

namespace {

std::vector<int> Codes(const QComboBox* cb)
{
    std::vector<int> codes;
    for (int i = 0; i < cb->count(); ++i)
        codes.push_back(cb->itemData(i).toInt());
    return codes;
}

QComboBox* Combo(QWidget* w, const char* name)
{
    return w->findChild<QComboBox*>(QLatin1String(name));
}

// A settings file of the data folder for the drawing dialogs.
struct TSettings {
    explicit TSettings(const QString& file)
    {
        SetDrawingSettingsFileProvider([file] { return file; });
        SetScreenPixelsPerInch(96);
    }
    ~TSettings()
    {
        SetDrawingSettingsFileProvider({});
        SetScreenPixelsPerInch(0);
    }
};

void AddSender(int recNo, const QString& title, const QString& name, const QString& tel,
               const std::vector<std::pair<QString, QString>>& contacts)
{
    TSqlTable table(SenderTableDef());
    table.Open(SenderTableFileName());
    table.Append();
    BlankSenderRecord(table, title);
    table.SetInteger(table.FieldIndex(senderfield::RecNo), recNo);
    table.SetString(senderfield::Name, QString::fromLatin1(WideToAtHex(name)));
    table.SetString(senderfield::Tel, tel);
    for (int i = 0; i < int(contacts.size()); ++i) {
        table.SetString(senderfield::Head(i + 1), contacts[size_t(i)].first);
        table.SetString(senderfield::Addition(i + 1), contacts[size_t(i)].second);
    }
    table.Post();
}

} // namespace

TEST(AdditionInfoDialog, OffersTheItemsOfThePaperAndTheData)
{
    TAdditionInfoDialog label;
    label.SetPaperKind(apkLabel);
    label.SetDataKind(adkAddress);
    const std::vector<int> address{1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    for (const char* name : {"cbxAddition1", "cbxAddition2", "cbxAddition3", "cbxAddition4"})
        EXPECT_EQ(Codes(Combo(&label, name)), address) << name;

    TAdditionInfoDialog card;
    card.SetPaperKind(apkCard);
    card.SetDataKind(adkSender);
    EXPECT_EQ(Codes(Combo(&card, "cbxAddition4")), (std::vector<int>{19, 20, 21, 22}));

    // An entry chosen gives its code and no text; a typed text gives 0 and
    // itself, trimmed; typing over a chosen entry makes it free text.
    card.SetAdditionItem(0, 21);
    EXPECT_EQ(card.GetAdditionItem(0), 21);
    EXPECT_EQ(card.GetAdditionText(0), QString());
    card.SetAdditionText(1, QStringLiteral("  表ソ 自由  "));
    EXPECT_EQ(card.GetAdditionItem(1), 0);
    EXPECT_EQ(card.GetAdditionText(1), QStringLiteral("表ソ 自由"));
    Combo(&card, "cbxAddition1")->setEditText(QStringLiteral("連絡先３x"));
    EXPECT_EQ(card.GetAdditionItem(0), 0);
    EXPECT_EQ(card.GetAdditionText(0), QStringLiteral("連絡先３x"));

    // Checked rows at creation; unchecking disables the combo.
    EXPECT_TRUE(card.GetAdditionChecked(2));
    card.SetAdditionChecked(2, false);
    EXPECT_FALSE(card.GetAdditionChecked(2));
    EXPECT_FALSE(Combo(&card, "cbxAddition3")->isEnabled());
    EXPECT_TRUE(Combo(&card, "cbxAddition4")->isEnabled());
}

TEST(AdditionInfoDialog, BarcodeSizesFollowTheLimit)
{
    TAdditionInfoDialog d;
    d.SetPaperKind(apkLabel);
    d.SetDataKind(adkAddress);
    d.SetMaxBarSize(1);
    QComboBox* sizes = Combo(&d, "cbxBarSize");
    ASSERT_EQ(sizes->count(), 2);
    EXPECT_EQ(d.GetBarSize(), 1); // lowered with the limit
    d.SetBarSize(3);
    EXPECT_EQ(sizes->currentText(), QStringLiteral("9"));
    d.SetBarSize(0);
    EXPECT_EQ(d.GetBarSize(), 0);

    d.SetBarcode(false);
    EXPECT_FALSE(sizes->isEnabled());
    d.SetBarcode(true);
    EXPECT_TRUE(sizes->isEnabled());
    d.DisableBarcode(true);
    EXPECT_FALSE(d.GetBarcode());
    EXPECT_FALSE(d.findChild<QCheckBox*>(QStringLiteral("ckbBarcode"))->isEnabled());
    EXPECT_EQ(d.GetBarSize(), 0);
}

TEST(AdditionInfoDialog, PostcardsShrinkToTheBarcodePart)
{
    TAdditionInfoDialog full;
    full.SetPaperKind(apkLabel);
    TAdditionInfoDialog d;
    d.SetPaperKind(apkEnvelope);
    EXPECT_EQ(d.windowTitle(), QStringLiteral("バーコードの設定"));
    auto* addition = d.findChild<QGroupBox*>(QStringLiteral("gbxAddition"));
    auto* barcode = d.findChild<QGroupBox*>(QStringLiteral("gbxBarcode"));
    EXPECT_TRUE(addition->isHidden());
    const int dy = full.findChild<QGroupBox*>(QStringLiteral("gbxBarcode"))->y() - addition->y();
    const int dx = addition->width() - barcode->width();
    EXPECT_EQ(barcode->y(), addition->y());
    EXPECT_EQ(d.size(), full.size() - QSize(dx, dy));
    auto* ok = d.findChild<QPushButton*>(QStringLiteral("btnOK"));
    auto* fullOk = full.findChild<QPushButton*>(QStringLiteral("btnOK"));
    EXPECT_EQ(ok->pos(), fullOk->pos() - QPoint(dx, dy));
    EXPECT_TRUE(d.rect().contains(ok->geometry()));
}

class QRCodeDialog : public ::testing::Test {
protected:
    void SetUp() override { dm = std::make_unique<TDMTelvora21>(); }
    void TearDown() override { dm.reset(); }

    TTempDataFolder folder;
    TSettings settings{folder.path() + QStringLiteral("/Telvora21.ini")};
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
};

TEST_F(QRCodeDialog, ShowsTheCodeAndWritesTheControlsBack)
{
    TQRCodeRect source;
    source.SetDataKind(qdPhoneLines);
    source.SetName(cp932::Encode(QStringLiteral("表ソ")));
    source.SetTel(0, "0311112222");
    source.SetTel(1, "0901234");
    source.SetCodeSize(4);
    source.SetRect(TRect(300, 200, 0, 0));
    TQRCodeSettingDialog d;
    d.LoadFromRect(source);
    d.show();
    EXPECT_TRUE(d.rbAddress->isChecked());
    EXPECT_TRUE(d.rbSoftBank->isChecked());
    EXPECT_EQ(d.edName->text(), QStringLiteral("表ソ"));
    EXPECT_EQ(d.edSize->text(), QStringLiteral("4"));
    EXPECT_EQ(d.HelpContext(), 130);

    // The text kind disables the carrier but keeps it.
    d.rbText->setChecked(true);
    EXPECT_FALSE(d.rbSoftBank->isEnabled());
    EXPECT_TRUE(d.rbSoftBank->isChecked());
    d.rbAddress->setChecked(true);
    EXPECT_TRUE(d.rbSoftBank->isEnabled());
    EXPECT_TRUE(d.rbSoftBank->isChecked());
    d.rbMail->setChecked(true);
    EXPECT_EQ(d.HelpContext(), 131);
    d.rbAddress->setChecked(true);

    // Hyphens are dropped; a number typed only in the second edit becomes
    // the first; cleared edits leave no number.
    d.edTel1->clear();
    d.edTel2->setText(QStringLiteral("1-23"));
    d.edSize->setText(QStringLiteral("9"));
    d.btnOK->click();
    EXPECT_FALSE(d.isVisible());
    const TQRCodeRect& q = d.QRCodeRect();
    EXPECT_EQ(q.GetTel(0), "123");
    EXPECT_EQ(q.GetTel(1), "");
    EXPECT_EQ(q.GetCodeSize(), 5); // clamped to the up-down's range
    EXPECT_EQ(q.GetDataKind(), qdPhoneLines);
    EXPECT_EQ(q.GetName(), cp932::Encode(QStringLiteral("表ソ")));
    EXPECT_EQ(q.GetRect().Left, 0);
    EXPECT_TRUE(messages.Messages().empty());

    TQRCodeSettingDialog again;
    again.LoadFromRect(q);
    again.show();
    again.edTel1->clear();
    again.edTel2->clear();
    again.btnRefresh->click();
    EXPECT_EQ(again.QRCodeRect().GetTel(0), "");
    EXPECT_EQ(again.QRCodeRect().GetTel(1), "");
    EXPECT_EQ(source.GetTel(0), "0311112222"); // the code passed in stays
}

TEST_F(QRCodeDialog, PayloadTooLongIsReportedAndOkKeepsTheDialogOpen)
{
    TQRCodeRect source;
    TQRCodeSettingDialog d;
    d.LoadFromRect(source);
    d.show();
    d.memText->setPlainText(QString(4000, u'表'));
    d.btnOK->click();
    EXPECT_TRUE(d.isVisible());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(d.result(), 0);
    d.memText->setPlainText(QStringLiteral("表示\nTEL:0312345678"));
    d.btnOK->click();
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(d.result(), int(mrOk));
    EXPECT_EQ(d.QRCodeRect().GetText(), cp932::Encode(QStringLiteral("表示\r\nTEL:0312345678")));
    EXPECT_TRUE(d.QRCodeRect().IsImageValid());
}

TEST_F(QRCodeDialog, SendersArePickedByTheirPlaceInTheTable)
{
    {
        TQRCodeSettingDialog none;
        EXPECT_EQ(none.cbxSender->count(), 1);
        EXPECT_EQ(none.cbxSender->itemText(0), QStringLiteral("なし"));
        EXPECT_FALSE(none.btnSender->isEnabled());
    }
    // RecNos 5 and 9: the second entry is RecNo 9, not RecNo 2.
    TSqlTable::CreateTable(SenderTableFileName(), SenderTableDef());
    AddSender(5, QStringLiteral("本社"), QStringLiteral("山田"), QString(), {});
    AddSender(9, QStringLiteral("支店"), QStringLiteral("表ソ太郎"), QStringLiteral("0312345678"),
              {{QStringLiteral("E-Mail"), QStringLiteral("a@b.jp")},
               {QStringLiteral("携帯"), QStringLiteral("090-1111-2222")},
               {QStringLiteral("携帯"), QStringLiteral("080-3333-4444")}});
    TQRCodeSettingDialog d;
    d.show();
    ASSERT_EQ(d.cbxSender->count(), 2);
    EXPECT_EQ(d.cbxSender->itemText(1), QStringLiteral("支店"));
    EXPECT_TRUE(d.btnSender->isEnabled());
    d.edKana->setText(QStringLiteral("ｶﾅ"));
    d.cbxSender->setCurrentIndex(1);
    d.btnSender->click();
    EXPECT_EQ(d.edName->text(), QStringLiteral("表ソ太郎"));
    EXPECT_EQ(d.edKana->text(), QString());
    EXPECT_EQ(d.edTel1->text(), QStringLiteral("0312345678"));
    EXPECT_EQ(d.edTel2->text(), QStringLiteral("09011112222"));
    EXPECT_EQ(d.edMail1->text(), QStringLiteral("a@b.jp"));
    EXPECT_EQ(d.edMail2->text(), QString());

    // Without a telephone number the two mobiles take both edits.
    d.cbxSender->setCurrentIndex(0);
    d.btnSender->click();
    EXPECT_EQ(d.edName->text(), QStringLiteral("山田"));
    EXPECT_EQ(d.edTel1->text(), QString());
}

TEST_F(QRCodeDialog, WindowSizeIsKeptAndNeverBelowTheMinimum)
{
    const QString file = DrawingSettingsFile();
    {
        TIniFile ini(file);
        ini.WriteInteger(QStringLiteral("DESIGN"), QStringLiteral("QRWidth"), 500);
        ini.WriteInteger(QStringLiteral("DESIGN"), QStringLiteral("QRHeight"), 300);
        ASSERT_TRUE(ini.UpdateFile());
    }
    {
        TQRCodeSettingDialog d;
        EXPECT_EQ(d.size(), QSize(580, 460));
        d.show();
        d.resize(700, 520);
        d.btnCancel->click();
    }
    TIniFile ini(file);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("DESIGN"), QStringLiteral("QRWidth"), 0), 700);
    EXPECT_EQ(ini.ReadInteger(QStringLiteral("DESIGN"), QStringLiteral("QRHeight"), 0), 520);
    TQRCodeSettingDialog again;
    EXPECT_EQ(again.size(), QSize(700, 520));
}

TEST_F(QRCodeDialog, TypedReadingOffersNamesUnderTheNameEdit)
{
    if (!QFile::exists(kJinmeiDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    TQRCodeRect source;
    source.SetDataKind(qdMeCard);
    TQRCodeSettingDialog d;
    d.LoadFromRect(source);
    d.show();
    d.edName->setFocus();
    TypeChars(d.edName, QStringLiteral("やまだ"));
    auto* popup = d.findChild<TTntNameDic*>(QStringLiteral("NameDic"));
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_EQ(popup->pos(), d.edName->mapToGlobal(QPoint(0, d.edName->height())));
    auto* list = popup->findChild<QListWidget*>(QStringLiteral("lstNames"));
    ASSERT_GT(list->count(), 0);
    EXPECT_TRUE(list->item(0)->text().startsWith(u"山田"));
    // The dialog moves: the popup follows below the edit.
    d.move(d.pos() + QPoint(30, 20));
    EXPECT_EQ(popup->pos(), d.edName->mapToGlobal(QPoint(0, d.edName->height())));
    QTest::keyClick(d.edName, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return d.edName->text() == QStringLiteral("山田"); }))
        << d.edName->text().toStdString();
    EXPECT_FALSE(popup->isVisible());
    d.btnOK->click();
    EXPECT_EQ(d.QRCodeRect().GetName(), cp932::Encode(QStringLiteral("山田")));
}
