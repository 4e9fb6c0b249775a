#pragma once

#include <cstddef>
#include <string>
#include <vector>

// The rules of the string list editor that need no window: naming new entries, the selection
// after a deletion, and where its windows and buttons go.

// The decimal text ("%d") of the smallest non-negative number that no name in names spells.
// Only names in that exact form count: "01", "+1" or " 1" use no number.
std::wstring SmallestFreeName(const std::vector<std::wstring>& names);

// The item selected again after item deleted went from a list that now holds remaining items:
// the same index, or the last item when that is past the end, or -1 (none) when it is empty.
int SelectionAfterDelete(int deleted, std::size_t remaining);

struct TRect {
    int Left;
    int Top;
    int Width;
    int Height;
};

struct TPosition {
    int Left;
    int Top;
};

// Where a window of the given size goes to be centred over another: each half size truncated.
TPosition CentredOver(const TRect& outer, int width, int height);

// Centred over outer as above, then moved into the work area; a window larger than the work
// area keeps its top left corner in it, so that its caption and close box can be reached.
TPosition CentredWithin(const TRect& outer, const TRect& workArea, int width, int height);

struct TButtonPair {
    int FirstLeft;
    int SecondLeft;
};

// The left edges of two buttons kept centred as a pair, gap pixels apart (30 at 96 DPI), in a panel.
TButtonPair CentredButtonPair(int panelWidth, int firstWidth, int gap = 30);
