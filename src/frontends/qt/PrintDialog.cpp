// The window's print dialog: the platform's own, with the file it prints to
// checked before the dialog opens it.
#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QDir>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QTimer>

#include "frontends/qt/MainWindow.h"
#include "frontends/qt/QtPrintSurface.h"

namespace kinpath::qt {

namespace {

// Where printing to a file goes unless the user names another file. With no
// printer that is the only way to print, and the file goes to the working
// folder. Otherwise it goes to the folder the print dialog itself offers: the
// working folder when that lies inside the home folder, else home.
QString PrintFileName(bool printersAvailable) {
    const QString fileName = QStringLiteral("Kinpath.pdf");
    if (!printersAvailable) return QDir::current().absoluteFilePath(fileName);
    QString home = QDir::homePath();
    if (!home.endsWith(QLatin1Char('/'))) home += QLatin1Char('/');
    const QString current = QDir::currentPath();
    return QDir(current.startsWith(home) ? current : home).absoluteFilePath(fileName);
}

// On Print, the dialog opens the file it is to print to, to see that it may
// write it; a FIFO holds that open() until something reads it. No file, or
// one that is no regular file, is refused before: the click goes no further,
// the dialog closes and refused is set.
void RefuseOddFiles(QPrintDialog& dialog, bool& refused) {
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    auto* fileName = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
    if (!buttons || !fileName) return;
    // The button box says which button was clicked before it says accepted.
    QObject::connect(buttons, &QDialogButtonBox::clicked, &dialog,
                     [&dialog, &refused, buttons, fileName](QAbstractButton* button) {
                         if (buttons->buttonRole(button) != QDialogButtonBox::AcceptRole ||
                             !fileName->isEnabled() ||
                             (!fileName->text().isEmpty() && PrintableFile(fileName->text())))
                             return;
                         refused = true;
                         buttons->blockSignals(true);
                         dialog.reject();
                     });
}

}  // namespace

void MainWindow::AskPrint(bool selectionAvailable) {
    // The dialog runs from the event loop, never inside the draw that asked for it.
    QTimer::singleShot(0, this, [this, selectionAvailable] {
        driver_.Printed(RunPrintDialog(selectionAvailable));
    });
}

std::unique_ptr<PrintSurface> MainWindow::RunPrintDialog(bool selectionAvailable) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QStringLiteral("Kinpath"));
    // The dialog offers the printer's output file for printing to a file, so
    // name it before the dialog is made, unless it is no file to print into.
    // Naming a PDF file turns the printer to PDF; with a printer at hand, turn
    // it back so that the printer is chosen.
    const bool printersAvailable = !QPrinterInfo::availablePrinterNames().isEmpty();
    const QString offered = PrintFileName(printersAvailable);
    const bool offer = PrintableFile(offered);
    if (offer) printer->setOutputFileName(offered);
    printer->setOutputFormat(printersAvailable ? QPrinter::NativeFormat : QPrinter::PdfFormat);
    QPrintDialog dialog(printer.get(), this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionAvailable);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    // The dialog names a file of its own when given none.
    if (auto* fileName = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        !offer && fileName)
        fileName->clear();
    bool refused = false;
    RefuseOddFiles(dialog, refused);
    const bool confirmed = RunPrintDialogBox(dialog, *printer);
    if (refused) return std::make_unique<RefusedPrint>();
    if (!confirmed) return nullptr;
    return std::make_unique<QtPrintSurface>(std::move(printer));
}

bool MainWindow::RunPrintDialogBox(QPrintDialog& dialog, QPrinter&) {
    return dialog.exec() == QDialog::Accepted;
}

}  // namespace kinpath::qt
