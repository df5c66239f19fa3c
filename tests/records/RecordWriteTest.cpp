// Registering and changing records through the record window, against a
// real book: what lands in the table, what is refused and with which
// message, and what a failing write leaves behind.

#include "RecordWindowFixture.h"

#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Folders.h"
#include "core/HistoryData.h"
#include "platform/FileErrors.h"
#include "records/RecordMapping.h"

#include "../../bench/BookGen.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTabWidget>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <optional>
#include <sqlite3.h>

namespace {

// The book's file through a connection of its own, as another program
// would see it.
class TRawBook {
public:
    explicit TRawBook(const QString& fileName)
    {
        sqlite3_open_v2(fileName.toUtf8().constData(), &db_, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(db_, 3000);
    }
    ~TRawBook() { sqlite3_close(db_); }
    TRawBook(const TRawBook&) = delete;
    TRawBook& operator=(const TRawBook&) = delete;

    void Exec(const QString& sql)
    {
        char* error = nullptr;
        sqlite3_exec(db_, sql.toUtf8().constData(), nullptr, nullptr, &error);
        ASSERT_EQ(error, nullptr) << error;
    }
    // The columns of the one row the query returns, as text.
    QStringList Row(const QString& sql)
    {
        QStringList out;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, sql.toUtf8().constData(), -1, &st, nullptr);
        if (st && sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i)
                out.append(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, i))));
        }
        sqlite3_finalize(st);
        return out;
    }
    int Count() { return Row(QStringLiteral("SELECT count(*) FROM ") + Table()).value(0).toInt(); }
    // Every row, every column, as the bytes and storage class the file holds.
    QByteArray Dump(const QString& where = QString())
    {
        QByteArray out;
        sqlite3_stmt* st = nullptr;
        sqlite3_prepare_v2(db_, ("SELECT * FROM " + Table() + where + " ORDER BY RecNo").toUtf8().constData(), -1, &st,
                           nullptr);
        while (st && sqlite3_step(st) == SQLITE_ROW) {
            for (int i = 0; i < sqlite3_column_count(st); ++i) {
                out += char('0' + sqlite3_column_type(st, i));
                const auto* bytes = static_cast<const char*>(sqlite3_column_blob(st, i));
                out += QByteArray(bytes, sqlite3_column_bytes(st, i)).toHex();
                out += '|';
            }
            out += '\n';
        }
        sqlite3_finalize(st);
        return out;
    }
    static QString Table() { return QLatin1Char('"') + AdrsTableDef().TableName + QLatin1Char('"'); }

private:
    sqlite3* db_ = nullptr;
};

class RecordWrite : public RecordWindowOnBook {
protected:
    void SetUp() override
    {
        RecordWindowOnBook::SetUp();
        raw = std::make_unique<TRawBook>(dm->AdrsTable().FileName());
        // Typed input goes on with the next record after each registration.
        find<QCheckBox>("chkContinualAdd")->setEnabled(true);
        find<QCheckBox>("chkContinualAdd")->setChecked(true);
    }
    void TearDown() override
    {
        raw.reset();
        RecordWindowOnBook::TearDown();
    }
    void type(const char* control, const QString& text) { find<QLineEdit>(control)->setText(text); }
    void add() { find<QPushButton>("btnAdd")->click(); }
    // Registers typed input with this telephone and fax number.
    void addNumbers(const QString& tel, const QString& fax)
    {
        type("edtTel", tel);
        type("edtFax", fax);
        add();
    }
    TAdrsRecord stored(int recNo)
    {
        TAdrsRecord r;
        TSqlTable& t = dm->AdrsTable();
        t.SetIndexName(QString());
        EXPECT_TRUE(t.FindKey({recNo}));
        ReadAdrsRecord(t, r);
        return r;
    }

    std::unique_ptr<TRawBook> raw;
};

