// The Qt window's wiring: what each drawing call shows, which event each click
// and key becomes, its boxes, timer and pane. The rules behind them are the
// driver's, proved in tests/app/.
#include <QAbstractEventDispatcher>
#include <QAccessible>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProcess>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>

#include <algorithm>
#include <map>

#include "QtTestSupport.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace kinpath::testing {
namespace {

// Runs the event loop until the bar timer sleeps; false if it still ticks after 3 s.
bool BarTimerSleeps(const TestWindow& window) {
    for (QDeadlineTimer limit(3000); window.TimerTicking() && !limit.hasExpired();)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return !window.TimerTicking();
}

TEST_F(QtWindowTest, BuildsTheTemplatesControlsInOrder) {
    Start(false);
    const auto px = [u = window->Units()](int x, int y, int w, int h) {
        return QRect(DialogUnitsToPixelsX(x, u.x), DialogUnitsToPixelsY(y, u.y),
                     DialogUnitsToPixelsX(w, u.x), DialogUnitsToPixelsY(h, u.y));
    };
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kinpath Race and Class chooser"));
    EXPECT_EQ(window->size(), px(0, 0, 321, 332).size());
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window->windowIcon().pixmap(48).isNull());
    // A screen too small for the dialog at 8 points gets a smaller font, title
    // bar included; the window never leaves the screen's available area.
    for (const QSize room : {QSize(1280, 1024), QSize(420, 380)}) {
        const QFont font = qt::DialogFont(room);
        EXPECT_EQ(font.pointSizeF() == 8, room.width() == 1280);
        EXPECT_LE(qt::DialogSize(font).width(), room.width());
        EXPECT_LE(qt::DialogSize(font).height() + 2 * qt::MeasureBaseUnits(font).y, room.height());
    }
    const QRect screen = window->screen()->availableGeometry();
    window->MoveWindow({-500, -500});
    EXPECT_EQ(window->pos(), screen.topLeft());
    window->MoveWindow({9000, 9000});
    EXPECT_TRUE(screen.contains(window->frameGeometry()));
    // Created in template order, which is also the tab and stacking order.
    const auto children =
        window->findChildren<QWidget*>(QRegularExpression(QStringLiteral("^control")));
    ASSERT_EQ(children.size(), 69);
    const char* const classes[] = {"QLabel",       "QRadioButton", "QPlainTextEdit", "QLabel",
                                   "QProgressBar", "QPushButton",  "QPushButton"};
    for (int i = 0; i < 69; ++i) {
        const ControlTemplate& t = DialogControls[i];
        SCOPED_TRACE(t.id);
        ASSERT_EQ(window->ControlWidget(t.id), children[i]);
        EXPECT_STREQ(children[i]->metaObject()->className(), classes[static_cast<int>(t.kind)]);
        EXPECT_EQ(QRect(children[i]->mapTo(window.get(), QPoint()), children[i]->size()),
                  px(t.x, t.y, t.width, t.height));
        EXPECT_EQ(window->ControlText(t.id), t.kind == ControlKind::Pane ? "" : t.text);
        if (const auto* bar = qobject_cast<QProgressBar*>(children[i])) {
            EXPECT_EQ(bar->palette().color(QPalette::Highlight), QColor(255, 0, 0));
            EXPECT_EQ(bar->maximum(), 100);
        }
        EXPECT_EQ(window->IsControlEnabled(t.id), t.enabled);
    }
}

// What the window shows of a question: its text, the checked choices, OK when
// enabled; and the Wizard's points in the run.
std::string State(const TestWindow& window) {
    std::string s = window.ControlText(IdQuestionText) + " |";
    for (int k = 0; k < ChoiceButtonCount; ++k)
        if (window.IsChecked(IdChoice1 + k)) s += " " + std::to_string(k + 1);
    return s + (window.IsControlEnabled(IdOk) ? " | OK | " : " | | ") +
           std::to_string(window.Driver().CurrentRun()->Scores().PointTotals()[SlotWizard]);
}

