// The record window's lookups: the dictionary dialog behind its search
// buttons (listings, the postal-code dictionary and the open book) and the
// name-reading popup of its name edits.

#include "RecordWindowFixture.h"
#include "support/TestSupport.h"

#include "core/DBInfo.h"
#include "listing_search/DicSch.h"
#include "listing_search/SkkDictionary.h"
#include "listing_search/TntNameDic.h"
#include "records/NameEdit.h"
#include "records/RecordMapping.h"
#include "records/RecordWriter.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QSignalSpy>
#include <QPushButton>
#include <QPlainTextEdit>
#include "platform/Cp932.h"
#include <QRadioButton>
#include <QTest>

namespace {

class RecordLookup : public RecordWindowOnBook {
protected:
    // Appends a row straight to the book; its RecNo.
    int addRow(const char* tel, const char* fax, const char* portable2, const QString& corp)
    {
        TAdrsRecord r;
        InitNewAdrsRecord(r, corp.isEmpty());
        r.Tel.SetText(QLatin1String(tel));
        r.Fax.SetText(QLatin1String(fax));
        r.Portable2.SetText(QLatin1String(portable2));
        r.CorpKanji.SetText(corp);
        r.Tdfkn.SetText(QStringLiteral("東京都"));
        r.Adrs1.SetText(QStringLiteral("港区"));
        int recNo = -1;
        EXPECT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
        return recNo;
    }
    QString text(const char* name) { return find<QLineEdit>(name)->text(); }
};

TEST_F(RecordLookup, OpenBookAnswersForEachRowHoldingTheNumberOnce)
{
    const int both = addRow("0399990001", "0399990001", "", QStringLiteral("両方商事"));
    const int mobile = addRow("", "", "0399990001", QString());
    addRow("0399990002", "", "", QStringLiteral("別番号"));
    const std::vector<TBookTelMatch> found = FindBookTelMatches(dm->AdrsTable(), QStringLiteral("03-9999-0001"));
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].RecNo, both);
    EXPECT_EQ(found[0].Name, QStringLiteral("両方商事"));
    EXPECT_EQ(found[0].Address, QStringLiteral("東京都港区"));
    EXPECT_EQ(found[1].RecNo, mobile);
    EXPECT_TRUE(FindBookTelMatches(dm->AdrsTable(), QStringLiteral("---")).empty());
}

// A number of the book shows that record, once what is typed is saved or
// let go.
TEST_F(RecordLookup, TelephoneSearchOfANumberInTheBookShowsThatRecordAfterTheTypedInput)
{
    const int recNo = addRow("0399990001", "", "", QStringLiteral("登録済商事"));
    // The telephone edit is empty: the fax number is looked up.
    find<QLineEdit>("edtFax")->setText(QStringLiteral("03-9999-0001"));
    find<QLineEdit>("edtAdrs3")->setText(QStringLiteral("入力中ビル"));

    // Cancel keeps what is typed.
    messages.Answer(IDCANCEL);
    find<QPushButton>("bbtnTelSch")->click();
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("入力途中のデータがあります  ")));
    EXPECT_EQ(window->GetCurrentRecNo(), -1);
    EXPECT_EQ(text("edtAdrs3"), QStringLiteral("入力中ビル"));

    // No discards it and shows the record found, its number as every reader
    // of the book shows it, so the untouched record is no change.
    messages.Answer(IDNO);
    find<QPushButton>("bbtnTelSch")->click();
    EXPECT_EQ(window->GetCurrentRecNo(), recNo);
    EXPECT_EQ(window->SourceMode(), int(TDataInquiry::smAddressList));
    EXPECT_EQ(text("nmedtCorpKanji"), QStringLiteral("登録済商事"));
    EXPECT_EQ(text("edtTel"), QStringLiteral("03-9999-0001"));
    EXPECT_FALSE(window->IsModified());
    EXPECT_TRUE(find<QPushButton>("btnUpdate")->isEnabled());
}

TEST_F(RecordLookup, TelephoneListingOfAPersonFillsNumberAddressAndName)
{
    find<QLineEdit>("edtTel")->setText(QStringLiteral("03-4162-2288"));
    find<QToolButton>("sbtnCorp")->click();
    find<QPushButton>("bbtnTelSch")->click();
    EXPECT_TRUE(find<QToolButton>("sbtnPriv")->isChecked());
    EXPECT_EQ(text("nmedtNameKanji"), QStringLiteral("伊藤　恵"));
    EXPECT_EQ(text("edtAdrs3"), QStringLiteral("５－１１－１３サンライズ会館６F"));
    EXPECT_EQ(text("edtJisCode").size(), 5);
    // Taken as a fresh registration: untouched, it is no change.
    EXPECT_FALSE(window->IsModified());
}

