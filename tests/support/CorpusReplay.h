#pragma once
// Replays the seed corpus of a fuzz harness (fuzz/corpus/<name>/) through
// the harness's entry, one file after another, each under its name in the
// failure trace. The sanitizers of the test build and the harness's own
// checks (an item harness: the record written back and an Assign copy give
// the same bytes) do the checking.

#include <QDir>
#include <QFile>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <gtest/gtest.h>

template <typename Entry>
void ReplayFuzzCorpus(const char* name, int minSeeds, Entry entry)
{
    const QDir corpus(QStringLiteral(TELVORA_TEST_DATA_DIR "/../../fuzz/corpus/") + QString::fromLatin1(name));
    const QStringList seeds = corpus.entryList(QDir::Files);
    ASSERT_GE(seeds.size(), minSeeds);
    for (const QString& seed : seeds) {
        SCOPED_TRACE(seed.toStdString());
        QFile f(corpus.filePath(seed));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        entry(reinterpret_cast<const uint8_t*>(bytes.constData()), size_t(bytes.size()));
    }
}
