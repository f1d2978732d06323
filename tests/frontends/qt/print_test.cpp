// Printing through the real QPrinter into a PDF file, read back with poppler's
// pdftotext: where the surface puts each row, and the dialog's refusals.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPageLayout>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

#include "QtTestSupport.h"
#include "app/PrintTranscript.h"
#include "window/ControlIds.h"

namespace kinpath::testing {
namespace {

struct Row {
    int page;
    double x, top, height;
    QString firstWord;
};

std::vector<Row> PrintedRows(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    static const QRegularExpression item(QStringLiteral(
        "<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">([^<]*)<"));
    std::vector<Row> rows;
    int pages = 0;
    for (auto it = item.globalMatch(QString::fromUtf8(p.readAllStandardOutput())); it.hasNext();) {
        const auto m = it.next();
        const double top = m.captured(2).toDouble();
        if (m.captured(1).isEmpty()) {
            ++pages;
        } else if (rows.empty() || rows.back().page != pages ||
                   std::abs(rows.back().top - top) > 1) {
            rows.push_back({pages, m.captured(1).toDouble(), top, m.captured(3).toDouble() - top,
                            m.captured(4)});
        }
    }
    return rows;
}

TEST_F(QtWindowTest, PrintsEveryPaneLineWhereThePageGeometryPutsIt) {
    if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    StartOn(Questionnaire(70));
    for (int q = 0; q < 140; ++q) Click(q % 2 ? IdOk : IdChoice1);
    window->printFile = QString::fromStdString((Dir() / "out.pdf").string());
    qobject_cast<QAbstractButton*>(window->ControlWidget(IdPrint))->click();
    EXPECT_FALSE(QFile::exists(window->printFile));  // asked for, answered later
    Pump();
    // Printed whole, the whole text shows selected.
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    EXPECT_EQ(std::pair(pane->textCursor().selectionStart(), pane->textCursor().selectionEnd()),
              std::pair(0, pane->document()->characterCount() - 1));

    // The painter's origin is the printable area's corner.
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    const PageGeometry g = ComputePageGeometry(reference.resolution(), reference.resolution());
    const QRectF area = reference.pageLayout().paintRect(QPageLayout::Point);
    const double pt = 72.0 / reference.resolution();
    const std::vector<Row> rows = PrintedRows(window->printFile);
    // Pane line i lands on page i / 60 + 1, at row i % 60.
    std::size_t r = 0;
    const std::vector<PaneLine>& lines = window->Driver().Shown().paneLines;
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        const QString first = QString::fromStdString(lines[static_cast<std::size_t>(i)].text)
                                  .section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty);
        if (first.isEmpty()) continue;
        SCOPED_TRACE(i);
        ASSERT_LT(r, rows.size());
        EXPECT_EQ(rows[r].firstWord, first);
        EXPECT_EQ(rows[r].page, i / 60 + 1);
        EXPECT_NEAR(rows[r++].top - rows[0].top, (i % 60) * g.lineHeight * pt, 0.2);
    }
    EXPECT_EQ(r, rows.size());
    EXPECT_NEAR(rows[0].x, area.left() + g.left * pt, 1.0);
    EXPECT_NEAR(rows[0].top, area.top() + g.top * pt, 1.5);
    EXPECT_NEAR(rows[0].height, g.lineHeight * pt, g.lineHeight * pt * 0.15);  // the font's cell
}

// A FIFO would hold the window in open() until something reads it. The print
// dialog never offers one, and Print with it, or with no file, named fails at
// once, before the dialog or the printer opens anything. Here a reader is
// there, so a print that went ahead would not hang the test.
TEST_F(QtWindowTest, PrintingToAFileThatIsNoRegularFileFailsAtOnce) {
    StartOn(Questionnaire(1));
    Click(IdSkip);
    ASSERT_EQ(::mkfifo("Kinpath.pdf", 0600), 0);
    const int reader = ::open("Kinpath.pdf", O_RDONLY | O_NONBLOCK);
    const QString fifo = QString::fromStdString((Dir() / "Kinpath.pdf").string());
    std::vector<std::string> offered, asked;
    QString typed;  // the file the user names, if any
    window->inPrintDialog = [&](QPrintDialog& dialog) {
        // What the dialog itself would ask after opening the file is answered No.
        QTimer::singleShot(0, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                asked.push_back(box->text().toStdString());
                box->reject();
            }
        });
        auto* printers = dialog.findChild<QComboBox*>(QStringLiteral("printers"));
        printers->setCurrentIndex(printers->count() - 1);  // to a file
        auto* name = dialog.findChild<QLineEdit*>(QStringLiteral("filename"));
        offered.push_back(name->text().toStdString());
        if (!typed.isEmpty()) name->setText(typed);
        dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click();
        if (dialog.isVisible()) dialog.reject();
    };
    Click(IdPrint);  // Print as the dialog comes
    typed = fifo;
    Click(IdPrint);
    EXPECT_EQ(offered, std::vector<std::string>(2, ""));
    EXPECT_EQ(asked, std::vector<std::string>{});
    // The printer, told to print into it all the same, refuses it too.
    window->inPrintDialog = nullptr;
    window->printFile = fifo;
    Click(IdPrint);
    ::close(reader);
    EXPECT_EQ(window->boxes,
              std::vector<std::string>(3, "Error: Could not print the results [owned]"));
}

}  // namespace
}  // namespace kinpath::testing
