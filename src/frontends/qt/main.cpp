// The desktop window: the dialog runs until the user leaves it.
#include <QApplication>

#include "flow/Session.h"
#include "frontends/qt/MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kinpath::qt::NameApplication();
    kinpath::Session session;
    kinpath::qt::MainWindow window(session);
    window.Start();
    window.show();
    return QApplication::exec();
}
