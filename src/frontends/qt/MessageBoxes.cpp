// The boxes the run waits on: shown without waiting, answered from the event loop.
#include <QMessageBox>
#include <QScreen>
#include <QShowEvent>
#include <QStyle>

#include "frontends/qt/MainWindow.h"
#include "frontends/qt/Utf8.h"

namespace kinpath::qt {

namespace {

// Message texts use CR LF like everything else in the core.
QString BoxText(std::string_view text) {
    QString s = FromUtf8(text);
    s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return s;
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

// The answer a closed box gives: the button pressed, else (closed by other
// means) what the box's default answer to a refusal is.
BoxResult AnswerOf(const QMessageBox& box, BoxButtons buttons) {
    const QMessageBox::StandardButton pressed = box.standardButton(box.clickedButton());
    if (pressed == QMessageBox::Yes) return BoxResult::Yes;
    if (pressed == QMessageBox::No) return BoxResult::No;
    return buttons == BoxButtons::YesNo ? BoxResult::No : BoxResult::Ok;
}

}  // namespace

void MainWindow::DrawBox(const Box* box) {
    if (box_) {
        // Answered already, or no longer waiting: it goes without a word.
        box_->disconnect(this);
        box_->deleteLater();
        box_->hide();
    }
    if (!box) return;
    const bool owned = box->owner == BoxOwner::Dialog;
    auto* shown = new PlacedBox(owned ? this : nullptr, owned && isVisible() ? nullptr : screen());
    shown->setAttribute(Qt::WA_DeleteOnClose);
    shown->setObjectName(QStringLiteral("KinpathMessageBox"));
    shown->setIcon(QMessageBox::NoIcon);
    shown->setWindowTitle(FromUtf8(box->caption));
    shown->setTextFormat(Qt::PlainText);
    shown->setText(BoxText(box->text));
    const BoxButtons buttons = box->buttons;
    const QMessageBox::StandardButton byDefault =
        buttons == BoxButtons::YesNo ? QMessageBox::Yes : QMessageBox::Ok;
    shown->setStandardButtons(buttons == BoxButtons::YesNo ? QMessageBox::Yes | QMessageBox::No
                                                           : QMessageBox::Ok);
    shown->setDefaultButton(byDefault);
    // The answer goes to the driver from the event loop, never from inside
    // the draw that showed the box.
    connect(shown, &QDialog::finished, this, [this, shown, buttons] {
        const BoxResult answer = AnswerOf(*shown, buttons);
        QMetaObject::invokeMethod(
            this, [this, answer] { driver_.Answer(answer); }, Qt::QueuedConnection);
    });
    box_ = shown;
    ShowBox(*shown);
}

void MainWindow::ShowBox(QMessageBox& box) {
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
}

}  // namespace kinpath::qt
