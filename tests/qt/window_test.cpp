// The window itself: its controls, the start-up, the buttons and the keys.
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

#include "QtTestSupport.h"
#include "flow/BarAnimation.h"
#include "flow/QuestionFlow.h"
#include "scoring/RankTables.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"
#include "app/MainDialog.h"

namespace kinpath::testing {
namespace {

using QtWindow = QtWindowTest;

TEST_F(QtWindow, BuildsEveryControlOfTheTemplateInOrder) {
    Start(false);
    const qt::BaseUnits u = window->Units();
    ASSERT_GT(u.x, 0);
    ASSERT_GT(u.y, 0);
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Kinpath Race and Class chooser"));
    EXPECT_EQ(window->ClientRect(), (Rect{0, 0, DialogUnitsToPixelsX(321, u.x),
                                          DialogUnitsToPixelsY(332, u.y)}));
    EXPECT_EQ(window->minimumSize(), window->maximumSize());
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);

    // Children in template order, each with its identifier's object name.
    std::vector<QWidget*> children;
    for (QObject* o : window->children()) {
        auto* w = qobject_cast<QWidget*>(o);
        if (w && w->objectName().startsWith(QStringLiteral("control"))) children.push_back(w);
    }
    ASSERT_EQ(children.size(), DialogControls.size());
    for (std::size_t i = 0; i < DialogControls.size(); ++i) {
        const ControlTemplate& t = DialogControls[i];
        SCOPED_TRACE(t.id);
        QWidget* w = window->ControlWidget(t.id);
        ASSERT_EQ(w, children[i]);
        EXPECT_EQ(w->objectName(), QStringLiteral("control%1").arg(t.id));
        EXPECT_EQ(window->ControlRect(t.id),
                  (Rect{DialogUnitsToPixelsX(t.x, u.x), DialogUnitsToPixelsY(t.y, u.y),
                        DialogUnitsToPixelsX(t.x, u.x) + DialogUnitsToPixelsX(t.width, u.x),
                        DialogUnitsToPixelsY(t.y, u.y) + DialogUnitsToPixelsY(t.height, u.y)}));
        if (t.kind != ControlKind::Pane) {
            EXPECT_EQ(window->ControlText(t.id), t.text);
        }
        EXPECT_TRUE(window->IsControlVisible(t.id));
        EXPECT_EQ(window->IsControlEnabled(t.id), t.id != IdPrint && t.id != IdHtml);
        switch (t.kind) {
            case ControlKind::QuestionText: {
                auto* label = qobject_cast<QLabel*>(w);
                ASSERT_NE(label, nullptr);
                EXPECT_TRUE(label->wordWrap());
                EXPECT_EQ(label->frameShape(), QFrame::Box);
                break;
            }
            case ControlKind::Choice: {
                auto* choice = qobject_cast<QRadioButton*>(w);
                ASSERT_NE(choice, nullptr);
                EXPECT_TRUE(choice->autoExclusive());
                EXPECT_FALSE(choice->focusPolicy() & Qt::TabFocus);
                break;
            }
            case ControlKind::Pane: {
                auto* pane = qobject_cast<QPlainTextEdit*>(w);
                ASSERT_NE(pane, nullptr);
                EXPECT_TRUE(pane->isReadOnly());
                EXPECT_EQ(pane->lineWrapMode(), QPlainTextEdit::WidgetWidth);
                EXPECT_EQ(pane->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
                break;
            }
            case ControlKind::Bar: {
                auto* bar = qobject_cast<QProgressBar*>(w);
                ASSERT_NE(bar, nullptr);
                EXPECT_FALSE(bar->isTextVisible());
                EXPECT_EQ(bar->accessibleName().toStdString(),
                          window->ControlText(IdFirstLabel + t.id - IdFirstBar));
                break;
            }
            case ControlKind::DefaultButton:
            case ControlKind::Button:
                ASSERT_NE(qobject_cast<QPushButton*>(w), nullptr);
                EXPECT_EQ(qobject_cast<QPushButton*>(w)->isDefault(),
                          t.kind == ControlKind::DefaultButton);
                break;
            case ControlKind::Label:
                ASSERT_NE(qobject_cast<QLabel*>(w), nullptr);
                break;
        }
    }
    EXPECT_FALSE(window->HasControl(4242));
    EXPECT_EQ(window->ControlRect(4242), Rect{});
    EXPECT_EQ(window->ControlText(4242), "");
}

TEST_F(QtWindow, TabReachesThePaneAndTheButtonsInTemplateOrder) {
    Start(false);
    std::vector<QString> order;
    QWidget* w = window.get();
    do {
        w = w->nextInFocusChain();
        if (w->window() == window.get() && (w->focusPolicy() & Qt::TabFocus) &&
            w->objectName().startsWith(QStringLiteral("control")))
            order.push_back(w->objectName());
    } while (w != window.get());
    EXPECT_EQ(order, (std::vector<QString>{QStringLiteral("control1009"), QStringLiteral("control1"),
                                           QStringLiteral("control3"), QStringLiteral("control1010"),
                                           QStringLiteral("control2"), QStringLiteral("control1011")}));
}

TEST_F(QtWindow, StartsWithTheGreetingAndShowsTheFirstQuestionOnceThePostedOkRuns) {
    WriteScript(SmallScript(2));
    Start();
    // The first OK is posted: nothing stepped yet, the greeting is there.
    EXPECT_EQ(window->PaneText(),
              "Answer the questions.\r\nSkip any that you don't want to answer.\r\n"
              "At the end you will be given the answer!\r\n");
    EXPECT_EQ(window->ControlText(1000), "Radio1");
    Pump();
    EXPECT_EQ(window->ControlText(IdQuestionText), "Question 1: do you like to cast spells from afar?");
    EXPECT_EQ(window->ControlText(1001), "No");
    EXPECT_TRUE(window->IsControlEnabled(1000));
    EXPECT_FALSE(window->IsControlEnabled(1002));
    EXPECT_FALSE(window->IsControlEnabled(IdOk));
    EXPECT_TRUE(window->boxes.empty());
    // Placed by the core's centring: client-sized box centred, halves truncated.
    const Rect desk = window->DesktopRect();
    EXPECT_EQ(window->pos(), QPoint(desk.Width() / 2 - window->width() / 2,
                                    desk.Height() / 2 - window->height() / 2));
}

TEST_F(QtWindow, RefusedScriptShowsItsBoxesThenEnds) {
    // Missing, then broken: the failure box is owned, ScriptError boxes are not.
    for (const char* script : {"", "<QUESTION>\nname=Q\nbogus line\n</QUESTION>\n"}) {
        SCOPED_TRACE(script);
        ResetProgramState();
        if (*script != '\0') WriteScript(script);
        Start();
        ASSERT_EQ(window->boxes.size(), *script ? 2u : 1u);
        if (*script) {
            EXPECT_EQ(window->boxes[0].caption, QStringLiteral("ScriptError"));
            EXPECT_EQ(window->boxes[0].text, QStringLiteral("Undefined symbol found, line 3"));
            EXPECT_FALSE(window->boxes[0].owned);
        }
        const SeenBox& box = window->boxes.back();
        EXPECT_EQ(box.caption, QStringLiteral("Error"));
        EXPECT_EQ(box.text, QStringLiteral("Could not open script.txt"));
        EXPECT_TRUE(box.owned);
        EXPECT_FALSE(box.hasIcon);
        EXPECT_EQ(box.buttons, QStringList{QStringLiteral("OK")});
        EXPECT_TRUE(window->endRuns.empty());  // the close request is posted
        Pump();
        EXPECT_EQ(window->endRuns, std::vector<int>{0});
        EXPECT_FALSE(window->TimerTicking(IdBarTimer));
        EXPECT_EQ(window->PaneText(), "");
    }
}

TEST_F(QtWindow, ClicksAndKeysAnswerWhileSkipRecordsNothing) {
    StartOn(SmallScript(4));
    Click(1000);
    EXPECT_TRUE(window->IsChecked(1000));
    EXPECT_TRUE(window->IsControlEnabled(IdOk));
    Click(IdOk);
    EXPECT_EQ(PointTotals[26], 5);
    EXPECT_EQ(window->ControlText(IdQuestionText).substr(0, 10), "Question 2");
    EXPECT_FALSE(window->IsChecked(1000));  // a new question starts unchecked
    EXPECT_FALSE(window->IsControlEnabled(IdOk));
    Click(1000);
    Click(IdSkip);
    EXPECT_EQ(PointTotals[26], 5);
    // A digit typed while the pane has the focus still reaches the window.
    window->ControlWidget(IdTranscript)->setFocus();
    ASSERT_EQ(window->focusWidget(), window->ControlWidget(IdTranscript));
    Key(Qt::Key_5);  // no fifth choice: nothing happens
    EXPECT_FALSE(window->IsControlEnabled(IdOk));
    Key(Qt::Key_2);
    EXPECT_TRUE(window->IsChecked(1001));
    EXPECT_EQ(window->focusWidget(), window->ControlWidget(1001));
    Key(Qt::Key_Return);
    EXPECT_EQ(PointTotals[25], 3);  // "No" gives the Warrior 3
    Key(Qt::Key_1);
    Key(Qt::Key_Enter);
    EXPECT_EQ(PointTotals[26], 10);
    EXPECT_EQ(QuestionsFinished, 1);
}

TEST_F(QtWindow, ResultsLayoutFillsTheWindowWithThePaneAndHtmlOpensThePage) {
    StartOn(SmallScript(1));
    Click(1000);
    Click(IdOk);
    const Rect client = window->ClientRect();
    EXPECT_EQ(window->ControlRect(IdTranscript), (Rect{10, 10, client.right - 10, client.bottom - 45}));
    EXPECT_EQ(window->ControlWidget(IdTranscript)->geometry(), QRect(10, 10, client.right - 20, client.bottom - 55));
    for (int b = 0; b < BarCount; ++b) {
        EXPECT_FALSE(window->ControlWidget(IdFirstBar + b)->isVisible());
        EXPECT_FALSE(window->ControlWidget(IdFirstLabel + b)->isVisible());
    }
    EXPECT_FALSE(window->ControlWidget(IdQuestionText)->isVisible());
    EXPECT_FALSE(window->IsControlEnabled(IdOk));
    EXPECT_TRUE(window->ControlWidget(IdOk)->isVisible());
    EXPECT_FALSE(window->IsControlEnabled(IdSkip));
    EXPECT_TRUE(window->IsControlEnabled(IdPrint));
    EXPECT_NE(window->PaneText().find("It appears that the best race for you is"), std::string::npos);
    // The saved page goes to the desktop's viewer by its absolute path.
    Click(IdHtml);
    ASSERT_EQ(window->opened.size(), 1u);
    EXPECT_TRUE(window->opened[0].isLocalFile());
    const std::filesystem::path saved = window->opened[0].toLocalFile().toStdString();
    EXPECT_TRUE(saved.is_absolute());
    EXPECT_TRUE(std::filesystem::equivalent(saved, Dir() / "Kinpath.html"));
}

TEST_F(QtWindow, BarsRiseOnTimerTicksSettleAndLetTheTimerSleep) {
    StartOn(SmallScript(2, "wizpts", 5));
    auto* wizard = qobject_cast<QProgressBar*>(window->ControlWidget(1038));
    ASSERT_NE(wizard, nullptr);
    EXPECT_EQ(wizard->palette().color(QPalette::Highlight), QColor(255, 0, 0));
    // At rest from the start: the timer sleeps.
    ASSERT_TRUE(WaitFor([&] { return !window->TimerTicking(IdBarTimer); }));
    Click(1000);
    Click(IdOk);
    EXPECT_TRUE(window->TimerTicking(IdBarTimer));
    ASSERT_TRUE(WaitFor([&] { return wizard->value() >= 15; }));  // the overshoot
    ASSERT_TRUE(WaitFor([&] { return !window->TimerTicking(IdBarTimer); }));
    EXPECT_EQ(wizard->value(), 5);
    EXPECT_EQ(BarShown[26], 5);
    EXPECT_EQ(BarTarget[26], 0);
}

TEST_F(QtWindow, BarMessagesApplyInOrderAndClampToTheRange) {
    StartOn(SmallScript(1));
    auto* bar = qobject_cast<QProgressBar*>(window->ControlWidget(IdFirstBar));
    window->PostBarMessage(IdFirstBar, BarMessage::SetPos, 40);
    window->PostBarMessage(IdFirstBar, BarMessage::SetPos, 30);
    EXPECT_EQ(bar->value(), 0);  // posted, not applied yet
    Pump();
    EXPECT_EQ(bar->value(), 30);
    for (auto [posted, shown] : {std::pair{150, 100}, std::pair{-7, 0}}) {
        window->PostBarMessage(IdFirstBar, BarMessage::SetPos, posted);
        Pump();
        EXPECT_EQ(bar->value(), shown);
    }
}

TEST_F(QtWindow, ExitEscapeAndTheCloseBoxAllEndTheRun) {
    WriteScript(SmallScript(2));
    for (int how = 0; how < 3; ++how) {
        SCOPED_TRACE(how);
        ResetProgramState();
        Start();
        Pump();
        if (how == 0) Click(IdExit);
        if (how == 1) Key(Qt::Key_Escape);
        if (how == 2) {
            window->close();
            Pump();
        }
        EXPECT_EQ(window->endRuns, std::vector<int>{0});
        EXPECT_TRUE(window->RunEnded());
        EXPECT_FALSE(window->TimerTicking(IdBarTimer));
        EXPECT_TRUE(window->isVisible());  // the run's end takes the window down
    }
}

}  // namespace
}  // namespace kinpath::testing
