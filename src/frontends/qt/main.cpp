// The desktop window: the dialog runs until the user leaves it.
//   kinpath [FILE]   (default script.txt in the working folder)
#include <QApplication>

#include <cstdio>
#include <cstring>
#include <string>

#include "frontends/qt/MainWindow.h"
#include "script/ScriptLines.h"

namespace {

constexpr const char* Usage =
    "Usage: kinpath [FILE]\n"
    "Asks the questions of script.txt in the current folder, or of FILE.\n"
    "Backspace or Ctrl+Z takes back the last answer. F5 or Ctrl+R reads the file\n"
    "again and keeps the answers up to the first question that changed.\n";

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
    kinpath::qt::MainWindow window;
    // The file's name as the system spells it, whatever its encoding. A script
    // that does not load shows only the boxes that say why, then the run ends.
    if (window.Start(argc == 2 ? std::string(argv[1]) : std::string(kinpath::ScriptFileName)))
        window.show();
    return QApplication::exec();
}