// A lookup that finds nothing says so and changes nothing; the JIS code of
// a place found is taken without a word, and no address empties the codes.
TEST_F(RecordLookup, ButtonsThatFindNothingSaySoAndKeepWhatIsShown)
{
    if (!QFile::exists(kZipcodeDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    const QString failed = QStringLiteral("市町村コードを取得できませんでした  \r\n");
    const struct {
        const char *button, *tdfkn, *adrs1;
        QString message, jisCode;
    } cases[] = {
        {"bbtnAdrsSearch", "", "ソフト表ビル", QStringLiteral("該当するデータはありません  "), "999999"},
        {"bbtnGetJisCode", "", "ソフト表ビル", failed + QStringLiteral("住所から都道府県と市区町村が分かりません  "), "999999"},
        {"bbtnGetJisCode", "沖縄県", "那覇市", failed + QStringLiteral("この住所の市町村コードは見つかりません  "), "999999"},
        {"bbtnGetJisCode", "東京都", "千代田区", "", "131016"},
        {"bbtnGetJisCode", "  ", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.button << " " << c.tdfkn);
        messages.Clear();
        find<QLineEdit>("edtJisCode")->setText(QStringLiteral("999999"));
        find<QLineEdit>("edtTdfkn")->setText(QString::fromUtf8(c.tdfkn));
        find<QLineEdit>("edtAdrs1")->setText(QString::fromUtf8(c.adrs1));
        find<QLineEdit>("edtAdrs2")->clear();
        find<QLineEdit>("edtAdrs3")->clear();
        find<QPushButton>(c.button)->click();
        EXPECT_EQ(messages.LastText(), c.message);
        EXPECT_EQ(text("edtJisCode"), c.jisCode);
    }
}

TEST(RecordLookupResult, CompanyResultSwitchesToCompanyAndKeepsNumbersOfAddressPages)
{
    TDicAdrsRecord found;
    found.Tel = QStringLiteral(" 0312345678 ");
    found.TelKind = 1;
    found.Name = QStringLiteral("能登表示株式会社");
    found.Person = 0;
    found.CtgryMain = 5;
    found.CtgrySub = 3;
    found.PubDate = QStringLiteral("200001");
    TRecordInput in;
    in.Tel = QStringLiteral("099");
    ApplyDictionaryResult(found, TDicSearch::kResultTel, in);
    EXPECT_EQ(in.Tel, QStringLiteral("099")); // a fax listing leaves the telephone
    EXPECT_EQ(in.Fax, QStringLiteral("0312345678"));
    EXPECT_FALSE(in.Priv);
    EXPECT_EQ(in.CodeSubEntry, 503);
    EXPECT_EQ(in.PubDate, QStringLiteral(" 2000年01月"));

    TRecordInput page;
    ApplyDictionaryResult(found, TDicSearch::kResultPostal, page);
    EXPECT_TRUE(page.Fax.isEmpty());
    found.Person = 1;
    TRecordInput person;
    ApplyDictionaryResult(found, TDicSearch::kResultPostal, person);
    EXPECT_TRUE(person.NameKanji.isEmpty()); // only a telephone listing names the person
}

// A company record shown, as a postal-code or address result meets it.
TRecordInput ShownCompany()
{
    TAdrsRecord r = FullSampleRecord(); // group 3, main number, company, category 05-03
    r.CodeSub = 0;                      // a major category without a minor
    return InputFromRecord(r);
}

TEST(RecordLookupResult, PostalOrAddressResultChangesOnlyThePlace)
{
    TDicAdrsRecord place; // as the postal-code dictionary gives it: no person, no codes
    place.PostalCode = QStringLiteral("5101251");
    place.Tdfkn = QStringLiteral("三重県");
    place.City = QStringLiteral("三重郡菰野町");
    place.Town = QStringLiteral("千草");
    for (int kind : {int(TDicSearch::kResultPostal), int(TDicSearch::kResultAddress)}) {
        const TRecordInput before = ShownCompany();
        TRecordInput in = before;
        ApplyDictionaryResult(place, kind, in);
        TRecordInput expected = before;
        expected.Pos = QStringLiteral("510-1251");
        expected.Tdfkn = place.Tdfkn;
        expected.Adrs1 = place.City;
        expected.Adrs2 = place.Town;
        expected.Adrs3.clear();
        EXPECT_EQ(in, expected) << kind; // codes, company name, category, number flag as they were

        // Codes found for the place are taken, and nothing more.
        place.JisCode = QStringLiteral("24341");
        place.KajoCode = QStringLiteral("001000");
        in = before;
        ApplyDictionaryResult(place, kind, in);
        expected.JisCode = place.JisCode;
        expected.KajoCode = place.KajoCode;
        EXPECT_EQ(in, expected) << kind;
        place.JisCode.clear();
        place.KajoCode.clear();
    }

    // An address typed on from the place found stays as typed.
    TRecordInput typed;
    typed.Tdfkn = place.Tdfkn;
    typed.Adrs1 = place.City + place.Town + QStringLiteral("１－１");
    ApplyDictionaryResult(place, TDicSearch::kResultPostal, typed);
    EXPECT_EQ(typed.Adrs1, place.City + place.Town + QStringLiteral("１－１"));

    // A person typed with a postal code stays a person.
    TRecordInput person;
    person.NameKanji = QStringLiteral("山田太郎");
    person.Pos = QStringLiteral("1000001");
    ApplyDictionaryResult(place, TDicSearch::kResultPostal, person);
    EXPECT_TRUE(person.Priv);
    EXPECT_EQ(person.NameKanji, QStringLiteral("山田太郎"));
    EXPECT_TRUE(person.CorpKanji.isEmpty());
}

TEST(RecordLookupResult, AddressWiderThanItsLineGoesOnInTheNextOne)
{
    TDicAdrsRecord found = TDicAdrsRecord::FromListing(SampleCompanyListing());
    found.Town = QString(48, QChar(u'表')) + QStringLiteral("町ソ"); // 100 bytes, 0x5C trail bytes
    found.Rest = QString(60, QChar(u'ソ'));                           // 120 bytes
    TRecordInput in;
    ApplyDictionaryResult(found, TDicSearch::kResultTel, in);
    EXPECT_EQ(cp932::ByteLength(in.Adrs2), 100);
    EXPECT_EQ(in.Adrs3, QString(58, QChar(u'ソ'))); // 116 bytes: only what fits nowhere is cut

    found.Town += QStringLiteral("奥");
    found.Rest = QStringLiteral("第三会議室");
    in = TRecordInput();
    ApplyDictionaryResult(found, TDicSearch::kResultTel, in);
    EXPECT_EQ(in.Adrs2 + in.Adrs3, found.Town + found.Rest);
}

TEST_F(RecordLookup, LookupAfterTypedInputKeepsItOfferedForSaving)
{
    if (!QFile::exists(kZipcodeDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    Settings().OutOfTarget = true;
    Settings().FormClose = true;
    Settings().Confirmation = true;
    find<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("山田太郎"));
    find<QPlainTextEdit>("mmoNote")->setPlainText(QStringLiteral("大事な話"));
    find<QLineEdit>("edtPos")->setText(QStringLiteral("1000001"));
    find<QPushButton>("bbtnPosSch")->click();
    EXPECT_EQ(text("edtAdrs1"), QStringLiteral("千代田区"));
    EXPECT_TRUE(find<QToolButton>("sbtnPriv")->isChecked());
    EXPECT_TRUE(window->IsModified());
    messages.Answer(IDCANCEL);
    window->show();
    EXPECT_FALSE(window->close());
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("入力途中のデータがあります  ")));
    EXPECT_EQ(find<QPlainTextEdit>("mmoNote")->toPlainText(), QStringLiteral("大事な話"));

    // Untouched input is another matter: what the lookup filled is no input.
    window->hide();
    messages.Answer(IDNO);
    find<QPushButton>("bbtnNew")->click();
    messages.Clear();
    find<QLineEdit>("edtPos")->setText(QStringLiteral("1000001"));
    find<QPushButton>("bbtnPosSch")->click();
    EXPECT_FALSE(window->IsModified());
}

TEST_F(RecordLookup, PostalLookupOnAShownCompanyRecordChangesOnlyThePlace)
{
    if (!QFile::exists(kZipcodeDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    TAdrsRecord r = FullSampleRecord();
    r.CodeSub = 0;
    r.Pos.SetText(QStringLiteral("1000001"));
    int recNo = -1;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
    TAdrsRecord held;
    ASSERT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, held));
    window->ShowInquiry(held);
    const TRecordInput before = window->ReadControls();
    find<QPushButton>("bbtnPosSch")->click();
    TRecordInput after = window->ReadControls();
    EXPECT_EQ(after.Adrs1, QStringLiteral("千代田区"));
    for (QString TRecordInput::*place : {&TRecordInput::Pos, &TRecordInput::Tdfkn, &TRecordInput::Adrs1,
                                         &TRecordInput::Adrs2, &TRecordInput::Adrs3, &TRecordInput::AdrsKana,
                                         &TRecordInput::JisCode, &TRecordInput::KajoCode})
        after.*place = before.*place;
    EXPECT_EQ(after, before);

    // Saved, the company keeps its name and stays a company.
    find<QPushButton>("btnUpdate")->click();
    TAdrsRecord saved;
    ASSERT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, saved));
    EXPECT_FALSE(saved.PrivCorp);
    EXPECT_EQ(saved.CorpKanji.Text(), r.CorpKanji.Text());
    EXPECT_EQ(saved.CorpKana.Text(), r.CorpKana.Text());
    EXPECT_EQ(saved.CodeSub, 0);
    EXPECT_EQ(saved.TelDiv, 3);
    EXPECT_EQ(saved.Group, 3);
}

