// The copy window on a real main window and real books, with the message
// box recorded; the books are read back from their files.
#include "records/AdrsCopy.h"

#include "core/AdrsBook.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/Settings.h"
#include "core/ui/AdrsList.h"
#include "core_data/OtherWriter.h"
#include "platform/IniFile.h"
#include "support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLabel>
#include <QListWidget>
#include <QPointer>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <QThread>
#include <gtest/gtest.h>
#include <sqlite3.h>

namespace {

const QString kOpen = QStringLiteral("本");
const QString kDest = QStringLiteral("先");
const QString kSection = QStringLiteral("ADRS COPY");

void Exec(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(file.toUtf8().constData(), &db), SQLITE_OK);
    char* err = nullptr;
    EXPECT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, &err), SQLITE_OK) << (err ? err : "");
    sqlite3_free(err);
    sqlite3_close(db);
}

class AdrsCopyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        dm = std::make_unique<TDMTelvora21>();
        BuildAdrsBookList();
        for (const QString& name : {kOpen, kDest, QStringLiteral("消す本")})
            ASSERT_TRUE(CreateAdrsBook(name));
        AdrsBookList[size_t(IndexOfAdrsBook(QStringLiteral("消す本")))].State = 1;
        ASSERT_TRUE(SaveAdrsBookList()); // the window reads the list of books again
        {
            TSqlTable t(AdrsTableDef());
            t.Open(AdrsTableFileName(kOpen));
            t.StartTransaction();
            for (int i = 1; i <= 30; ++i) {
                TAdrsRecord r;
                InitNewAdrsRecord(r, true);
                r.Group = i % 2;
                r.NameKanji.SetText(QStringLiteral("表ソ%1").arg(i));
                t.Append();
                WriteAdrsRecord(r, t);
                t.Post();
            }
            t.Commit();
        }
        list = std::make_unique<TAddressList>();
        ASSERT_TRUE(list->OpenAdrsBook(kOpen));
    }

    void TearDown() override
    {
        delete window.data();
        list.reset();
        dm.reset();
    }

    void WriteOptions(std::initializer_list<std::pair<const char*, int>> values)
    {
        TIniFile ini(SettingsFileName());
        for (auto [key, value] : values)
            ini.WriteInteger(kSection, QLatin1String(key), value);
        ASSERT_TRUE(ini.UpdateFile());
    }

    bool OptionsWritten() const
    {
        return TIniFile(SettingsFileName()).ValueExists(kSection, QStringLiteral("DataSelect"));
    }

    TAddressCopy* Open()
    {
        window = ShowAddressCopy(*list);
        return window.data();
    }

    template <class W>
    W* Get(const char* name) const
    {
        W* w = window->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    int Begin() const { return Get<QSpinBox>("edtBegin")->value(); }
    int End() const { return Get<QSpinBox>("edtEnd")->value(); }
    QString Count() const { return Get<QLabel>("lblCount")->text(); }

    TTempDataFolder folder;
    std::unique_ptr<TDMTelvora21> dm;
    std::unique_ptr<TAddressList> list;
    QPointer<TAddressCopy> window;
    TMessageRecorder messages;
};

} // namespace

