#include "frontends/qt/Pane.h"

#include <QContextMenuEvent>
#include <QCoreApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QPlainTextDocumentLayout>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextLayout>

#include <algorithm>
#include <memory>

#include "app/PanePositions.h"
#include "frontends/qt/Utf8.h"

namespace kinpath::qt {

namespace {

std::u16string_view Units(const QString& text) {
    return {QStringView(text).utf16(), static_cast<std::size_t>(text.size())};
}

// Pane text as the document holds it: one block per line. CR LF is the view's
// line break; a lone CR or LF breaks the line as well, and so does U+2029,
// which the document takes for a block break of its own.
QString DocumentText(std::string_view text) {
    const std::u16string units = PaneUnits(text, u"\n");
    QString s = QString::fromUtf16(units.data(), static_cast<qsizetype>(units.size()));
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return s;
}

}  // namespace

Pane::Pane(QWidget* parent) : QPlainTextEdit(parent) {
    setReadOnly(true);
    // Selectable with the mouse; the keys scroll.
    setTextInteractionFlags(Qt::TextSelectableByMouse);
    setUndoRedoEnabled(false);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Always there, so the wrapping width never depends on the text's length.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTabChangesFocus(true);
    connect(this, &QPlainTextEdit::selectionChanged, this, [this] { ReportSelection(); });
    connect(this, &QPlainTextEdit::cursorPositionChanged, this, [this] { ReportSelection(); });
}

void Pane::ReportTo(std::function<void(std::vector<PaneLine>)> laidOut,
                    std::function<void(PaneSelection)> selected) {
    laidOut_ = std::move(laidOut);
    selected_ = std::move(selected);
}

void Pane::contextMenuEvent(QContextMenuEvent* event) {
    if (!showMenu_) return QPlainTextEdit::contextMenuEvent(event);
    const std::unique_ptr<QMenu> menu(createStandardContextMenu(event->pos()));
    menu->addSeparator();
    showMenu_(*menu, event->globalPos());
}

void Pane::ReportSelection() {
    if (!quiet_ && selected_) selected_(Selection());
}

void Pane::ReportLines() {
    if (reporting_ || !laidOut_) return;
    reporting_ = true;
    std::vector<PaneLine> lines = Lines();
    reporting_ = false;
    laidOut_(std::move(lines));
}

void Pane::resizeEvent(QResizeEvent* event) {
    QPlainTextEdit::resizeEvent(event);
    // A new width wraps the text anew.
    ReportLines();
}

void Pane::keyPressEvent(QKeyEvent* event) {
    const bool toStart = event->matches(QKeySequence::MoveToStartOfDocument);
    if (toStart || event->matches(QKeySequence::MoveToEndOfDocument)) {
        verticalScrollBar()->triggerAction(toStart ? QAbstractSlider::SliderToMinimum
                                                   : QAbstractSlider::SliderToMaximum);
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool Pane::event(QEvent* event) {
    const bool handled = QPlainTextEdit::event(event);
    // The pane's own paint is its frame, around the text and the scroll bar.
    if (event->type() == QEvent::Paint && hasFocus()) {
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::Highlight));
        for (int i = 0; i < std::max(frameWidth(), 1); ++i)
            painter.drawRect(rect().adjusted(i, i, -1 - i, -1 - i));
    }
    return handled;
}

std::string Pane::Text() const {
    QString text;
    const QTextDocument* doc = document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b != doc->begin()) text += QStringLiteral("\r\n");
        text += b.text();
    }
    return ToUtf8(text);
}

void Pane::ShowFromTop() {
    setTextCursor(QTextCursor(document()));
    verticalScrollBar()->setValue(0);
}

void Pane::SetText(std::string_view text) {
    // A new text leaves the caret at its start, as the screen says already.
    quiet_ = true;
    // A text that goes on from the whole lines shown is added to them.
    const bool extends = text.starts_with(text_) && (text_.empty() || text_.ends_with("\r\n"));
    if (extends && !text_.empty()) {
        Append(text.substr(text_.size()));
    } else {
        const QString s = DocumentText(text);
        setPlainText(s);
        length_ = PaneLength(Units(s));
        linesValid_ = false;
        ShowFromTop();
    }
    text_ = text;
    quiet_ = false;
}

void Pane::Append(std::string_view text) {
    if (text.empty()) return;
    const QString s = DocumentText(text);
    QTextCursor end(document());
    end.movePosition(QTextCursor::End);
    end.insertText(s);
    length_ += PaneLength(Units(s));
    linesValid_ = false;
    ShowFromTop();
}

void Pane::PrepareLayout() const {
    // Before the window is first shown the pane has not been told its size and
    // would not wrap at all; tell it now: the pane places its viewport, and the
    // viewport's size sets the wrapping width.
    for (QWidget* w : {static_cast<QWidget*>(const_cast<Pane*>(this)), viewport()}) {
        if (!w->testAttribute(Qt::WA_PendingResizeEvent)) continue;
        w->setAttribute(Qt::WA_PendingResizeEvent, false);
        w->ensurePolished();
        QResizeEvent resize(w->size(), QSize(-1, -1));
        QCoreApplication::sendEvent(w, &resize);
    }
}

void Pane::IndexLines() const {
    PrepareLayout();
    QTextDocument* doc = document();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
    // The pane lays its text out at its viewport's width.
    const qreal width = viewport()->width();
    if (linesValid_ && width == linesWidth_) return;
    lines_.clear();
    std::uint32_t position = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        // A width change leaves blocks out of view with a stale line count:
        // lay every block out before reading its lines.
        if (layout) layout->ensureBlockLayout(b);
        const QTextLayout* blockLines = b.layout();
        const int count = blockLines ? blockLines->lineCount() : 0;
        if (count == 0) lines_.push_back({ToUtf8(text), position});
        for (int i = 0; i < count; ++i) {
            const QTextLine line = blockLines->lineAt(i);
            lines_.push_back({ToUtf8(text.mid(line.textStart(), line.textLength())),
                              position + PanePosition(Units(text), line.textStart())});
        }
        position += PaneLength(Units(text)) + 2;  // and the line break
    }
    linesWidth_ = width;
    linesValid_ = true;
}

std::vector<PaneLine> Pane::Lines() const {
    IndexLines();
    return lines_;
}

std::uint32_t Pane::PositionOf(int documentPosition) const {
    // The document separates its blocks by one unit, which the view counts two.
    return PanePosition(Units(document()->toPlainText()),
                        static_cast<std::size_t>(std::max(documentPosition, 0)));
}

PaneSelection Pane::Selection() const {
    const QTextCursor cursor = textCursor();
    return {PositionOf(cursor.selectionStart()), PositionOf(cursor.selectionEnd())};
}

void Pane::Select(PaneSelection selection) {
    const QString text = document()->toPlainText();
    QTextCursor cursor(document());
    cursor.setPosition(static_cast<int>(PaneUnitAt(Units(text), selection.start)));
    cursor.setPosition(static_cast<int>(PaneUnitAt(Units(text), selection.end)),
                       QTextCursor::KeepAnchor);
    // Seen from where it was: the selection moves no view.
    const int top = verticalScrollBar()->value();
    quiet_ = true;
    setTextCursor(cursor);
    quiet_ = false;
    verticalScrollBar()->setValue(top);
}

}  // namespace kinpath::qt