TEST_F(RecordWrite, NewRecordIsStoredInTheFormsOfTheTable)
{
    type("edtTel", QStringLiteral("03-1234-5678"));
    type("edtPos", QStringLiteral("123-4567"));
    type("edtCustomCode", QStringLiteral("AB-1/2 x"));
    type("edtMyNumber", QStringLiteral("123456789018"));
    type("nmedtNameKanji", QStringLiteral("𠮷野 太郎"));
    add();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    ASSERT_EQ(raw->Count(), 1);
    const QStringList row = raw->Row(QStringLiteral("SELECT Tel, Pos, CustomCode, NameKanji, MyNumber, AddDateTime, "
                                                    "UpdDateTime FROM ") +
                                     TRawBook::Table());
    ASSERT_EQ(row.size(), 7);
    EXPECT_EQ(row[0], QStringLiteral("0312345678"));
    EXPECT_EQ(row[1], QStringLiteral("1234567"));
    EXPECT_EQ(row[2], QStringLiteral("AB-1/2 x"));
    EXPECT_EQ(row[3], QStringLiteral("@D842@DFB7@91CE@0020@592A@90CE"));
    const QString myNumber = row[4];
    ASSERT_EQ(myNumber.size(), 34);
    EXPECT_EQ(myNumber, myNumber.toUpper());
    EXPECT_TRUE(myNumber.startsWith(QStringLiteral("0C")));
    if (const std::optional<QByteArray> plain = OpensslAes(true, QByteArray::fromHex(myNumber.mid(2).toLatin1()), kFieldKey)) {
        EXPECT_EQ(*plain, QByteArray("123456789018\0\0\0\0", 16));
    }
    // Whole seconds when added; the update time keeps its fraction.
    const double added = row[5].toDouble() * 86400.0;
    EXPECT_GT(added, 0.0);
    EXPECT_NEAR(added, std::round(added), 1e-3);
    EXPECT_GE(row[6].toDouble(), row[5].toDouble());
    // The address list is re-listed and told of the new row; the window is ready for the next.
    EXPECT_EQ(list.updated, QList<int>{1});
    EXPECT_EQ(list.refreshed, 1);
    EXPECT_TRUE(find<QLineEdit>("edtTel")->text().isEmpty());
}

TEST_F(RecordWrite, EachRefusedInputShowsItsMessageAndStoresNothing)
{
    type("edtCustomCode", QStringLiteral("TAKEN"));
    add();
    ASSERT_EQ(raw->Count(), 1);
    struct TCase {
        const char* control;
        const char* text;
        const char* message;
    };
    const char* codeChars = "顧客コードは、以下の半角文字で入力してください  \r\n　　英数字  \r\n　　スペース  \r\n"
                            "　　ハイフン（ - ）  \r\n　　スラッシュ（ / ）  ";
    const TCase cases[] = {
        {"edtCustomCode", "ＡＢ", codeChars},
        {"edtCustomCode", "A_1", codeChars},
        {"edtCustomCode", "TAKEN", "入力した顧客コードは既に使われています  \r\n別のコードに変更してください  "},
        {"edtTel", "03 1234 5678", "電話番号は半角数字かハイフンのみが有効です  "},
        {"edtFax", "０３-1234", "FAX番号は半角数字かハイフンのみが有効です  "},
        {"edtPortable1", "090-1234-567a", "携帯番号は半角数字かハイフンのみが有効です  "},
        {"edtPortable2", "(090)1234", "携帯番号は半角数字かハイフンのみが有効です  "},
        {"edtPos", "１２３", "正しい郵便番号を入力してください  "},
        {"edtPos", "1234", "正しい桁数の郵便番号を入力してください  "},
        // More digits than the table holds: refused, never cut to another number.
        {"edtTel", "012-3456-78901", "電話番号は11桁以内で入力してください  "},
        {"edtPortable2", "090123456789", "携帯番号は11桁以内で入力してください  "},
    };
    auto* pages = find<QTabWidget>("pgctlData");
    for (const TCase& c : cases) {
        window->SetSkipSaveConfirm(true);
        find<QPushButton>("bbtnNew")->click();
        messages.Clear();
        type(c.control, QString::fromUtf8(c.text));
        pages->setCurrentIndex(2);
        add();
        ASSERT_EQ(messages.Messages().size(), 1u) << c.control << " " << c.text;
        EXPECT_EQ(messages.LastText(), QString::fromUtf8(c.message)) << c.control << " " << c.text;
        EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_OK | MB_ICONINFORMATION));
        EXPECT_EQ(raw->Count(), 1) << c.control;
        EXPECT_EQ(pages->currentIndex(), 0);
        EXPECT_EQ(find<QLineEdit>(c.control)->text(), QString::fromUtf8(c.text));
    }
    // A code in use is reported before a number that is wrong as well.
    window->SetSkipSaveConfirm(true);
    find<QPushButton>("bbtnNew")->click();
    messages.Clear();
    type("edtCustomCode", QStringLiteral("TAKEN"));
    type("edtTel", QStringLiteral("03 1234"));
    add();
    EXPECT_EQ(messages.LastText(), QStringLiteral("入力した顧客コードは既に使われています  \r\n別のコードに変更してください  "));
    EXPECT_TRUE(find<QLineEdit>("edtCustomCode")->hasSelectedText());
}

