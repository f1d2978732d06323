// Where the window stands on the desktop, its icon, and the viewer it hands
// the saved page to.
#include <QApplication>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QIcon>
#include <QScreen>
#include <QShowEvent>
#include <QUrl>

#include <algorithm>

#include "frontends/qt/MainWindow.h"

namespace kinpath::qt {

// The pictures the desktop entry installs, built into the program.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icons/kinpath-%1.png").arg(size), QSize(size, size));
    return icon;
}

// --- Placement and the desktop

void MainWindow::MoveWindow(QPoint wanted) { move(PlaceOnScreen(wanted)); }

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

void NameApplication() {
    QApplication::setApplicationName(QStringLiteral("kinpath"));
    QApplication::setWindowIcon(ProgramIcon());
    // The Wayland app id: the desktop entry's name.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.kinpath.Kinpath"));
}

}  // namespace kinpath::qt