TEST_F(AdrsCopyTest, OpeningCorrectsTheKeptRangeAndOffersOnlyOtherLiveBooks)
{
    struct TCase {
        int begin, end, wantBegin, wantEnd;
    };
    for (const TCase& c : {TCase{50, 20, 1, 20}, TCase{25, 10, 1, 10}, TCase{5, 0, 5, 30}}) {
        WriteOptions({{"DataSelect", 1}, {"BeginPos", c.begin}, {"EndPos", c.end}});
        Open();
        EXPECT_EQ(Begin(), c.wantBegin) << c.begin << " " << c.end;
        EXPECT_EQ(End(), c.wantEnd) << c.begin << " " << c.end;
        EXPECT_EQ(Count(), QStringLiteral("%1 件").arg(c.wantEnd - c.wantBegin + 1));
        EXPECT_TRUE(Get<QSpinBox>("edtBegin")->isEnabled());
        delete window.data();
    }
    WriteOptions({{"DataSelect", 7}, {"Tel", 1}, {"SameCustomCheck", 5}});
    Open();
    QListWidget* books = Get<QListWidget>("lbxAdrsBook");
    ASSERT_EQ(books->count(), 1) << "neither the open book nor one pending deletion";
    EXPECT_EQ(books->item(0)->text(), kDest);
    EXPECT_TRUE(Get<QRadioButton>("rbtnSelected")->isChecked()) << "a choice out of range reads as 0";
    EXPECT_TRUE(Get<QRadioButton>("rbtnCustomSkip")->isChecked());
    EXPECT_FALSE(Get<QSpinBox>("edtBegin")->isEnabled());
    EXPECT_TRUE(Get<QRadioButton>("rbtnSameNumSkip")->isEnabled()) << "one target ticked";
    EXPECT_FALSE(Get<QRadioButton>("rbtnAnyMatch")->isEnabled()) << "match type needs two";
    Get<QCheckBox>("chkFax")->setChecked(true);
    EXPECT_TRUE(Get<QRadioButton>("rbtnAnyMatch")->isEnabled());
    Get<QCheckBox>("chkSameAddDateTime")->setChecked(false);
    EXPECT_FALSE(Get<QCheckBox>("chkSameUpdDateTime")->isEnabled());
    EXPECT_EQ(Count(), QStringLiteral("%1 件").arg(list->GetSelCount()));
    list->SelectItem(3, true, false);
    list->SelectItem(4, false, false);
    EXPECT_EQ(Count(), QStringLiteral("2 件")) << "the main window's selection is followed";
    EXPECT_TRUE(Get<QPushButton>("btnCopy")->isEnabled());
    if (qEnvironmentVariableIsSet("TELVORA_SHOT"))
        window->grab().save(qEnvironmentVariable("TELVORA_SHOT"));
}

TEST_F(AdrsCopyTest, ANewRowCountResetsTheRangeToTheWholeList)
{
    WriteOptions({{"DataSelect", 1}, {"BeginPos", 4}, {"EndPos", 9}});
    Open();
    EXPECT_EQ(Count(), QStringLiteral("6 件"));
    // Typed, the count follows each key; the value is taken on Enter.
    auto* end = Get<QSpinBox>("edtEnd");
    end->selectAll();
    QTest::keyClicks(end, "12");
    EXPECT_EQ(Count(), QStringLiteral("9 件"));
    QTest::keyClick(end, Qt::Key_Return);
    EXPECT_EQ(End(), 12);
    list->SetGroupChoice(2); // rows of group 1: 15 of them
    ASSERT_EQ(list->GetRecordCount(), 15);
    window->UpdateCopyCount();
    EXPECT_EQ(Begin(), 1);
    EXPECT_EQ(End(), 15);
    EXPECT_EQ(Count(), QStringLiteral("15 件"));

    // A re-listing that leaves no row tells the window by itself.
    list->SetGroupChoice(5);
    ASSERT_EQ(list->GetRecordCount(), 0);
    EXPECT_EQ(Begin(), 0);
    EXPECT_EQ(End(), 0);
    EXPECT_EQ(Count(), QStringLiteral("0 件"));
    EXPECT_FALSE(Get<QPushButton>("btnCopy")->isEnabled());
}

