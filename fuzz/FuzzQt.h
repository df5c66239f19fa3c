#pragma once
// What the picture and display-list harnesses share: a Qt GUI application on
// the offscreen platform, made once, so that fonts and images behave as in
// the program.

#include <QGuiApplication>
#include <cstdlib>

inline void FuzzStartQt()
{
    static int argc = 1;
    static char name[] = "fuzzer";
    static char* argv[] = {name, nullptr};
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static QGuiApplication* app = new QGuiApplication(argc, argv);
    (void)app;
}