TEST_F(RecordWrite, SameNumberAsksOnceAndNoStoresNothing)
{
    addNumbers(QStringLiteral("03-1111-1111"), QString());
    addNumbers(QString(), QStringLiteral("03-2222-2222"));
    ASSERT_EQ(raw->Count(), 2);

    // Telephone as one row's, fax as another's: one question, for the telephone.
    messages.Clear();
    messages.Answer(IDNO);
    addNumbers(QStringLiteral("0311111111"), QStringLiteral("03-2222-2222"));
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(messages.LastText(), QStringLiteral("既に同一の電話番号のデータが登録されています  \r\n登録しますか？  "));
    EXPECT_EQ(messages.Messages()[0].flags, unsigned(MB_YESNO | MB_ICONQUESTION));
    EXPECT_EQ(raw->Count(), 2);
    EXPECT_EQ(find<QLineEdit>("edtTel")->text(), QStringLiteral("0311111111"));

    messages.Clear();
    messages.Answer(IDYES);
    add();
    EXPECT_EQ(messages.Messages().size(), 1u);
    EXPECT_EQ(raw->Count(), 3);

    // The fax number alone: its own label.
    messages.Clear();
    messages.Answer(IDNO);
    addNumbers(QString(), QStringLiteral("0322222222"));
    EXPECT_EQ(messages.LastText(), QStringLiteral("既に同一のFAX番号のデータが登録されています  \r\n登録しますか？  "));
    EXPECT_EQ(raw->Count(), 3);

    // With the question switched off nothing is asked.
    Settings().SameNum = false;
    messages.Clear();
    addNumbers(QStringLiteral("0311111111"), QString());
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(raw->Count(), 4);
}

