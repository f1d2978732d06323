#include "QtTestSupport.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QThread>

#include "script/ScriptLines.h"
#include "app/MainDialog.h"

namespace kinpath::testing {

int TestWindow::RunMessageBox(QMessageBox& box) {
    SeenBox seen;
    seen.caption = box.windowTitle();
    seen.text = box.text();
    seen.owned = box.parentWidget() == this;
    seen.hasIcon = box.icon() != QMessageBox::NoIcon;
    for (QAbstractButton* b : box.buttons()) seen.buttons << b->text().remove(QLatin1Char('&'));
    if (grabBoxes) {
        box.show();
        box.adjustSize();
        seen.shot = box.grab().toImage();
        box.hide();
    }
    boxes.push_back(seen);
    if (!answers.empty()) {
        int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    return box.defaultButton() ? box.standardButton(box.defaultButton()) : QMessageBox::Ok;
}

bool TestWindow::RunPrintDialogBox(QPrintDialog& dialog, QPrinter& printer) {
    printDialogs.push_back({dialog.testOption(QAbstractPrintDialog::PrintSelection),
                            dialog.testOption(QAbstractPrintDialog::PrintToFile),
                            printer.docName()});
    if (printCancel) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(printFile);
    if (printSelection) {
        printer.setPrintRange(QPrinter::Selection);
    } else if (printFrom > 0) {
        printer.setPrintRange(QPrinter::PageRange);
        printer.setFromTo(printFrom, printTo);
    }
    return true;
}

void Pump() {
    for (int i = 0; i < 5; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::msleep(1);
    }
    return true;
}

void QtWindowTest::TearDown() {
    ScriptErrorView = nullptr;
    window.reset();
    Pump();
    ProgramTest::TearDown();
}

void QtWindowTest::Start(bool show) {
    ResetCounters();
    window = std::make_unique<TestWindow>();
    ScriptErrorView = window.get();
    DialogInit(*window);
    if (show) window->show();
}

void QtWindowTest::Click(int id) {
    auto* button = qobject_cast<QAbstractButton*>(window->ControlWidget(id));
    ASSERT_NE(button, nullptr) << id;
    button->click();
    Pump();
}

void QtWindowTest::Key(int key) {
    // The key goes where the window's focus is, and travels up from there.
    QWidget* target = window->focusWidget();
    if (!target) target = window.get();
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier,
                    key >= Qt::Key_0 && key <= Qt::Key_9 ? QString(QChar(key)) : QString());
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &release);
    Pump();
}

std::string SmallScript(int questions, const std::string& key, int points) {
    std::string s = "<SETTINGS>\npreference=classoverrace\n</SETTINGS>\n";
    for (int q = 1; q <= questions; ++q) {
        s += "<QUESTION>\nname=Question " + std::to_string(q) +
             ": do you like to cast spells from afar?\ntext=Yes\ntext=No\n"
             "<ANSWER>\ntype=yes\nexplanationtext=You like spells (" +
             std::to_string(q) + ").\n" + key + "=" + std::to_string(points) +
             "\n</ANSWER>\n<ANSWER>\ntype=no\nexplanationtext=You keep your distance from magic (" +
             std::to_string(q) + ").\nwarpts=3\n</ANSWER>\n</QUESTION>\n";
    }
    s += "<FINAL>\nrecap=yes\n</FINAL>\n";
    return s;
}

}  // namespace kinpath::testing
