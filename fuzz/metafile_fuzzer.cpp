// Display-list files: any bytes either read or are refused, never crash; what
// reads writes back to the same bytes.

#include "FuzzQt.h"
#include "platform/Metafile.h"
#include "platform/MetafileFile.h"

#include <QByteArray>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzStartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    TMetafileEx mf;
    if (!ReadMetafileBytes(bytes, mf))
        return 0;
    const QByteArray again = WriteMetafileBytes(mf);
    TMetafileEx back;
    if (!ReadMetafileBytes(again, back) || WriteMetafileBytes(back) != again)
        std::abort();
    return 0;
}
