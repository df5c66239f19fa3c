#include "drawing/objects/DrawItems.h"
#include "drawing/objects/ImageUtils.h"
#include "drawing/objects/QRCode.h"
#include "drawing/objects/QRCodeRect.h"
#include "drawing/objects/StreamIO.h"
#include "platform/Canvas.h"
#include "platform/Cp932.h"
#include "platform/Printer.h"
#include "platform/RefDevice.h"
#include "support/CanvasTestSupport.h"

#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <memory>

namespace {

const QByteArray kHyo = cp932::Encode(QStringLiteral("表")); // 0x95 0x5C
const QByteArray kSo = cp932::Encode(QStringLiteral("ソ"));  // 0x83 0x5C

QByteArray Record(const TQRCodeRect& q)
{
    QBuffer out;
    out.open(QIODevice::WriteOnly);
    q.SaveToStream(out);
    return out.data();
}

void Load(TQRCodeRect& q, const QByteArray& bytes, qint32 version)
{
    const qint32 saved = DrawRectFileVersion;
    DrawRectFileVersion = version;
    QBuffer in;
    in.setData(bytes);
    in.open(QIODevice::ReadOnly);
    try {
        q.LoadFromStream(in);
    } catch (...) {
        DrawRectFileVersion = saved;
        throw;
    }
    DrawRectFileVersion = saved;
}

// What zbarimg reads from a picture, as bytes (-Sbinary keeps Shift-JIS and
// its 0x5C bytes as they are).
QByteArray Scan(const QString& png)
{
    QProcess p;
    p.start(QStringLiteral("zbarimg"), {QStringLiteral("--raw"), QStringLiteral("-q"), QStringLiteral("-Sbinary"), png});
    p.waitForFinished(30000);
    return p.readAllStandardOutput();
}

// Every field set, with the awkward bytes: 0x5C trail bytes, separators, a
// note ending in an empty line.
void Fill(TQRCodeRect& q)
{
    q.SetText("t\\" + kHyo + ";" + kSo + ":,");
    q.SetName(kHyo + "A;B");
    q.SetKana("\xcb\xae\xb3"); // half-width katakana
    q.SetTel(0, "0312345678");
    q.SetTel(1, "09011112222");
    q.SetMail(0, "a@b.jp");
    q.SetMail(1, "c:d@e.jp");
    q.SetMemo("line\r\n");
    q.SetMailTo("to@x.jp");
    q.SetSubject(kSo);
    q.SetBody("body;\r\n");
    q.SetCodeSize(4);
    q.SetColor(0x00112233);
    q.SetBackColor(0x00F0E0D0);
}

} // namespace

TEST(QRCodeText, EscapingWorksOnCharactersNotOnTrailBytes)
{
    EXPECT_EQ(EscapeQRCodeText("a\\b:c;d,e", false), "a\\\\b\\:c\\;d,e");
    EXPECT_EQ(EscapeQRCodeText("a\\b:c;d,e", true), "a\\\\b\\:c\\;d\\,e");
    // 表 and ソ end in 0x5C; only the real backslash after them is escaped.
    EXPECT_EQ(EscapeQRCodeText(kHyo + kSo + "\\", true), kHyo + kSo + "\\\\");
    // A lead byte at the very end has no trail byte to protect.
    EXPECT_EQ(EscapeQRCodeText(QByteArray(";\x95", 2), false), QByteArray("\\;\x95", 3));
}

TEST(QRCodeText, PayloadFormsLeaveOutEmptyFields)
{
    TQRCodeRect q;
    q.SetDataKind(qdMeCard);
    q.SetName("A;B");
    EXPECT_EQ(q.Payload(), "MECARD:N:A\\;B;;");
    q.SetName(kHyo + ",");
    q.SetTel(1, "1,2");
    EXPECT_EQ(q.Payload(), "MECARD:N:" + kHyo + "\\,;TEL:1,2;;");

    TQRCodeRect lines;
    lines.SetDataKind(qdPhoneLines);
    lines.SetMemo("x");
    EXPECT_EQ(lines.Payload(), ""); // a memo alone is nothing
    lines.SetTel(1, "123");
    EXPECT_EQ(lines.Payload(), "MEMORY:x\r\nTEL1:123\r\n");
    lines.SetMail(1, "m@x");
    lines.SetName(kSo);
    EXPECT_EQ(lines.Payload(), "MEMORY:x\r\nNAME1:" + kSo + "\r\nTEL1:123\r\nMAIL1:m@x\r\n");

    TQRCodeRect mail;
    mail.SetDataKind(qdMatMsg);
    mail.SetSubject("s:1");
    EXPECT_EQ(mail.Payload(), "MATMSG:SUB:s\\:1;;");
    mail.SetDataKind(qdMailLines);
    mail.SetBody("b");
    EXPECT_EQ(mail.Payload(), ""); // no address, no mail
    mail.SetMailTo("t@x");
    EXPECT_EQ(mail.Payload(), "MAILTO:t@x\r\nBODY:b\r\nSUBJECT:s:1\r\n");

    mail.SetDataKind(99);
    EXPECT_EQ(mail.Payload(), "");
}

