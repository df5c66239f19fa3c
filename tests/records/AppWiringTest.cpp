// The running windows together: the main window on a real book, the record
// window it opens, the searches it opens, as the program wires them.

#include "core/AdrsBook.h"
#include "core/ui/AdrsList.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "listing_search/CtgrySch.h"
#include "listing_search/NmAdSch.h"
#include "platform/SqlTable.h"
#include "app/AppWiring.h"
#include "records/DtInqiry.h"
#include "support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {

const QString kBook = QStringLiteral("得意先");
const QString kOtherBook = QStringLiteral("仕入先");

int AppendPerson(const QString& book, const QString& name, const char* myNumber = "")
{
    TSqlTable table(AdrsTableDef());
    table.Open(AdrsTableFileName(book));
    TAdrsRecord r;
    InitNewAdrsRecord(r, true);
    r.NameKanji.SetText(name);
    if (*myNumber)
        r.MyNumber.Assign(EncryptAESString(myNumber, kFieldKey));
    table.Append();
    WriteAdrsRecord(r, table);
    table.Post();
    table.Last();
    return int(table.CurrentRecNo());
}

// Deletes what a closed window left for later, as the event loop would.
void Settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

class AppWiring : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        TDataInquiry::SetDicSearchRunner([](TDicSearch&) { return 2; }); // new input's lookup, cancelled
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(kBook));
        ASSERT_TRUE(CreateAdrsBook(kOtherBook));
        for (const char* name : {"青木 一郎", "井上 二郎", "上田 三郎"})
            recNos.push_back(AppendPerson(kBook, QString::fromUtf8(name)));
        main = std::make_unique<TAddressList>();
        WireMainWindow(*main);
        ASSERT_TRUE(main->OpenAdrsBook(kBook));
        main->show();
    }
    void TearDown() override
    {
        if (DataInquiry) {
            DataInquiry->SetSkipSaveConfirm(true);
            delete DataInquiry.data();
        }
        delete TNameAdrsSearch::Instance();
        delete TCategorySearch::Instance();
        main.reset();
        SetAddressListResolver({});
        TDataInquiry::SetDicSearchRunner({});
        dm.reset();
    }

    void trigger(const char* action) { main->findChild<QAction*>(QLatin1String(action))->trigger(); }
    // Switches administrator mode in the settings window, as the user does;
    // an OK the window refuses is given up with Cancel.
    void switchAdminMode(bool on)
    {
        QTimer::singleShot(0, [on] {
            QWidget* dialog = QApplication::activeModalWidget();
            ASSERT_NE(dialog, nullptr);
            dialog->findChild<QLineEdit*>("edtPassword")->setText(QStringLiteral("表ソ"));
            dialog->findChild<QCheckBox*>("chkAdminMode")->setChecked(on);
            dialog->findChild<QPushButton*>("btnOk")->click();
            if (dialog->isVisible())
                dialog->findChild<QPushButton*>("btnCancel")->click();
        });
        trigger("actSettings");
    }
    template <class T>
    T* inRecordWindow(const char* name)
    {
        T* w = DataInquiry ? DataInquiry->findChild<T*>(QLatin1String(name)) : nullptr;
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QString shownName() { return inRecordWindow<QLineEdit>("nmedtNameKanji")->text(); }
    QString position()
    {
        return inRecordWindow<QLabel>("lblNowRec")->text() + QLatin1Char('/') +
               inRecordWindow<QLabel>("lblTotalRec")->text();
    }
    // Enter on a row, as the user opens it.
    void openRow(int index)
    {
        QTreeView* view = main->ListView();
        main->SetCurrentIndex(index);
        QTest::keyClick(view, Qt::Key_Return);
    }
    // The stored name of a row, as the table holds it (Unicode names are
    // kept in "@" hexadecimal form).
    QString storedName(int recNo)
    {
        TAdrsRecord r;
        EXPECT_TRUE(main->ReadRecord(recNo, r));
        return AtHexToWide(r.NameKanji.Bytes());
    }
    QColor listBase() const { return main->ListView()->palette().color(QPalette::Base); }

    TTempDataFolder folder;
    TMessageRecorder messages;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TAddressList> main;
    std::vector<int> recNos;
};

