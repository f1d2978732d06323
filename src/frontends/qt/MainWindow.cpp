#include "frontends/qt/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QScreen>
#include <QScrollBar>
#include <QShowEvent>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTimer>
#include <QUrl>

#include <algorithm>

#include "app/MainDialog.h"
#include "flow/BarAnimation.h"
#include "flow/Session.h"
#include "frontends/qt/QtPrintSurface.h"
#include "frontends/qt/Utf8.h"
#include "window/ControlIds.h"

namespace kinpath::qt {

namespace {

// Pane text as the document holds it: one block per line. CR LF is the seam's
// line break; a lone CR or LF breaks the line as well.
QString PaneTextToDocument(std::string_view text) {
    QString s = FromUtf8(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    s.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return s;
}

// Code points of a piece of UTF-16 text.
std::uint32_t CodePoints(const QString& text, qsizetype from = 0, qsizetype length = -1) {
    if (length < 0) length = text.size() - from;
    std::uint32_t count = 0;
    for (qsizetype i = from; i < from + length; ++i) {
        if (!text.at(i).isLowSurrogate()) ++count;
    }
    return count;
}

// Pane positions taken by one line of the document and the CR LF that ends it.
std::uint32_t PaneLineLength(const QString& line) { return CodePoints(line) + 2; }

// Pane positions of document text: every line break counts two.
std::size_t PaneCount(const QString& documentText) {
    std::size_t count = 0;
    for (QChar c : documentText) {
        if (c == QLatin1Char('\n')) {
            count += 2;
        } else if (!c.isLowSurrogate()) {
            ++count;
        }
    }
    return count;
}

// Message texts use CR LF like everything else in the core.
QString BoxText(std::string_view text) {
    QString s = FromUtf8(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
}

Rect ToRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

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

// The transcript pane. It has no caret, so that an idle window never wakes up
// to blink one: a frame shows that it has the focus, and the keys that would
// take a caret to either end of the text scroll there instead.
class Pane : public QPlainTextEdit {
public:
    using QPlainTextEdit::QPlainTextEdit;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        const bool toStart = event->matches(QKeySequence::MoveToStartOfDocument);
        if (toStart || event->matches(QKeySequence::MoveToEndOfDocument)) {
            verticalScrollBar()->triggerAction(toStart ? QAbstractSlider::SliderToMinimum
                                                       : QAbstractSlider::SliderToMaximum);
            return;
        }
        QPlainTextEdit::keyPressEvent(event);
    }
    bool event(QEvent* event) override {
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
};

// A message box with no shown window of the program behind it stands in the
// middle of the given screen, not wherever the desktop would put it.
class PlacedBox : public QMessageBox {
public:
    PlacedBox(QWidget* owner, const QScreen* centreOn) : QMessageBox(owner), centreOn_(centreOn) {}

protected:
    void showEvent(QShowEvent* event) override {
        QMessageBox::showEvent(event);  // gives the box its size
        if (centreOn_ && !event->spontaneous()) {
            setGeometry(QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, size(),
                                            centreOn_->availableGeometry()));
        }
    }

private:
    const QScreen* centreOn_;
};

// Alt and a letter of its caption press a button; the captions stay unmarked.
Qt::Key ButtonKey(int id) {
    switch (id) {
        case IdOk:
            return Qt::Key_O;
        case IdSkip:
            return Qt::Key_S;
        case IdPrint:
            return Qt::Key_P;
        case IdHtml:
            return Qt::Key_H;
        case IdExit:
            return Qt::Key_X;
        default:
            return Qt::Key_unknown;
    }
}

}  // namespace

BaseUnits MeasureBaseUnits(const QFont& font) {
    QFontMetrics metrics(font);
    int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    // The average of the 52 letters, rounded half up: the measure the template's
    // dialog units count in.
    return {(width / 26 + 1) / 2, metrics.height()};
}

QFont DialogFont() {
    QFont font = QApplication::font();
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    return font;
}

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      session_(session) {
    setObjectName(QStringLiteral("KinpathWindow"));
    setWindowTitle(QString::fromUtf8(DialogCaption));
    setFont(DialogFont());
    units_ = MeasureBaseUnits(font());
    setFixedSize(DialogUnitsToPixelsX(DialogUnitsWidth, units_.x),
                 DialogUnitsToPixelsY(DialogUnitsHeight, units_.y));
    BuildControls();
}

MainWindow::~MainWindow() = default;

void MainWindow::BuildControls() {
    for (const ControlTemplate& t : DialogControls) {
        const QString text = QString::fromUtf8(t.text);
        QWidget* widget = nullptr;
        switch (t.kind) {
            case ControlKind::QuestionText:
                widget = MakeQuestionText(text);
                break;
            case ControlKind::Label:
                widget = MakeLabel(text);
                break;
            case ControlKind::Choice:
                widget = MakeChoice(t.id, text);
                break;
            case ControlKind::Pane:
                widget = MakePane(text);
                break;
            case ControlKind::Bar:
                widget = MakeBar(t.id);
                break;
            case ControlKind::DefaultButton:
                widget = MakeButton(t.id, text, true);
                break;
            case ControlKind::Button:
                widget = MakeButton(t.id, text, false);
                break;
        }
        widget->setObjectName(QStringLiteral("control%1").arg(t.id));
        widget->setGeometry(
            DialogUnitsToPixelsX(t.x, units_.x), DialogUnitsToPixelsY(t.y, units_.y),
            DialogUnitsToPixelsX(t.width, units_.x), DialogUnitsToPixelsY(t.height, units_.y));
        widget->setEnabled(t.enabled);
        const bool whole = t.kind == ControlKind::Bar || t.kind == ControlKind::Choice;
        controls_[t.id] = Control{t.kind, widget, whole ? text : QString()};
        FitText(t.id, controls_[t.id]);
    }
}

QLabel* MainWindow::MakeLabel(const QString& text) {
    auto* label = new QLabel(text, this);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

QLabel* MainWindow::MakeQuestionText(const QString& text) {
    QLabel* label = MakeLabel(text);
    label->setWordWrap(true);
    label->setFrameStyle(QFrame::Box | QFrame::Plain);
    label->setLineWidth(1);
    label->setMargin(2);
    label->setIndent(0);
    return label;
}

QRadioButton* MainWindow::MakeChoice(int id, const QString& text) {
    auto* choice = new QRadioButton(text, this);
    choice->setAutoExclusive(true);
    // Reached by a click or the digit keys, never by Tab.
    choice->setFocusPolicy(Qt::ClickFocus);
    DispatchOnClick(choice, id);
    choices_[static_cast<std::size_t>(id - IdChoice1)] = choice;
    return choice;
}

QPlainTextEdit* MainWindow::MakePane(const QString& text) {
    pane_ = new Pane(this);
    pane_->setReadOnly(true);
    // Selectable with the mouse; the keys scroll.
    pane_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    pane_->setUndoRedoEnabled(false);
    pane_->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    pane_->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    // Always there, so the wrapping width never depends on the text's length.
    pane_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    pane_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pane_->setTabChangesFocus(true);
    pane_->setPlainText(text);
    return pane_;
}

QProgressBar* MainWindow::MakeBar(int id) {
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    // The label standing above the bar names it for screen readers.
    const int labelId = IdFirstLabel + (id - IdFirstBar);
    if (const auto* label = qobject_cast<const QLabel*>(ControlWidget(labelId)))
        bar->setAccessibleName(label->text());
    return bar;
}

QPushButton* MainWindow::MakeButton(int id, const QString& text, bool isDefault) {
    auto* button = new QPushButton(text, this);
    button->setAutoDefault(true);
    button->setDefault(isDefault);
    if (const Qt::Key key = ButtonKey(id); key != Qt::Key_unknown) {
        button->setShortcut(QKeyCombination(Qt::AltModifier, key));
        button->setToolTip(button->shortcut().toString(QKeySequence::NativeText));
    }
    DispatchOnClick(button, id);
    return button;
}

void MainWindow::DispatchOnClick(QAbstractButton* button, int id) {
    connect(button, &QAbstractButton::clicked, this, [this, id] { Dispatch(id); });
}

void MainWindow::FitText(int id, const Control& c) {
    if (c.kind == ControlKind::QuestionText) {
        auto* label = static_cast<QLabel*>(c.widget);
        const int m = label->margin();
        const QRect room = label->contentsRect().adjusted(m, m, -m, -m);
        const QRect need = label->fontMetrics().boundingRect(
            room, label->alignment().toInt() | Qt::TextWordWrap, label->text());
        label->setToolTip(room.contains(need) ? QString() : label->text());
    } else if (c.kind == ControlKind::Choice) {
        auto* choice = static_cast<QRadioButton*>(c.widget);
        QStyleOptionButton option;
        option.initFrom(choice);
        option.text = c.text;
        // The button's width less what the style adds around a text: room for
        // the text and its focus frame.
        const QSize around =
            choice->style()->sizeFromContents(QStyle::CT_RadioButton, &option, QSize(0, 0), choice);
        const int room = choice->width() - around.width();
        const QString shown = choice->fontMetrics().elidedText(c.text, Qt::ElideRight, room);
        // An ampersand shows as itself instead of marking a shortcut letter.
        choice->setText(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
        const QString key = QStringLiteral("Press %1").arg(id - IdChoice1 + 1);
        choice->setToolTip(shown == c.text ? key : c.text + QLatin1Char('\n') + key);
    }
}

const MainWindow::Control* MainWindow::Find(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : &it->second;
}

QWidget* MainWindow::ControlWidget(int id) const {
    const Control* c = Find(id);
    return c ? c->widget : nullptr;
}

void MainWindow::Dispatch(int id) {
    if (ended_) return;
    CatchUpBars();
    DialogCommand(session_, *this, id);
    WakeTimers();
}

void MainWindow::reject() { Dispatch(IdExit); }

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window never closes by itself: the core stops the timer and asks to quit.
    event->ignore();
    if (!ended_) DialogClose(*this);
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (plain && key >= Qt::Key_1 && key < Qt::Key_1 + ChoiceCount) {
        QRadioButton* choice = choices_[static_cast<std::size_t>(key - Qt::Key_1)];
        if (choice->isEnabled() && !choice->isHidden()) {
            // As a mouse click would: focus (so Enter then presses OK), check, command.
            choice->setFocus(Qt::OtherFocusReason);
            choice->click();
        }
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// --- Controls

bool MainWindow::HasControl(int id) const { return Find(id) != nullptr; }

void MainWindow::SetControlText(int id, std::string_view text) {
    auto it = controls_.find(id);
    if (it == controls_.end()) return;
    Control& c = it->second;
    const QString s = FromUtf8(text);
    switch (c.kind) {
        case ControlKind::QuestionText:
        case ControlKind::Label:
            static_cast<QLabel*>(c.widget)->setText(s);
            FitText(id, c);
            break;
        case ControlKind::Choice:
            c.text = s;
            FitText(id, c);
            break;
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            static_cast<QAbstractButton*>(c.widget)->setText(s);
            break;
        case ControlKind::Pane:
            SetPaneText(text);
            break;
        case ControlKind::Bar:
            c.text = s;
            break;
    }
}

std::string MainWindow::ControlText(int id) const {
    const Control* c = Find(id);
    if (!c) return {};
    switch (c->kind) {
        case ControlKind::QuestionText:
        case ControlKind::Label:
            return ToUtf8(static_cast<QLabel*>(c->widget)->text());
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            return ToUtf8(static_cast<QAbstractButton*>(c->widget)->text());
        case ControlKind::Pane:
            return PaneText();
        case ControlKind::Choice:
        case ControlKind::Bar:
            return ToUtf8(c->text);
    }
    return {};
}

void MainWindow::EnableControl(int id, bool enabled) {
    const Control* c = Find(id);
    if (!c) return;
    // Disabled, the control holding the focus would pass it on in the tab order:
    // after the last question to Exit, which the next Enter or Space would press.
    // The pane takes it instead.
    if (!enabled && focusWidget() == c->widget && pane_->isVisibleTo(this))
        pane_->setFocus(Qt::OtherFocusReason);
    c->widget->setEnabled(enabled);
}

bool MainWindow::IsControlEnabled(int id) const {
    const Control* c = Find(id);
    return c && c->widget->isEnabledTo(this);
}

void MainWindow::ShowControl(int id, bool visible) {
    if (const Control* c = Find(id)) c->widget->setVisible(visible);
}

bool MainWindow::IsControlVisible(int id) const {
    const Control* c = Find(id);
    return c && !c->widget->isHidden();
}

void MainWindow::SetChecked(int id, bool checked) {
    const Control* c = Find(id);
    if (!c || c->kind != ControlKind::Choice) return;
    auto* button = static_cast<QAbstractButton*>(c->widget);
    // An auto-exclusive button refuses to be unchecked, and checking one would
    // uncheck its siblings: set this one alone, as the core checks and clears
    // each choice by itself.
    button->setAutoExclusive(false);
    button->setChecked(checked);
    button->setAutoExclusive(true);
}

bool MainWindow::IsChecked(int id) const {
    const Control* c = Find(id);
    return c && c->kind == ControlKind::Choice &&
           static_cast<QAbstractButton*>(c->widget)->isChecked();
}

Rect MainWindow::ClientRect() const { return {0, 0, width(), height()}; }

Rect MainWindow::ControlRect(int id) const {
    const Control* c = Find(id);
    return c ? ToRect(c->widget->geometry()) : Rect{};
}

void MainWindow::MoveControl(int id, const Rect& rect) {
    if (const Control* c = Find(id)) {
        c->widget->setGeometry(rect.left, rect.top, std::max(0, rect.Width()),
                               std::max(0, rect.Height()));
        FitText(id, *c);
    }
}

void MainWindow::Repaint() {
    // The dialog is to be repainted at once: paint what is waiting now, not when
    // the event loop next gets to it.
    if (isVisible()) QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

// --- The pane

std::size_t MainWindow::PaneLength() const { return paneLength_; }

std::string MainWindow::PaneText() const {
    QString text;
    const QTextDocument* doc = pane_->document();
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        if (b != doc->begin()) text += QStringLiteral("\r\n");
        text += b.text();
    }
    return ToUtf8(text);
}

void MainWindow::ShowPaneFromTop() {
    pane_->setTextCursor(QTextCursor(pane_->document()));
    pane_->verticalScrollBar()->setValue(0);
}

void MainWindow::SetPaneText(std::string_view text) {
    const QString s = PaneTextToDocument(text);
    pane_->setPlainText(s);
    paneLength_ = PaneCount(s);
    paneLinesValid_ = false;
    ShowPaneFromTop();
}

void MainWindow::AppendPaneText(std::string_view text) {
    if (text.empty()) return;
    const QString s = PaneTextToDocument(text);
    // Inserting at the end instead of setting the whole text anew: the same
    // result on screen for a fraction of the cost.
    QTextCursor end(pane_->document());
    end.movePosition(QTextCursor::End);
    end.insertText(s);
    paneLength_ += PaneCount(s);
    paneLinesValid_ = false;
    ShowPaneFromTop();
}

void MainWindow::PreparePaneLayout() const {
    // Before the window is first shown the pane has not been told its size and
    // would not wrap at all; tell it now: the pane places its viewport, and the
    // viewport's size sets the wrapping width.
    for (QWidget* w : {static_cast<QWidget*>(pane_), pane_->viewport()}) {
        if (!w->testAttribute(Qt::WA_PendingResizeEvent)) continue;
        w->ensurePolished();
        QResizeEvent resize(w->size(), QSize(-1, -1));
        QCoreApplication::sendEvent(w, &resize);
        w->setAttribute(Qt::WA_PendingResizeEvent, false);
    }
}

void MainWindow::IndexPaneLines() const {
    PreparePaneLayout();
    QTextDocument* doc = pane_->document();
    auto* layout = qobject_cast<QPlainTextDocumentLayout*>(doc->documentLayout());
    // The pane lays its text out at its viewport's width.
    const qreal width = pane_->viewport()->width();
    if (paneLinesValid_ && width == paneLinesWidth_) return;
    paneLines_.clear();
    std::uint32_t position = 0;
    for (QTextBlock b = doc->begin(); b.isValid(); b = b.next()) {
        const QString text = b.text();
        // A width change leaves blocks out of view with a stale line count:
        // lay every block out before reading its lines.
        if (layout) layout->ensureBlockLayout(b);
        const QTextLayout* lines = b.layout();
        const int count = lines ? lines->lineCount() : 0;
        if (count == 0) {
            paneLines_.push_back({b.blockNumber(), 0, static_cast<int>(text.size()), position});
        }
        for (int i = 0; i < count; ++i) {
            const QTextLine line = lines->lineAt(i);
            paneLines_.push_back({b.blockNumber(), line.textStart(), line.textLength(),
                                  position + CodePoints(text, 0, line.textStart())});
        }
        position += PaneLineLength(text);
    }
    paneLinesWidth_ = width;
    paneLinesValid_ = true;
}

int MainWindow::PaneLineCount() const {
    IndexPaneLines();
    return static_cast<int>(paneLines_.size());
}

const MainWindow::PaneLineInfo* MainWindow::PaneLineAt(int index) const {
    IndexPaneLines();
    if (index < 0 || index >= static_cast<int>(paneLines_.size())) return nullptr;
    return &paneLines_[static_cast<std::size_t>(index)];
}

std::string MainWindow::PaneLine(int index) const {
    const PaneLineInfo* line = PaneLineAt(index);
    if (!line) return {};
    const QTextBlock block = pane_->document()->findBlockByNumber(line->block);
    return ToUtf8(block.text().mid(line->start, line->length));
}

std::uint32_t MainWindow::PaneLineStart(int index) const {
    const PaneLineInfo* line = PaneLineAt(index);
    return line ? line->position : static_cast<std::uint32_t>(paneLength_);
}

void MainWindow::SelectAllPane() { pane_->selectAll(); }

std::uint32_t MainWindow::PanePosition(int documentPosition) const {
    const QTextDocument* doc = pane_->document();
    const QTextBlock target = doc->findBlock(documentPosition);
    if (!target.isValid()) return static_cast<std::uint32_t>(paneLength_);
    std::uint32_t position = 0;
    for (QTextBlock b = doc->begin(); b.isValid() && b != target; b = b.next())
        position += PaneLineLength(b.text());
    return position + CodePoints(target.text(), 0, documentPosition - target.position());
}

PaneSelection MainWindow::PaneSelectionRange() const {
    const QTextCursor cursor = pane_->textCursor();
    return {PanePosition(cursor.selectionStart()), PanePosition(cursor.selectionEnd())};
}

// --- Bars

void MainWindow::PostBarMessage(int barId, BarMessage message, std::int32_t value) {
    QMetaObject::invokeMethod(
        this, [this, barId, message, value] { ApplyBarMessage(barId, message, value); },
        Qt::QueuedConnection);
}

void MainWindow::ApplyBarMessage(int barId, BarMessage message, std::int32_t value) {
    const Control* c = Find(barId);
    if (!c || c->kind != ControlKind::Bar) return;
    auto* bar = static_cast<QProgressBar*>(c->widget);
    switch (message) {
        case BarMessage::SetBarColor: {
            // The value packs the colour as 0x00BBGGRR: red in the lowest byte.
            const QColor colour(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF);
            QPalette palette = bar->palette();
            palette.setColor(QPalette::Highlight, colour);
            bar->setPalette(palette);
            break;
        }
        case BarMessage::SetRange: {
            const int low = value & 0xFFFF;
            int high = (value >> 16) & 0xFFFF;
            // An empty range would turn the bar into a busy indicator.
            if (high <= low) high = low + 1;
            bar->setRange(low, high);
            break;
        }
        case BarMessage::SetPos:
            // Outside the range the bar shows the nearest end.
            bar->setValue(std::clamp(value, bar->minimum(), bar->maximum()));
            break;
    }
}

// --- Message boxes

BoxResult MainWindow::MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                                 BoxButtons buttons) {
    // The bars keep moving while a box is open.
    WakeTimers();
    const bool owned = owner == BoxOwner::Dialog;
    PlacedBox box(owned ? this : nullptr, owned && isVisible() ? nullptr : screen());
    box.setObjectName(QStringLiteral("KinpathMessageBox"));
    box.setIcon(QMessageBox::NoIcon);
    box.setWindowTitle(FromUtf8(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(BoxText(text));
    if (buttons == BoxButtons::YesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        box.setStandardButtons(QMessageBox::Ok);
        box.setDefaultButton(QMessageBox::Ok);
    }
    const int answer = RunMessageBox(box);
    if (answer == QMessageBox::Yes) return BoxResult::Yes;
    if (answer == QMessageBox::No) return BoxResult::No;
    return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Ok;
}

int MainWindow::RunMessageBox(QMessageBox& box) { return box.exec(); }

// --- Timers

void MainWindow::StartTimer(int timerId, int intervalMs) {
    auto [it, added] = timers_.try_emplace(timerId);
    SeamTimer& t = it->second;
    if (added) {
        // A child like every other part of the window, so tools can find it;
        // the member is destroyed first, which also takes it off the list.
        t.timer.setParent(this);
        connect(&t.timer, &QTimer::timeout, this, [this, timerId] { Tick(timerId); });
    }
    t.running = true;
    t.timer.start(std::max(intervalMs, MinTimerIntervalMs));
    if (timerId == IdBarTimer) barSleep_.Wake();
}

void MainWindow::StopTimer(int timerId) {
    auto it = timers_.find(timerId);
    if (it == timers_.end()) return;
    it->second.running = false;
    it->second.timer.stop();
}

void MainWindow::Tick(int timerId) {
    if (ended_) return;
    DialogTimer(session_, *this, timerId);
    auto it = timers_.find(timerId);
    if (it != timers_.end() && it->second.running && timerId == IdBarTimer &&
        barSleep_.SleepAfterTick(session_)) {
        it->second.timer.stop();
    }
}

void MainWindow::CatchUpBars() {
    auto it = timers_.find(IdBarTimer);
    if (it != timers_.end() && it->second.running)
        barSleep_.CatchUp(session_, it->second.timer.interval());
}

void MainWindow::WakeTimers() {
    for (auto& [id, t] : timers_) {
        if (!t.running || t.timer.isActive()) continue;
        if (id == IdBarTimer && BarsOutOfSight(session_)) continue;
        t.timer.start();
        if (id == IdBarTimer) barSleep_.Wake();
    }
}

bool MainWindow::TimerTicking(int timerId) const {
    auto it = timers_.find(timerId);
    return it != timers_.end() && it->second.timer.isActive();
}

// --- Posted requests

void MainWindow::PostCommand(int id) {
    QMetaObject::invokeMethod(
        this, [this, id] { Dispatch(id); }, Qt::QueuedConnection);
}

void MainWindow::PostClose() {
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (!ended_) DialogClose(*this);
        },
        Qt::QueuedConnection);
}

void MainWindow::PostQuit(int exitCode) {
    QMetaObject::invokeMethod(
        this,
        [this, exitCode] {
            if (ended_) return;
            ended_ = true;
            for (auto& [id, t] : timers_) t.timer.stop();
            EndRun(exitCode);
        },
        Qt::QueuedConnection);
}

void MainWindow::EndRun(int exitCode) { QCoreApplication::exit(exitCode); }

// --- Placement and the desktop

Rect MainWindow::DesktopRect() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? ToRect(screen->geometry()) : Rect{};
}

void MainWindow::MoveWindow(int x, int y) { move(x, y); }

bool MainWindow::OpenFile(const std::string& path) {
    QByteArray bytes = QByteArray::fromStdString(path);
    if (!bytes.startsWith('/')) bytes.prepend(QFile::encodeName(QDir::currentPath()) + '/');
    // The URL carries the path's own bytes, so that a folder name that is not
    // UTF-8 still leads to the file written.
    return OpenUrl(QUrl::fromEncoded("file://" + bytes.toPercentEncoding("/"), QUrl::StrictMode));
}

bool MainWindow::OpenUrl(const QUrl& url) { return QDesktopServices::openUrl(url); }

// --- Printing

std::unique_ptr<PrintSurface> MainWindow::RunPrintDialog(bool selectionAvailable) {
    WakeTimers();
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setDocName(QStringLiteral("Kinpath"));
    // The dialog offers the printer's output file for printing to a file, so
    // name it before the dialog is made. Naming a PDF file turns the printer to
    // PDF; with a printer at hand, turn it back so that the printer is chosen.
    const bool printersAvailable = !QPrinterInfo::availablePrinterNames().isEmpty();
    printer->setOutputFileName(PrintFileName(printersAvailable));
    if (printersAvailable) printer->setOutputFormat(QPrinter::NativeFormat);
    QPrintDialog dialog(printer.get(), this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, selectionAvailable);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, true);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (!RunPrintDialogBox(dialog, *printer)) return nullptr;
    return std::make_unique<QtPrintSurface>(std::move(printer));
}

bool MainWindow::RunPrintDialogBox(QPrintDialog& dialog, QPrinter&) {
    return dialog.exec() == QDialog::Accepted;
}

void NameApplication() {
    QApplication::setApplicationName(QStringLiteral("kinpath"));
    // The Wayland app id: the desktop entry's name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kinpath.Kinpath"));
}

}  // namespace kinpath::qt