TEST(QRCodeRect, SettersInvalidateOnlyWhatTheFormUses)
{
    QTemporaryDir work;
    TQRCodeRect q;
    q.SetWorkFolder(work.path());
    q.SetDataKind(qdMeCard);
    q.SetName("n");
    q.Refresh(false);
    ASSERT_TRUE(q.IsImageValid());
    q.SetText("not part of a phone-book entry");
    q.SetMailTo("nor this");
    q.SetBody("nor this");
    EXPECT_TRUE(q.IsImageValid());
    q.SetName("n"); // the same value
    EXPECT_TRUE(q.IsImageValid());
    q.SetMail(1, "m");
    EXPECT_FALSE(q.IsImageValid());
    q.Refresh(false);
    q.SetRotated(true);
    EXPECT_FALSE(q.IsImageValid());
    q.Refresh(false);
    q.SetDataKind(qdText); // the text set above now counts
    EXPECT_FALSE(q.IsImageValid());
    q.Refresh(false);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList()); // no QRCode.bmp left
}

TEST(QRCodeRect, ShiftJisPayloadScansBackByteForByte)
{
    QTemporaryDir work;
    TQRCodeRect q;
    q.SetWorkFolder(work.path() + QLatin1Char('/'));
    q.SetDataKind(qdMeCard);
    q.SetName(cp932::Encode(QStringLiteral("表ソ山田;太郎")));
    q.SetKana(cp932::Encode(QStringLiteral("ﾔﾏﾀﾞ")));
    q.SetTel(0, "0312345678");
    q.SetRect(TRect(100, 100, 0, 0));
    q.Refresh(false);
    const QImage bmp = q.GetBitmap();
    ASSERT_FALSE(bmp.isNull());
    // Screen resolution, code size 3: three pixels a module, four modules of
    // quiet zone; the item takes the picture's size at its old corner.
    EXPECT_EQ(bmp.width() % 3, 0);
    EXPECT_EQ(bmp.width(), bmp.height());
    EXPECT_EQ(q.GetRect(), TRect(100, 100, 100 + bmp.width(), 100 + bmp.height()));
    EXPECT_EQ(bmp.pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_EQ(bmp.pixel(12, 12), 0xFF000000u); // the finder's corner
    const QString png = work.filePath(QStringLiteral("code.png"));
    ASSERT_TRUE(bmp.convertToFormat(QImage::Format_RGB32).scaled(bmp.size() * 2).save(png));
    EXPECT_EQ(Scan(png), q.Payload());
    EXPECT_TRUE(q.Payload().contains(kHyo + kSo));

    // Turned by 180 degrees: the same code, the same size.
    q.SetRotated(true);
    q.Refresh(false);
    const std::optional<QImage> back = RotateBitmap(q.GetBitmap(), 2);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->convertToFormat(QImage::Format_RGB32), bmp.convertToFormat(QImage::Format_RGB32));
    EXPECT_EQ(QDir(work.path()).entryList({QStringLiteral("*.bmp")}, QDir::Files), QStringList());
}

TEST(QRCodeRect, PrintedOnA600DpiVirtualPrinterScansAfterRasterising)
{
    QTemporaryDir work;
    const QString pdf = work.filePath(QStringLiteral("page.pdf"));
    Printer().ClearVirtualPrinters();
    TPrinterDevice device;
    device.name = QStringLiteral("PDF QR 600");
    device.dpiX = device.dpiY = 600;
    device.marginLeft = device.marginTop = device.marginRight = device.marginBottom = 40;
    device.papers = {{43, QStringLiteral("はがき"), 1000, 1480}};
    device.defaultPaper = 43;
    device.isVirtual = true;
    device.outputFile = pdf;
    Printer().AddVirtualPrinter(device);
    Printer().SetPrinterIndex(Printer().IndexOfName(device.name), true);
    ASSERT_EQ(RefDevice().dpiY, 600);

    TQRCodeRect q;
    q.SetWorkFolder(work.path());
    q.SetText(cp932::Encode(QStringLiteral("表示\\ソース：http://x.jp/a;b")));
    q.SetColor(0x00800000); // dark blue modules
    q.SetRect(TRect(20, 20, 0, 0));
    q.Refresh(false);
    const TRect screen = q.GetRect();
    q.PreparePrint(QPoint(0, 0), false);
    EXPECT_TRUE(q.IsPrintMode());
    // 3 / 96 inch at 600 dpi is 18.75 pixels: 19 a module.
    EXPECT_EQ(q.GetBitmap().width() % 19, 0);
    {
        std::unique_ptr<TPrintJob> job = Printer().BeginDoc(QStringLiteral("QR"));
        ASSERT_TRUE(job);
        TCanvas canvas(job->Painter(), 600, 600);
        q.Print(&canvas, 0, 0);
        ASSERT_TRUE(job->End());
    }
    Printer().ClearVirtualPrinters();
    const QString out = work.filePath(QStringLiteral("page"));
    ASSERT_EQ(QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("300"), QStringLiteral("-png"),
                                                              QStringLiteral("-singlefile"), pdf, out}),
              0);
    EXPECT_EQ(Scan(out + QStringLiteral(".png")), q.Payload());
    // A page that shows part of the code shows it as the whole page does
    // (only that part goes out; the bits of a row start mid-byte).
    const TRect at = q.GetPrintRect();
    auto printed = [&](int w, int h, int x, int y) {
        return Painted(w, h, [&](TCanvas& c) { q.Print(&c, x, y); }, 600);
    };
    const QImage whole = printed(at.Left + q.GetBitmap().width() + 9, at.Top + q.GetBitmap().height() + 9, 0, 0);
    EXPECT_EQ(printed(50, 40, -at.Left - 7, -at.Top - 5), whole.copy(at.Left + 7, at.Top + 5, 50, 40));

    q.ResetPrintMode();
    EXPECT_FALSE(q.IsPrintMode());
    EXPECT_EQ(q.GetRect().Width(), screen.Width());
    EXPECT_EQ(QDir(work.path()).entryList({QStringLiteral("*.bmp")}, QDir::Files), QStringList());
}