TEST_F(AppWiring, OpeningARowShowsItsRecordAndPaintsTheListWhileShown)
{
    Settings().BGPaint = true;
    const QColor plain = listBase();
    openRow(1);
    ASSERT_TRUE(DataInquiry);
    EXPECT_TRUE(DataInquiry->isVisible());
    EXPECT_EQ(DataInquiry->GetCurrentRecNo(), recNos[1]);
    EXPECT_EQ(shownName(), u"井上 二郎");
    EXPECT_EQ(position(), u"2/3");
    EXPECT_TRUE(main->IsSelected(1));
    EXPECT_EQ(listBase(), Settings().BGQColor());

    // Another row goes into the same window.
    TDataInquiry* first = DataInquiry;
    openRow(2);
    EXPECT_EQ(DataInquiry.data(), first);
    EXPECT_EQ(shownName(), u"上田 三郎");

    // Empty input is no record of the list: the list loses its colour.
    trigger("actNewRecord");
    EXPECT_EQ(DataInquiry->GetCurrentRecNo(), -1);
    EXPECT_EQ(listBase(), plain);

    openRow(0);
    EXPECT_EQ(listBase(), Settings().BGQColor());
    DataInquiry->close();
    EXPECT_EQ(listBase(), plain);
    EXPECT_EQ(main->GetCurrentIndex(), -1);
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
}

TEST_F(AppWiring, AdministratorModeSwitchedInTheSettingsWindowReListsByTheLock)
{
    const int later = AppendPerson(kBook, QStringLiteral("江藤 四郎"), "123499990001");
    const int first = AppendPerson(kBook, QStringLiteral("小川 五郎"), "123400000001");
    AppendPerson(kBook, QStringLiteral("加藤 六郎"), "567800000001");
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("表ソ")));
    Settings().AdminMode = true;
    main->RefreshList(false, true, false);
    main->RunNarrowDown({{{ndMyNumber, ndkText, "1234", 0, 0, ndmFront}}, true});
    main->SetSortColumn(alcMyNumber, false);
    const auto listed = [this] {
        std::vector<int> rows;
        for (int i = 0; i < main->GetRecordCount(); ++i)
            rows.push_back(main->GetRecNo(i));
        return rows;
    };
    EXPECT_EQ(listed(), std::vector<int>({first, later}));

    // Through the settings window, as the user switches the mode.
    switchAdminMode(false);
    EXPECT_TRUE(listed().empty());
    EXPECT_EQ(main->Model().SortColumn(), -1);
    switchAdminMode(true);
    EXPECT_EQ(listed(), std::vector<int>({later, first}));
}

// Cancel keeps the lock off and the input, No puts the stored value back, Yes saves it.
TEST_F(AppWiring, SwitchingTheLockOnOverUnsavedProtectedInputAsksFirst)
{
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("表ソ")));
    Settings().AdminMode = true;
    openRow(0);
    auto* myNumber = inRecordWindow<QLineEdit>("edtMyNumber");
    QTest::keyClicks(myNumber, QStringLiteral("123456789018"));
    messages.Answer(IDCANCEL);
    switchAdminMode(false);
    EXPECT_TRUE(messages.LastText().startsWith(u"照会中のデータのマイナンバーまたは保護メモが変更されています"));
    EXPECT_TRUE(Settings().AdminMode);
    EXPECT_EQ(myNumber->text(), QStringLiteral("123456789018"));

    messages.Answer(IDNO);
    switchAdminMode(false);
    EXPECT_FALSE(Settings().AdminMode);
    EXPECT_TRUE(myNumber->text().isEmpty()); // what is stored, and what a save keeps

    switchAdminMode(true);
    QTest::keyClicks(inRecordWindow<QLineEdit>("edtProtectMemo1"), QStringLiteral("secret"));
    switchAdminMode(false); // answered Yes
    EXPECT_FALSE(Settings().AdminMode);
    TAdrsRecord r;
    QByteArray plain;
    ASSERT_TRUE(main->ReadRecord(recNos[0], r) && DecryptAESString(r.ProtectMemo[0].Bytes(), kFieldKey, plain));
    EXPECT_EQ(plain, "secret");

    switchAdminMode(true);
    inRecordWindow<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("青木 一郎太"));
    switchAdminMode(false);
    EXPECT_EQ(messages.Messages().size(), 3u); // asked over protected input alone
}

TEST_F(AppWiring, APasteKeepsItsFirstLineInAOneLineFieldAndEveryLineInAMemo)
{
    openRow(0);
    inRecordWindow<QAbstractButton>("sbtnCorp")->click();
    QApplication::clipboard()->setText(QStringLiteral("貼付\t表ソ能\r\n二行目　ソ\n三行目"));
    auto* corp = inRecordWindow<QLineEdit>("nmedtCorpKanji");
    QTest::keySequence(corp, QKeySequence::Paste);
    EXPECT_EQ(corp->text(), QStringLiteral("貼付表ソ能"));
    EXPECT_TRUE(corp->isModified());
    auto* note = inRecordWindow<QPlainTextEdit>("mmoNote");
    QTest::keySequence(note, QKeySequence::Paste);
    EXPECT_TRUE(note->toPlainText().startsWith(QStringLiteral("貼付\t表ソ能\n")));
    EXPECT_TRUE(note->toPlainText().endsWith(QStringLiteral("\n二行目　ソ\n三行目")));
}