TEST_F(RecordLookup, TypedReadingOffersNamesAndTheChosenOneFillsNameAndReading)
{
    if (!QFile::exists(kJinmeiDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    window->show();
    auto* name = find<TNameEdit>("nmedtNameKanji");
    name->setFocus();
    TypeChars(name, QStringLiteral("やまだ"));
    auto* popup = window->findChild<TTntNameDic*>(QStringLiteral("NameDic"));
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->findChild<QRadioButton*>(QStringLiteral("rbFamily"))->isChecked());
    EXPECT_EQ(popup->pos(), name->mapToGlobal(QPoint(0, name->height())));
    auto* list = popup->findChild<QListWidget*>(QStringLiteral("lstNames"));
    ASSERT_GT(list->count(), 1);
    EXPECT_TRUE(list->item(0)->text().startsWith(u"山田"));
    // Keys of the edit steer the popup, not the edit; Enter chooses, after the key is handled.
    QTest::keyClick(name, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 1);
    QTest::keyClick(name, Qt::Key_Up);
    QSignalSpy chosen(popup, &TTntNameDic::nameChosen);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(chosen.count(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return name->text() == QStringLiteral("山田"); })) << name->text().toStdString();
    EXPECT_EQ(text("nmedtNameKana"), QStringLiteral("やまだ"));
    EXPECT_FALSE(popup->isVisible());
    EXPECT_FALSE(popup->ProcessKey(Qt::Key_Down)); // closed: keys go to the edit

    // Joint names look up given names.
    auto* joint = find<TNameEdit>("nmedtJoint2");
    TypeChars(joint, QStringLiteral("たろう"));
    ASSERT_TRUE(popup->isVisible());
    EXPECT_TRUE(popup->findChild<QRadioButton*>(QStringLiteral("rbGiven"))->isChecked());
    QTest::keyClick(joint, Qt::Key_Escape);
    EXPECT_FALSE(popup->isVisible());
}

