#include "frontends/qt/DialogFont.h"

#include <QApplication>
#include <QFontMetrics>
#include <QString>

#include "window/DialogTemplate.h"

namespace kinpath::qt {

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

}  // namespace kinpath::qt
