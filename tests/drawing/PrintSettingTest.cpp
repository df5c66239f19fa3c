#include "DrawRectTestItem.h"
#include "drawing/objects/PrintSetting.h"
#include "drawing/objects/StreamIO.h"

#include <QBuffer>

#include <climits>

namespace {

TPrintSetting Golden()
{
    TPrintSetting s;
    EXPECT_TRUE(s.FromBytes(LoadHexFixture("print-setting.hex")));
    return s;
}

// 108 bytes that no dialog would write: every value out of range, length
// bytes above 10, tails and reserved bytes full of data.
QByteArray Wild()
{
    QByteArray b(TPrintSetting::kSize, '\0');
    for (int i = 0; i < b.size(); ++i)
        b[i] = char(0xF0 ^ (i * 37));
    b[16] = char(200); // DefHonor's length byte
    b[27] = char(11);  // CorpHonor's
    return b;
}

} // namespace

TEST(PrintSetting, GoldenRecordReadsFieldByFieldAndWritesBackTheSameBytes)
{
    const QByteArray golden = LoadHexFixture("print-setting.hex");
    ASSERT_EQ(golden.size(), TPrintSetting::kSize);
    TPrintSetting s;
    ASSERT_TRUE(s.FromBytes(golden));

    EXPECT_EQ(s.HideTdfkn, 1);
    EXPECT_EQ(s.VertNumeral, 0);
    EXPECT_EQ(s.ChineseNumeral, 1);
    EXPECT_EQ(s.ConnectNo, 1);
    EXPECT_EQ(s.CorpNotation, 2);
    EXPECT_EQ(s.PosMark, 1);
    EXPECT_EQ(s.SenderPosMark, 2);
    EXPECT_EQ(s.DefHonor.Text(), QStringLiteral("様"));
    EXPECT_EQ(s.CorpHonor.Text(), QStringLiteral("御中"));
    EXPECT_EQ(s.PostHonor.Text(), QStringLiteral("表ソ"));
    EXPECT_EQ(s.SenderHonor.Text(), QStringLiteral("行"));
    EXPECT_EQ(s.AddressSize, 1);
    EXPECT_EQ(s.NameSize, 2);
    EXPECT_EQ(s.AdditionSize, 3);
    EXPECT_EQ(s.SenderAddressSize, 4);
    EXPECT_EQ(s.SenderNameSize, 5);
    EXPECT_EQ(s.SenderAdditionSize, 3);
    EXPECT_EQ(s.CorpRatio, 3);
    EXPECT_EQ(s.DptmntRatio, 4);
    EXPECT_EQ(s.PostRatio, 5);
    EXPECT_EQ(s.CharSpace, 1);
    EXPECT_EQ(s.NameAlign, 2);
    EXPECT_EQ(s.SenderNameAlign, 3);
    EXPECT_EQ(s.SenderJointSeries, 1);
    EXPECT_EQ(s.CorpBreak, 1);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(s.Reserved.data()), 7), QByteArray("RESERVD"));

    EXPECT_EQ(s.ToBytes().toHex(' '), golden.toHex(' '));

    // The same through a stream, as the layout files hold it.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    s.SaveToStream(out);
    EXPECT_EQ(out.data(), golden);
    QBuffer in;
    in.setData(golden + "tail");
    in.open(QIODevice::ReadOnly);
    TPrintSetting r;
    r.LoadFromStream(in);
    EXPECT_EQ(r, s);
    EXPECT_EQ(in.pos(), TPrintSetting::kSize);
}

TEST(PrintSetting, AnyStoredBytesComeBackUnchangedAndShortDataIsRefused)
{
    const QByteArray wild = Wild();
    TPrintSetting s;
    ASSERT_TRUE(s.FromBytes(wild));
    EXPECT_EQ(s.ToBytes().toHex(' '), wild.toHex(' '));
    EXPECT_EQ(s.DefHonor.Length, 200);

    // Too little data leaves the record as it was, from memory and from a stream.
    const TPrintSetting before = s;
    EXPECT_FALSE(s.FromBytes(wild.left(TPrintSetting::kSize - 1)));
    QBuffer in;
    in.setData(LoadHexFixture("print-setting.hex").left(100));
    in.open(QIODevice::ReadOnly);
    EXPECT_THROW(s.LoadFromStream(in), EDrawRectStreamError);
    EXPECT_EQ(s, before);
}

TEST(PrintSetting, ShortStringsReadAtMostTenBytesAndKeepTheirTails)
{
    TPrintSetting s;
    ASSERT_TRUE(s.FromBytes(Wild()));
    // A length byte above 10 reads as ten bytes of text but is kept as stored.
    EXPECT_LE(s.DefHonor.TextBytes().size(), 10);
    EXPECT_LE(s.CorpHonor.TextBytes().size(), 10);
    EXPECT_EQ(s.ToBytes()[16], char(200));

    // A double-byte character cut off by the length is not read half.
    TShortHonor h;
    const QByteArray sama = QByteArray::fromHex("976c976c976c976c97");
    std::copy(sama.begin(), sama.end(), h.Bytes.begin());
    h.Length = 9;
    EXPECT_EQ(h.Text(), QStringLiteral("様様様様"));

    // Putting in a shorter text leaves the bytes after it alone; a longer
    // one is cut at 10 bytes without splitting a character.
    TPrintSetting g = Golden();
    g.DefHonor.SetText(QStringLiteral("殿"));
    QByteArray expected = LoadHexFixture("print-setting.hex");
    expected.replace(16, 3, QByteArray::fromHex("02 93 61"));
    EXPECT_EQ(g.ToBytes().toHex(' '), expected.toHex(' '));
    g.DefHonor.SetText(QStringLiteral("株式会社御中"));
    EXPECT_EQ(g.DefHonor.Length, 10);
    EXPECT_EQ(g.DefHonor.Text(), QStringLiteral("株式会社御"));
    g.DefHonor.SetText(QStringLiteral("A株式会社御中"));
    EXPECT_EQ(g.DefHonor.Length, 9);
    EXPECT_EQ(g.DefHonor.Text(), QStringLiteral("A株式会社"));
    g.DefHonor.Clear();
    EXPECT_EQ(g.DefHonor.Text(), QString());
    EXPECT_EQ(g.DefHonor.Bytes[0], 'A'); // what was there stays for the file
}

