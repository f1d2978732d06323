#include "frontends/qt/Accessibility.h"

#include <QAccessibleWidget>
#include <QContextMenuEvent>
#include <QKeySequence>
#include <QMenu>
#include <QWidget>

#include "app/SpokenWords.h"
#include "frontends/qt/MainWindow.h"
#include "frontends/qt/Utf8.h"

namespace kinpath::qt {

namespace {

bool IsGroup(const QWidget* widget) {
    return widget->objectName() == ChoiceGroupName() &&
           dynamic_cast<const MainWindow*>(widget->parentWidget());
}

QWidgetList ExposedChildren(const QWidget* parent);

// Shown, and usable or named: a group with something of that kind in it.
bool Exposed(QWidget* widget) {
    if (widget->isWindow() || widget->isHidden()) return false;
    if (IsGroup(widget)) return !ExposedChildren(widget).isEmpty();
    const QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face && (widget->isEnabled() || !face->text(QAccessible::Name).isEmpty());
}

QWidgetList ExposedChildren(const QWidget* parent) {
    QWidgetList exposed;
    for (QObject* child : parent->children()) {
        auto* widget = qobject_cast<QWidget*>(child);
        if (widget && Exposed(widget)) exposed.append(widget);
    }
    return exposed;
}

// A widget whose children are only those a reader can say something of.
class ExposingWidget : public QAccessibleWidget {
public:
    using QAccessibleWidget::QAccessibleWidget;
    int childCount() const override { return static_cast<int>(ExposedChildren(widget()).size()); }
    QAccessibleInterface* child(int index) const override {
        const QWidgetList children = ExposedChildren(widget());
        return index >= 0 && index < children.size()
                   ? QAccessible::queryAccessibleInterface(children[index])
                   : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? static_cast<int>(ExposedChildren(widget()).indexOf(
                           qobject_cast<QWidget*>(child->object())))
                     : -1;
    }
};

QAccessibleInterface* Interface(const QString&, QObject* object) {
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget && dynamic_cast<MainWindow*>(widget))
        return new ExposingWidget(widget, QAccessible::Dialog);
    if (widget && IsGroup(widget)) return new ExposingWidget(widget, QAccessible::Grouping);
    return nullptr;
}

}  // namespace

void ServeAccessibility() {
    static const bool installed = (QAccessible::installFactory(Interface), true);
    (void)installed;
}

// --- What the window says beside its controls

void MainWindow::DrawProgress(int number, int count) {
    setAccessibleDescription(FromUtf8(ProgressText(number, count)));
}

void MainWindow::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    ShowMenu(menu, event->globalPos());
}

void MainWindow::ShowMenu(QMenu& menu, QPoint at) {
    // Back for the mouse, with the key that does the same beside it.
    QAction* back = menu.addAction(FromUtf8(BackCommand));
    back->setShortcut(QKeySequence(FromUtf8(BackKey)));
    back->setEnabled(driver_.Shown().canGoBack);
    connect(back, &QAction::triggered, this, [this] { driver_.Back(); });
    RunMenu(menu, at);
}

void MainWindow::RunMenu(QMenu& menu, QPoint at) { menu.exec(at); }

}  // namespace kinpath::qt