// Each click and key reaches the run as its event; the focus the screen
// holds is drawn, and the user's moves are reported.
TEST_F(QtWindowTest, ClicksAndKeysReachTheRunAndTheFocusFollowsTheScreen) {
    std::string script = Questionnaire(3, 8);
    StartOn(script);
    const QRect desk = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->pos(), QPoint(desk.width() / 2 - window->width() / 2,
                                    desk.height() / 2 - window->height() / 2));
    Click(IdChoice1 + 1);
    EXPECT_EQ(State(*window), "Question 1 | 2 | OK | 0");
    Click(IdOk);
    EXPECT_EQ(State(*window), "Question 2 | | | 2");  // a new question starts unchecked
    for (const auto& [key, modifier, state] : {
             std::tuple(Qt::Key_3, Qt::NoModifier, "Question 2 | 3 | OK | 2"),
             std::tuple(Qt::Key_Return, Qt::NoModifier, "Question 3 | | | 5"),
             std::tuple(Qt::Key_Backspace, Qt::NoModifier, "Question 2 | 3 | OK | 2"),
             std::tuple(Qt::Key_O, Qt::AltModifier, "Question 3 | | | 5"),
             std::tuple(Qt::Key_Z, Qt::ControlModifier, "Question 2 | 3 | OK | 2"),
             std::tuple(Qt::Key_S, Qt::AltModifier, "Question 3 | | | 2"),
         }) {
        Key(key, modifier);
        EXPECT_EQ(State(*window), state) << key;
    }
    // Tab enters the choices at their tab stop, and leaves them for the pane.
    window->ControlWidget(IdExit)->setFocus();
    Key(Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), window->ControlWidget(IdChoice1));
    Key(Qt::Key_Tab);
    EXPECT_EQ(window->Driver().Shown().focus, IdTranscript);  // the user's move, reported
    // A digit reaches the window wherever the focus is and takes it along.
    window->ControlWidget(IdSkip)->setFocus();
    for (int k = 1; k <= ChoiceButtonCount; ++k) {
        Key(Qt::Key_0 + k);
        EXPECT_TRUE(window->IsChecked(IdChoice1 + k - 1)) << k;
        EXPECT_EQ(window->focusWidget(), window->ControlWidget(IdChoice1 + k - 1)) << k;
    }
    // F5 and Ctrl+R read the script again.
    std::string first = "Question 1";
    for (const auto& [key, modifier, name] :
         {std::tuple(Qt::Key_F5, Qt::NoModifier, "Edited"),
          std::tuple(Qt::Key_R, Qt::ControlModifier, "Edited again")}) {
        WriteScript(script.replace(script.find(first), first.size(), name));
        first = name;
        Key(key, modifier);
        EXPECT_EQ(State(*window), std::string(name) + " | | | 0");
    }
    Key(Qt::Key_Escape);
    EXPECT_EQ(window->endRuns, std::vector<int>{0});
    EXPECT_FALSE(window->TimerTicking());
}