TEST_F(RecordWrite, FailedWriteKeepsTheInputAndLeavesTheTableAsItWas)
{
    type("edtAdrs1", QStringLiteral("千代田区"));
    add();
    ASSERT_EQ(raw->Count(), 1);
    const QStringList before = raw->Row(QStringLiteral("SELECT * FROM ") + TRawBook::Table());

    // The disk refuses every write from now on.
    raw->Exec(QStringLiteral("CREATE TRIGGER refuseInsert BEFORE INSERT ON %1 BEGIN SELECT RAISE(ABORT, 'disk full'); END;"
                             "CREATE TRIGGER refuseUpdate BEFORE UPDATE ON %1 BEGIN SELECT RAISE(ABORT, 'disk full'); END;")
                  .arg(TRawBook::Table()));

    messages.Clear();
    type("edtAdrs1", QStringLiteral("港区"));
    add();
    // The text stays; the cause stands on a line of its own, the engine's
    // text in it only where it has no cause of its own in Japanese.
    const QString cause = QStringLiteral("\r\nエラーが起きました（disk full）  ");
    EXPECT_EQ(messages.LastText(), QStringLiteral("add error") + cause);
    EXPECT_EQ(raw->Count(), 1);
    EXPECT_EQ(find<QLineEdit>("edtAdrs1")->text(), QStringLiteral("港区"));
    EXPECT_EQ(list.updated, QList<int>{1});

    // A held record changed and saved through the button and through the prompt.
    window->ShowInquiry(stored(1));
    type("edtAdrs1", QStringLiteral("中央区"));
    messages.Clear();
    find<QPushButton>("btnUpdate")->click();
    EXPECT_EQ(messages.LastText(), QStringLiteral("update error") + cause);
    messages.Answer(IDYES);
    EXPECT_EQ(window->ConfirmSaveChanges(0, true), TSaveResult::Cancelled);
    EXPECT_EQ(messages.LastText(), QStringLiteral("update error") + cause);
    EXPECT_EQ(find<QLineEdit>("edtAdrs1")->text(), QStringLiteral("中央区"));
    EXPECT_TRUE(window->IsModified());
    EXPECT_EQ(raw->Row(QStringLiteral("SELECT * FROM ") + TRawBook::Table()), before);
    EXPECT_EQ(list.updated, QList<int>{1});

    // Once the disk takes writes again the same input is stored.
    raw->Exec(QStringLiteral("DROP TRIGGER refuseInsert; DROP TRIGGER refuseUpdate;"));
    messages.Clear();
    find<QPushButton>("btnUpdate")->click();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    EXPECT_EQ(stored(1).Adrs1.Text(), QStringLiteral("中央区"));
    EXPECT_EQ(list.updated, (QList<int>{1, 1}));
}

// A disk that takes no more (a file size limit below the book's log) is said
// in Japanese, with the warning icon; the input and the book stay.
TEST_F(RecordWrite, ASaveTheDiskRefusesSaysWhyInJapanese)
{
    type("edtAdrs1", QStringLiteral("千代田区"));
    add();
    const QByteArray before = raw->Dump();
    window->ShowInquiry(stored(1));
    type("edtAdrs1", QStringLiteral("表ソ能"));
    messages.Clear();
    { // held only while saving: what the test reports goes to files too
        TFileSizeLimit limit(1024);
        find<QPushButton>("btnUpdate")->click();
        type("edtCustomCode", QStringLiteral("A1"));
        add();
    }
    ASSERT_EQ(messages.Messages().size(), 2u); // update, then add
    for (const auto& m : messages.Messages()) { // the engine keeps a refused write's errno only at times
        const QString cause = m.text.section(QStringLiteral(" error\r\n"), 1);
        EXPECT_TRUE(cause == FileErrorCause(EFBIG) + "  " || cause == FileErrorCause(ENOSPC) + "  " ||
                    cause == FileErrorCause(EIO) + "  ") << m.text.toStdString();
        EXPECT_EQ(m.flags & 0xF0, unsigned(MB_ICONWARNING));
    }
    EXPECT_EQ(find<QLineEdit>("edtAdrs1")->text(), QStringLiteral("表ソ能"));
    EXPECT_EQ(raw->Dump(), before);
}

// A delete the disk refuses says why too, and leaves the book as it was.
TEST_F(RecordWrite, ADeleteTheDiskRefusesSaysWhyInJapanese)
{
    add();
    const QByteArray before = raw->Dump();
    window->ShowInquiry(stored(1));
    messages.Answer(IDYES);
    {
        TFileSizeLimit limit(1024);
        find<QPushButton>("btnDelete")->click();
    }
    const QString cause = messages.LastText().section(QStringLiteral("データを削除できませんでした  \r\n"), 1);
    EXPECT_TRUE(cause == FileErrorCause(EFBIG) + "  " || cause == FileErrorCause(ENOSPC) + "  " ||
                cause == FileErrorCause(EIO) + "  ") << messages.LastText().toStdString();
    EXPECT_EQ(raw->Dump(), before);
}

