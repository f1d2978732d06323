// Printing the results pane.
#pragma once

namespace kinpath {

class Dialog;

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

void PrintTranscript(Dialog& dialog);

}  // namespace kinpath