TEST_F(AdrsCopyTest, NoBookOrAnAnsweredNoCopiesNothingAndKeepsTheOptionsUnwritten)
{
    const QString dest = AdrsTableFileName(kDest);
    const QByteArray before = ReadFile(dest);
    WriteOptions({{"SameCustomCheck", 0}, {"Left", 10}});
    Open();
    Get<QRadioButton>("rbtnAll")->setChecked(true);

    messages.Answer(IDNO);
    window->CopyClick();
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));

    messages.Clear();
    messages.Answer(IDYES);
    messages.Answer(IDNO);
    window->CopyClick();
    ASSERT_EQ(messages.Messages().size(), 2u);
    EXPECT_EQ(messages.Messages()[1].flags, unsigned(MB_YESNO | MB_ICONWARNING | MB_DEFBUTTON2));
    EXPECT_TRUE(messages.Messages()[1].text.startsWith(
        QStringLiteral("コピー先のアドレス帳に、同じ顧客コードのデータが見つかった場合に  \r\n")));

    Get<QListWidget>("lbxAdrsBook")->setCurrentItem(nullptr);
    messages.Clear();
    window->CopyClick();
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("コピー先のアドレス帳を選択してください  "));

    EXPECT_EQ(ReadFile(dest), before);
    EXPECT_FALSE(OptionsWritten());
    EXPECT_TRUE(window->isVisible());

    // The main window opens the destination: the book it left is offered
    // instead; one gone since the list was filled is told, not passed over.
    ASSERT_TRUE(list->OpenAdrsBook(kDest));
    auto* books = Get<QListWidget>("lbxAdrsBook");
    ASSERT_EQ(books->count(), 1);
    EXPECT_EQ(books->item(0)->text(), kOpen);
    ASSERT_TRUE(QDir(AdrsBookFolderPath(kOpen)).removeRecursively());
    window->CopyClick();
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("アドレス帳が見つかりません"))) << messages.LastText().toStdString();
    EXPECT_EQ(messages.LastText(), QStringLiteral("コピー先のアドレス帳が見つかりません  \r\nアドレス帳のフォルダがありません"
                                                  "（削除されたか、名前が変えられています）  \r\nアドレス帳：本  "));
    EXPECT_EQ(books->count(), 0) << "nor listed any longer";
    EXPECT_FALSE(QDir(AdrsBookFolderPath(kOpen)).exists()) << "nor made anew";
}

TEST_F(AdrsCopyTest, AFullDestinationTakesOneRecordAndTheSummaryTellsSo)
{
    const QString dest = AdrsTableFileName(kDest);
    Exec(dest, "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
               "INSERT INTO Adrs(NameKanji) SELECT 'x' FROM n;");
    Open();
    list->SelectItem(2, true, false);
    list->SelectItem(5, false, false);
    list->SelectItem(7, false, false);
    ASSERT_EQ(Count(), QStringLiteral("3 件"));

    window->CopyClick();

    int limits = 0;
    for (const auto& m : messages.Messages())
        limits += m.text == QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  ");
    EXPECT_EQ(limits, 1);
    EXPECT_EQ(messages.LastText(), QStringLiteral("アドレス帳のコピーが完了しました  \r\n  \r\n"
                                                  "対象件数 : \t3 件  \r\n登録件数 : \t1 件  "));
    QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(window.isNull()) << "a completed run closes the window";
    EXPECT_TRUE(OptionsWritten());
    TSqlTable t(AdrsTableDef());
    t.Open(dest);
    EXPECT_EQ(t.RecordCount(), kMaxAdrsRecords);
    t.Last();
    EXPECT_EQ(t.AsString(QStringLiteral("NameKanji")), QStringLiteral("表ソ3")) << "the first selected row";
}

TEST_F(AdrsCopyTest, ADestinationHeldByAnotherProgramIsReportedAndLeftUntouched)
{
    const QString dest = AdrsTableFileName(kDest);
    QProcess holder;
    holder.start(QStringLiteral("flock"), {QStringLiteral("-s"), AdrsBookFolderPath(kDest) + QStringLiteral("Adrs.lck"),
                                           QStringLiteral("sleep"), QStringLiteral("60")});
    ASSERT_TRUE(holder.waitForStarted());
    // Wait until the other program holds the book.
    for (QDeadlineTimer t(10000); !t.hasExpired(); QThread::msleep(20)) {
        TSqlTable probe(AdrsTableDef());
        try {
            probe.Open(dest, true);
        } catch (const ESqlTableError&) {
            break;
        }
    }
    const QByteArray before = ReadFile(dest); // a probe that got in made the file a WAL book
    Open();
    Get<QRadioButton>("rbtnAll")->setChecked(true);

    window->CopyClick();

    ASSERT_FALSE(messages.Messages().empty());
    EXPECT_EQ(messages.Messages().back().text, kSubAdrsOpenError + QStringLiteral("  \r\n他で使用中です  "));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONERROR));
    EXPECT_TRUE(window->isVisible()) << "the window stays for another try";
    EXPECT_FALSE(OptionsWritten());
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(ReadFile(dest), before);
}

