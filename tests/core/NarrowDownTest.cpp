// The filter's evaluator against an oracle of its own over code page 932
// bytes, and the two stored forms (Search.ptn, Search.lst) byte for byte,
// cut short and damaged.
#include "core/NarrowDown.h"
#include "core/SearchPatterns.h"

#include "core/AdrsBook.h"
#include "core/AdrsListCache.h"
#include "core/AdrsRecord.h"
#include "core/DBInfo.h"
#include "core/FieldCipher.h"
#include "core/Settings.h"
#include "core/common/AddressText.h"
#include "platform/Cp932.h"

#include "support/CorpusReplay.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <sys/resource.h>

#define LLVMFuzzerTestOneInput SearchPtnFuzzOne
#include "../../fuzz/search_ptn_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput
#define LLVMFuzzerTestOneInput SearchLstFuzzOne
#include "../../fuzz/search_lst_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

namespace {

QByteArray sj(const char* utf8) { return cp932::Encode(QString::fromUtf8(utf8)); }

TNarrowDownItem textCond(int item, const char* text, int match)
{
    TNarrowDownItem c;
    c.Item = item;
    c.Kind = ndkText;
    c.Text = IsWideNarrowDownItem(item) ? WideToAtHex(QString::fromUtf8(text)) : sj(text);
    c.Match = c.Text.isEmpty() ? ndmNone : match;
    return c;
}

TNarrowDownItem valueCond(int item, int kind, int v1, int v2 = 0, bool exclude = false)
{
    TNarrowDownItem c;
    c.Item = item;
    c.Kind = kind;
    c.Value1 = v1;
    c.Value2 = v2;
    c.Exclude = exclude;
    return c;
}

// ---------------------------------------------------------------- oracle

// The record's values as code page 932 bytes, the way the original file
// format would hold them.
struct TOracleRow {
    std::array<QByteArray, kNarrowDownItemCount> text; // text items, untrimmed
    std::array<QByteArray, 4> address;
    int telDiv = 0;
    bool privCorp = false;
    QByteArray pubDate, symbol;
    int codeMain = 0, codeSub = 0;
};

QByteArray oTrim(const QByteArray& b)
{
    qsizetype s = 0, e = b.size();
    while (s < e && uchar(b[s]) <= 0x20)
        ++s;
    while (e > s && uchar(b[e - 1]) <= 0x20)
        --e;
    return b.mid(s, e - s);
}

bool oLead(uchar c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Byte comparison that starts only where a character starts.
bool oMatch(const QByteArray& v, const QByteArray& t, int match)
{
    if (t.isEmpty())
        return v.isEmpty();
    for (qsizetype i = 0; i < v.size(); i += oLead(uchar(v[i])) ? 2 : 1) {
        const bool here = v.size() - i >= t.size() && memcmp(v.constData() + i, t.constData(), size_t(t.size())) == 0;
        if (match == ndmFront)
            return here;
        if (match == ndmAnywhere && here)
            return true;
        if (match == ndmRear && here && i + t.size() == v.size())
            return true;
    }
    return false;
}

bool oHolds(const TNarrowDownItem& c, const TOracleRow& r, bool locked)
{
    switch (c.Kind) {
    case ndkText: {
        if (c.Item == ndMyNumber && locked)
            return false;
        QByteArray v;
        if (c.Item == ndAddress)
            for (const QByteArray& part : r.address)
                v += oTrim(part);
        else
            v = oTrim(r.text[size_t(c.Item)]);
        const QByteArray t = IsWideNarrowDownItem(c.Item) ? cp932::Encode(AtHexToWide(c.Text)) : c.Text;
        return oMatch(v, t, c.Match);
    }
    case ndkChoice: {
        bool h = false;
        if (c.Item == ndTelDiv)
            h = (r.telDiv == 3) == (c.Value1 == 0);
        else if (c.Item == ndPrivCorp)
            h = r.privCorp == (c.Value1 == 0);
        else
            h = cp932::Decode(r.symbol) == NarrowDownChoices(ndSymbolMark).value(c.Value1);
        return h != c.Exclude;
    }
    case ndkRange: {
        bool ok = false;
        const int n = QString::fromLatin1(oTrim(r.pubDate)).toInt(&ok);
        return ok && !oTrim(r.pubDate).startsWith('+') && c.Value1 <= n && n <= c.Value2;
    }
    case ndkCategory: {
        const bool h = r.codeMain == c.Value1 / 100 && (c.Value1 % 100 == 0 || r.codeSub == c.Value1 % 100);
        return h != c.Exclude;
    }
    }
    return false;
}

bool oPasses(const TNarrowDownCondition& f, const TOracleRow& r, bool locked)
{
    if (f.Items.empty())
        return true;
    for (const TNarrowDownItem& c : f.Items)
        if (oHolds(c, r, locked) != f.MatchAll)
            return !f.MatchAll;
    return f.MatchAll;
}

// Pieces whose trail byte is 0x5C stand beside the backslash itself.
const std::vector<QString> kPieces = {QStringLiteral("表"), QStringLiteral("ソ"), QStringLiteral("能"),
                                      QStringLiteral("\\"), QStringLiteral("A"), QStringLiteral("1"),
                                      QStringLiteral("ア"), QStringLiteral(" "), QStringLiteral("\\\\")};

class NarrowDownBook : public ::testing::Test {
protected:
    void SetUp() override
    {
        LoadSettings();
        BuildAdrsBookList();
        ASSERT_TRUE(CreateAdrsBook(QStringLiteral("検索")));
    }

    QString piece(int maxPieces)
    {
        QString s;
        const int n = int(rng() % unsigned(maxPieces + 1));
        for (int i = 0; i < n; ++i)
            s += kPieces[rng() % kPieces.size()];
        return s;
    }

    // A book of rows whose every filtered field is drawn from the pieces.
    void MakeBook(int count)
    {
        TSqlTable table(AdrsTableDef());
        table.Open(AdrsTableFileName(QStringLiteral("検索")));
        const std::vector<QString> dates = {QString(), QStringLiteral("199804"), QStringLiteral("200512"),
                                            QStringLiteral("201001"), QStringLiteral("1")};
        for (int i = 0; i < count; ++i) {
            TAdrsRecord r;
            InitNewAdrsRecord(r, true);
            TOracleRow o;
            auto set = [&](auto& field, int item, int pieces = 3) {
                field.SetText(piece(pieces));
                if (item >= 0)
                    o.text[size_t(item)] = field.Bytes();
            };
            set(r.CustomCode, 0);
            // Telephone-type numbers are stored as their digits.
            auto digits = [&](auto& field, int item) {
                field.SetText(QString::number(rng() % 1000));
                o.text[size_t(item)] = field.Bytes();
            };
            digits(r.Tel, 1);
            digits(r.Fax, 3);
            digits(r.Portable1, 5);
            digits(r.Portable2, 6);
            set(r.Pos, 7, 2);
            set(r.Tdfkn, -1, 2);
            set(r.Adrs1, -1);
            set(r.Adrs2, -1);
            set(r.Adrs3, -1);
            o.address = {r.Tdfkn.Bytes(), r.Adrs1.Bytes(), r.Adrs2.Bytes(), r.Adrs3.Bytes()};
            const QByteArray number = cp932::Encode(piece(3));
            r.MyNumber.Assign(EncryptAESString(number, kFieldKey));
            o.text[ndMyNumber] = number;
            set(r.CorpKanji, 11);
            set(r.Dptmnt, 12);
            set(r.Post, 13);
            set(r.EmployeeNo, 14);
            set(r.NameKanji, 15);
            set(r.URL, 16);
            set(r.EMail1, 17);
            set(r.EMail2, 18);
            for (int j = 0; j < 5; ++j)
                set(r.Joint[size_t(j)], ndJoint1 + j, 2);
            for (int j = 0; j < 8; ++j)
                set(r.Keyword[size_t(j)], ndKeyword1 + j);
            const QByteArray note = cp932::Encode(piece(2) + QStringLiteral("\r\n") + piece(2) + QStringLiteral("\r\n"));
            r.Note = TLineList::FromStored(note);
            o.text[ndNote] = note;
            r.TelDiv = o.telDiv = int(rng() % 4);
            r.PrivCorp = o.privCorp = rng() % 2;
            r.PubDate.SetText(dates[rng() % dates.size()]);
            o.pubDate = r.PubDate.Bytes();
            const QStringList marks = NarrowDownChoices(ndSymbolMark);
            r.SymbolMark.SetText(rng() % 4 ? marks[int(rng() % 6)] : QString());
            o.symbol = r.SymbolMark.Bytes();
            r.CodeMain = o.codeMain = int(rng() % 3);
            r.CodeSub = o.codeSub = int(rng() % 3);
            table.Append();
            WriteAdrsRecord(r, table);
            table.Post();
            rows.push_back(o);
        }
        cache.Load(table);
    }

    TNarrowDownItem randomCondition()
    {
        const int item = int(rng() % kNarrowDownItemCount);
        switch (NarrowDownKindOf(item)) {
        case ndkText: {
            TNarrowDownItem c = textCond(item, "", 0);
            const QString t = IsDigitsNarrowDownItem(item) && item != ndPos ? QString::number(rng() % 10) : piece(2);
            c.Text = NarrowDownTextFromInput(item, t);
            c.Match = c.Text.isEmpty() ? ndmNone : int(rng() % 3);
            return c;
        }
        case ndkChoice:
            return valueCond(item, ndkChoice, int(rng() % NarrowDownChoices(item).size()), 0, rng() % 2);
        case ndkRange: {
            const int a = 199500 + int(rng() % 21) * 100 + 1 + int(rng() % 12);
            return valueCond(item, ndkRange, a, a + int(rng() % 2000));
        }
        default:
            return valueCond(item, ndkCategory, int(rng() % 3) * 100 + int(rng() % 3), 0, rng() % 2);
        }
    }

    TTempDataFolder folder;
    std::unique_ptr<TDMTelvora21> dm = std::make_unique<TDMTelvora21>();
    std::mt19937 rng{20261207};
    TAdrsListCache cache;
    std::vector<TOracleRow> rows;
};

TEST_F(NarrowDownBook, AgreesWithByteOracleOnRandomConditionsOverTrailByteTraps)
{
    MakeBook(150);
    ASSERT_EQ(cache.Count(), 150);
    int passed = 0, total = 0;
    for (int round = 0; round < 400; ++round) {
        TNarrowDownCondition f;
        f.MatchAll = rng() % 2;
        const int n = int(rng() % 11);
        for (int i = 0; i < n; ++i)
            f.Items.push_back(randomCondition());
        const bool locked = round % 5 == 0;
        const TNarrowDownEvaluator eval(f, [locked] { return locked; });
        const std::vector<std::uint8_t> passing = eval.PassingRows(cache);
        ASSERT_EQ(passing.size(), size_t(cache.Count()));
        for (int row = 0; row < cache.Count(); ++row) {
            for (int i = 0; i < n; ++i)
                ASSERT_EQ(eval.Holds(i, cache, row), oHolds(f.Items[size_t(i)], rows[size_t(row)], locked))
                    << "item " << f.Items[size_t(i)].Item << " text " << f.Items[size_t(i)].Text.toHex().constData()
                    << " match " << f.Items[size_t(i)].Match << " row " << row;
            const bool p = eval.Passes(cache, row);
            ASSERT_EQ(p, oPasses(f, rows[size_t(row)], locked));
            ASSERT_EQ(passing[size_t(row)] != 0, p) << "row " << row;
            passed += p;
            ++total;
        }
    }
    // The draw must exercise both outcomes, or the agreement says nothing.
    EXPECT_GT(passed, total / 20);
    EXPECT_LT(passed, total - total / 20);
}

TEST_F(NarrowDownBook, TrailByteIsNeverTakenForBackslashAndBlanksTrimOnlyTheValue)
{
    TSqlTable table(AdrsTableDef());
    table.Open(AdrsTableFileName(QStringLiteral("検索")));
    auto add = [&](auto fill) {
        TAdrsRecord r;
        InitNewAdrsRecord(r, true);
        fill(r);
        table.Append();
        WriteAdrsRecord(r, table);
        table.Post();
    };
    add([](TAdrsRecord& r) { r.CorpKanji.SetText(QStringLiteral("  表ソ能  ")); r.Adrs2.SetText(QStringLiteral("表")); });
    add([](TAdrsRecord& r) { r.CorpKanji.SetText(QStringLiteral("A\\")); r.Tdfkn.SetText(QStringLiteral("\\")); });
    cache.Load(table);
    auto shown = [&](const TNarrowDownItem& c) {
        const TNarrowDownEvaluator e({{c}, true}, [] { return false; });
        return std::vector<bool>{e.Passes(cache, 0), e.Passes(cache, 1)};
    };
    using V = std::vector<bool>;
    EXPECT_EQ(shown(textCond(ndCorpKanji, "\\", ndmAnywhere)), (V{false, true}));
    EXPECT_EQ(shown(textCond(ndCorpKanji, "\\", ndmRear)), (V{false, true}));
    EXPECT_EQ(shown(textCond(ndCorpKanji, "表ソ", ndmFront)), (V{true, false}));   // value trimmed
    EXPECT_EQ(shown(textCond(ndCorpKanji, "能 ", ndmRear)), (V{false, false}));     // text is not
    EXPECT_EQ(shown(textCond(ndAddress, "\\", ndmAnywhere)), (V{false, true}));
    EXPECT_EQ(shown(textCond(ndAddress, "", ndmNone)), (V{false, false}));
    EXPECT_EQ(shown(textCond(14, "", ndmNone)), (V{true, true}));
}

// ---------------------------------------------------------------- Search.ptn

TSearchPattern telPattern()
{
    TSearchPattern p;
    p.Name = QStringLiteral("テスト");
    p.Condition.Items = {textCond(ndTel, "0312345678", ndmFront), valueCond(ndPubDate, ndkRange, 200001, 201512)};
    p.Condition.MatchAll = true;
    return p;
}

// Awkward shapes: 0x5C trail bytes in name and text, a category without a
// minor, a name code page 932 cannot hold, a note text ending in an empty
// line, an empty pattern named as if it were wide text.
TSearchPatterns awkwardPatterns()
{
    TSearchPatterns ps{telPattern()};
    TSearchPattern a;
    a.Name = QStringLiteral("表ソ能\\");
    a.Condition.Items = {textCond(ndCorpKanji, "表示ソフト", ndmRear), valueCond(ndCategory, ndkCategory, 300, 0, true),
                         textCond(ndName, "𠮷野", ndmAnywhere), textCond(ndNote, "行\r\n", ndmAnywhere)};
    a.Condition.Items.back().Text = sj("行\r\n\r\n");
    a.Condition.MatchAll = false;
    ps.push_back(a);
    TSearchPattern b;
    b.Name = QStringLiteral("髙𠮷");
    b.Condition.Items = {valueCond(ndSymbolMark, ndkChoice, 5), textCond(ndAddress, "", ndmNone)};
    ps.push_back(b);
    TSearchPattern empty;
    empty.Name = QStringLiteral("@0041");
    ps.push_back(empty);
    return ps;
}

TEST(SearchPatternFile, TelephonePatternIsWrittenByteForByte)
{
    TTempDataFolder folder;
    ASSERT_TRUE(SaveSearchPatterns({telPattern()}));
    const QByteArray expected = QByteArray::fromHex(
        "01" "06" "836583588367" "02"                          // one pattern, テスト, two conditions
        "0100" "0a000000" "30333132333435363738" "00" "00"     // 電話番号, front match
        "040b" "410d0300" "28130300" "ff" "00"                 // 初期掲載年月 200001-201512
        "01");                                                 // all must hold
    ASSERT_EQ(expected.size(), 40);
    EXPECT_EQ(ReadFile(SearchPatternFileName()).toHex(), expected.toHex());
    EXPECT_EQ(LoadSearchPatterns().size(), 1u);
    EXPECT_TRUE(LoadSearchPatterns()[0].Condition == telPattern().Condition);
}

// A name is one line in the file whatever it is given: a line break that
// an older file held is written as the blank the list showed. A character
// code page 932 cannot hold is kept.
TEST(SearchPatternFile, ANameIsWrittenOnOneLine)
{
    TSearchPattern broken = telPattern();
    broken.Name = QStringLiteral("営業先\r\nリスト\t表髙𠮷");
    QByteArray bytes;
    ASSERT_TRUE(EncodeSearchPatterns({broken}, bytes));
    const QByteArray name = SearchPatternNameBytes(broken.Name);
    EXPECT_TRUE(std::none_of(name.begin(), name.end(), [](char b) { return uchar(b) < 0x20; })) << name.toHex().data();
    EXPECT_TRUE(bytes.contains(name));
    const TSearchPatterns back = ParseSearchPatterns(bytes);
    ASSERT_EQ(back.size(), 1u);
    EXPECT_EQ(back[0].Name, QStringLiteral("営業先 リスト 表髙𠮷"));
    EXPECT_TRUE(back[0].Condition == broken.Condition);
}

TEST(SearchPatternFile, AwkwardPatternsRoundTripThroughTheirBytes)
{
    QByteArray bytes;
    ASSERT_TRUE(EncodeSearchPatterns(awkwardPatterns(), bytes));
    const TSearchPatterns back = ParseSearchPatterns(bytes);
    ASSERT_EQ(back.size(), awkwardPatterns().size());
    for (size_t i = 0; i < back.size(); ++i) {
        EXPECT_EQ(back[i].Name, awkwardPatterns()[i].Name);
        EXPECT_TRUE(back[i].Condition == awkwardPatterns()[i].Condition) << i;
    }
    QByteArray again;
    ASSERT_TRUE(EncodeSearchPatterns(back, again));
    EXPECT_EQ(again, bytes);
    // A name code page 932 cannot hold is kept as wide text and found again.
    EXPECT_TRUE(bytes.contains(WideToAtHex(QStringLiteral("髙𠮷"))));
    EXPECT_EQ(IndexOfSearchPattern(back, QStringLiteral("髙𠮷")), 2);
    EXPECT_EQ(IndexOfSearchPattern(back, QStringLiteral("@0041")), 3);
}

// Where each pattern of the encoded list ends.
std::vector<qsizetype> patternEnds(const TSearchPatterns& ps)
{
    std::vector<qsizetype> ends;
    for (size_t n = 1; n <= ps.size(); ++n) {
        QByteArray b;
        EncodeSearchPatterns(TSearchPatterns(ps.begin(), ps.begin() + qsizetype(n)), b);
        ends.push_back(b.size());
    }
    return ends;
}

TEST(SearchPatternFile, EveryCutKeepsExactlyTheCompletePatternsBeforeIt)
{
    const TSearchPatterns ps = awkwardPatterns();
    QByteArray bytes;
    ASSERT_TRUE(EncodeSearchPatterns(ps, bytes));
    const std::vector<qsizetype> ends = patternEnds(ps);
    for (qsizetype cut = 0; cut <= bytes.size(); ++cut) {
        size_t complete = 0;
        while (complete < ends.size() && ends[complete] <= cut)
            ++complete;
        const TSearchPatterns back = ParseSearchPatterns(bytes.left(cut));
        ASSERT_EQ(back.size(), complete) << "cut at " << cut;
        for (size_t i = 0; i < complete; ++i)
            ASSERT_TRUE(back[i].Condition == ps[i].Condition && back[i].Name == ps[i].Name);
    }
}

TEST(SearchPatternFile, OutOfRangeValuesAreDamageThatKeepsThePatternsBefore)
{
    const TSearchPatterns ps = awkwardPatterns();
    QByteArray bytes;
    ASSERT_TRUE(EncodeSearchPatterns(ps, bytes));
    const qsizetype second = patternEnds(ps)[0]; // the second pattern starts here
    const qsizetype firstCondition = second + 1 + sj("表ソ能\\").size() + 1;
    const qsizetype lengthAt = firstCondition + 2;
    const qsizetype afterText = lengthAt + 4 + sj("表示ソフト").size();
    struct TDamage {
        const char* what;
        qsizetype at;
        QByteArray bytes;
    };
    const std::vector<TDamage> damages = {
        {"unknown item", firstCondition, QByteArray::fromHex("23")},
        {"kind of another item", firstCondition + 1, QByteArray::fromHex("01")},
        {"unknown kind", firstCondition + 1, QByteArray::fromHex("05")},
        {"negative length", lengthAt, QByteArray::fromHex("ffffffff")},
        {"huge length", lengthAt, QByteArray::fromHex("ffffff7f")},
        {"bad match code", afterText, QByteArray::fromHex("03")},
        {"exclude not 0/1", afterText + 1, QByteArray::fromHex("02")},
    };
    for (const TDamage& d : damages) {
        QByteArray damaged = bytes;
        damaged.replace(d.at, d.bytes.size(), d.bytes);
        const TSearchPatterns back = ParseSearchPatterns(damaged);
        ASSERT_EQ(back.size(), 1u) << d.what;
        EXPECT_TRUE(back[0].Condition == ps[0].Condition) << d.what;
    }
    // A choice beyond its choices and an all/any byte beyond 0/1.
    TSearchPatterns bad = {telPattern(), telPattern()};
    bad[1].Condition.Items = {valueCond(ndTelDiv, ndkChoice, 1)};
    ASSERT_TRUE(EncodeSearchPatterns(bad, bytes));
    EXPECT_EQ(ParseSearchPatterns(bytes).size(), 1u);
    bad[1].Condition.Items.clear();
    ASSERT_TRUE(EncodeSearchPatterns(bad, bytes));
    bytes[bytes.size() - 1] = 2;
    EXPECT_EQ(ParseSearchPatterns(bytes).size(), 1u);
}

TEST(SearchPatternFile, FailedOrRefusedWritesLeaveTheOldFileAndTheLastDeleteRemovesIt)
{
    TTempDataFolder folder;
    const QString file = SearchPatternFileName();
    ASSERT_TRUE(SaveSearchPatterns({telPattern()}));
    const QByteArray old = ReadFile(file);

    // A 256th pattern does not fit the one-byte count.
    TSearchPatterns many(256, telPattern());
    EXPECT_FALSE(SaveSearchPatterns(many));
    EXPECT_EQ(ReadFile(file), old);
    many.pop_back();
    EXPECT_TRUE(SaveSearchPatterns(many));
    EXPECT_EQ(LoadSearchPatterns().size(), 255u);
    ASSERT_TRUE(SaveSearchPatterns({telPattern()}));

    // The disk refusing the bytes half-way (file size limit).
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    rlimit tight = saved;
    tight.rlim_cur = 20;
    setrlimit(RLIMIT_FSIZE, &tight);
    const bool written = SaveSearchPatterns(awkwardPatterns());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(ReadFile(file), old);
    EXPECT_EQ(QDir(folder.path() + QStringLiteral("Data")).entryList(QDir::Files | QDir::Hidden),
              QStringList{QStringLiteral("Search.ptn")});

    ASSERT_TRUE(SaveSearchPatterns({}));
    EXPECT_FALSE(QFile::exists(file));
    EXPECT_TRUE(SaveSearchPatterns({})); // nothing to delete is no failure
    EXPECT_TRUE(LoadSearchPatterns().empty());
}

// ---------------------------------------------------------------- Search.lst

TEST(SearchListFile, CurrentFilterRoundTripsAndACutConditionIsDropped)
{
    TTempDataFolder folder;
    TSavedFilter f;
    f.Condition = awkwardPatterns()[1].Condition;
    f.Disabled = true;
    ASSERT_TRUE(SaveSearchList(f));
    const QByteArray bytes = ReadFile(SearchListFileName());
    EXPECT_EQ(bytes.left(9).toHex(), QByteArray("54534c530100000104"));
    const TSavedFilter back = LoadSearchList();
    EXPECT_TRUE(back.Condition == f.Condition);
    EXPECT_TRUE(back.Disabled);
    EXPECT_EQ(EncodeSearchList(back), bytes);

    for (qsizetype cut = 0; cut < bytes.size(); ++cut) {
        const TSavedFilter part = ParseSearchList(bytes.left(cut));
        if (cut < 9) {
            EXPECT_TRUE(part.Condition.Items.empty() && !part.Disabled) << cut;
            continue;
        }
        ASSERT_LT(part.Condition.Items.size(), f.Condition.Items.size());
        for (size_t i = 0; i < part.Condition.Items.size(); ++i)
            EXPECT_EQ(part.Condition.Items[i], f.Condition.Items[i]);
    }
    QByteArray otherVersion = bytes;
    otherVersion[4] = 2;
    EXPECT_TRUE(ParseSearchList(otherVersion).Condition.Items.empty());
}

TEST(SearchFileCorpus, SeedsReadWithoutFault)
{
    ReplayFuzzCorpus("search_ptn", 3, SearchPtnFuzzOne);
    ReplayFuzzCorpus("search_lst", 3, SearchLstFuzzOne);
}

} // namespace
