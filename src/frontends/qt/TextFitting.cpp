#include "frontends/qt/TextFitting.h"

#include <QFontMetrics>
#include <QLabel>
#include <QRadioButton>
#include <QStyle>
#include <QStyleOptionButton>
#include <QTextDocument>

#include <algorithm>
#include <string>

#include "app/SpokenWords.h"
#include "app/TextFit.h"
#include "frontends/qt/Utf8.h"

namespace kinpath::qt {

namespace {

// Tooltips take markup when a text looks like markup: script texts are shown
// as written, whatever they hold.
QString PlainTip(const QString& text) {
    return text.isEmpty() ? text : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

}  // namespace

void FitChoice(QRadioButton& choice, const QString& whole, int number) {
    QStyleOptionButton option;
    option.initFrom(&choice);
    option.text = whole;
    // The button's width less what the style adds around a text: room for the
    // text and its focus frame.
    const QSize around =
        choice.style()->sizeFromContents(QStyle::CT_RadioButton, &option, QSize(0, 0), &choice);
    const int room = choice.width() - around.width();
    const QString shown = choice.fontMetrics().elidedText(whole, Qt::ElideRight, room);
    // An ampersand shows as itself instead of marking a shortcut letter.
    choice.setText(QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&")));
    const QString key = FromUtf8(ChoiceKeyText(number));
    choice.setToolTip(PlainTip(shown == whole ? key : whole + QLatin1Char('\n') + key));
    // A reader says the whole text and the key as words, whatever the row shows.
    choice.setAccessibleName(whole);
    choice.setAccessibleDescription(key);
}

void FitLabel(QLabel& label, const QString& whole, int right) {
    const int room = right - label.x();
    const QString shown = label.fontMetrics().elidedText(whole, Qt::ElideRight, room);
    label.setText(shown);
    label.resize(
        std::max(label.width(), std::min(room, label.fontMetrics().horizontalAdvance(shown))),
        label.height());
    label.setToolTip(shown == whole ? QString() : PlainTip(whole));
}

void FitQuestion(QLabel& question, const QString& whole) {
    // The label measures a text as it will lay it out.
    const auto fits = [&question](std::u16string_view text) {
        question.setText(QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())));
        return question.heightForWidth(question.width()) <= question.height();
    };
    const std::u16string shown = CutToFit(
        std::u16string_view(QStringView(whole).utf16(), static_cast<std::size_t>(whole.size())),
        fits);
    question.setText(QString::fromUtf16(shown.data(), static_cast<qsizetype>(shown.size())));
    question.setToolTip(question.text() == whole ? QString() : PlainTip(whole));
}

}  // namespace kinpath::qt
