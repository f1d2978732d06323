// The window itself: its controls, the start-up, the buttons, the keys and the
// transcript pane.
#include <QAbstractEventDispatcher>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextCursor>
#include <QThread>

#include "QtTestSupport.h"
#include "flow/BarAnimation.h"
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
    // Of a fixed size, and offering no maximise button; the program's icon.
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags().testFlag(Qt::WindowMaximizeButtonHint));
    EXPECT_FALSE(window->windowIcon().pixmap(48).isNull());
    // A screen too small for the dialog at 8 points gets it in a smaller font,
    // title bar included; the window never leaves the screen's available area.
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
    const auto children = window->findChildren<QWidget*>(
        QRegularExpression(QStringLiteral("^control")), Qt::FindDirectChildrenOnly);
    ASSERT_EQ(children.size(), 69);
    const char* const classes[] = {"QLabel",       "QRadioButton", "QPlainTextEdit", "QLabel",
                                   "QProgressBar", "QPushButton",  "QPushButton"};
    for (int i = 0; i < 69; ++i) {
        const ControlTemplate& t = DialogControls[i];
        SCOPED_TRACE(t.id);
        ASSERT_EQ(window->ControlWidget(t.id), children[i]);
        EXPECT_STREQ(children[i]->metaObject()->className(), classes[static_cast<int>(t.kind)]);
        EXPECT_EQ(children[i]->geometry(), px(t.x, t.y, t.width, t.height));
        EXPECT_EQ(window->ControlText(t.id), t.kind == ControlKind::Pane ? "" : t.text);
        // A button's caption underlines the letter Alt presses it with.
        if (const auto* button = qobject_cast<QPushButton*>(children[i])) {
            EXPECT_EQ(button->text().remove(QLatin1Char('&')).toStdString(), t.text);
        }
        EXPECT_EQ(window->IsControlEnabled(t.id), t.enabled);
        EXPECT_TRUE(window->IsControlVisible(t.id));
    }
}

TEST_F(QtWindowTest, ShowsTheFirstQuestionInTheCentre) {
    WriteScript(Questionnaire(2));
    Start();
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 1");
    EXPECT_EQ(window->ControlText(IdChoice1), "Answer 1");
    EXPECT_TRUE(window->boxes.empty());
    // Client-sized box centred, halves truncated.
    const QRect desk = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(window->pos(), QPoint(desk.width() / 2 - window->width() / 2,
                                    desk.height() / 2 - window->height() / 2));
}

TEST_F(QtWindowTest, RefusedScriptShowsItsBoxesThenEnds) {
    WriteScript("<QUESTION>\nname=Q\nbogus line\n</QUESTION>\n");
    Start();
    // One box at a time, the next once the first is answered.
    EXPECT_EQ(window->boxes, std::vector<std::string>{
                                 "ScriptError: Undefined symbol found, line 3"});  // stands alone
    EXPECT_TRUE(window->endRuns.empty());
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
    EXPECT_FALSE(window->TimerTicking());
}

