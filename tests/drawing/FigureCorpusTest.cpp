// The figure-record fuzz harness itself, so its seed corpus (damaged and
// oversized records among them) replays under ASan/UBSan here.

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#define LLVMFuzzerTestOneInput FigureRecordFuzzInput
#include "../../fuzz/figurerect_fuzzer.cpp"
#undef LLVMFuzzerTestOneInput

TEST(FigureRecords, EverySeedOfTheFuzzCorpusReplaysCleanly)
{
    const QDir corpus(QStringLiteral(TELVORA_TEST_DATA_DIR "/../../fuzz/corpus/figurerect"));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 8);
    const qint32 version = DrawRectFileVersion;
    for (const QString& name : seeds) {
        SCOPED_TRACE(name.toStdString());
        QFile f(corpus.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        FigureRecordFuzzInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
    DrawRectFileVersion = version;
}
