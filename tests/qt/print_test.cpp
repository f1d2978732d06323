// Printing through the real QPrinter into a PDF file, read back with poppler's
// pdftotext to check where every row landed.
#include <QFile>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPrinter>
#include <QTextBlock>
#include <QPlainTextEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTextCursor>

#include <cmath>

#include "QtTestSupport.h"
#include "window/ControlIds.h"
#include "app/PrintTranscript.h"
#include "frontends/qt/QtPrintSurface.h"

namespace kinpath::testing {
namespace {

struct Word {
    int page;
    double xMin, yMin, xMax, yMax;
    QString text;
};

std::vector<Word> PdfWords(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    p.waitForFinished(20000);
    const QString html = QString::fromUtf8(p.readAllStandardOutput());
    std::vector<Word> words;
    int page = 0;
    static const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" "
                       "yMax=\"([\\d.]+)\">([^<]*)</word>"));
    for (auto it = item.globalMatch(html); it.hasNext();) {
        auto m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        words.push_back({page, m.captured(1).toDouble(), m.captured(2).toDouble(),
                         m.captured(3).toDouble(), m.captured(4).toDouble(), m.captured(5)});
    }
    return words;
}

int PdfPages(const QString& pdf) {
    QProcess p;
    p.start(QStringLiteral("pdfinfo"), {pdf});
    p.waitForFinished(20000);
    static const QRegularExpression pages(QStringLiteral("Pages:\\s+(\\d+)"));
    return pages.match(QString::fromUtf8(p.readAllStandardOutput())).captured(1).toInt();
}

// Words grouped into rows by their top edge, per page.
std::vector<std::vector<Word>> Rows(const std::vector<Word>& words) {
    std::vector<std::vector<Word>> rows;
    for (const Word& w : words) {
        if (rows.empty() || rows.back()[0].page != w.page ||
            std::abs(rows.back()[0].yMin - w.yMin) > 1.0)
            rows.push_back({});
        rows.back().push_back(w);
    }
    return rows;
}

class QtPrint : public QtWindowTest {
protected:
    void SetUp() override {
        QtWindowTest::SetUp();
        if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    }
    // Answers every question of a long questionnaire and reaches the results.
    void ReachResults(int questions) {
        WriteScript(SmallScript(questions));
        Start();
        Pump();
        for (int q = 0; q < questions; ++q) {
            Click(1000);
            Click(IdOk);
        }
        ASSERT_TRUE(window->IsControlEnabled(IdPrint));
        window->printFile = QString::fromStdString((Dir() / "out.pdf").string());
    }
    // The pane's displayed lines that carry text, in order.
    std::vector<QString> PaneWords() const {
        std::vector<QString> firstWords;
        for (int i = 0; i < window->PaneLineCount(); ++i)
            firstWords.push_back(QString::fromStdString(window->PaneLine(i)).section(QLatin1Char(' '), 0, 0,
                                                                                     QString::SectionSkipEmpty));
        return firstWords;
    }
};