// An author previews a draft of any name and, after each edit, reads it again
// with F5 or Ctrl+R: the answers stand up to the first question that changed,
// a box says where it stopped; a draft that no longer loads shows its errors
// and changes nothing.
TEST_F(QtWindowTest, F5AndCtrlRReadADraftAgainKeepingTheAnswersBeforeTheFirstChange) {
    std::string draft = Questionnaire(3);
    WriteScript(draft, "draft.txt");
    Start(true, "draft.txt");
    for (const int key : {Qt::Key_2, Qt::Key_Return, Qt::Key_1, Qt::Key_Return}) Key(key);
    Key(Qt::Key_F5);  // unchanged: where it was
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 3");
    EXPECT_EQ(Scores().PointTotals()[SlotWizard], 3);
    EXPECT_TRUE(window->boxes.empty());
    draft.replace(draft.find("Question 2"), 10, "Question two");
    WriteScript(draft, "draft.txt");
    Key(Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question two");
    EXPECT_EQ(Scores().PointTotals()[SlotWizard], 2);
    EXPECT_EQ(window->ControlWidget(BarIdForSlot(SlotWizard))->property("value").toInt(), 2);
    EXPECT_EQ(window->boxes,
              std::vector<std::string>{
                  "Kinpath: draft.txt was read again.\nIt has changed from question 2 "
                  "on: your answers before it were kept. [owned]"});
    // From the results, a new first question brings the questions back in their layout.
    const QRect pane = window->ControlWidget(IdTranscript)->geometry();
    Click(IdSkip);
    Click(IdSkip);
    ASSERT_TRUE(window->IsControlEnabled(IdPrint));
    WriteScript("<QUESTION>\nname=Edited\ntext=One\n</QUESTION>\n", "draft.txt");
    Key(Qt::Key_F5);
    EXPECT_EQ(window->boxes.back(),
              "Kinpath: draft.txt was read again.\nIt has changed from question 1 on, so the "
              "questions start again. [owned]");
    EXPECT_EQ(window->ControlText(IdQuestionText), "Edited");
    EXPECT_EQ(Scores().PointTotals()[SlotWizard], 0);
    EXPECT_EQ(window->PaneLine(0), "Answer the questions.");
    EXPECT_EQ(window->ControlWidget(IdTranscript)->geometry(), pane);
    EXPECT_TRUE(window->ControlWidget(BarIdForSlot(SlotWizard))->isVisible());
    EXPECT_FALSE(window->IsControlEnabled(IdPrint));
    window->boxes.clear();
    WriteScript("<QUESTION>\nname=Q\nbogus line\n</QUESTION>\n", "draft.txt");
    Key(Qt::Key_F5);
    EXPECT_EQ(window->boxes,
              (std::vector<std::string>{"ScriptError: Undefined symbol found, line 3",
                                        "Error: Could not open draft.txt [owned]"}));
    EXPECT_EQ(window->ControlText(IdQuestionText), "Edited");
    EXPECT_TRUE(window->endRuns.empty());
}

// Backspace or Ctrl+Z takes back the last answer or skip at once, from the
// results too; answered again, the saved page is the one a straight run saves.
TEST_F(QtWindowTest, BackspaceAndCtrlZTakeBackTheLastAnswerAlsoFromTheResults) {
    StartOn(Questionnaire(2));
    const QRect questionsPane = window->ControlWidget(IdTranscript)->geometry();
    Key(Qt::Key_2);
    Key(Qt::Key_Return);
    Key(Qt::Key_1);  // chosen, not yet answered
    Key(Qt::Key_Backspace);
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 1");
    EXPECT_TRUE(window->IsChecked(IdChoice1 + 1) && window->IsControlEnabled(IdOk));
    EXPECT_EQ(Scores().PointTotals()[SlotWizard], 0);
    Key(Qt::Key_Return);
    Key(Qt::Key_S, Qt::AltModifier);  // the results
    Click(IdHtml);
    const std::string straight = ReadFile("Kinpath.html");
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 2");
    EXPECT_EQ(window->ControlWidget(IdTranscript)->geometry(), questionsPane);
    EXPECT_TRUE(window->ControlWidget(IdChoice1)->isVisible());
    EXPECT_FALSE(window->IsControlEnabled(IdHtml));
    // The bars stand where the answers leave them, without moving there.
    EXPECT_EQ(window->ControlWidget(BarIdForSlot(SlotWizard))->property("value").toInt(), 2);
    Click(IdChoice1);
    Click(IdOk);
    Key(Qt::Key_Backspace);
    Click(IdSkip);
    Click(IdHtml);
    EXPECT_EQ(ReadFile("Kinpath.html"), straight);
    // Nothing to take back before the first answer.
    for (int i = 0; i < 3; ++i) Key(Qt::Key_Backspace);
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 1");
    EXPECT_TRUE(window->boxes.empty());
}

TEST_F(QtWindowTest, ClicksAndDigitKeysAnswerSkipPassesAndEscapeEnds) {
    StartOn(Questionnaire(4, 8));
    Click(IdChoice1 + 1);
    EXPECT_TRUE(window->IsControlEnabled(IdOk));
    Click(IdOk);
    EXPECT_EQ(Scores().PointTotals()[SlotWizard], 2);
    EXPECT_FALSE(window->IsChecked(IdChoice1 + 1));  // a new question starts unchecked
    EXPECT_FALSE(window->IsControlEnabled(IdOk));
    Click(IdChoice1);
    Click(IdSkip);
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 3");
    EXPECT_EQ(window->focusWidget(), window->ControlWidget(window->Driver().Shown().focus));
    // Tab reaches the choices as one group, the arrows move and choose within it.
    window->ControlWidget(IdExit)->setFocus();
    Key(Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), window->ControlWidget(IdChoice1));
    Key(Qt::Key_Down);
    EXPECT_EQ(window->focusWidget(), window->ControlWidget(IdChoice1 + 1));
    Key(Qt::Key_Space);
    EXPECT_TRUE(window->IsChecked(IdChoice1 + 1) && window->IsControlEnabled(IdOk));
    Key(Qt::Key_Tab);
    EXPECT_EQ(window->focusWidget(), window->ControlWidget(IdTranscript));
    EXPECT_EQ(window->Driver().Shown().focus, IdTranscript);  // the user's move, reported
    Key(Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(window->focusWidget(), window->ControlWidget(IdChoice1 + 1));
    // A digit reaches the window while Skip has the focus, and moves the focus
    // to its choice, so that Enter presses OK and not Skip.
    window->ControlWidget(IdSkip)->setFocus();
    ASSERT_EQ(window->focusWidget(), window->ControlWidget(IdSkip));
    for (int k = 1; k <= ChoiceButtonCount; ++k) {
        Key(Qt::Key_0 + k);
        EXPECT_TRUE(window->IsChecked(IdChoice1 + k - 1)) << k;
    }
    Key(Qt::Key_9);
    Key(Qt::Key_Return);
    EXPECT_EQ(Scores().PointTotals()[SlotWizard], 10);
    Key(Qt::Key_Escape);
    EXPECT_FALSE(window->TimerTicking());
    EXPECT_EQ(window->endRuns, std::vector<int>{0});
}

TEST_F(QtWindowTest, CutTextsEndInAnEllipsisWithTheWholeTextAndDigitKeyInTheirTooltip) {
    // Markup in a script's text is shown as written, in a tooltip too.
    std::string text = "Start <font size=7 color=red>big</font> &amp; <img src=x width=20000>";
    for (int i = 0; i < 30; ++i) text += " keeps going";  // 430 characters
    StartOn("<QUESTION>\nname=" + text + "\ntext=" + text + "\ntext=Rock & roll\n</QUESTION>\n" +
            Questionnaire(1));
    auto* cut = qobject_cast<QRadioButton*>(window->ControlWidget(IdChoice1));
    auto* rock = qobject_cast<QRadioButton*>(window->ControlWidget(IdChoice1 + 1));
    EXPECT_EQ(window->ControlText(IdChoice1), text);  // the window keeps the whole text
    EXPECT_TRUE(cut->text().endsWith(QChar(0x2026)));
    EXPECT_LE(cut->sizeHint().width(), cut->width());
    EXPECT_EQ(ShownTip(cut), text + "\nPress 1");
    EXPECT_EQ(ShownTip(window->ControlWidget(IdQuestionText)), text);
    // The question's last visible line ends in "…", and what it shows fits its box.
    auto* question = qobject_cast<QLabel*>(window->ControlWidget(IdQuestionText));
    EXPECT_TRUE(question->text().endsWith(QChar(0x2026)));
    EXPECT_TRUE(QString::fromStdString(text).startsWith(question->text().chopped(1)));
    EXPECT_LE(question->heightForWidth(question->width()), question->height());
    EXPECT_EQ(window->ControlText(IdQuestionText), text);
    // Whole texts: the digit key alone; an ampersand is no shortcut mark.
    EXPECT_EQ(rock->text().toStdString(), "Rock && roll");
    EXPECT_EQ(ShownTip(rock), "Press 2");
    Click(IdSkip);
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 1");
    EXPECT_EQ(window->ControlWidget(IdQuestionText)->toolTip(), QString());
}

TEST_F(QtWindowTest, AltKeysPressButtonsAndAfterTheLastSkipThePaneKeepsTheFocus) {
    StartOn(Questionnaire(2));
    const int buttons[] = {IdOk, IdSkip, IdPrint, IdHtml, IdExit};
    const char* const captions[] = {"&OK", "&Skip", "&Print", "&HTML", "E&xit"};
    for (int i = 0; i < 5; ++i) {
        const auto* button = qobject_cast<QAbstractButton*>(window->ControlWidget(buttons[i]));
        EXPECT_EQ(button->text().toStdString(), captions[i]);
        EXPECT_EQ(button->shortcut(), QKeySequence(Qt::ALT | Qt::Key("OSPHX"[i])));
    }
    Key(Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 2");
    // Skip pressed with the focus on it ends the questions; Enter and Space then
    // reach the pane, never Exit.
    window->ControlWidget(IdSkip)->setFocus();
    Click(IdSkip);
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    EXPECT_EQ(window->focusWidget(), pane);
    EXPECT_FALSE(qobject_cast<QPushButton*>(window->ControlWidget(IdExit))->isDefault());
    Key(Qt::Key_Return);
    Key(Qt::Key_Space);
    EXPECT_TRUE(window->endRuns.empty());
    // The pane scrolls to either end; idle, nothing in the window ticks.
    std::string lines = window->Driver().Shown().pane;
    for (int i = 0; i < 200; ++i) lines += "\r\n";
    window->DrawPane(lines);
    QScrollBar* bar = pane->verticalScrollBar();
    Key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), bar->maximum());
    Key(Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(bar->value(), 0);
    ASSERT_TRUE(BarTimerSleeps(*window));
    for (QObject* o : window->findChildren<QObject*>())
        EXPECT_TRUE(QAbstractEventDispatcher::instance()->registeredTimers(o).isEmpty()) << o;
}

TEST_F(QtWindowTest, ResultsFillTheWindowWithThePaneAndTheSavedPageOpens) {
    StartOn(Questionnaire(1));
    Click(IdChoice1);
    Click(IdOk);
    EXPECT_EQ(window->ControlWidget(IdTranscript)->geometry(),
              QRect(10, 10, window->width() - 20, window->height() - 55));
    for (int id : {IdQuestionText, IdChoice1, IdFirstBar, IdFirstLabel + BarCount - 1})
        EXPECT_FALSE(window->ControlWidget(id)->isVisible()) << id;
    // The saved page goes to the desktop's viewer by its absolute path.
    Click(IdHtml);
    ASSERT_EQ(window->opened.size(), 1u);
    EXPECT_EQ(window->opened[0],
              QUrl::fromLocalFile(QString::fromStdString((Dir() / "Kinpath.html").string())));
    // A folder name that is not UTF-8 reaches the viewer byte for byte; a viewer
    // that cannot be started gets a box naming the page.
    std::filesystem::create_directory("\xFF");
    std::filesystem::current_path("\xFF");
    window->viewerStarts = false;
    Click(IdHtml);
    std::filesystem::current_path(Dir());
    const QByteArray page = QByteArray::fromStdString(Dir().string() + "/\xFF/Kinpath.html");
    ASSERT_EQ(window->opened.size(), 2u);
    EXPECT_EQ(window->opened[1].toEncoded(), "file://" + page.toPercentEncoding("/"));
    EXPECT_EQ(window->boxes,
              std::vector<std::string>{
                  "Error: Could not open Kinpath.html in a viewer. It was saved as:\n" +
                  QString::fromUtf8(page).toStdString() + " [owned]"});
}

// The box asking for the analysis: its Yes or No reaches the run once answered.
TEST_F(QtWindowTest, TheRecapQuestionsAnswerDecidesTheReport) {
    std::string script = Questionnaire(1);
    script.replace(script.find("recap=yes"), 9, "recap=ask");
    for (const bool yes : {true, false}) {
        StartOn(script);
        window->answer = yes ? QMessageBox::Yes : QMessageBox::No;
        Click(IdChoice1);
        Click(IdOk);
        EXPECT_EQ(window->boxes, std::vector<std::string>{"Output results?: Would you like to "
                                                          "review the results? [owned]"});
        EXPECT_EQ(window->ControlText(IdTranscript).find("You chose 1.") != std::string::npos, yes);
    }
}

TEST_F(QtWindowTest, BarsRiseOnTimerTicksSettleAndLetTheTimerSleep) {
    StartOn(Questionnaire(2));
    auto* wizard = qobject_cast<QProgressBar*>(window->ControlWidget(BarIdForSlot(SlotWizard)));
    EXPECT_EQ(wizard->palette().color(QPalette::Highlight), QColor(255, 0, 0));
    EXPECT_EQ(wizard->maximum(), 100);
    ASSERT_TRUE(BarTimerSleeps(*window));  // at rest
    int peak = 0;
    QObject::connect(wizard, &QProgressBar::valueChanged, [&](int v) { peak = std::max(peak, v); });
    Click(IdChoice1 + 1);
    Click(IdOk);
    EXPECT_TRUE(window->TimerTicking());
    ASSERT_TRUE(BarTimerSleeps(*window));
    EXPECT_EQ(peak, 12);  // the overshoot
    EXPECT_EQ(wizard->value(), 2);
}

// Full on its way to 650, the bar lets the timer sleep; the next command moves
// it on by the ticks slept through.
TEST_F(QtWindowTest, AFullBarLetsTheTimerSleepAndCatchesUpOnTheNextCommand) {
    const std::string q =
        "<QUESTION>\nname=Q\ntext=a\ntext=b\n<ANSWER>\ntype=1\nwizpts=640\n"
        "</ANSWER>\n<ANSWER>\ntype=2\nwizpts=-545\n</ANSWER>\n</QUESTION>\n";
    StartOn(q + q);
    Click(IdChoice1);
    Click(IdOk);
    ASSERT_TRUE(BarTimerSleeps(*window));  // full after 100 ticks, not 1182 later
    QThread::msleep(300);                  // 20 ticks, 10 units
    Click(IdChoice1 + 1);
    EXPECT_GE(window->Driver().Bars().BarShown[SlotWizard], 110);
    Click(IdOk);
    ASSERT_TRUE(BarTimerSleeps(*window));
    EXPECT_EQ(window->Driver().Bars().BarShown[SlotWizard], 95);
}

// The displayed lines put back together: a line starting two positions past
// the previous one's end follows a written line break.
std::string Rejoin(const DisplayedPane& d) {
    std::string text = d.PaneLine(0);
    for (int i = 1; i <= d.PaneLineCount(); ++i) {  // past the end: empty, at the length
        const auto gap = d.PaneLineStart(i) - d.PaneLineStart(i - 1) -
                         QString::fromStdString(d.PaneLine(i - 1)).toUcs4().size();
        text += (gap == 2 ? "\r\n" : gap == 0 ? "" : "<gap>") + d.PaneLine(i);
    }
    return text;
}

TEST_F(QtWindowTest, PaneWrapsAtItsWidthBeforeShowingAndAfterEveryResize) {
    Start(false);  // never shown yet, the pane must still wrap
    // A character beyond 16 bits takes one position.
    std::string text = "\xF0\x9F\x90\x89 x\r\n";
    for (int i = 0; i < 40; ++i) text += "word" + std::to_string(i) + " ";
    text += "end\r\n";
    window->DrawPane(text);
    const int narrow = window->PaneLineCount();
    EXPECT_GT(narrow, 4);
    EXPECT_EQ(window->PaneLine(0), "\xF0\x9F\x90\x89 x");
    EXPECT_EQ(Rejoin(*window), text);
    // The user selects the "x"; then everything.
    auto* pane = qobject_cast<QPlainTextEdit*>(window->ControlWidget(IdTranscript));
    QTextCursor cursor(pane->document());
    cursor.setPosition(3);
    cursor.setPosition(4, QTextCursor::KeepAnchor);
    pane->setTextCursor(cursor);
    EXPECT_EQ(window->PaneSelectionRange().start, 2u);
    EXPECT_EQ(window->PaneSelectionRange().end, 3u);
    window->SelectAllPane();
    EXPECT_EQ(window->PaneSelectionRange().end, window->PaneLineStart(window->PaneLineCount()));
    window->show();
    Pump();
    EXPECT_EQ(window->PaneLineCount(), narrow);  // the same layout on screen
    // Narrowed, then widened by the results layout: the lines follow at once.
    pane->setGeometry(10, 10, 250, 90);
    EXPECT_GT(window->PaneLineCount(), narrow);
    EXPECT_EQ(Rejoin(*window), text);
    window->DrawLayout(Layout::Results);
    EXPECT_LE(window->PaneLineCount(), narrow);
    EXPECT_EQ(Rejoin(*window), text);
    // A longer text brings the view back to the first line.
    std::string more;
    for (int i = 0; i < 100; ++i) more += "More\r\n";
    window->DrawPane(text += more);
    pane->verticalScrollBar()->setValue(pane->verticalScrollBar()->maximum());
    window->DrawPane(text += more);
    Pump();
    EXPECT_EQ(Rejoin(*window), text);
    EXPECT_GT(pane->verticalScrollBar()->maximum(), 0);
    EXPECT_EQ(pane->verticalScrollBar()->value(), 0);
}

}  // namespace
}  // namespace kinpath::testing
