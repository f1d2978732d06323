// The yardstick for the window: a plain dialog with the same 69 widgets (same
// kinds, texts and geometry from the control template, same font), no logic,
// no timer, no print support. It sets a question's texts the way the window's
// first question does, and ends at the first paint after that.
//   kinpath_bare_dialog [--spawned-at NS]
//   kinpath_bare_dialog --stay      (stays open: idle and memory)
#include <QApplication>
#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>

#include <vector>

#include "ProbeSupport.h"
#include "window/ControlIds.h"
#include "window/DialogTemplate.h"

namespace {

struct Units {
    int x;
    int y;
};

Units MeasureUnits(const QFont& font) {
    QFontMetrics metrics(font);
    const int width = metrics.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return {(width / 26 + 1) / 2, metrics.height()};
}

}  // namespace

int main(int argc, char* argv[]) {
    const long long spawnedAt = kinpath::bench::SpawnedAt(argc, argv);
    const bool stay = kinpath::bench::HasArg(argc, argv, "--stay");

    QApplication app(argc, argv);
    QDialog dialog;
    dialog.setWindowTitle(QStringLiteral("Kinpath Race and Class chooser"));
    QFont font = QApplication::font();
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(8);
    dialog.setFont(font);
    const Units u = MeasureUnits(dialog.font());
    dialog.setFixedSize(kinpath::DialogUnitsToPixelsX(kinpath::DialogUnitsWidth, u.x),
                        kinpath::DialogUnitsToPixelsY(kinpath::DialogUnitsHeight, u.y));

    QLabel* question = nullptr;
    QPlainTextEdit* pane = nullptr;
    std::vector<QRadioButton*> choices;
    for (const kinpath::ControlTemplate& t : kinpath::DialogControls) {
        const QString text = QString::fromUtf8(t.text);
        QWidget* w = nullptr;
        switch (t.kind) {
            case kinpath::ControlKind::QuestionText:
            case kinpath::ControlKind::Label: {
                auto* label = new QLabel(text, &dialog);
                if (t.kind == kinpath::ControlKind::QuestionText) {
                    label->setWordWrap(true);
                    label->setFrameStyle(QFrame::Box | QFrame::Plain);
                    question = label;
                }
                w = label;
                break;
            }
            case kinpath::ControlKind::Choice:
                choices.push_back(new QRadioButton(text, &dialog));
                w = choices.back();
                break;
            case kinpath::ControlKind::Pane:
                pane = new QPlainTextEdit(text, &dialog);
                pane->setReadOnly(true);
                w = pane;
                break;
            case kinpath::ControlKind::Bar: {
                auto* bar = new QProgressBar(&dialog);
                bar->setRange(0, 100);
                bar->setValue(0);
                bar->setTextVisible(false);
                w = bar;
                break;
            }
            case kinpath::ControlKind::DefaultButton:
            case kinpath::ControlKind::Button: {
                auto* button = new QPushButton(text, &dialog);
                button->setDefault(t.kind == kinpath::ControlKind::DefaultButton);
                w = button;
                break;
            }
        }
        w->setGeometry(kinpath::DialogUnitsToPixelsX(t.x, u.x),
                       kinpath::DialogUnitsToPixelsY(t.y, u.y),
                       kinpath::DialogUnitsToPixelsX(t.width, u.x),
                       kinpath::DialogUnitsToPixelsY(t.height, u.y));
        w->setEnabled(t.enabled);
    }

    kinpath::bench::FirstPaintWatch watch(question, spawnedAt);
    // A first question, set before the dialog shows, as the window's start-up does.
    pane->setPlainText(
        QStringLiteral("Answer the questions.\n"
                       "Skip any that you don't want to answer.\n"
                       "At the end you will be given the answer!"));
    question->setText(QStringLiteral("When a fight breaks out, where do you want to be standing?"));
    choices[0]->setText(QStringLiteral("Right in front, taking the blows"));
    choices[1]->setText(QStringLiteral("Far back, casting spells"));
    if (!stay) watch.Arm();
    dialog.show();
    return QApplication::exec();
}
