// The transcript pane: read-only text that wraps at the pane's width, and the
// view's reading of it: displayed lines and pane positions.
#pragma once

#include <QPlainTextEdit>

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "window/View.h"

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
    int LineCount() const;
    std::string Line(int index) const;
    std::uint32_t LineStart(int index) const;
    PaneSelection Selection() const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool event(QEvent* event) override;

private:
    struct LineInfo {
        int block;               // block number in the document
        int start;               // first UTF-16 unit of the line within its block
        int length;              // UTF-16 units
        std::uint32_t position;  // pane position of the line's first character
    };

    // Gives the pane its real width before it was ever shown, so that it wraps.
    void PrepareLayout() const;
    void IndexLines() const;
    const LineInfo* LineAt(int index) const;
    std::uint32_t PositionOf(int documentPosition) const;
    void ShowFromTop();
    // Adds text at the end: the same result on screen as setting the whole
    // text anew, for a fraction of the cost.
    void Append(std::string_view text);

    std::string text_;  // as last given
    std::size_t length_ = 0;
    mutable std::vector<LineInfo> lines_;
    mutable bool linesValid_ = false;
    mutable qreal linesWidth_ = -1;
};

}  // namespace kinpath::qt
