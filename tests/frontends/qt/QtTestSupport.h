// The Qt window under test: boxes are recorded and answered at once, print
// dialogs, opened files and the run's end recorded instead of waiting for a
// user or the desktop.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QTimer>
#include <QUrl>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "../WindowTestSupport.h"
#include "TestSupport.h"
#include "app/MainDialog.h"
#include "frontends/qt/MainWindow.h"

namespace kinpath::testing {

class TestWindow : public qt::MainWindow {
public:
    using qt::MainWindow::MainWindow;
    // "Caption: text", with " [owned]" when the window is its parent; each box
    // is answered with its default button, or with answer when the box has it.
    std::vector<std::string> boxes;
    QMessageBox::StandardButton answer = QMessageBox::NoButton;
    std::vector<QRect> boxPlaces;  // where each box stood once shown
    QString printFile;             // where the print dialog sends the job, as a PDF
    // When set, the real print dialog runs, and this acts in it once it shows.
    std::function<void(QPrintDialog&)> inPrintDialog;
    std::vector<QUrl> opened;
    bool viewerStarts = true;
    std::vector<int> endRuns;
    // The last menu's last item, "text\tkey", " [off]" when unusable; chosen
    // when menuChooses.
    std::string menuItem;
    bool menuChooses = false;

protected:
    void RunMenu(QMenu& menu, QPoint) override {
        QAction* item = menu.actions().back();
        menuItem = (item->text() + QLatin1Char('\t') + item->shortcut().toString()).toStdString() +
                   (item->isEnabled() ? "" : " [off]");
        if (menuChooses) item->trigger();
    }
    void ShowBox(QMessageBox& box) override {
        boxes.push_back(box.windowTitle().toStdString() + ": " + box.text().toStdString() +
                        (box.parentWidget() == this ? " [owned]" : ""));
        box.show();
        boxPlaces.push_back(box.geometry());
        // Its answer reaches the driver from the event loop.
        (box.button(answer) ? box.button(answer) : box.defaultButton())->click();
    }
    bool RunPrintDialogBox(QPrintDialog& dialog, QPrinter& printer) override {
        if (inPrintDialog) {
            QTimer::singleShot(0, &dialog, [this, &dialog] { inPrintDialog(dialog); });
            return qt::MainWindow::RunPrintDialogBox(dialog, printer);
        }
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(printFile);
        return true;
    }
    bool OpenUrl(const QUrl& url) override {
        opened.push_back(url);
        return viewerStarts;
    }
    void EndRun(int exitCode) override { endRuns.push_back(exitCode); }
};

// What a widget's tooltip shows, as plain text: markup rendered the way a
// tooltip renders it.
inline std::string ShownTip(const QWidget* widget) {
    const QString tip = widget->toolTip();
    if (!Qt::mightBeRichText(tip)) return tip.toStdString();
    QTextDocument document;
    document.setHtml(tip);
    return document.toPlainText().toStdString();
}

// Handles everything posted so far, and what that posts in turn.
inline void Pump() {
    for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
}

class QtWindowTest : public ProgramTest {
protected:
    // Creates the window as the program entry does, runs its start-up and
    // shows it when the script loaded.
    void Start(bool show = true, const std::string& script = "script.txt") {
        window = std::make_unique<TestWindow>();
        if (window->Start(script) && show) window->show();
    }
    void StartOn(const std::string& script) {
        WriteScript(script);
        Start();
        Pump();
    }
    void Click(int id) {
        qobject_cast<QAbstractButton*>(window->ControlWidget(id))->click();
        Pump();
    }
    // The menu's item a right click on the control shows.
    std::string RightClick(int id) {
        QContextMenuEvent event(QContextMenuEvent::Keyboard, QPoint(1, 1), QPoint(1, 1));
        QCoreApplication::sendEvent(window->ControlWidget(id), &event);
        Pump();
        return window->menuItem;
    }
    // A key goes where the window's focus is, and travels up from there.
    void Key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* target = window->focusWidget() ? window->focusWidget() : window.get();
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QCoreApplication::sendEvent(target, &release);
        Pump();
    }

    std::unique_ptr<TestWindow> window;
};

}  // namespace kinpath::testing
