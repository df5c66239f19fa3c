#include "DrawRectTestItem.h"
#include "drawing/objects/StreamIO.h"

#include <QBuffer>

namespace {

// A device that hands out bytes but has no size, like a pipe or socket.
class TSequentialDevice : public QIODevice {
public:
    explicit TSequentialDevice(QByteArray data) : data_(std::move(data)) { open(ReadOnly); }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* out, qint64 max) override
    {
        const qint64 n = std::min<qint64>(max, data_.size() - at_);
        std::copy_n(data_.constData() + at_, n, out);
        at_ += n;
        return n;
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    QByteArray data_;
    qint64 at_ = 0;
};

class DrawRectStream : public ::testing::Test {
protected:
    void TearDown() override { DrawRectFileVersion = 0; }
};

} // namespace

TEST_F(DrawRectStream, StringsMatchGoldenBytesAndReadBack)
{
    const QByteArray written = Written([](QIODevice& out) {
        WriteStreamStr("", out);
        WriteStreamStr("A", out);
        WriteStreamStr(QStringLiteral("あ"), out);
        WriteStreamWStr(QString(), out);
        WriteStreamWStr(QStringLiteral("あ"), out);
        WriteStreamWStr(QStringLiteral("A表"), out);
    });
    const QByteArray golden = LoadHexFixture("stream-strings.hex");
    ASSERT_EQ(written.toHex(' '), golden.toHex(' '));

    QBuffer in;
    in.setData(golden);
    in.open(QIODevice::ReadOnly);
    QByteArray narrow = "stale";
    QString text = QStringLiteral("stale");
    ReadStreamStr(in, narrow);
    EXPECT_TRUE(narrow.isEmpty());
    ReadStreamStr(in, narrow);
    EXPECT_EQ(narrow, "A");
    ReadStreamStr(in, text);
    EXPECT_EQ(text, QStringLiteral("あ"));
    ReadStreamWStr(in, text);
    EXPECT_TRUE(text.isEmpty());
    ReadStreamWStr(in, text);
    EXPECT_EQ(text, QStringLiteral("あ"));
    ReadStreamWStr(in, text);
    EXPECT_EQ(text, QStringLiteral("A表"));
    EXPECT_TRUE(in.atEnd());
}

TEST_F(DrawRectStream, DamagedStringCountsFailWithoutTouchingTheTarget)
{
    const QByteArray cases[] = {
        Bytes({0xFF, 0xFF, 0xFF, 0xFF}),             // negative length
        Bytes({0x05, 0x00, 0x00, 0x00, 0xBE, 0xBE}), // runs past the end
        Bytes({0xFF, 0xFF, 0xFF, 0x7F, 0xBE}),       // absurd length
        Bytes({0x01, 0x00}),                         // count itself cut short
    };
    for (const QByteArray& data : cases) {
        SCOPED_TRACE(data.toHex(' ').toStdString());
        QBuffer in;
        in.setData(data);
        in.open(QIODevice::ReadOnly);
        QString s = QStringLiteral("kept");
        EXPECT_THROW(ReadStreamStr(in, s), EDrawRectStreamError);
        EXPECT_EQ(s, QStringLiteral("kept"));
        in.seek(0);
        EXPECT_THROW(ReadStreamWStr(in, s), EDrawRectStreamError);
        EXPECT_EQ(s, QStringLiteral("kept"));
    }
    // A wide string whose last unit is cut in half.
    QBuffer in;
    in.setData(Bytes({0x02, 0x00, 0x00, 0x00, 0xBE, 0xFF, 0x97}));
    in.open(QIODevice::ReadOnly);
    QString s;
    EXPECT_THROW(ReadStreamWStr(in, s), EDrawRectStreamError);
}

