#include "browse/ThumbSelection.h"

#include <algorithm>

int selectedCount(const std::vector<TIKSORTDATA>& entries) {
    return static_cast<int>(
        std::count_if(entries.begin(), entries.end(), [](const TIKSORTDATA& e) { return e.Selected != 0; }));
}

void deselectAll(std::vector<TIKSORTDATA>& entries) {
    for (TIKSORTDATA& e : entries) e.Selected = 0;
}

std::vector<int> selectThumbEntry(std::vector<TIKSORTDATA>& entries, ThumbSelectionState& state, int index,
                                  ThumbSelectAt at, bool shift, bool ctrl, bool multi) {
    if (index < 0 || index >= static_cast<int>(entries.size())) return {};
    if (!multi) shift = ctrl = false;
    TIKSORTDATA& entry = entries[static_cast<std::size_t>(index)];
    if (ctrl) {
        // A toggle at the press only: toggling again at the release would undo it.
        if (at == ThumbSelectAt::Release) return {};
        entry.Selected = entry.Selected ? 0 : -1;
        state.current = state.anchor = index;
        return {index};
    }
    if (shift) {
        if (at == ThumbSelectAt::Press) {
            if (state.anchor >= 0) return {};
            entry.Selected = -1;
            state.current = state.anchor = index;
            return {index};
        }
        if (state.anchor < 0 || state.anchor >= static_cast<int>(entries.size())) state.anchor = index;
        deselectAll(entries);
        const int from = std::min(state.anchor, index), to = std::max(state.anchor, index);
        std::vector<int> fired;
        for (int i = from; i <= to; ++i) {
            entries[static_cast<std::size_t>(i)].Selected = -1;
            fired.push_back(i);
        }
        state.rangeEnd = state.current = index;
        return fired;
    }
    // A pressed member of a multiple selection keeps the group so that it can be dragged.
    if (at == ThumbSelectAt::Press && entry.Selected && selectedCount(entries) > 1) return {};
    deselectAll(entries);
    entry.Selected = -1;
    state.current = state.anchor = index;
    state.rangeEnd = -1;
    return {index};
}

bool moveSelectedBlock(std::vector<TIKSORTDATA>& entries, int target) {
    if (target < 0 || target >= static_cast<int>(entries.size())) return false;
    if (entries[static_cast<std::size_t>(target)].Selected) return false;
    std::vector<TIKSORTDATA> block, others;
    int firstSelected = -1, targetInOthers = -1;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].Selected) {
            if (firstSelected < 0) firstSelected = static_cast<int>(i);
            block.push_back(entries[i]);
        } else {
            if (static_cast<int>(i) == target) targetInOthers = static_cast<int>(others.size());
            others.push_back(entries[i]);
        }
    }
    if (block.empty()) return false;
    const int at = target < firstSelected ? targetInOthers : targetInOthers + 1;
    others.insert(others.begin() + at, block.begin(), block.end());
    entries = std::move(others);
    return true;
}
