// The code page 932 decoder under every stored text: any bytes decode, and
// the text decoded is stored and read back as itself.
#include "FuzzSupport.h"
#include "platform/Cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    const QString text = cp932::Decode(bytes);
    const QByteArray stored = cp932::Encode(text);
    FuzzCheck(cp932::Decode(stored) == text, "decoded text reads back as itself");
    FuzzCheck(cp932::ByteLength(text) == stored.size(), "byte length is the stored length");
    for (int n : {0, 1, 7, 40, int(size)}) {
        const QByteArray cut = cp932::CutBytes(stored, n);
        FuzzCheck(cut.size() <= n && stored.startsWith(cut), "a cut is a prefix within the limit");
        FuzzCheck(cp932::ByteLength(cp932::CutToBytes(text, n)) <= qMax(n, 0), "a cut text fits");
    }
    cp932::Trim(bytes);
    return 0;
}
