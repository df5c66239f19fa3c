// The head of a print-data file as the file dialogs read it: any bytes must
// read without fault or allocation beyond the input, a head that reads must
// come back byte for byte when written, and the listing must agree with the
// reader about which files belong to a kind.
#include "FuzzSupport.h"
#include "drawing/objects/PrintDataFile.h"
#include "drawing/objects/StreamIO.h"

#include <QBuffer>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), int(size < 65536 ? size : 65536));
    for (quint8 kind = 0; kind < kPrintDataKindCount; ++kind) {
        QBuffer in;
        in.setData(input);
        in.open(QIODevice::ReadOnly);
        try {
            const TPrintDataHead head = ReadPrintDataHead(in, kind);
            FuzzCheck(IsPrintDataOfKind(kind, input), "a head read without its identifier");
            FuzzCheck(head.Thumbnail.size() <= input.size(), "thumbnail larger than the file");
            QBuffer out;
            out.open(QIODevice::WriteOnly);
            WritePrintDataHead(out, kind, head);
            FuzzCheck(out.data() == input.left(int(in.pos())), "head does not write back as read");
        } catch (const EDrawRectStreamError&) {
        }
    }
    const QString file = FuzzWriteFile(QStringLiteral("fuzz.gpl"), data, size);
    const auto listed = ListPrintDataFolder(FuzzScratchFolder(), pdAddress);
    bool found = false;
    for (const auto& e : listed)
        found = found || e.FileName.endsWith(QStringLiteral("/fuzz.gpl"));
    FuzzCheck(found == IsPrintDataOfKind(pdAddress, input), "listing and reader disagree");
    (void)file;
    return 0;
}
