// The transcript pane: displayed lines as the pane wraps them, positions that
// count two per line break, and the view after appending.
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTextCursor>

#include "QtTestSupport.h"
#include "window/ControlIds.h"

namespace kinpath::testing {
namespace {

using QtPane = QtWindowTest;

// The displayed lines put back together, with the breaks between written lines.
std::string Rejoin(const Dialog& d) {
    std::string text;
    for (int i = 0; i < d.PaneLineCount(); ++i) {
        text += d.PaneLine(i);
        std::uint32_t next = d.PaneLineStart(i + 1);
        std::uint32_t end = d.PaneLineStart(i) +
                            static_cast<std::uint32_t>(QString::fromStdString(d.PaneLine(i)).toUcs4().size());
        if (i + 1 < d.PaneLineCount() && next == end + 2) text += "\r\n";
    }
    return text;
}

std::string LongLine() {
    std::string s;
    for (int i = 0; i < 40; ++i) s += "word" + std::to_string(i) + " ";
    return s + "end";
}

TEST_F(QtPane, CountsLinesBreaksAndPositionsAsTheSeamPromises) {
    Start(false);
    EXPECT_EQ(window->PaneLineCount(), 1);  // empty pane
    EXPECT_EQ(window->PaneLine(0), "");
    window->AppendPaneText("AB\r\n");
    window->AppendPaneText("CD\r\n");
    EXPECT_EQ(window->PaneText(), "AB\r\nCD\r\n");
    EXPECT_EQ(window->PaneLength(), 8u);
    ASSERT_EQ(window->PaneLineCount(), 3);
    EXPECT_EQ(window->PaneLine(1), "CD");
    EXPECT_EQ(window->PaneLine(2), "");
    EXPECT_EQ(window->PaneLine(3), "");
    EXPECT_EQ(window->PaneLineStart(1), 4u);
    EXPECT_EQ(window->PaneLineStart(2), 8u);
    EXPECT_EQ(window->PaneLineStart(9), 8u);

    // "CD" selected by the user.
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    QTextCursor cursor(pane->document());
    cursor.setPosition(3);
    cursor.setPosition(5, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    EXPECT_EQ(window->PaneSelectionRange().start, 4u);
    EXPECT_EQ(window->PaneSelectionRange().end, 6u);
    window->SelectAllPane();
    EXPECT_EQ(window->PaneSelectionRange().start, 0u);
    EXPECT_EQ(window->PaneSelectionRange().end, 8u);

    // Characters beyond the 16-bit range count once; CR LF inside a text splits it.
    window->SetPaneText("\xF0\x9F\x90\x89 dragon\r\nx");
    EXPECT_EQ(window->PaneLength(), 11u);
    EXPECT_EQ(window->PaneLineStart(1), 10u);
    EXPECT_EQ(window->PaneLine(0), "\xF0\x9F\x90\x89 dragon");
    EXPECT_EQ(window->PaneSelectionRange().end, 0u);  // setting the text drops the selection
    window->SetControlText(IdTranscript, "");
    EXPECT_EQ(window->PaneLength(), 0u);
    EXPECT_EQ(window->ControlText(IdTranscript), "");
}

TEST_F(QtPane, WrapsAtItsWidthBeforeAndAfterShowingAndAfterWidening) {
    Start(false);  // never shown yet: the pane must still wrap
    const std::string text = "Short line\r\n" + LongLine() + "\r\n";
    window->AppendPaneText(text);
    const int narrow = window->PaneLineCount();
    EXPECT_GT(narrow, 4);  // the long line takes several displayed lines
    EXPECT_EQ(window->PaneLine(0), "Short line");
    EXPECT_EQ(Rejoin(*window), text);
    for (int i = 1; i + 1 < narrow; ++i) EXPECT_LT(window->PaneLine(i).size(), LongLine().size());

    window->show();
    Pump();
    EXPECT_EQ(window->PaneLineCount(), narrow);  // the same layout on screen

    // Narrowed, then widened as the results layout does: the lines follow at once.
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    window->MoveControl(IdTranscript, {10, 10, 260, 100});
    const int thin = window->PaneLineCount();
    EXPECT_GT(thin, narrow);
    EXPECT_EQ(Rejoin(*window), text);
    const Rect client = window->ClientRect();
    window->MoveControl(IdTranscript, {10, 10, client.right - 10, client.bottom - 45});
    const int wide = window->PaneLineCount();
    EXPECT_LT(wide, thin);
    EXPECT_LE(wide, narrow);
    EXPECT_EQ(Rejoin(*window), text);
    const QFontMetrics metrics(pane->font());
    const int room = pane->viewport()->width() - 2 * static_cast<int>(pane->document()->documentMargin());
    for (int i = 0; i < wide; ++i) {
        const QString line = QString::fromStdString(window->PaneLine(i));
        EXPECT_LE(metrics.horizontalAdvance(line.trimmed()), room) << i;
        // A wrapped line is full: its successor's first word would not have fitted.
        if (i > 0 && i + 2 < wide) {
            const QString next = QString::fromStdString(window->PaneLine(i + 1)).section(QLatin1Char(' '), 0, 0);
            EXPECT_GT(metrics.horizontalAdvance(line + next), room) << i;
        }
    }
    // Every displayed line starts where the previous one ended.
    for (int i = 1; i < wide; ++i) {
        const std::uint32_t previousEnd =
            window->PaneLineStart(i - 1) +
            static_cast<std::uint32_t>(window->PaneLine(i - 1).size());
        EXPECT_TRUE(window->PaneLineStart(i) == previousEnd ||
                    window->PaneLineStart(i) == previousEnd + 2)
            << i;
    }
    window->SelectAllPane();
    EXPECT_EQ(window->PaneSelectionRange().end, window->PaneLength());
}

TEST_F(QtPane, AppendingKeepsTheViewOnTheFirstLine) {
    Start();
    Pump();
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    for (int i = 0; i < 200; ++i) window->AppendPaneText("Line " + std::to_string(i) + "\r\n");
    Pump();
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(pane->verticalScrollBar()->value(), 0);
    EXPECT_EQ(pane->textCursor().position(), 0);
    EXPECT_EQ(window->PaneLineCount(), 201);
    EXPECT_EQ(window->PaneLine(199), "Line 199");
    EXPECT_EQ(window->PaneLineStart(1), 8u);
}

}  // namespace
}  // namespace kinpath::testing
