#include "frontends/qt/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>
#include <QUrl>

#include <algorithm>

#include "app/MainDialog.h"
#include "frontends/qt/Pane.h"
#include "frontends/qt/QtPrintSurface.h"
#include "frontends/qt/TextFitting.h"
#include "frontends/qt/Utf8.h"
#include "window/ControlIds.h"

namespace kinpath::qt {

namespace {

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

// The pictures the desktop entry installs, built into the program.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/kinpath-%1.png").arg(size), QSize(size, size));
    return icon;
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

QSize DialogSize(const QFont& font) {
    const BaseUnits units = MeasureBaseUnits(font);
    return {DialogUnitsToPixelsX(DialogUnitsWidth, units.x),
            DialogUnitsToPixelsY(DialogUnitsHeight, units.y)};
}

QFont DialogFont(QSize room) {
    QFont font = QApplication::font();
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    // The frame the desktop adds is not known before the window shows: room
    // for a title bar of twice the font's height is kept.
    for (; !room.isEmpty() && font.pointSizeF() > 4; font.setPointSizeF(font.pointSizeF() - 0.5)) {
        const QSize size = DialogSize(font);
        if (size.width() <= room.width() &&
            size.height() + 2 * MeasureBaseUnits(font).y <= room.height())
            break;
    }
    return font;
}

MainWindow::MainWindow(Session& session, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      driver_(session, *this, *this, clock_) {
    setObjectName(QStringLiteral("KinpathWindow"));
    setWindowTitle(QString::fromUtf8(DialogCaption));
    setWindowIcon(ProgramIcon());
    const QScreen* screen = QGuiApplication::primaryScreen();
    setFont(DialogFont(screen ? screen->availableGeometry().size() : QSize()));
    units_ = MeasureBaseUnits(font());
    setFixedSize(DialogSize(font()));
    // A child like every other part of the window, so tools can find it.
    timer_.setParent(this);
    connect(&timer_, &QTimer::timeout, this, [this] { driver_.Tick(); });
    BuildControls();
}

MainWindow::~MainWindow() = default;

bool MainWindow::Start(const std::string& scriptPath) { return driver_.Start(scriptPath); }

void MainWindow::BuildControls() {
    for (const ControlTemplate& t : DialogControls) {
        const QString text = QString::fromUtf8(t.text);
        QWidget* widget = nullptr;
        switch (t.kind) {
            case ControlKind::QuestionText:
                widget = question_ = MakeQuestionText(text);
                break;
            case ControlKind::Label:
                widget = MakeLabel(text);
                break;
            case ControlKind::Choice:
                widget = MakeChoice(t.id, text);
                break;
            case ControlKind::Pane:
                widget = pane_ = MakePane();
                break;
            case ControlKind::Bar:
                widget = MakeBar(t.id);
                hiddenTexts_[t.id] = text;
                break;
            case ControlKind::DefaultButton:
            case ControlKind::Button:
                widget = MakeButton(t.id, text, t.kind == ControlKind::DefaultButton);
                break;
        }
        widget->setObjectName(QStringLiteral("control%1").arg(t.id));
        widget->setGeometry(
            DialogUnitsToPixelsX(t.x, units_.x), DialogUnitsToPixelsY(t.y, units_.y),
            DialogUnitsToPixelsX(t.width, units_.x), DialogUnitsToPixelsY(t.height, units_.y));
        widget->setEnabled(t.enabled);
        controls_[t.id] = widget;
    }
    for (int k = 0; k < ChoiceButtonCount; ++k) FitChoice(*choices_[k], choiceTexts_[k], k + 1);
    questionText_ = question_->text();
    FitQuestion(*question_, questionText_);
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
    connect(choice, &QAbstractButton::clicked, this, [this] { UpdateChoiceTabStop(); });
    DispatchOnClick(choice, id);
    choices_[static_cast<std::size_t>(id - IdChoice1)] = choice;
    choiceTexts_[static_cast<std::size_t>(id - IdChoice1)] = text;
    return choice;
}

Pane* MainWindow::MakePane() { return new Pane(this); }

QProgressBar* MainWindow::MakeBar(int id) {
    auto* bar = new QProgressBar(this);
    bar->setRange(0, 100);
    bar->setValue(0);
    bar->setTextVisible(false);
    // The label standing above the bar names it for screen readers.
    if (const auto* label =
            qobject_cast<const QLabel*>(ControlWidget(IdFirstLabel + id - IdFirstBar)))
        bar->setAccessibleName(label->text());
    return bar;
}

QPushButton* MainWindow::MakeButton(int id, const QString& text, bool isDefault) {
    auto* button = new QPushButton(FromUtf8(MarkedCaption(ToUtf8(text), id)), this);
    button->setAutoDefault(true);
    button->setDefault(isDefault);
    DispatchOnClick(button, id);
    return button;
}

void MainWindow::DispatchOnClick(QAbstractButton* button, int id) {
    connect(button, &QAbstractButton::clicked, this, [this, id] { driver_.Command(id); });
}

template <typename F>
void MainWindow::Post(F f) {
    QMetaObject::invokeMethod(this, std::move(f), Qt::QueuedConnection);
}

QWidget* MainWindow::ControlWidget(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
}

void MainWindow::UpdateChoiceTabStop() {
    const int stop = ChoiceTabStop(*this);
    for (int id = IdChoice1; id < IdChoice1 + ChoiceButtonCount; ++id)
        Choice(id)->setFocusPolicy(id == stop ? Qt::StrongFocus : Qt::ClickFocus);
}

QRadioButton* MainWindow::Choice(int id) const {
    return id >= IdChoice1 && id < IdChoice1 + ChoiceButtonCount
               ? choices_[static_cast<std::size_t>(id - IdChoice1)]
               : nullptr;
}

QProgressBar* MainWindow::Bar(int id) const {
    return qobject_cast<QProgressBar*>(
        id >= IdFirstBar && id < IdFirstBar + BarCount ? ControlWidget(id) : nullptr);
}

void MainWindow::reject() { driver_.Command(IdExit); }

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window never closes by itself: the core stops the timer and asks to quit.
    event->ignore();
    driver_.Close();
}

void MainWindow::keyPressEvent(QKeyEvent* event) {
    const int key = event->key();
    const bool plain = (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    // F5 or Ctrl+R: the questionnaire again, from the script file as it is now.
    if ((plain && key == Qt::Key_F5) ||
        (event->modifiers() == Qt::ControlModifier && key == Qt::Key_R)) {
        driver_.Restart();
        event->accept();
        return;
    }
    if (plain && key >= Qt::Key_1 && key < Qt::Key_1 + ChoiceButtonCount) {
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

bool MainWindow::HasControl(int id) const { return ControlWidget(id) != nullptr; }

void MainWindow::SetControlText(int id, std::string_view text) {
    const QString s = FromUtf8(text);
    if (QRadioButton* choice = Choice(id)) {
        choiceTexts_[static_cast<std::size_t>(id - IdChoice1)] = s;
        FitChoice(*choice, s, id - IdChoice1 + 1);
    } else if (id == IdTranscript) {
        SetPaneText(text);
    } else if (auto hidden = hiddenTexts_.find(id); hidden != hiddenTexts_.end()) {
        hidden->second = s;
    } else if (id == IdQuestionText) {
        questionText_ = s;
        FitQuestion(*question_, questionText_);
    } else if (auto* label = qobject_cast<QLabel*>(ControlWidget(id))) {
        label->setText(s);
    } else if (auto* button = qobject_cast<QAbstractButton*>(ControlWidget(id))) {
        button->setText(FromUtf8(MarkedCaption(text, id)));
    }
}

std::string MainWindow::ControlText(int id) const {
    if (Choice(id)) return ToUtf8(choiceTexts_[static_cast<std::size_t>(id - IdChoice1)]);
    if (id == IdQuestionText) return ToUtf8(questionText_);
    if (id == IdTranscript) return PaneText();
    if (auto hidden = hiddenTexts_.find(id); hidden != hiddenTexts_.end())
        return ToUtf8(hidden->second);
    if (const auto* label = qobject_cast<const QLabel*>(ControlWidget(id)))
        return ToUtf8(label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(ControlWidget(id)))
        return UnmarkedCaption(ToUtf8(button->text()));
    return {};
}

void MainWindow::EnableControl(int id, bool enabled) {
    QWidget* c = ControlWidget(id);
    if (!c) return;
    // Disabled, the control holding the focus would pass it on in the tab order:
    // after the last question to Exit, which the next Enter or Space would press.
    // The pane takes it instead.
    if (!enabled && focusWidget() == c && pane_->isVisibleTo(this))
        pane_->setFocus(Qt::OtherFocusReason);
    c->setEnabled(enabled);
    if (Choice(id)) UpdateChoiceTabStop();
}

bool MainWindow::IsControlEnabled(int id) const {
    const QWidget* c = ControlWidget(id);
    return c && c->isEnabledTo(this);
}

void MainWindow::ShowControl(int id, bool visible) {
    if (QWidget* c = ControlWidget(id)) c->setVisible(visible);
    if (Choice(id)) UpdateChoiceTabStop();
}

bool MainWindow::IsControlVisible(int id) const {
    const QWidget* c = ControlWidget(id);
    return c && !c->isHidden();
}

void MainWindow::SetChecked(int id, bool checked) {
    QRadioButton* choice = Choice(id);
    if (!choice) return;
    // An auto-exclusive button refuses to be unchecked, and checking one would
    // uncheck its siblings: set this one alone, as the core checks and clears
    // each choice by itself.
    choice->setAutoExclusive(false);
    choice->setChecked(checked);
    choice->setAutoExclusive(true);
    UpdateChoiceTabStop();
}

bool MainWindow::IsChecked(int id) const {
    const QRadioButton* choice = Choice(id);
    return choice && choice->isChecked();
}

Rect MainWindow::ClientRect() const { return {0, 0, width(), height()}; }

Rect MainWindow::ControlRect(int id) const {
    const QWidget* c = ControlWidget(id);
    return c ? ToRect(c->geometry()) : Rect{};
}

void MainWindow::MoveControl(int id, const Rect& rect) {
    QWidget* c = ControlWidget(id);
    if (!c) return;
    c->setGeometry(rect.left, rect.top, std::max(0, rect.Width()), std::max(0, rect.Height()));
    if (QRadioButton* choice = Choice(id))
        FitChoice(*choice, choiceTexts_[static_cast<std::size_t>(id - IdChoice1)],
                  id - IdChoice1 + 1);
    if (c == question_) FitQuestion(*question_, questionText_);
}

void MainWindow::Repaint() {
    // The dialog is to be repainted at once: paint what is waiting now, not when
    // the event loop next gets to it.
    if (isVisible()) QCoreApplication::sendPostedEvents(this, QEvent::UpdateRequest);
}

// --- The pane

std::size_t MainWindow::PaneLength() const { return pane_->Length(); }
std::string MainWindow::PaneText() const { return pane_->Text(); }
void MainWindow::SetPaneText(std::string_view text) { pane_->SetText(text); }
void MainWindow::AppendPaneText(std::string_view text) { pane_->Append(text); }
int MainWindow::PaneLineCount() const { return pane_->LineCount(); }
std::string MainWindow::PaneLine(int index) const { return pane_->Line(index); }
std::uint32_t MainWindow::PaneLineStart(int index) const { return pane_->LineStart(index); }
void MainWindow::SelectAllPane() { pane_->selectAll(); }
PaneSelection MainWindow::PaneSelectionRange() const { return pane_->Selection(); }

// --- Bars: queued like every other request, so they apply in the order given.

void MainWindow::SetBarColour(int barId, Colour colour) {
    Post([this, barId, colour] {
        if (QProgressBar* bar = Bar(barId)) {
            QPalette palette = bar->palette();
            palette.setColor(QPalette::Highlight, QColor(colour.red, colour.green, colour.blue));
            bar->setPalette(palette);
        }
    });
}

void MainWindow::SetBarRange(int barId, int low, int high) {
    Post([this, barId, low, high] {
        // An empty range would turn the bar into a busy indicator.
        if (QProgressBar* bar = Bar(barId)) bar->setRange(low, std::max(high, low + 1));
    });
}

void MainWindow::SetBarPosition(int barId, std::int32_t position) {
    Post([this, barId, position] {
        // Outside the range the bar shows the nearest end.
        if (QProgressBar* bar = Bar(barId))
            bar->setValue(std::clamp(position, bar->minimum(), bar->maximum()));
    });
}

// --- Message boxes

BoxResult MainWindow::MessageBox(BoxOwner owner, std::string_view text, std::string_view caption,
                                 BoxButtons buttons) {
    driver_.KeepBarsMoving();
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

// --- The timer and posted requests

void MainWindow::StartTimer(int timerId, int intervalMs) {
    driver_.StartTimer(timerId, intervalMs);
}
void MainWindow::StopTimer(int timerId) { driver_.StopTimer(timerId); }
void MainWindow::StartTicks(int intervalMs) { timer_.start(intervalMs); }
void MainWindow::StopTicks() { timer_.stop(); }

bool MainWindow::TimerTicking(int timerId) const {
    return timerId == IdBarTimer && timer_.isActive();
}

void MainWindow::PostCommand(int id) {
    Post([this, id] { driver_.Command(id); });
}

void MainWindow::PostClose() {
    Post([this] { driver_.Close(); });
}

void MainWindow::PostQuit(int exitCode) {
    Post([this, exitCode] {
        if (driver_.Ended()) return;
        driver_.Quit(exitCode);
        EndRun(exitCode);
    });
}

void MainWindow::EndRun(int exitCode) { QCoreApplication::exit(exitCode); }

// --- Placement and the desktop

Rect MainWindow::DesktopRect() const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? ToRect(screen->geometry()) : Rect{};
}

void MainWindow::MoveWindow(int x, int y) { move(PlaceOnScreen({x, y})); }

QPoint MainWindow::PlaceOnScreen(QPoint wanted) const {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return wanted;
    const QRect room = screen->availableGeometry();
    // The frame's size is the desktop's, known once shown; before, the
    // client size stands in for it.
    const QSize outer = frameGeometry().size().expandedTo(size());
    const int x = std::max(room.left(), std::min(wanted.x(), room.right() + 1 - outer.width()));
    const int y = std::max(room.top(), std::min(wanted.y(), room.bottom() + 1 - outer.height()));
    return {x, y};
}

void MainWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Shown, the frame's real size is known: keep its title bar on the screen.
    if (!event->spontaneous()) move(PlaceOnScreen(pos()));
}

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
    driver_.KeepBarsMoving();
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
    QApplication::setWindowIcon(ProgramIcon());
    // The Wayland app id: the desktop entry's name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kinpath.Kinpath"));
}

}  // namespace kinpath::qt
