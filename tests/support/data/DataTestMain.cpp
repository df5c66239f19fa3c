// main() of the test executables that link no widgets: a GUI application
// (fonts and colours need one, windows do not) offscreen with a pinned locale.
#include <QGuiApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    if (!std::getenv("TZ"))
        setenv("TZ", "Asia/Tokyo", 1);
    setenv("LANG", "ja_JP.UTF-8", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