// As a user has it: the window active, the keys arriving through the
// application, where the window's Enter-moves-on filter sees them too. Enter
// on a candidate chooses it; it neither moves the focus on nor leaves the
// popup up.
TEST_F(RecordLookup, EnterInThePopupChoosesTheNameWithTheWindowActive)
{
    if (!QFile::exists(kJinmeiDictionaryPath))
        GTEST_SKIP() << "skkdic-extra is not installed";
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    auto* name = find<TNameEdit>("nmedtNameKanji");
    name->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), name);
    TypeChars(name, QStringLiteral("さとう"));
    auto* popup = window->findChild<TTntNameDic*>(QStringLiteral("NameDic"));
    ASSERT_NE(popup, nullptr);
    ASSERT_TRUE(popup->isVisible());
    // The popup is shown without activation; the offscreen platform
    // activates it all the same: give the activation back, as a user has it.
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
    ASSERT_EQ(QApplication::focusWidget(), name);
    ASSERT_TRUE(popup->isVisible());
    auto* list = popup->findChild<QListWidget*>(QStringLiteral("lstNames"));
    ASSERT_GT(list->count(), 1);
    const QString second = list->item(1)->text().section(QStringLiteral("  "), 0, 0);
    QTest::keyClick(name, Qt::Key_Down);
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), name); // the key stayed with the popup
    QCoreApplication::processEvents();           // the choice is taken once the key is done with
    EXPECT_EQ(name->text(), second);
    EXPECT_FALSE(popup->isVisible());
    EXPECT_EQ(QApplication::focusWidget(), name);
    EXPECT_EQ(text("nmedtNameKana"), QStringLiteral("さとう"));
    // With the popup closed, Enter moves on again.
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), find<QWidget>("nmedtNameKana"));
}

} // namespace
