// The Qt window under test: every box, print dialog, opened file and quit
// request is recorded instead of waiting for a user or the desktop.
#pragma once

#include <QImage>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "frontends/qt/MainWindow.h"

class QMessageBox;

namespace kinpath::testing {

struct SeenBox {
    QString caption;
    QString text;
    bool owned = false;  // had the window as its parent
    bool hasIcon = false;
    QStringList buttons;
    QImage shot;
};

struct SeenPrintDialog {
    bool selectionOffered = false;
    bool printToFileOffered = false;
    QString docName;
};

class TestWindow : public qt::MainWindow {
public:
    std::vector<SeenBox> boxes;
    std::deque<int> answers;  // QMessageBox::StandardButton; empty: the default button
    bool grabBoxes = false;

    std::vector<SeenPrintDialog> printDialogs;
    bool printCancel = false;
    QString printFile;  // where the job goes (as a PDF)
    bool printSelection = false;
    int printFrom = 0;
    int printTo = 0;

    std::vector<QUrl> opened;
    std::vector<int> endRuns;

    using qt::MainWindow::keyPressEvent;

protected:
    int RunMessageBox(QMessageBox& box) override;
    bool RunPrintDialogBox(QPrintDialog& dialog, QPrinter& printer) override;
    void OpenUrl(const QUrl& url) override { opened.push_back(url); }
    void EndRun(int exitCode) override { endRuns.push_back(exitCode); }
};

// Handles everything posted so far, and what that posts in turn.
void Pump();
// Runs the event loop (timers included) until the condition holds or the time is up.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);

class QtWindowTest : public ProgramTest {
protected:
    void TearDown() override;
    // Creates the window as the program entry does, runs its start-up and shows it.
    void Start(bool show = true);
    // Writes the script, starts and runs the posted first OK.
    void StartOn(const std::string& script) {
        WriteScript(script);
        Start();
        Pump();
    }
    // A click on a control, as the user would make it.
    void Click(int id);
    void Key(int key);

    std::unique_ptr<TestWindow> window;
};

// A questionnaire of the given number of questions, each with two answers:
// "Yes" (points to the key) and "No".
std::string SmallScript(int questions, const std::string& key = "wizpts", int points = 5);

}  // namespace kinpath::testing
