#pragma once
// Product names of the scan sources and the list text of IKScanList.

#include <cstddef>
#include <string>
#include <vector>

namespace scan {

// Longest product name in bytes: the identity record keeps 34 bytes with the NUL.
inline constexpr std::size_t kProductNameBytes = 33;

// `text` cut to at most `bytes` bytes without splitting a UTF-8 sequence.
std::string cutUtf8(const std::string& text, std::size_t bytes);

// The product name of every device, given their models and SANE names (same order).
// A model becomes its name with commas (the list separator) replaced by spaces, cut to
// kProductNameBytes. Devices whose names would be equal are told apart by their SANE
// names: ordered by SANE name, the first keeps the plain name and the others get " (2)",
// " (3)" … (the base cut so that the suffix fits). The result depends only on the set of
// devices, not on the order SANE lists them in, and every name is distinct.
std::vector<std::string> productNames(const std::vector<std::string>& models, const std::vector<std::string>& saneNames);

struct ListText {
    std::string text;   // "default," then "name," per source
    int count = 0;      // sources written
    bool complete = true;  // false when names were left out for lack of room
};

// The text for a buffer of `capacity` bytes (NUL included): the default name and a comma,
// then each name with its comma while it fits; a name that does not fit is left out.
ListText buildListText(const std::string& defaultName, const std::vector<std::string>& names, std::size_t capacity);

// Bytes that the full text needs, NUL included.
std::size_t listTextBytes(const std::string& defaultName, const std::vector<std::string>& names);

}  // namespace scan
