// The desktop window: the dialog runs until the user leaves it.
//   kinpath [FILE]   (default script.txt in the working folder)
#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "flow/Session.h"
#include "frontends/qt/MainWindow.h"
#include "script/ScriptLines.h"

namespace {

constexpr const char* Usage =
    "Usage: kinpath [FILE]\n"
    "Asks the questions of script.txt in the current folder, or of FILE.\n"
    "F5 or Ctrl+R starts again from the file as it is then.\n";

}  // namespace

int main(int argc, char* argv[]) {
    // Before the toolkit, which needs a display.
    if (argc == 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
        std::fputs(Usage, stdout);
        return 0;
    }
    QApplication app(argc, argv);  // takes the toolkit's own options out of argv
    if (argc > 2) {
        std::fputs(Usage, stderr);
        return 2;
    }
    kinpath::qt::NameApplication();
    kinpath::Session session;
    kinpath::qt::MainWindow window(session);
    // The file's name as the system spells it, whatever its encoding.
    window.Start(argc == 2 ? std::string(argv[1]) : std::string(kinpath::ScriptFileName));
    window.show();
    return QApplication::exec();
}
