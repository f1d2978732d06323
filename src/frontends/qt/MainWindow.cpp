#include "frontends/qt/MainWindow.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include <algorithm>

#include "app/Keys.h"
#include "app/MainDialog.h"
#include "app/SpokenWords.h"
#include "frontends/qt/Accessibility.h"
#include "frontends/qt/KeyPress.h"
#include "frontends/qt/Pane.h"
#include "frontends/qt/TextFitting.h"
#include "frontends/qt/Utf8.h"
#include "window/ControlIds.h"

namespace kinpath::qt {

namespace {

Rect ToRect(const QRect& r) { return {r.x(), r.y(), r.x() + r.width(), r.y() + r.height()}; }

QRect ToQRect(const Rect& r) {
    return {r.left, r.top, std::max(0, r.Width()), std::max(0, r.Height())};
}

}  // namespace

MainWindow::MainWindow(QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      driver_(*this, clock_) {
    setObjectName(QStringLiteral("KinpathWindow"));
    setWindowTitle(QString::fromUtf8(DialogCaption));
    setWindowIcon(ProgramIcon());
    const QScreen* screen = QGuiApplication::primaryScreen();
    setFont(DialogFont(screen ? screen->availableGeometry().size() : QSize()));
    units_ = MeasureBaseUnits(font());
    setFixedSize(DialogSize(font()));
    // The run ends when the driver says so, not when the last box of a script
    // that did not load closes before the next one shows.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    // A child like every other part of the window, so tools can find it.
    timer_.setParent(this);
    connect(&timer_, &QTimer::timeout, this, [this] { driver_.Tick(); });
    installEventFilter(this);
    ServeAccessibility();
    BuildControls();
}

MainWindow::~MainWindow() {
    // A box without an owner is no child of the window.
    if (box_) delete box_.data();
}

bool MainWindow::Start(const std::string& scriptPath) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const Point at =
        CentreWindow(screen ? ToRect(screen->geometry()) : Rect{}, {0, 0, width(), height()});
    MoveWindow({at.x, at.y});
    return driver_.Start(scriptPath);
}

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
                widget = MakeBar();
                break;
            case ControlKind::DefaultButton:
            case ControlKind::Button:
                widget = MakeButton(t.id, text, t.kind == ControlKind::DefaultButton);
                break;
        }
        widget->setObjectName(QStringLiteral("control%1").arg(t.id));
        const QRect place = TemplateRect(t);
        widget->setGeometry({widget->parentWidget()->mapFrom(this, place.topLeft()), place.size()});
        widget->setEnabled(t.enabled);
        widget->installEventFilter(this);
        controls_[t.id] = widget;
    }
    for (int k = 0; k < ChoiceButtonCount; ++k)
        FitChoice(*choices_[k], QString::fromUtf8(DialogControls[ControlIndex(IdChoice1 + k)].text),
                  k + 1);
    FitQuestion(*question_, question_->text());
    for (int b = 0; b < BarCount; ++b) {
        const int id = IdFirstLabel + b;
        DrawLabel(id, FromUtf8(DialogControls[ControlIndex(id)].text));
    }
}

QRect MainWindow::TemplateRect(const ControlTemplate& t) const {
    return {DialogUnitsToPixelsX(t.x, units_.x), DialogUnitsToPixelsY(t.y, units_.y),
            DialogUnitsToPixelsX(t.width, units_.x), DialogUnitsToPixelsY(t.height, units_.y)};
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
    if (!choiceGroup_) {
        // A group the question names holds the choices where the template
        // places them, so that a reader says the question with a choice.
        choiceGroup_ = new QWidget(this);
        choiceGroup_->setObjectName(ChoiceGroupName());
        QRect area;
        for (int k = 0; k < ChoiceButtonCount; ++k)
            area |= TemplateRect(DialogControls[ControlIndex(IdChoice1 + k)]);
        choiceGroup_->setGeometry(area);
    }
    auto* choice = new QRadioButton(text, choiceGroup_);
    choice->setAutoExclusive(true);
    // Tab reaches no choice until the screen names one (DrawChoiceTabStop).
    choice->setFocusPolicy(Qt::ClickFocus);
    PressOnClick(choice, id);
    choices_[static_cast<std::size_t>(id - IdChoice1)] = choice;
    return choice;
}