TEST(QRCodeRect, EmptyOrOversizedPayloadsDrawNothingReadable)
{
    QTemporaryDir work;
    TQRCodeRect q;
    q.SetWorkFolder(work.path());
    q.SetDataKind(qdMailLines);
    q.SetSubject("s");
    q.SetBackColor(0x0000FF00);
    q.SetRect(TRect(5, 5, 0, 0));
    q.Refresh(true);
    ASSERT_FALSE(q.GetBitmap().isNull());
    const QImage all = q.GetBitmap().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < all.height(); ++y)
        for (int x = 0; x < all.width(); ++x)
            ASSERT_EQ(all.pixel(x, y), qRgb(0, 255, 0));
    const TRect sized = q.GetRect();
    EXPECT_GT(sized.Width(), 0);

    // Too long for any version: the item says so, keeps its place and size.
    q.SetDataKind(qdText);
    q.SetText(QByteArray(8000, '7'));
    EXPECT_FALSE(q.PayloadFits());
    q.Refresh(false);
    EXPECT_TRUE(q.GetBitmap().isNull());
    EXPECT_EQ(q.GetRect(), sized);
    EXPECT_EQ(QDir(work.path()).entryList(QDir::Files), QStringList());
    // A damaged code size draws a bounded picture.
    q.SetText("x");
    q.SetCodeSize(2000000000);
    q.Refresh(false);
    EXPECT_EQ(q.GetBitmap().width(), 29 * kQRMaxModulePixels);
}

TEST(QRCodeRect, RecordsAreByteExactAndVersionedByTheRotatedByte)
{
    TQRCodeRect q;
    Fill(q);
    q.SetDataKind(qdMatMsg);
    q.SetRotated(true);
    q.SetRect(TRect(3, 4, 0, 0));
    const QByteArray rec = Record(q);
    // Base 17 bytes, 4 + 4 + 4 + 1, eleven strings, Rotated.
    qsizetype strings = 0;
    for (const QByteArray& s : {q.GetText(), q.GetName(), q.GetKana(), q.GetTel(0), q.GetTel(1), q.GetMail(0),
                                q.GetMail(1), q.GetMemo(), q.GetMailTo(), q.GetSubject(), q.GetBody()})
        strings += 4 + s.size();
    EXPECT_EQ(rec.size(), 17 + 13 + strings + 1);
    EXPECT_EQ(rec.back(), '\x01');

    TQRCodeRect back;
    Load(back, rec, DrawRectCurrentVersion);
    EXPECT_EQ(Record(back), rec);
    EXPECT_FALSE(back.IsImageValid());
    EXPECT_EQ(back.GetName(), kHyo + "A;B");
    EXPECT_EQ(back.GetMemo(), "line\r\n");

    // Version 300 has no Rotated byte.
    TQRCodeRect v300;
    Load(v300, rec.left(rec.size() - 1), 300);
    EXPECT_FALSE(v300.GetRotated());
    EXPECT_EQ(v300.GetSubject(), kSo);

    // Cut short: an error and the item as it was.
    TQRCodeRect keep;
    keep.SetText("keep");
    const QByteArray before = Record(keep);
    EXPECT_THROW(Load(keep, rec.left(rec.size() - 1), DrawRectCurrentVersion), EDrawRectStreamError);
    EXPECT_EQ(Record(keep), before);
}

#include "support/CorpusReplay.h"
#define QRCODE_RECORD_FUZZER_NO_ENTRY
#include "../../fuzz/qrcode_record_fuzzer.cpp"

TEST(QRCodeRecordSeeds, EverySeedReplaysCleanly)
{
    ReplayFuzzCorpus("qrcode_record", 10, qrcode_fuzz::OneInput);
}