// Records saved through the window are in the book's file alone once the program is idle, as a plain copy takes
// it. That copy renamed over the file while the window is open (a sync tool, a restore): registering, changing and
// deleting are refused with a message that says so, the input stays, the file in place keeps its bytes.
TEST_F(RecordWrite, SavesAreInTheFileAloneOnceIdleAndRefusedIntoAFileRenamedOverIt)
{
    type("edtAdrs1", QStringLiteral("表ソ能"));
    add();
    add();
    QCoreApplication::processEvents();
    const QString file = dm->AdrsTable().FileName(), copy = QFileInfo(file).path() + QStringLiteral("/Copy.DB");
    ASSERT_TRUE(WriteFile(copy, ReadFile(file)));
    EXPECT_EQ(TRawBook(copy).Dump(), raw->Dump());
    EXPECT_EQ(raw->Count(), 2);
    ASSERT_EQ(std::rename(QFile::encodeName(copy).constData(), QFile::encodeName(file).constData()), 0);
    const QByteArray inPlace = ReadFile(file);
    const QString cause = QStringLiteral("\r\nアドレス帳のファイルが移動または削除されたか、別のファイルに置き換えられました  ");
    type("edtAdrs1", QStringLiteral("表ソ能"));
    add();
    EXPECT_EQ(messages.LastText(), QStringLiteral("add error") + cause);
    EXPECT_EQ(find<QLineEdit>("edtAdrs1")->text(), QStringLiteral("表ソ能"));
    window->ShowInquiry(stored(1));
    type("edtAdrs1", QStringLiteral("中央区"));
    find<QPushButton>("btnUpdate")->click();
    EXPECT_EQ(messages.LastText(), QStringLiteral("update error") + cause);
    EXPECT_EQ(find<QLineEdit>("edtAdrs1")->text(), QStringLiteral("中央区"));
    messages.Answer(IDYES);
    find<QPushButton>("btnDelete")->click();
    EXPECT_EQ(messages.LastText(), QStringLiteral("データを削除できませんでした  ") + cause);
    EXPECT_EQ(ReadFile(file), inPlace);
}

TEST_F(RecordWrite, LimitCountsTheRowsOfTheTable)
{
    // 99,999 rows in the book, whatever the list shows.
    raw->Exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
                             "INSERT INTO %1 (CustomCode) SELECT '' FROM n;")
                  .arg(TRawBook::Table()));
    ASSERT_EQ(raw->Count(), 99999);
    type("edtAdrs1", QStringLiteral("最後の一件"));
    add();
    EXPECT_TRUE(messages.Messages().empty());
    EXPECT_EQ(raw->Count(), 100000);

    type("edtAdrs1", QStringLiteral("一件多い"));
    add();
    EXPECT_EQ(messages.LastText(), QStringLiteral("最大登録件数10万件に達しました  \r\nこれ以上登録できません  "));
    EXPECT_EQ(raw->Count(), 100000);
    EXPECT_EQ(find<QLineEdit>("edtAdrs1")->text(), QStringLiteral("一件多い"));
}

TEST_F(RecordWrite, HistoryThatCannotBeSavedDoesNotSpoilTheWrite)
{
    // A folder where the department history file should be: it cannot be written.
    QDir().mkpath(DataPath() + QStringLiteral("History/Dptmnt.mtd"));
    find<QToolButton>("sbtnCorp")->click();
    find<QComboBox>("cbxDptmnt")->setEditText(QStringLiteral("営業部"));
    find<QComboBox>("cbxPost")->setEditText(QStringLiteral("部長"));
    add();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();
    EXPECT_EQ(raw->Count(), 1);
    EXPECT_EQ(dm->PostHistory().IndexOf(QStringLiteral("部長")), 0);
}

} // namespace