Pane* MainWindow::MakePane() {
    auto* pane = new Pane(this);
    // The lines the pane lays out and the user's selection are the screen's.
    pane->ReportTo(
        [this](std::vector<PaneLine> lines) {
            if (lines != driver_.Shown().paneLines) driver_.PaneLaidOut(std::move(lines));
        },
        [this](PaneSelection selection) {
            if (selection != driver_.Shown().selection) driver_.Selected(selection);
        });
    pane->setAccessibleName(FromUtf8(PaneName));
    pane->ShowMenuWith([this](QMenu& menu, QPoint at) { ShowMenu(menu, at); });
    return pane;
}

QProgressBar* MainWindow::MakeBar() {
    auto* bar = new QProgressBar(this);
    bar->setRange(BarLow, BarHigh);
    bar->setValue(BarLow);
    bar->setTextVisible(false);
    QPalette palette = bar->palette();
    palette.setColor(QPalette::Highlight, QColor(BarColour.red, BarColour.green, BarColour.blue));
    bar->setPalette(palette);
    return bar;
}

QPushButton* MainWindow::MakeButton(int id, const QString& text, bool isDefault) {
    auto* button = new QPushButton(FromUtf8(MarkedCaption(ToUtf8(text), id)), this);
    button->setAutoDefault(true);
    button->setDefault(isDefault);
    PressOnClick(button, id);
    return button;
}

void MainWindow::PressOnClick(QAbstractButton* button, int id) {
    connect(button, &QAbstractButton::clicked, this, [this, id] {
        driver_.Press(id);
        // A radio button checks itself when clicked; it shows what the
        // screen says, also when the press changed nothing.
        for (int k = 0; k < ChoiceButtonCount; ++k)
            DrawChecked(*choices_[k],
                        driver_.Shown().controls[ControlIndex(IdChoice1 + k)].checked);
    });
}

QWidget* MainWindow::ControlWidget(int id) const {
    auto it = controls_.find(id);
    return it == controls_.end() ? nullptr : it->second;
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

int MainWindow::FocusedControl() const {
    const QWidget* focused = focusWidget();
    for (const auto& [id, widget] : controls_) {
        if (widget == focused) return id;
    }
    return 0;
}

// --- Input

void MainWindow::reject() { driver_.Press(IdExit); }

void MainWindow::closeEvent(QCloseEvent* event) {
    // The window never closes by itself: the driver ends the run and says so.
    event->ignore();
    driver_.Close();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        for (const auto& [id, widget] : controls_) {
            if (widget == watched) driver_.Focused(id);
        }
        return QDialog::eventFilter(watched, event);
    }
    const bool override = event->type() == QEvent::ShortcutOverride;
    if (!override && event->type() != QEvent::KeyPress) return QDialog::eventFilter(watched, event);
    const KeyPress press = SharedKey(*static_cast<QKeyEvent*>(event), FocusedControl());
    if (press.key == KeyName::Other) return false;
    if (override) {
        // Claimed as a key press, so that a button's Alt letter does not take it first.
        if (!DecideKey(driver_.Shown(), press).handled) return false;
        event->accept();
        return true;
    }
    return driver_.Key(press).handled;
}

// --- Drawing

void MainWindow::DrawCaption(std::string_view caption) { setWindowTitle(FromUtf8(caption)); }

void MainWindow::DrawLayout(Layout layout) {
    // The results give the pane the window above the button row; the
    // questions (after Back or a preview) put it back in its place.
    pane_->setGeometry(layout == Layout::Results
                           ? ToQRect(ResultsPaneRect({0, 0, width(), height()}))
                           : TemplateRect(DialogControls[ControlIndex(IdTranscript)]));
}

void MainWindow::DrawChecked(QRadioButton& choice, bool checked) {
    if (choice.isChecked() == checked) return;
    // An auto-exclusive button refuses to be unchecked, and checking one would
    // uncheck its siblings: set this one alone, as the screen says each.
    choice.setAutoExclusive(false);
    choice.setChecked(checked);
    choice.setAutoExclusive(true);
}