TEST_F(QtPrint, PrintsEveryRowWhereThePageGeometryPutsIt) {
    ReachResults(70);
    Click(IdPrint);
    ASSERT_EQ(window->printDialogs.size(), 1u);
    EXPECT_FALSE(window->printDialogs[0].selectionOffered);  // nothing selected yet
    EXPECT_TRUE(window->printDialogs[0].printToFileOffered);
    EXPECT_EQ(window->printDialogs[0].docName, QStringLiteral("Kinpath"));
    ASSERT_TRUE(QFile::exists(window->printFile));

    // The PDF printer works at 1200 dots per inch; the painter's origin is the
    // printable area's corner.
    QPrinter reference(QPrinter::HighResolution);
    reference.setOutputFormat(QPrinter::PdfFormat);
    const int dpi = reference.resolution();
    const QRectF area = reference.pageLayout().paintRect(QPageLayout::Point);
    const PageGeometry g = ComputePageGeometry(dpi, dpi);
    const double pt = 72.0 / dpi;

    const std::vector<std::vector<Word>> rows = Rows(PdfWords(window->printFile));
    const int lines = window->PaneLineCount();
    int textRows = 0;
    for (const QString& w : PaneWords()) textRows += w.isEmpty() ? 0 : 1;
    ASSERT_EQ(static_cast<int>(rows.size()), textRows);
    EXPECT_EQ(PdfPages(window->printFile), (lines + PrintRowsPerPage - 1) / PrintRowsPerPage);

    // Row 0: the first pane line at the top margin and left margin.
    EXPECT_NEAR(rows[0][0].xMin, area.left() + g.left * pt, 1.0);
    EXPECT_NEAR(rows[0][0].yMin, area.top() + g.top * pt, 1.5);
    // The cell of the font is the row height.
    EXPECT_NEAR(rows[0][0].yMax - rows[0][0].yMin, g.lineHeight * pt, g.lineHeight * pt * 0.15);
    // Rows follow the pane's line index: every pane line i at T + (i mod 60) h.
    const std::vector<QString> words = PaneWords();
    std::size_t r = 0;
    for (int i = 0; i < lines && r < rows.size(); ++i) {
        if (words[static_cast<std::size_t>(i)].isEmpty()) continue;
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[r][0].text, words[static_cast<std::size_t>(i)]);
        EXPECT_EQ(rows[r][0].page, i / PrintRowsPerPage + 1);
        EXPECT_NEAR(rows[r][0].yMin - rows[0][0].yMin, (i % PrintRowsPerPage) * g.lineHeight * pt, 0.2);
        ++r;
    }
}

TEST_F(QtPrint, OffersTheSelectionOnlyWhenThereIsOneAndPrintsIt) {
    ReachResults(3);
    // The user selects a line of the report's middle and prints the selection.
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    QTextBlock block = pane->document()->findBlockByNumber(2);
    while (block.isValid() && !block.text().startsWith(QStringLiteral("You"))) block = block.next();
    ASSERT_TRUE(block.isValid());
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    const QString selected = cursor.selectedText();
    ASSERT_FALSE(selected.isEmpty());
    window->printSelection = true;
    Click(IdPrint);
    ASSERT_EQ(window->printDialogs.size(), 1u);
    EXPECT_TRUE(window->printDialogs[0].selectionOffered);
    const std::vector<Word> words = PdfWords(window->printFile);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words[0].text, selected.section(QLatin1Char(' '), 0, 0, QString::SectionSkipEmpty));
}

TEST_F(QtPrint, CancellingPrintsNothingAndAPageRangeKeepsItsPages) {
    ReachResults(70);
    window->printCancel = true;
    Click(IdPrint);
    EXPECT_FALSE(QFile::exists(window->printFile));
    window->printCancel = false;
    window->printFrom = 2;
    window->printTo = 2;
    Click(IdPrint);
    const std::vector<Word> words = PdfWords(window->printFile);
    ASSERT_FALSE(words.empty());
    EXPECT_EQ(words.back().page, 1);  // one page in the file: the second of the print
    const std::vector<QString> firstWords = PaneWords();
    std::size_t i = PrintRowsPerPage;
    while (i < firstWords.size() && firstWords[i].isEmpty()) ++i;
    ASSERT_LT(i, firstWords.size());
    EXPECT_EQ(words[0].text, firstWords[i]);
}

TEST(QtPrintFont, ArialCellMatchesTheRowHeight) {
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    for (int cell : {11, 15, 49, 98, 197}) {
        const QFont font = qt::FontForCellHeight(QStringLiteral("Arial"), cell, &printer);
        QFontMetrics m(font, &printer);
        EXPECT_LE(m.ascent() + m.descent(), cell) << cell;
        EXPECT_GE(m.ascent() + m.descent(), cell - 2) << cell;
    }
}

}  // namespace
}  // namespace kinpath::testing