namespace {

// Stored shapes the window must give back as they are: notes and links with
// and without a final line break, an empty last line, a lone LF, an empty
// text; protected values that cannot be deciphered; a code with a trailing
// blank; a major category without a minor; a group.
void AwkwardShapes(TRawBook& raw)
{
    const QString t = TRawBook::Table();
    raw.Exec(QStringLiteral("UPDATE %1 SET Note = CASE RecNo % 7 "
                            "WHEN 1 THEN 'メモ' WHEN 2 THEN 'メモ' || char(13,10,13,10) WHEN 3 THEN char(13,10) "
                            "WHEN 4 THEN '' WHEN 5 THEN '表' || char(10) || 'ソ' ELSE Note END, "
                            "ExtLink = CASE RecNo % 5 WHEN 1 THEN 'C:\\表\\a.txt' || char(13,10) || 'https://example.jp/' "
                            "WHEN 2 THEN 'x' || char(13,10) ELSE ExtLink END, "
                            "JisCode = CASE WHEN RecNo % 11 = 0 THEN '1310 ' ELSE JisCode END, "
                            "CodeSub = CASE WHEN RecNo % 4 = 0 THEN 0 ELSE CodeSub END, "
                            "ProtectMemo2 = CASE WHEN RecNo % 3 = 0 THEN 'NOT-A-CIPHER' ELSE ProtectMemo2 END")
                 .arg(t));
}

} // namespace

TEST_F(RecordWrite, EveryRecordOfABookReadAndWrittenBackUneditedKeepsItsBytes)
{
    constexpr int kRecords = 10000;
    TSqlTable& table = dm->AdrsTable();
    TBookGen gen;
    table.StartTransaction();
    TAdrsRecord r;
    for (int i = 0; i < kRecords; ++i) {
        gen.Fill(r, i);
        if (i % 2 == 0)
            r.JointMyNumber[1].Assign(SampleCipher("123456789018"));
        table.Append();
        WriteAdrsRecord(r, table);
        table.Post();
    }
    table.Commit();
    AwkwardShapes(*raw);
    const QByteArray before = raw->Dump();
    ASSERT_EQ(raw->Count(), kRecords);

    // As the window does it: show, compare, write the controls back over
    // the row (the update time kept, so that the bytes can be compared).
    int changed = 0;
    table.StartTransaction();
    for (int recNo = 1; recNo <= kRecords; ++recNo) {
        TAdrsRecord held;
        ASSERT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, held));
        const TRecordInput shown = InputFromRecord(held);
        changed += IsRecordChanged(shown, held) ? 1 : 0;
        TAdrsRecord written;
        RecordFromInput(shown, TRecordForm::Write, written, &held);
        written.CodeGenre = held.CodeGenre;
        written.AddDateTime = held.AddDateTime;
        written.UpdDateTime = held.UpdDateTime;
        table.SetIndexName(QString());
        ASSERT_TRUE(table.FindKey({recNo}));
        table.Edit();
        WriteAdrsRecord(written, table);
        table.Post();
    }
    table.Commit();
    EXPECT_EQ(changed, 0);
    EXPECT_TRUE(raw->Dump() == before);

    // The window itself on a few of them, one of each shape.
    for (int recNo = 1; recNo <= 70; ++recNo) {
        TAdrsRecord held;
        ASSERT_TRUE(dm->ReadAdrsRecordByRecNo(recNo, held));
        window->ShowInquiry(held);
        ASSERT_FALSE(window->IsModified()) << recNo;
    }
}

