#include "platform/MessageBox.h"

#include <QApplication>
#include <QMainWindow>
#include <QStyleFactory>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create("Fusion"));
    QApplication::setApplicationName(QStringLiteral("Telvora21"));
    QMainWindow w;
    w.setWindowTitle(kProductTitle);
    w.resize(800, 600);
    w.show();
    return app.exec();
}
