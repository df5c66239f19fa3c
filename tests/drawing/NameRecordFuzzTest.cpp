// The name-side records' fuzz harness, so its seed corpus replays under the
// sanitizers of these tests.

#include "DrawRectTestItem.h"

#include <QDir>

#define NAMERECT_FUZZER_NO_ENTRY
#include "../../fuzz/namerect_fuzzer.cpp"

TEST(NameRecordSeeds, EverySeedReplaysCleanly)
{
    const QDir corpus(QStringLiteral(TELVORA_TEST_DATA_DIR "/../../fuzz/corpus/namerect"));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), 10);
    for (const QString& name : seeds) {
        SCOPED_TRACE(name.toStdString());
        QFile f(corpus.filePath(name));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        namerect_fuzz::OneInput(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
}