TEST_F(RecordWrite, ChangingOneFieldOfAShownRecordRewritesThatFieldAlone)
{
    TAdrsRecord r = FullSampleRecord();
    r.CodeMain = 5;
    r.CodeSub = 0;
    int recNo = -1;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
    AwkwardShapes(*raw);
    raw->Exec(QStringLiteral("UPDATE %1 SET Note = 'メモ' || char(13,10,13,10), MyNumber = 'NOT-A-CIPHER'")
                  .arg(TRawBook::Table()));
    const QByteArray before = raw->Dump();

    window->ShowInquiry(stored(recNo));
    EXPECT_FALSE(window->IsModified());
    EXPECT_TRUE(find<QLineEdit>("edtMyNumber")->text().isEmpty()); // cannot be shown
    type("edtAdrs3", QStringLiteral("ソフト表ビル９階"));
    EXPECT_TRUE(window->IsModified());
    find<QPushButton>("btnUpdate")->click();
    EXPECT_TRUE(messages.Messages().empty()) << messages.LastText().toStdString();

    // Only the edited field and the update time differ.
    const TAdrsRecord after = stored(recNo);
    EXPECT_EQ(after.Adrs3.Text(), QStringLiteral("ソフト表ビル９階"));
    raw->Exec(QStringLiteral("UPDATE %1 SET Adrs3 = '%2', UpdDateTime = %3")
                  .arg(TRawBook::Table(), r.Adrs3.Text(), QString::number(r.UpdDateTime, 'g', 17)));
    EXPECT_TRUE(raw->Dump() == before);
}

// Whatever the program puts in a locked protected edit (no input filter sees
// it), a save keeps the stored values: the writer takes them from the row.
TEST_F(RecordWrite, SaveUnderTheLockKeepsEveryStoredProtectedValueByteForByte)
{
    TAdrsRecord r = FullSampleRecord();
    r.ProtectNote.SetText(QStringLiteral("表ソ\r\n\r\n")); // a note ending in an empty line
    int recNo = -1;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
    raw->Exec(QStringLiteral("UPDATE %1 SET ProtectMemo2 = 'NOT-A-CIPHER', JointMyNumber3 = ''").arg(TRawBook::Table()));
    const QByteArray before = raw->Dump();
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("合言葉")));
    window->ApplyAdminMode();
    window->ShowInquiry(stored(recNo));
    for (auto* e : window->findChildren<QLineEdit*>(QRegularExpression(QStringLiteral("^edt(Joint)?MyNumber\\d?$|^edtProtectMemo"))))
        e->setText(QStringLiteral("123456789018"));
    find<QPlainTextEdit>("mmoProtectNote")->setPlainText(QStringLiteral("書き換え"));
    type("edtAdrs3", QStringLiteral("ソフト表ビル９階"));
    find<QPushButton>("btnUpdate")->click();
    EXPECT_EQ(stored(recNo).Adrs3.Text(), QStringLiteral("ソフト表ビル９階")) << messages.LastText().toStdString();
    // Only the edited field and the update time differ.
    raw->Exec(QStringLiteral("UPDATE %1 SET Adrs3 = '%2', UpdDateTime = %3")
                  .arg(TRawBook::Table(), r.Adrs3.Text(), QString::number(r.UpdDateTime, 'g', 17)));
    EXPECT_TRUE(raw->Dump() == before);
}

// Stored protected values the record cannot hold (a character code page 932
// has not, a value longer than its field) are never converted or cut.
TEST_F(RecordWrite, SaveUnderTheLockKeepsStoredProtectedValuesTheRecordCannotHold)
{
    const TAdrsRecord r = FullSampleRecord();
    int recNo = -1;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
    raw->Exec(QStringLiteral("UPDATE %1 SET ProtectMemo3 = 'AB𠮷CD', JointMyNumber2 = 'ｿ表\\'")
                  .arg(TRawBook::Table()));
    ASSERT_TRUE(SetAdminPassword(QStringLiteral("合言葉")));
    window->ApplyAdminMode();
    const auto save = [&](const QString& adrs3) {
        window->ShowInquiry(stored(recNo));
        type("edtAdrs3", adrs3);
        find<QPushButton>("btnUpdate")->click();
    };
    QByteArray before = raw->Dump();
    save(QStringLiteral("ソフト表ビル９階"));
    EXPECT_EQ(stored(recNo).Adrs3.Text(), QStringLiteral("ソフト表ビル９階")) << messages.LastText().toStdString();
    raw->Exec(QStringLiteral("UPDATE %1 SET Adrs3 = '%2', UpdDateTime = %3") // the edit and its time put back
                  .arg(TRawBook::Table(), r.Adrs3.Text(), QString::number(r.UpdDateTime, 'g', 17)));
    EXPECT_TRUE(raw->Dump() == before);

    // One the table cannot take back refuses the save.
    raw->Exec(QStringLiteral("UPDATE %1 SET ProtectMemo4 = '%2'").arg(TRawBook::Table(), QString(140, u'A')));
    before = raw->Dump();
    save(QStringLiteral("表ビル"));
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("ProtectMemo4"))) << messages.LastText().toStdString();
    EXPECT_TRUE(raw->Dump() == before);
}