TEST_F(QtWindowTest, BoxesTheirAnswersTheResultsAndTheSavedPage) {
    WriteScript("<QUESTION>\nname=Q\nbogus line\n</QUESTION>\n");
    Start();
    EXPECT_EQ(window->boxes, std::vector<std::string>{
                                 "ScriptError: Undefined symbol found, line 3"});  // stands alone
    Pump();
    EXPECT_EQ(window->boxes,
              (std::vector<std::string>{"ScriptError: Undefined symbol found, line 3",
                                        "Error: Could not open script.txt [owned]"}));
    // No shown window stands behind them: both stand in the middle of the screen.
    EXPECT_FALSE(window->isVisible());
    const QPoint middle = window->screen()->availableGeometry().center();
    for (const QRect& place : window->boxPlaces)
        EXPECT_LE((place.center() - middle).manhattanLength(), 1) << place.x() << "," << place.y();
    EXPECT_EQ(window->endRuns, std::vector<int>{0});
    StartOn(Questionnaire(1, 2, "ask"));
    const QRect questionsPane = window->ControlWidget(IdTranscript)->geometry();
    EXPECT_EQ(RightClick(IdFirstLabel), "Back\tBackspace [off]");  // Back, usable when the key is
    window->answer = QMessageBox::No;
    Click(IdChoice1);
    Click(IdOk);
    EXPECT_EQ(window->boxes, std::vector<std::string>{"Output results?: Would you like to "
                                                      "review the results? [owned]"});
    EXPECT_EQ(window->ControlText(IdTranscript).find("You chose 1."), std::string::npos);  // No
    // The results fill the window with the pane, and Back restores its place.
    EXPECT_EQ(window->ControlWidget(IdTranscript)->geometry(),
              QRect(10, 10, window->width() - 20, window->height() - 55));
    for (int id : {IdQuestionText, IdChoice1, IdFirstBar, IdFirstLabel + BarCount - 1})
        EXPECT_FALSE(window->ControlWidget(id)->isVisible()) << id;
    // The saved page goes to the desktop's viewer by its absolute path, a
    // folder name that is not UTF-8 byte for byte; a viewer that cannot be
    // started gets a box naming the page.
    std::filesystem::create_directory("\xFF");
    std::filesystem::current_path("\xFF");
    window->viewerStarts = false;
    Click(IdHtml);
    std::filesystem::current_path(Dir());
    const QByteArray page = QByteArray::fromStdString(Dir().string() + "/\xFF/Kinpath.html");
    ASSERT_EQ(window->opened.size(), 1u);
    EXPECT_EQ(window->opened[0].toEncoded(), "file://" + page.toPercentEncoding("/"));
    EXPECT_EQ(window->boxes.back(),
              "Error: Could not open Kinpath.html in a viewer. It was saved as:\n" +
                  QString::fromUtf8(page).toStdString() + " [owned]");
    window->menuChooses = true;  // in the pane's own menu too
    EXPECT_EQ(RightClick(IdTranscript), "Back\tBackspace");
    EXPECT_EQ(window->ControlWidget(IdTranscript)->geometry(), questionsPane);
    EXPECT_TRUE(window->ControlWidget(IdChoice1)->isVisible());
}

// The timer drives the bars, every tick drawn, and sleeps once they settle.
TEST_F(QtWindowTest, BarsRiseOnTimerTicksAndTheTimerSleeps) {
    StartOn(Questionnaire(2));
    auto* wizard = qobject_cast<QProgressBar*>(window->ControlWidget(BarIdForSlot(SlotWizard)));
    ASSERT_TRUE(BarTimerSleeps(*window));  // at rest, and nothing else ticks
    for (QObject* o : window->findChildren<QObject*>())
        EXPECT_TRUE(QAbstractEventDispatcher::instance()->registeredTimers(o).isEmpty()) << o;
    int peak = 0;
    QObject::connect(wizard, &QProgressBar::valueChanged, [&](int v) { peak = std::max(peak, v); });
    Click(IdChoice1 + 1);
    Click(IdOk);
    EXPECT_TRUE(window->TimerTicking());
    ASSERT_TRUE(BarTimerSleeps(*window));
    EXPECT_EQ(std::pair(peak, wizard->value()), std::pair(12, 2));  // the overshoot drawn too
}

