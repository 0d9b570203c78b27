#pragma once
// The routines the thumbnail browser and the slide control share: ordering entries
// and counting the images of a folder. The sort settings travel with each call; there
// is no process-wide sort state, so two lists may be sorted at the same time.

#include "browse/IkSortData.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

struct IkSortSettings {
    TVIkSort Sort = vikSortNone;
    TVIkSortOrder SortOrder = vikSortOrderInc;
    QStringList FileExtArray;  // the extension list, for the extension keys
};

// The key an entry is ordered by; nothing when GetFileExt refuses it for an extension
// key, or without a sort.
std::optional<QString> sortKey(const TIKSORTDATA& entry, const IkSortSettings& settings);

// Negative, zero or positive: the two keys compared without regard to case, operands
// swapped for a descending order; equal when either key cannot be built.
int SortProc(const TIKSORTDATA& a, const TIKSORTDATA& b, const IkSortSettings& settings);

// Recursive quicksort of base[low … high] with compare(a, b); the pivot is a copy of the
// middle element; equal elements do not keep their order.
template <typename T, typename Compare>
void QSortRange(T* base, std::ptrdiff_t low, std::ptrdiff_t high, Compare& compare) {
    const T pivot = base[low + (high - low) / 2];
    std::ptrdiff_t i = low, j = high;
    while (i <= j) {
        // The bounds guard only matters for a comparison that contradicts itself.
        while (i < high && compare(base[i], pivot) < 0) ++i;
        while (j > low && compare(pivot, base[j]) < 0) --j;
        if (i <= j) {
            std::swap(base[i], base[j]);
            ++i;
            --j;
        }
    }
    if (low < j) QSortRange(base, low, j, compare);
    if (i < high) QSortRange(base, i, high, compare);
}

template <typename T, typename Compare>
void QSort(T* base, std::size_t count, Compare compare) {
    if (count > 1) QSortRange(base, 0, static_cast<std::ptrdiff_t>(count) - 1, compare);
}

// Sorts entries in place by the settings (nothing for vikSortNone).
void sortEntries(std::vector<TIKSORTDATA>& entries, const IkSortSettings& settings);

// The total number of images of the files (not folders) that pattern ("*.TIF", a name)
// finds in folder, each probed with IKFileType; unreadable files count 0.
std::int64_t GetDirFileCount(const QString& folder, const QString& pattern);