TEST_F(RecordWrite, ChangingARecordFoundByItsNumberStaysOnThatRecord)
{
    // The list shows three rows of its own; the record written is none of them.
    list.index = 1;
    TAdrsRecord r = FullSampleRecord();
    int recNo = -1;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
    ASSERT_LT(list.IndexOfRecNo(recNo), 0);
    window->SetSourceMode(TDataInquiry::smAddressList);
    window->ShowInquiry(stored(recNo));
    type("edtAdrs3", QStringLiteral("別館"));
    find<QPushButton>("btnUpdate")->click();
    EXPECT_EQ(window->GetCurrentRecNo(), recNo);
    EXPECT_EQ(find<QLineEdit>("edtAdrs3")->text(), QStringLiteral("別館"));
    EXPECT_FALSE(window->IsModified());
    EXPECT_EQ(list.updated, QList<int>{recNo});
}

TEST_F(RecordWrite, CustomerCodeThatCannotBeCheckedRefusesTheWrite)
{
    type("edtCustomCode", QStringLiteral("A-1"));
    // The table can no longer be searched by its code.
    raw->Exec(QStringLiteral("ALTER TABLE %1 RENAME TO Gone").arg(TRawBook::Table()));
    add();
    ASSERT_EQ(messages.Messages().size(), 1u);
    EXPECT_TRUE(messages.LastText().startsWith(QStringLiteral("顧客コードが使われているか確認できませんでした  \r\n")))
        << messages.LastText().toStdString();
    EXPECT_EQ(raw->Row(QStringLiteral("SELECT count(*) FROM Gone")).value(0), QStringLiteral("0"));
    EXPECT_EQ(find<QLineEdit>("edtCustomCode")->text(), QStringLiteral("A-1"));
}

TEST_F(RecordWrite, ChangeByAnotherProgramWhileShownIsNotWrittenOver)
{
    TAdrsRecord r = FullSampleRecord();
    int recNo = -1;
    ASSERT_EQ(WriteAdrsRow(dm->AdrsTable(), r, -1, &recNo), TWriteResult::Written);
    window->ShowInquiry(stored(recNo));

    // Another program changes the note while the record is on screen.
    raw->Exec(QStringLiteral("UPDATE %1 SET Note = '電話済み' || char(13,10) WHERE RecNo = %2")
                  .arg(TRawBook::Table())
                  .arg(recNo));
    const QByteArray before = raw->Dump();
    type("edtAdrs3", QStringLiteral("別館"));
    find<QPushButton>("btnUpdate")->click();
    EXPECT_TRUE(messages.LastText().contains(QStringLiteral("データが他で変更されています")))
        << messages.LastText().toStdString();
    EXPECT_TRUE(raw->Dump() == before);
    EXPECT_EQ(find<QLineEdit>("edtAdrs3")->text(), QStringLiteral("別館")); // the input is kept

    // Two saves in a row of one's own change are no conflict.
    window->ShowInquiry(stored(recNo));
    type("edtAdrs3", QStringLiteral("本館"));
    find<QPushButton>("btnUpdate")->click();
    type("edtAdrs3", QStringLiteral("新館"));
    find<QPushButton>("btnUpdate")->click();
    EXPECT_EQ(stored(recNo).Adrs3.Text(), QStringLiteral("新館"));
}