TEST_F(QtWindowTest, CutTextsEndInAnEllipsisWithTheWholeTextAndDigitKeyInTheirTooltip) {
    // Markup in a script's text is shown as written, in a tooltip too.
    std::string text = "Start <font size=7 color=red>big</font> &amp; <img src=x width=20000>";
    for (int i = 0; i < 30; ++i) text += " keeps going";
    StartOn("<QUESTION>\nname=" + text + "\ntext=" + text + "\ntext=Rock & roll\n</QUESTION>\n" +
            Questionnaire(1));
    auto* cut = qobject_cast<QRadioButton*>(window->ControlWidget(IdChoice1));
    auto* question = qobject_cast<QLabel*>(window->ControlWidget(IdQuestionText));
    EXPECT_TRUE(cut->text().endsWith(QChar(0x2026)));
    EXPECT_LE(cut->sizeHint().width(), cut->width());
    EXPECT_EQ(ShownTip(cut), text + "\nPress 1");
    EXPECT_EQ(QAccessible::queryAccessibleInterface(cut)->text(QAccessible::Name).toStdString(),
              text);
    EXPECT_EQ(ShownTip(question), text);
    EXPECT_EQ(question->text(),
              QString::fromStdString(text).left(question->text().size() - 1) + QChar(0x2026));
    EXPECT_LE(question->heightForWidth(question->width()), question->height());
    // Whole texts: the digit key alone; an ampersand is no shortcut mark.
    EXPECT_EQ(qobject_cast<QRadioButton*>(window->ControlWidget(IdChoice1 + 1))->text(),
              QStringLiteral("Rock && roll"));
    EXPECT_EQ(ShownTip(window->ControlWidget(IdChoice1 + 1)), "Press 2");
    Click(IdSkip);
    EXPECT_EQ(question->toolTip(), QString());
}

// Each bar's name shows whole, at 96 dots an inch and again, in a run of its
// own, at 120, 144 and 192: the font grows in steps of its own, not the
// template's units'.
TEST_F(QtWindowTest, BarNamesShowWholeAtEveryResolution) {
    Start(false);
    for (int id = IdFirstLabel; id < IdFirstLabel + BarCount; ++id) {
        const auto* label = qobject_cast<QLabel*>(window->ControlWidget(id));
        EXPECT_EQ(label->text().toStdString(), DialogControls[ControlIndex(id)].text);
        EXPECT_LE(label->fontMetrics().horizontalAdvance(label->text()), label->width()) << id;
    }
    if (qEnvironmentVariableIsSet("QT_FONT_DPI")) return;
    for (const char* dpi : {"120", "144", "192"}) {
        qputenv("QT_FONT_DPI", dpi);
        EXPECT_EQ(QProcess::execute(QCoreApplication::applicationFilePath(),
                                    {QStringLiteral("--gtest_filter=*BarNamesShowWhole*")}),
                  0)
            << dpi;
    }
    qunsetenv("QT_FONT_DPI");
}

// A script's game titles the window and names its bars; those it lacks are hidden.
TEST_F(QtWindowTest, AGameTitlesTheWindowAndNamesItsBars) {
    StartOn(
        "<GAME>\ntitle=Ember Coast\n</GAME>\n<RACE>\nname=Saltborn\n</RACE>\n<QUESTION>\n"
        "name=Q\ntext=a\n</QUESTION>\n");
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Ember Coast"));
    EXPECT_EQ(qobject_cast<QLabel*>(window->ControlWidget(IdFirstLabel))->text(),
              QStringLiteral("Saltborn"));
    EXPECT_TRUE(window->ControlWidget(IdFirstBar + 1)->isHidden());
}

