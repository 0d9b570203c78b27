#pragma once
// The selection rules of the thumbnail browser on the entry list: a plain press or
// release selects one entry (a pressed member of a multiple selection keeps the group),
// Ctrl toggles at the press, Shift selects at the press when there is no anchor and makes
// the range from the anchor at the release. Each returns the entries whose select event
// fires, in order.

#include "browse/IkSortData.h"

#include <vector>

struct ThumbSelectionState {
    int current = -1;   // last selected entry
    int anchor = -1;    // start of a range selection
    int rangeEnd = -1;  // end of the last range
};

enum class ThumbSelectAt { Press, Release, Key };

// index must be a valid entry with a thumbnail. shift and ctrl count only with multi.
std::vector<int> selectThumbEntry(std::vector<TIKSORTDATA>& entries, ThumbSelectionState& state, int index,
                                  ThumbSelectAt at, bool shift, bool ctrl, bool multi);

int selectedCount(const std::vector<TIKSORTDATA>& entries);
void deselectAll(std::vector<TIKSORTDATA>& entries);

// Moves the selected entries, in their order, as one block to the place of entry target
// (before it when it lies before the first selected entry, else after it); the others
// keep their order. False, and nothing moved, when target is selected or out of range.
bool moveSelectedBlock(std::vector<TIKSORTDATA>& entries, int target);
