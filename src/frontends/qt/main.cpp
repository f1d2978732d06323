// The desktop window: the dialog runs until the user leaves it.
#include <QApplication>

#include "script/ScriptLines.h"
#include "app/MainDialog.h"
#include "frontends/qt/MainWindow.h"

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    kinpath::qt::NameApplication();

    kinpath::ResetCounters();
    int status = 0;
    {
        kinpath::qt::MainWindow window;
        kinpath::ScriptErrorView = &window;
        kinpath::DialogInit(window);
        window.show();
        status = QApplication::exec();
        kinpath::ScriptErrorView = nullptr;
    }
    return status;
}