TEST_F(AppWiring, EditedRecordIsOfferedForSavingBeforeAnotherRowIsShown)
{
    openRow(0);
    inRecordWindow<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("青木 一郎太"));

    messages.Answer(IDCANCEL);
    openRow(2);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(u"照会中のデータが変更されています"));
    EXPECT_EQ(DataInquiry->GetCurrentRecNo(), recNos[0]);
    EXPECT_EQ(shownName(), u"青木 一郎太");

    // Yes saves the first record, then shows the one asked for.
    messages.Answer(IDYES);
    openRow(2);
    EXPECT_EQ(DataInquiry->GetCurrentRecNo(), recNos[2]);
    EXPECT_EQ(shownName(), u"上田 三郎");
    EXPECT_EQ(storedName(recNos[0]), u"青木 一郎太");
    EXPECT_EQ(main->GetCurrentIndex(), main->IndexOfRecNo(recNos[2]));

    // Opening the row already shown keeps what is being typed.
    messages.Clear();
    inRecordWindow<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("上田 三郎丸"));
    openRow(main->IndexOfRecNo(recNos[2]));
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(shownName(), u"上田 三郎丸");
}

TEST_F(AppWiring, ClickingAnotherRowInTheListLeavesTheRecordWindowOnItsRecord)
{
    openRow(0);
    inRecordWindow<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("青木 一郎改"));
    // The user clicks the last row of the list (only selecting it).
    QTreeView* view = main->ListView();
    const QRect cell = view->visualRect(view->model()->index(2, 0));
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    ASSERT_TRUE(main->IsSelected(2));

    // The change is written and the window goes on with the record it showed.
    inRecordWindow<QPushButton>("btnUpdate")->click();
    EXPECT_EQ(storedName(recNos[0]), u"青木 一郎改");
    EXPECT_EQ(DataInquiry->GetCurrentRecNo(), recNos[0]);
    EXPECT_EQ(shownName(), u"青木 一郎改");
    EXPECT_EQ(position(), u"1/3");

    // Stepping goes on from that record, too.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    inRecordWindow<QPushButton>("sbtnNext")->click();
    EXPECT_EQ(DataInquiry->GetCurrentRecNo(), recNos[1]);

    // The list's own commands act on the row the user picked.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, cell.center());
    trigger("actInquiry");
    EXPECT_EQ(DataInquiry->GetCurrentRecNo(), recNos[2]);
}

TEST_F(AppWiring, RecordWindowPositionFollowsARelistedList)
{
    openRow(1);
    EXPECT_EQ(position(), u"2/3");
    // Group 1 holds none of the rows: the shown record has left the list.
    main->SetGroupChoice(2);
    EXPECT_EQ(main->GetRecordCount(), 0);
    EXPECT_EQ(position(), u"---/---");
    EXPECT_FALSE(inRecordWindow<QPushButton>("sbtnNext")->isEnabled());
    main->SetGroupChoice(0);
    EXPECT_EQ(position(), u"---/3");
}

TEST_F(AppWiring, RecordRegisteredInTheRecordWindowAppearsInTheList)
{
    QSignalSpy updated(main.get(), &TAddressList::recordsUpdated);
    trigger("actNewRecord");
    inRecordWindow<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("江藤 四郎"));
    inRecordWindow<QPushButton>("btnAdd")->click();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();

    ASSERT_EQ(main->GetRecordCount(), 4);
    ASSERT_EQ(updated.count(), 1);
    const int recNo = updated.at(0).at(0).value<QList<int>>().value(0);
    const int row = main->IndexOfRecNo(recNo);
    ASSERT_GE(row, 0);
    EXPECT_TRUE(main->IsSelected(row));
    EXPECT_EQ(storedName(recNo), u"江藤 四郎");

    // Typed input registered with no search open: the window is done.
    Settle();
    EXPECT_FALSE(DataInquiry);

    // The new row opens like any other.
    openRow(row);
    EXPECT_EQ(shownName(), u"江藤 四郎");
}

