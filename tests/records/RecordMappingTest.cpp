#include "RecordSamples.h"

#include "platform/Cp932.h"
#include "records/RecordMapping.h"
#include "records/RecordWriter.h"

#include <gtest/gtest.h>

TEST(RecordDisplayForms, ShowStoredValuesAsTheWindowDoes)
{
    EXPECT_EQ(recordform::PostalCodeText(QStringLiteral("1234567")), QStringLiteral("123-4567"));
    EXPECT_EQ(recordform::PostalCodeText(QStringLiteral("12345")), QStringLiteral("123-45"));
    EXPECT_EQ(recordform::PostalCodeText(QStringLiteral("123456")), QStringLiteral("123456"));
    EXPECT_EQ(recordform::PubDateText(QStringLiteral("199804")), QStringLiteral(" 1998年04月"));
    EXPECT_EQ(recordform::PubDateText(QString()), QString());
    EXPECT_EQ(recordform::DateTimeText(35930.5), QStringLiteral(" 1998/05/15 12:00:00"));
    EXPECT_EQ(recordform::DateTimeText(0), QString());
    const QDateTime t(QDate(2024, 2, 29), QTime(23, 59, 58));
    EXPECT_EQ(recordform::DateTimeText(recordform::DateTimeValue(t)), QStringLiteral(" 2024/02/29 23:59:58"));
}

TEST(RecordMapping, ChangeTestFollowsTheWriteNormalisation)
{
    const TAdrsRecord record = FullSampleRecord();
    const TRecordInput shown = InputFromRecord(record);
    auto changed = [&](auto edit) {
        TRecordInput in = shown;
        edit(in);
        return IsRecordChanged(in, record);
    };
    // What the write would store the same is no change.
    EXPECT_FALSE(changed([](TRecordInput& in) { in.Tel = QStringLiteral("0312345678"); }));
    EXPECT_FALSE(changed([](TRecordInput& in) { in.Adrs1 += QStringLiteral("  "); }));
    EXPECT_FALSE(changed([](TRecordInput& in) { in.ExtLink[3] = in.ExtLink[3].toUpper(); }));
    // Minor codes do not count while no major is chosen.
    TAdrsRecord noMajor = FullSampleRecord();
    noMajor.CodeMain = 0;
    noMajor.CodeSub = 7;
    TRecordInput noMajorInput = InputFromRecord(noMajor);
    noMajorInput.CodeSubEntry = 0;
    EXPECT_FALSE(IsRecordChanged(noMajorInput, noMajor));

    // A trailing blank after the municipality code is a change; so are real edits.
    EXPECT_TRUE(changed([](TRecordInput& in) { in.JisCode += QLatin1Char(' '); }));
    EXPECT_TRUE(changed([](TRecordInput& in) { in.ExtLink.removeLast(); }));
    EXPECT_TRUE(changed([](TRecordInput& in) { in.Note = QStringLiteral("一行目"); }));
    // A line break typed at the end starts an empty last line, which is kept.
    EXPECT_TRUE(changed([](TRecordInput& in) { in.Note += QStringLiteral("\r\n"); }));
    EXPECT_TRUE(changed([](TRecordInput& in) { in.CodeSubEntry = 504; }));
}

// Links stored by another program that the code page cannot give back (a
// lone lead byte, a tab) keep their bytes when other links are added, and do
// not keep the record from being saved; a new link must read back as chosen.
TEST(RecordMapping, StoredLinksKeepTheirBytesWhenTheListChanges)
{
    TAdrsRecord record = FullSampleRecord();
    const QList<QByteArray> stored = {cp932::Encode(QStringLiteral("C:\\表\\ソ.txt")), "a\x81", "b\tc"};
    record.ExtLink = std::make_unique<TStringList>(stored);
    TRecordInput in = InputFromRecord(record);
    in.ExtLink.swapItemsAt(0, 2);
    in.ExtLink.append(QStringLiteral("https://example.jp/能"));
    TAdrsRecord written;
    RecordFromInput(in, TRecordForm::Write, written, &record);
    ASSERT_TRUE(written.ExtLink);
    EXPECT_EQ(*written.ExtLink,
              QList<QByteArray>({stored[2], stored[1], stored[0], cp932::Encode(QStringLiteral("https://example.jp/能"))}));
    EXPECT_FALSE(CheckInputFormat(in, &record));
    ASSERT_TRUE(CheckInputFormat(in)); // the tab, as a new link
    EXPECT_EQ(CheckInputFormat(in)->Message, QStringLiteral("（U+0009）は入力できない文字です。"));
}

TEST(RecordMapping, ListingsFillTheControlsByKind)
{
    TListingDetail l = SampleCompanyListing();

    TRecordInput in;
    ApplyListing(l, in);
    EXPECT_FALSE(in.MainNumber);
    EXPECT_EQ(in.Pos, QStringLiteral("100-0001"));
    EXPECT_EQ(in.PubDate, QStringLiteral(" 1998年04月"));
    EXPECT_EQ(in.Adrs2, QStringLiteral("千代田１－１"));
    EXPECT_EQ(in.KajoCode, QStringLiteral("001002"));
    EXPECT_EQ(in.Longitude, -1500);
    // Numbers, names and categories by kind are checked on the window.

    TRecordInput person;
    l.TelKind = 3;
    l.ListingKind = 99;
    ApplyListing(l, person);
    EXPECT_TRUE(person.MainNumber);
    EXPECT_TRUE(person.CorpKanji.isEmpty());
    EXPECT_EQ(person.CodeMain, 0);
}

TEST(RecordValidation, TakesTheFormsTheWindowAllows)
{
    // Each refusal and its message is checked through the window.
    auto error = [](auto edit) {
        TRecordInput in;
        edit(in);
        const std::optional<TInputError> e = CheckInputFormat(in);
        return e ? e->Control : QString();
    };
    EXPECT_EQ(error([](TRecordInput& in) { in.CustomCode = QStringLiteral("Ab 1-2/3"); }), QString());
    EXPECT_EQ(error([](TRecordInput& in) { in.Tel = QStringLiteral(" 03-1234-5678 "); }), QString());
    EXPECT_EQ(error([](TRecordInput& in) { in.Pos = QStringLiteral("123-4567"); }), QString());
    EXPECT_EQ(error([](TRecordInput& in) { in.Pos = QStringLiteral("1234-567"); }), QString());
    EXPECT_EQ(error([](TRecordInput& in) { in.Pos = QStringLiteral("1234"); }), QStringLiteral("edtPos"));
}
