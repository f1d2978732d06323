// Printing the results pane.
#pragma once

#include <memory>
#include <optional>

#include "window/Screen.h"

namespace kinpath {

class PrintSurface;
class View;

inline constexpr int PrintRowsPerPage = 60;

struct PageGeometry {
    int width;       // W
    int height;      // H
    int top;         // T
    int left;        // L
    int bottom;      // B
    int lineHeight;  // h
};

// The page layout for a printer of the given resolution (8.5 x 11 inches,
// 5 % margins, 60 rows).
PageGeometry ComputePageGeometry(int dotsPerInchX, int dotsPerInchY);

// The whole pane as a selection: from its start to past its last character.
PaneSelection WholePane(const Screen& screen);

// Prints the screen's pane lines on the printer the user started (none: the
// user cancelled), or only the lines its selection touches when the user
// chose so; printing everything selects the whole text first, on the view
// too. The printer is released before the box to show when it failed.
std::optional<Box> PrintTranscript(std::unique_ptr<PrintSurface> surface, Screen& screen,
                                   View& view);

}  // namespace kinpath