// The pane reports the lines it wraps its text into, before it is ever shown
// and after a change of width, and the selection the user makes; the one the
// screen holds it draws without reporting it back.
TEST_F(QtWindowTest, PaneReportsItsWrappedLinesAndTheUsersSelection) {
    WriteScript(LongLineQuestionnaire());
    Start(false);  // never shown yet, the pane must still wrap
    Click(IdChoice1);
    Click(IdOk);
    const std::size_t wide = WrappedLineCount(window->Driver().Shown());
    window->show();
    Pump();
    EXPECT_EQ(window->Driver().Shown().paneLines.size(), wide);  // the same layout on screen
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    pane->setGeometry(10, 10, 250, 90);
    EXPECT_GT(WrappedLineCount(window->Driver().Shown()), wide);
    // Into the second line: its break counts two.
    const auto first = static_cast<std::uint32_t>(pane->document()->firstBlock().length());
    window->DrawSelection({1, first + 2});
    EXPECT_EQ(std::pair(pane->textCursor().selectionStart(), pane->textCursor().selectionEnd()),
              std::pair(1, static_cast<int>(first) + 1));
    EXPECT_EQ(window->Driver().Shown().selection, PaneSelection{});
    QTextCursor cursor(pane->document());
    cursor.setPosition(2);
    cursor.setPosition(static_cast<int>(first) + 2, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    EXPECT_EQ(window->Driver().Shown().selection, (PaneSelection{2, first + 3}));
    cursor.clearSelection();  // the caret stays where it was
    pane->setTextCursor(cursor);
    EXPECT_EQ(window->Driver().Shown().selection, (PaneSelection{first + 3, first + 3}));
    cursor.setPosition(1);  // the caret alone moves
    pane->setTextCursor(cursor);
    EXPECT_EQ(window->Driver().Shown().selection, (PaneSelection{1, 1}));
    // A longer text brings the view back to the first line.
    pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
    window->DrawPane(window->Driver().Shown().pane + "More\r\n");
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(pane->verticalScrollBar()->value(), 0);
}

std::string Node(QAccessible::Role role, const char* name) {
    return std::to_string(role) + " " + name;
}

// The controls under root by role and name (a group's too, not a control's
// own parts such as the pane's scroll bar), each checked to be named and to
// have root's node for its parent.
std::map<std::string, QAccessibleInterface*> Tree(QAccessibleInterface* root) {
    std::map<std::string, QAccessibleInterface*> tree;
    for (int i = 0; i < root->childCount(); ++i) {
        QAccessibleInterface* node = root->child(i);
        const QString name = node->text(QAccessible::Name);
        EXPECT_FALSE(name.isEmpty()) << node->object();
        EXPECT_EQ(std::pair(node->parent(), root->indexOfChild(node)), std::pair(root, i));
        tree[Node(node->role(), name.toUtf8().constData())] = node;
        if (node->role() == QAccessible::Grouping) tree.merge(Tree(node));
    }
    return tree;
}

// A reader meets named controls only, the question naming its choices, which
// say their keys; the bars' names and values, the pane's name; where the
// player is.
TEST_F(QtWindowTest, ReadersMeetNamedControlsAndTheQuestionNamesItsChoices) {
    StartOn(Questionnaire(3));
    QAccessibleInterface* root = QAccessible::queryAccessibleInterface(window.get());
    const auto where = [root] { return root->text(QAccessible::Description).toStdString(); };
    EXPECT_EQ(where(), "Question 1 of 3");
    auto tree = Tree(root);
    QAccessibleInterface* group = tree[Node(QAccessible::Grouping, "Question 1")];
    ASSERT_TRUE(group);
    EXPECT_EQ(group->childCount(), 2);  // the six empty choices are left out
    EXPECT_EQ(tree[Node(QAccessible::RadioButton, "Answer 2")], group->child(1));
    EXPECT_EQ(group->child(1)->text(QAccessible::Description), QStringLiteral("Press 2"));
    EXPECT_TRUE(tree[Node(QAccessible::EditableText, "Results")]);
    QAccessibleInterface* wizard = tree[Node(QAccessible::ProgressBar, "Wizard")];
    ASSERT_TRUE(wizard && wizard->valueInterface());
    for (int q = 1; q <= 3; ++q) Click(IdSkip);  // the results: no question, choice or bar
    for (const auto& [key, node] : Tree(root))
        EXPECT_TRUE(node->role() != QAccessible::Grouping &&
                    node->role() != QAccessible::ProgressBar)
            << key;
    EXPECT_EQ(where(), "");
}

}  // namespace
}  // namespace kinpath::testing