TEST_F(AppWiring, ListingOpenedFromASearchIsShownForRegistration)
{
    trigger("actNameAdrsSearch");
    TNameAdrsSearch* search = TNameAdrsSearch::Instance();
    ASSERT_NE(search, nullptr);
    EXPECT_TRUE(search->isVisible());
    trigger("actNameAdrsSearch"); // one window only
    EXPECT_EQ(TNameAdrsSearch::Instance(), search);

    search->findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(QStringLiteral("店"));
    search->StartSearch();
    search->WaitForSearch();
    ASSERT_GE(search->GetResultCount(), 3);
    auto* results = search->findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    emit results->itemActivated(results->topLevelItem(1), 0);

    ASSERT_TRUE(DataInquiry);
    EXPECT_TRUE(DataInquiry->isVisible());
    EXPECT_EQ(DataInquiry->SourceMode(), TDataInquiry::smNameSearch);
    EXPECT_FALSE(inRecordWindow<QPushButton>("btnUpdate")->isEnabled());
    TListingDetail listing;
    ASSERT_TRUE(search->GetResult(1, listing));
    EXPECT_EQ(inRecordWindow<QLineEdit>("edtTel")->text().remove(QLatin1Char('-')),
              QString(listing.Tel).remove(QLatin1Char('-')));
    EXPECT_EQ(position(), QStringLiteral("2/%1").arg(search->GetResultCount()));

    // The record window steps through the results; registering keeps it open
    // on the listing, now unchanged.
    inRecordWindow<QPushButton>("sbtnNext")->click();
    EXPECT_EQ(search->GetResultIndex(), 2);
    inRecordWindow<QPushButton>("btnAdd")->click();
    EXPECT_EQ(main->GetRecordCount(), 4);
    ASSERT_TRUE(DataInquiry);
    EXPECT_FALSE(DataInquiry->IsModified());

    // A row of the list after a listing: back to inquiry from the list.
    openRow(0);
    EXPECT_EQ(DataInquiry->SourceMode(), TDataInquiry::smAddressList);

    // Closing the search leaves the record window without its navigation.
    trigger("actCategorySearch");
    TCategorySearch* category = TCategorySearch::Instance();
    ASSERT_NE(category, nullptr);
    category->findChild<QComboBox*>(QStringLiteral("cbxCtgryMain"))->setCurrentIndex(11);
    category->findChild<QComboBox*>(QStringLiteral("cbxTdfkn"))->setCurrentIndex(1);
    category->StartSearch();
    category->WaitForSearch();
    ASSERT_GT(category->GetResultCount(), 0);
    auto* found = category->findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    emit found->itemActivated(found->topLevelItem(0), 0);
    EXPECT_EQ(DataInquiry->SourceMode(), TDataInquiry::smCategorySearch);
    category->close();
    Settle();
    EXPECT_EQ(TCategorySearch::Instance(), nullptr);
    EXPECT_FALSE(inRecordWindow<QPushButton>("sbtnNext")->isEnabled());
    EXPECT_EQ(position(), u"---/---");
}

TEST_F(AppWiring, AnotherBookOpensOnlyOnceTheRecordWindowLetItGo)
{
    openRow(0);
    inRecordWindow<QLineEdit>("nmedtNameKanji")->setText(QStringLiteral("青木 一郎兵衛"));

    // Cancel: the record window keeps its input, the book stays open.
    messages.Answer(IDCANCEL);
    EXPECT_FALSE(main->OpenAdrsBook(kOtherBook));
    EXPECT_EQ(AdrsName, kBook);
    ASSERT_TRUE(DataInquiry);
    EXPECT_TRUE(DataInquiry->isVisible());

    // Yes: the record is saved into its own book before the other opens.
    messages.Answer(IDYES);
    EXPECT_TRUE(main->OpenAdrsBook(kOtherBook));
    EXPECT_EQ(AdrsName, kOtherBook);
    EXPECT_EQ(main->GetRecordCount(), 0);
    Settle();
    EXPECT_FALSE(DataInquiry);
    ASSERT_TRUE(main->OpenAdrsBook(kBook));
    EXPECT_EQ(storedName(recNos[0]), u"青木 一郎兵衛");
}

} // namespace

TEST_F(AppWiring, ListingIsNotOpenedForRegistrationWhileNoBookIsOpen)
{
    trigger("actNameAdrsSearch");
    TNameAdrsSearch* search = TNameAdrsSearch::Instance();
    ASSERT_NE(search, nullptr);
    search->findChild<QLineEdit*>(QStringLiteral("edtKey"))->setText(QStringLiteral("店"));
    search->StartSearch();
    search->WaitForSearch();
    ASSERT_GE(search->GetResultCount(), 1);

    dm->CloseAdrsTable();
    messages.Clear();
    auto* results = search->findChild<QTreeWidget*>(QStringLiteral("lvResult"));
    emit results->itemActivated(results->topLevelItem(0), 0);
    EXPECT_FALSE(DataInquiry);
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("アドレス帳が開かれていない")));
}