// Another program writing the destination (the sqlite3 shell inside a
// transaction) is told as a book in use elsewhere, at the first write.
// Nothing is copied, and the other program's write is its own to commit.
TEST_F(AdrsCopyTest, ADestinationAnotherProgramIsWritingIsToldAsInUseElsewhere)
{
    const QString dest = AdrsTableFileName(kDest);
    {
        TOtherWriter other(dest);
        Open();
        Get<QRadioButton>("rbtnAll")->setChecked(true);
        window->CopyClick();
        EXPECT_EQ(messages.LastText(), QStringLiteral("コピー先のアドレス帳に書き込めないため、コピーを中止しました  \r\n"
                                                      "コピー先のアドレス帳は他で使用中です  \r\nアドレス帳：先  \r\n  \r\n"
                                                      "対象件数 : \t30 件  \r\n登録件数 : \t0 件  "));
        EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONWARNING));
        other.Commit();
    }
    TSqlTable t(AdrsTableDef());
    t.Open(dest);
    EXPECT_EQ(t.RecordCount(), 1) << "the other program's committed row alone";
}

TEST_F(AdrsCopyTest, OnlyTheSelectedRowsAcrossGapsAreCopiedAndARefusedOneHasItsOwnLine)
{
    const QString dest = AdrsTableFileName(kDest);
    Exec(dest, "CREATE TRIGGER refuse BEFORE INSERT ON Adrs WHEN NEW.NameKanji='表ソ3' "
               "BEGIN SELECT RAISE(ABORT, 'refused'); END;");
    Open();
    for (int row : {0, 2, 4})
        list->SelectItem(row, row == 0, false);
    ASSERT_EQ(Count(), QStringLiteral("3 件"));

    window->CopyClick();

    EXPECT_EQ(messages.LastText(), QStringLiteral("アドレス帳のコピーが完了しました  \r\n  \r\n"
                                                  "対象件数 : \t3 件  \r\n登録件数 : \t2 件  \r\nエラー件数 : \t1 件  "));
    TSqlTable t(AdrsTableDef());
    t.Open(dest);
    t.Last(); // not 表ソ2 of a run from the first to the last selected row
    EXPECT_EQ(t.AsString(QStringLiteral("NameKanji")), QStringLiteral("表ソ5"));
}

// The open book's folder gone outside the program, its file still held open:
// the run names the book and why, and copies nothing.
TEST_F(AdrsCopyTest, ABookWhoseFolderWentIsNamedAndNothingIsCopied)
{
    Open();
    Get<QRadioButton>("rbtnAll")->setChecked(true);
    ASSERT_TRUE(QDir().rename(AdrsBookFolderPath(kOpen), AdrsBookFolderPath(QStringLiteral("本2"))));
    window->CopyClick();
    EXPECT_EQ(messages.LastText(), QStringLiteral("コピー元のアドレス帳が見つかりません  \r\n開いているアドレス帳のフォルダが"
                                                  "削除されたか、名前が変えられています  \r\nアドレス帳：本  "));
    TSqlTable t(AdrsTableDef());
    t.Open(AdrsTableFileName(kDest));
    EXPECT_EQ(t.RecordCount(), 0);
}

// A disk filling during the run is told with its cause and the warning icon.
TEST_F(AdrsCopyTest, AFullDiskIsToldWithItsCauseAndTheWarningIcon)
{
    Exec(AdrsTableFileName(kOpen), "UPDATE Adrs SET Note=hex(zeroblob(6000))"); // pages of their own
    const TPageLimit limit(AdrsTableFileName(kDest), 40); // room for some of the 30 records
    Open();
    Get<QRadioButton>("rbtnAll")->setChecked(true);
    window->CopyClick();
    TSqlTable t(AdrsTableDef());
    t.Open(AdrsTableFileName(kDest));
    const int held = t.RecordCount();
    EXPECT_EQ(messages.LastText(), QStringLiteral("コピー先のアドレス帳に書き込めなかったデータがあります  \r\n"
                                                  "コピー先のディスクの空き容量が足りません  \r\nアドレス帳：先  \r\n  \r\n"
                                                  "対象件数 : \t30 件  \r\n登録件数 : \t%1 件  \r\nエラー件数 : \t%2 件  ")
                                       .arg(held)
                                       .arg(30 - held));
    EXPECT_EQ(messages.Messages().back().flags, unsigned(MB_OK | MB_ICONWARNING));
}
