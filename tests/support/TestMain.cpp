// One main() for every test executable: widgets run offscreen with a pinned
// locale, so font family names and message texts are the same on every machine.
#include "platform/ui/InputGuard.h"

#include <QApplication>
#include <QStyleFactory>
#include <cstdlib>
#include <gtest/gtest.h>

#if defined(__SANITIZE_ADDRESS__)
// The caches system libraries keep for the life of the process, as
// tests/lsan.supp lists them for scripts/test: a plain ctest run sees the same.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig\nleak:libdbus\nleak:libglib\n";
}
#endif

int main(int argc, char** argv)
{
    // gtest_discover_tests may run us without the test's environment.
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("TZ"))
        setenv("TZ", "Asia/Tokyo", 1);
    setenv("LANG", "ja_JP.UTF-8", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    // As in the program: every text input keeps the input rules.
    TInputGuard::Install();
    return RUN_ALL_TESTS();
}
