// Printing the results pane.
#pragma once

#include <optional>

#include "window/Screen.h"

namespace kinpath {

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

// Prints the pane (or its selection) on the printer the user picks; the box to
// show when the printer failed.
std::optional<Box> PrintTranscript(View& view);

}  // namespace kinpath
