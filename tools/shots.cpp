// Saves screenshots of the window at start, in the middle of the questions,
// with the bars moving, on the results screen, and of every message box.
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFontInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTemporaryDir>

#include <cstdio>
#include <fstream>

#include "QtTestSupport.h"
#include "app/MainDialog.h"
#include "window/ControlIds.h"

using kinpath::testing::Pump;
using kinpath::testing::TestWindow;

namespace {

const char* const Script = R"(<SETTINGS>
preference=classoverrace
</SETTINGS>
<QUESTION>
name=When a fight breaks out, where do you want to be standing?
text=Right in front, taking the blows for the group
text=Just behind the front line, keeping everyone on their feet
text=Far back, casting spells at the enemy
text=Somewhere in the shadows, waiting for an opening
<ANSWER>
type=1
explanationtext=You like to stand in front and take the blows for your friends.
warpts=6
palpts=4
shadpts=4
ogrepts=3
trollpts=3
</ANSWER>
<ANSWER>
type=2
explanationtext=You like to keep the group on its feet.
clrpts=6
shampts=4
drupts=3
</ANSWER>
<ANSWER>
type=3
explanationtext=You like to cast spells from far away.
wizpts=6
magpts=5
necpts=4
encpts=3
erupts=3
</ANSWER>
<ANSWER>
type=4
explanationtext=You like to strike from the shadows.
rogpts=6
bardpts=2
delfpts=3
helfpts=2
</ANSWER>
</QUESTION>
<QUESTION>
name=Would you rather explore the wild lands than the cities?
text=Yes
text=No
<ANSWER>
type=yes
explanationtext=You would rather roam the wild lands.
rngpts=5
drupts=4
welfpts=4
barbpts=2
</ANSWER>
<ANSWER>
type=no
explanationtext=You feel at home in the cities.
humanpts=4
encpts=2
bardpts=3
</ANSWER>
</QUESTION>
<QUESTION>
name=Do you enjoy playing a character with a dark side?
text=Yes
text=No
<ANSWER>
type=yes
explanationtext=You enjoy a character with a dark side.
evilpts=5
necpts=3
shadpts=3
ikspts=3
</ANSWER>
<ANSWER>
type=no
explanationtext=You prefer to play a hero.
goodpts=5
palpts=3
clrpts=2
</ANSWER>
</QUESTION>
<FINAL>
recap=ask
</FINAL>
)";

// The test window that also photographs every message box before answering it.
class ShotWindow : public TestWindow {
public:
    using TestWindow::TestWindow;
    std::vector<QImage> boxShots;

protected:
    void ShowBox(QMessageBox& box) override {
        box.show();
        box.adjustSize();
        boxShots.push_back(box.grab().toImage());
        TestWindow::ShowBox(box);
    }
};

// Lets the window run, timers included, for a while.
void Wait(int ms) {
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

void Save(const QImage& image, const QString& path) {
    if (image.save(path)) std::printf("%s\n", qPrintable(path));
}

void Grab(QWidget& w, const QString& path) {
    Pump();
    Save(w.grab().toImage(), path);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QString out =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("/tmp/kinpath-shots");
    QDir().mkpath(out);
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    std::ofstream(QFile::encodeName(work.filePath(QStringLiteral("script.txt"))).constData())
        << Script;

    std::printf("dialog font %s %gpt\n", qPrintable(QFontInfo(kinpath::qt::DialogFont()).family()),
                kinpath::qt::DialogFont().pointSizeF());
    {
        ShotWindow w;  // the recap question is answered Yes, its default
        w.Start();
        w.show();
        std::printf("base units %d x %d, client %d x %d\n", w.Units().x, w.Units().y, w.width(),
                    w.height());
        Pump();
        Grab(w, out + QStringLiteral("/1-start.png"));
        static_cast<QAbstractButton*>(w.ControlWidget(1002))->click();
        static_cast<QAbstractButton*>(w.ControlWidget(kinpath::IdOk))->click();
        Wait(120);
        Grab(w, out + QStringLiteral("/2-bars-moving.png"));
        static_cast<QAbstractButton*>(w.ControlWidget(1000))->click();
        Wait(600);
        Grab(w, out + QStringLiteral("/3-mid-questions.png"));
        static_cast<QAbstractButton*>(w.ControlWidget(kinpath::IdOk))->click();
        static_cast<QAbstractButton*>(w.ControlWidget(1001))->click();
        static_cast<QAbstractButton*>(w.ControlWidget(kinpath::IdOk))->click();
        Pump();  // the recap question answered
        Grab(w, out + QStringLiteral("/4-results.png"));
        {
            auto* pane = static_cast<QPlainTextEdit*>(w.ControlWidget(kinpath::IdTranscript));
            std::printf("scroll %d of %d..%d, page %d\n", pane->verticalScrollBar()->value(),
                        pane->verticalScrollBar()->minimum(), pane->verticalScrollBar()->maximum(),
                        pane->verticalScrollBar()->pageStep());
        }
        w.DrawSelection({0, UINT32_MAX});  // the whole text
        Grab(w, out + QStringLiteral("/5-results-selected.png"));
        for (std::size_t i = 0; i < w.boxShots.size(); ++i)
            Save(w.boxShots[i], out + QStringLiteral("/box-recap-%1.png").arg(i));
    }
    {
        // A broken script: the script error box, then the failure box.
        std::ofstream(QFile::encodeName(work.filePath(QStringLiteral("script.txt"))).constData())
            << "<QUESTION>\nname=Broken\nnonsense\n</QUESTION>\n";
        ShotWindow w;
        w.Start();
        Pump();  // each box once the one before is answered
        for (std::size_t i = 0; i < w.boxShots.size(); ++i)
            Save(w.boxShots[i], out + QStringLiteral("/box-error-%1.png").arg(i));
    }
    return 0;
}