void MainWindow::DrawControl(int id, const ControlView& control) {
    const int index = ControlIndex(id);
    QWidget* widget = ControlWidget(id);
    if (index < 0 || !widget) return;
    const QString text = FromUtf8(control.text);
    switch (DialogControls[static_cast<std::size_t>(index)].kind) {
        case ControlKind::QuestionText:
            FitQuestion(*question_, text);
            choiceGroup_->setAccessibleName(text);
            break;
        case ControlKind::Choice:
            FitChoice(*Choice(id), text, id - IdChoice1 + 1);
            DrawChecked(*Choice(id), control.checked);
            break;
        case ControlKind::Label:
            DrawLabel(id, text);
            break;
        case ControlKind::DefaultButton:
        case ControlKind::Button:
            static_cast<QAbstractButton*>(widget)->setText(
                FromUtf8(MarkedCaption(control.text, id)));
            break;
        case ControlKind::Pane:  // its text comes with DrawPane
        case ControlKind::Bar:   // a bar shows no text
            break;
    }
    if (widget->isEnabledTo(this) != control.enabled) widget->setEnabled(control.enabled);
    if (widget->isHidden() == control.visible) widget->setVisible(control.visible);
}

void MainWindow::DrawLabel(int id, const QString& text) {
    // The label names its bar for readers, whole also when it shows it cut.
    FitLabel(*static_cast<QLabel*>(ControlWidget(id)), text,
             DialogUnitsToPixelsX(LabelLimit(DialogControls[ControlIndex(id)]), units_.x) - 1);
    Bar(id - IdFirstLabel + IdFirstBar)->setAccessibleName(text);
}

void MainWindow::DrawChoiceTabStop(int id) {
    // The arrow keys move within the choices; Tab enters them at this one.
    for (int k = 0; k < ChoiceButtonCount; ++k)
        choices_[k]->setFocusPolicy(IdChoice1 + k == id ? Qt::StrongFocus : Qt::ClickFocus);
}

void MainWindow::DrawFocus(int id) {
    // Unusable, a control passes the focus on in the tab order (after the last
    // question to Exit); it lands where the screen says instead.
    if (QWidget* widget = ControlWidget(id)) widget->setFocus(Qt::OtherFocusReason);
}

void MainWindow::DrawPane(std::string_view text) {
    pane_->SetText(text);
    pane_->ReportLines();
}

void MainWindow::DrawSelection(PaneSelection selection) { pane_->Select(selection); }

void MainWindow::DrawBar(int barId, std::int32_t position) {
    // Outside the range the bar shows the nearest end.
    if (QProgressBar* bar = Bar(barId)) bar->setValue(std::clamp(position, BarLow, BarHigh));
}

void MainWindow::DrawEnd() { EndRun(0); }

void MainWindow::EndRun(int exitCode) { QCoreApplication::exit(exitCode); }

// --- What the controls show

std::string MainWindow::ControlText(int id) const {
    if (id == IdTranscript) return pane_->Text();
    const ControlView* control = driver_.Shown().Control(id);
    if (!control) return {};
    // The fitted ones show a cut text; the rest show what they were given.
    if (id == IdQuestionText || Choice(id) || Bar(id)) return control->text;
    if (const auto* label = qobject_cast<const QLabel*>(ControlWidget(id)))
        return ToUtf8(label->text());
    if (const auto* button = qobject_cast<const QAbstractButton*>(ControlWidget(id)))
        return UnmarkedCaption(ToUtf8(button->text()));
    return {};
}

bool MainWindow::IsControlEnabled(int id) const {
    const QWidget* c = ControlWidget(id);
    return c && c->isEnabledTo(this);
}

bool MainWindow::IsControlVisible(int id) const {
    const QWidget* c = ControlWidget(id);
    return c && !c->isHidden();
}

bool MainWindow::IsChecked(int id) const {
    const QRadioButton* choice = Choice(id);
    return choice && choice->isChecked();
}

// --- The timer

void MainWindow::StartTicks(int intervalMs) { timer_.start(intervalMs); }
void MainWindow::StopTicks() { timer_.stop(); }

}  // namespace kinpath::qt