TEST_F(DrawRectStream, SequentialDeviceWithLargeCountFailsOnTheMissingBytes)
{
    // 15 MB announced, 2 bytes present: no size to check against, so the
    // read must stop at the end of data rather than trust the count.
    TSequentialDevice in(Bytes({0x00, 0x00, 0xF0, 0x00, 0xBE, 0xBE}));
    QByteArray s;
    EXPECT_THROW(ReadStreamStr(in, s), EDrawRectStreamError);

    TSequentialDevice ok(Bytes({0x01, 0x00, 0x00, 0x00, 0xBD, 0xCF}));
    QString w;
    ReadStreamWStr(ok, w);
    EXPECT_EQ(w, QStringLiteral("あ"));
}

TEST_F(DrawRectStream, FailedWritesAreReported)
{
    QBuffer closed;
    EXPECT_THROW(WriteStreamStr("A", closed), EDrawRectStreamError);
    TTestItem item;
    EXPECT_THROW(item.SaveToStream(closed), EDrawRectStreamError);

    // A string too long to be read back is refused when written, before
    // anything of it reaches the stream.
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    EXPECT_THROW(WriteStreamStr(QByteArray(kMaxStreamStrBytes + 1, 'a'), out), EDrawRectStreamError);
    EXPECT_THROW(WriteStreamWStr(QString(kMaxStreamWStrUnits + 1, u'a'), out), EDrawRectStreamError);
    EXPECT_EQ(out.size(), 0);
    const QByteArray longest(kMaxStreamStrBytes, 'a');
    WriteStreamStr(longest, out);
    out.close();
    out.open(QIODevice::ReadOnly);
    QByteArray back;
    ReadStreamStr(out, back);
    EXPECT_EQ(back, longest);
}

TEST_F(DrawRectStream, OldBaseRecordLoadsVisibleAndSavesInNewestForm)
{
    DrawRectFileVersion = 200;
    TTestItem item;
    item.SetVisible(false);
    item.SetZoom(2.0);
    EXPECT_EQ(LoadRecord(item, LoadHexFixture("base-record-v200.hex")), 16);
    EXPECT_TRUE(item.IsVisible());
    EXPECT_EQ(item.GetRect(), TRect(10, 20, 110, 70));
    EXPECT_EQ(item.GetDisplayRect(), TRect(20, 40, 220, 140));
    EXPECT_EQ(SavedRecord(item).toHex(' '), LoadHexFixture("base-record-v600.hex").toHex(' '));
}

TEST_F(DrawRectStream, CurrentBaseRecordKeepsVisibleAndExtremeCoordinates)
{
    for (qint32 version : {201, 600}) {
        DrawRectFileVersion = version;
        const QByteArray golden = LoadHexFixture("base-record-hidden.hex");
        TTestItem item;
        item.SetZoom(1.5);
        EXPECT_EQ(LoadRecord(item, golden), 17);
        EXPECT_FALSE(item.IsVisible());
        EXPECT_EQ(item.GetRect(), TRect(-5, INT32_MIN, INT32_MAX, -1));
        // Out-of-range display coordinates saturate instead of overflowing.
        EXPECT_EQ(item.GetDisplayRect(), TRect(-8, INT32_MIN, INT32_MAX, -2));
        EXPECT_EQ(SavedRecord(item), golden);
    }
}

TEST_F(DrawRectStream, UnreadableRecordsLeaveTheItemAsItWas)
{
    const QByteArray full = LoadHexFixture("base-record-v600.hex");
    struct Case {
        qint32 version;
        QByteArray data;
    } cases[] = {
        {601, full},                // written by a newer program
        {-1, full},                 // never a layout version
        {600, full.left(16)},       // Visible byte missing
        {200, full.left(15)},       // rectangle cut short
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.version);
        DrawRectFileVersion = c.version;
        TTestItem item;
        item.SetRect({1, 2, 3, 4});
        item.SetVisible(false);
        EXPECT_THROW(LoadRecord(item, c.data), EDrawRectStreamError);
        EXPECT_EQ(item.GetRect(), TRect(1, 2, 3, 4));
        EXPECT_FALSE(item.IsVisible());
    }
    DrawRectFileVersion = DrawRectCurrentVersion;
    EXPECT_NO_THROW(CheckDrawRectFileVersion());
}
