// The transcript pane: read-only text that wraps at the pane's width. It
// reports its lines as laid out and the user's selection, in pane positions.
#pragma once

#include <QPlainTextEdit>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "window/Screen.h"

class QMenu;

namespace kinpath::qt {

// It has no caret, so that an idle window never wakes up to blink one: a frame
// shows that it has the focus, and the keys that would take a caret to either
// end of the text scroll there instead.
class Pane : public QPlainTextEdit {
public:
    explicit Pane(QWidget* parent);

    std::size_t Length() const { return length_; }
    std::string Text() const;
    // Shows the text (CR LF line breaks) from its first line.
    void SetText(std::string_view text);
    // Where the lines go each time they are laid out anew, and the
    // selection each time the user changes it.
    void ReportTo(std::function<void(std::vector<PaneLine>)> laidOut,
                  std::function<void(PaneSelection)> selected);
    // Reports the lines as laid out at the pane's width now.
    void ReportLines();
    std::vector<PaneLine> Lines() const;
    PaneSelection Selection() const;
    // Selects that much of the text, highlighted; nothing is reported.
    void Select(PaneSelection selection);
    // A right click's menu: the text's own, which show adds to and opens there.
    void ShowMenuWith(std::function<void(QMenu&, QPoint)> show) { showMenu_ = std::move(show); }

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool event(QEvent* event) override;

private:
    // Gives the pane its real width before it was ever shown, so that it wraps.
    void PrepareLayout() const;
    void IndexLines() const;
    std::uint32_t PositionOf(int documentPosition) const;
    void ReportSelection();
    void ShowFromTop();
    // Adds text at the end: the same result on screen as setting the whole
    // text anew, for a fraction of the cost.
    void Append(std::string_view text);

    std::string text_;  // as last given
    std::size_t length_ = 0;
    mutable std::vector<PaneLine> lines_;
    mutable bool linesValid_ = false;
    mutable qreal linesWidth_ = -1;
    std::function<void(std::vector<PaneLine>)> laidOut_;
    std::function<void(PaneSelection)> selected_;
    std::function<void(QMenu&, QPoint)> showMenu_;
    // Set while the pane changes its text or selection itself, and while it
    // reports its lines.
    bool quiet_ = false;
    bool reporting_ = false;
};

}  // namespace kinpath::qt