TEST(PrintSetting, SizesRatiosAndAlignmentsAreClampedWhereUsed)
{
    EXPECT_EQ(TPrintSetting::SizeStep(0), 1);
    EXPECT_EQ(TPrintSetting::SizeStep(INT_MIN), 1);
    EXPECT_EQ(TPrintSetting::SizeStep(4), 4);
    EXPECT_EQ(TPrintSetting::SizeStep(INT_MAX), 5);
    EXPECT_DOUBLE_EQ(TPrintSetting::RatioFraction(0), 1.0);
    EXPECT_DOUBLE_EQ(TPrintSetting::RatioFraction(3), 0.7);
    EXPECT_DOUBLE_EQ(TPrintSetting::RatioFraction(-1), 1.0);
    EXPECT_DOUBLE_EQ(TPrintSetting::RatioFraction(INT_MAX), 0.5);
    EXPECT_EQ(TPrintSetting::Align(2), 2);
    EXPECT_EQ(TPrintSetting::Align(200), 3);
}

namespace {

struct TDefaultsCase {
    const char* name;
    void (*apply)(TPrintSetting&);
    // Sizes in stored order, address .. sender addition; -1: left alone.
    int sizes[6];
    const char* honors[4]; // nullptr: left alone
    int posMark;           // -1: left alone
    int senderPosMark;
};

void AddressPlain(TPrintSetting& s) { SetAddressSideDefaults(s, false); }
void AddressPictured(TPrintSetting& s) { SetAddressSideDefaults(s, true); }
void LabelOnLabel(TPrintSetting& s) { SetLabelDefaults(s, kPaperKindLabel); }
void LabelOnCard(TPrintSetting& s) { SetLabelDefaults(s, kPaperKindCard); }
void MessageSide(TPrintSetting& s) { SetMessageSideDefaults(s); }

} // namespace

TEST(PrintSetting, EachDesignerPresetSetsItsFieldsAndLeavesTheRest)
{
    const TDefaultsCase cases[] = {
        {"address side, plain paper", AddressPlain, {3, 3, 3, 3, 3, 3}, {"様", "御中", "様", "行"}, 2, 1},
        {"address side, pictured paper", AddressPictured, {3, 3, 3, 3, 3, 3}, {"様", "御中", "様", "行"}, 0, 0},
        {"label paper", LabelOnLabel, {3, 3, 3, 3, 3, 3}, {"様", "御中", "様", "行"}, 2, -1},
        {"business-card paper", LabelOnCard, {3, 3, 3, 3, 3, 3}, {"", nullptr, nullptr, nullptr}, -1, -1},
        {"message side", MessageSide, {3, 3, -1, 3, 3, 3}, {nullptr, nullptr, nullptr, nullptr}, -1, 1},
    };
    for (const TDefaultsCase& c : cases) {
        SCOPED_TRACE(c.name);
        // A designer just made holds zeros; an older record shows what is left alone.
        for (const bool fresh : {true, false}) {
            TPrintSetting s;
            if (!fresh) {
                ASSERT_TRUE(s.FromBytes(Wild()));
            }
            const TPrintSetting before = s;
            c.apply(s);

            const qint32 sizes[] = {s.AddressSize, s.NameSize, s.AdditionSize,
                                    s.SenderAddressSize, s.SenderNameSize, s.SenderAdditionSize};
            const qint32 was[] = {before.AddressSize, before.NameSize, before.AdditionSize,
                                  before.SenderAddressSize, before.SenderNameSize, before.SenderAdditionSize};
            for (int i = 0; i < 6; ++i)
                EXPECT_EQ(sizes[i], c.sizes[i] < 0 ? was[i] : c.sizes[i]) << "size " << i;
            EXPECT_EQ(s.CorpRatio, 3);
            EXPECT_EQ(s.DptmntRatio, 4);
            EXPECT_EQ(s.PostRatio, 5);
            EXPECT_EQ(s.CharSpace, 1);

            const TShortHonor* honors[] = {&s.DefHonor, &s.CorpHonor, &s.PostHonor, &s.SenderHonor};
            const TShortHonor* honorsWere[] = {&before.DefHonor, &before.CorpHonor, &before.PostHonor,
                                               &before.SenderHonor};
            for (int i = 0; i < 4; ++i) {
                if (c.honors[i])
                    EXPECT_EQ(honors[i]->Text(), QString::fromUtf8(c.honors[i])) << "honorific " << i;
                else
                    EXPECT_EQ(*honors[i], *honorsWere[i]) << "honorific " << i;
            }
            EXPECT_EQ(s.PosMark, c.posMark < 0 ? before.PosMark : c.posMark);
            EXPECT_EQ(s.SenderPosMark, c.senderPosMark < 0 ? before.SenderPosMark : c.senderPosMark);

            // What no preset names stays as it was.
            const QByteArray a = s.ToBytes(), b = before.ToBytes();
            EXPECT_EQ(a.left(4), b.left(4));
            EXPECT_EQ(a.mid(4, 4), b.mid(4, 4)); // CorpNotation
            EXPECT_EQ(a.mid(97), b.mid(97));     // alignments, joint names, line breaks, reserved
        }
    }
}
