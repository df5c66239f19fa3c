// The text editor's example library: any bytes read as Common/Text/Index.rbf
// give classes whose files are found inside Common/ or not at all, and read
// as a class file give fewer examples than the file has lines.
// tests/drawing replays the seed corpus under ASan/UBSan.
#include "FuzzSupport.h"
#include "drawing/objects/ExampleTexts.h"

#include <QDir>

namespace example_texts_fuzz {

int OneInput(const uint8_t* data, size_t size)
{
    const QString common = FuzzScratchFolder() + QStringLiteral("Common");
    QDir().mkpath(common + QStringLiteral("/Text"));
    QStringList lines;
    FuzzCheck(ReadCp932Lines(FuzzWriteFile(QStringLiteral("Common/Text/Index.rbf"), data, size), lines),
              "a file that is there can be read");
    FuzzCheck(lines.size() <= qsizetype(size) + 1, "no more lines than line breaks");
    const QList<TExampleClass> classes = ParseExampleIndex(lines);
    FuzzCheck(classes.size() <= lines.size(), "a class per line at most");
    for (const TExampleClass& c : classes) {
        const QString path = ExampleClassPath(common, c.File);
        FuzzCheck(path.isEmpty() || (path.startsWith(common + u'/') && !path.contains(QStringLiteral("/../"))),
                  "a class file lies inside Common/");
        if (!path.isEmpty()) {
            QStringList classLines;
            ReadCp932Lines(path, classLines);
        }
    }
    QString badCount;
    const QStringList examples = ParseExampleClass(lines, &badCount);
    FuzzCheck(examples.size() < qMax<qsizetype>(1, lines.size()), "each example takes a line of the file at least");
    return 0;
}

} // namespace example_texts_fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return example_texts_fuzz::OneInput(data, size);
}
