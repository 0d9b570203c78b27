#pragma once
// Two-dimensional fax coding of bilevel rows (TIFF compression 4, no options), the bytes
// libtiff writes for the same rows: every row coded against the one above (the first against
// a white row), EOFB at the end, zero bits up to the byte.
//
// The changing elements of each row are found a 64-bit word at a time and coded from arrays.
// A strip's rows are cut into runs coded side by side (each run's first reference row found
// again from the pixels), whose bit streams are joined in order.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kit {

// Bilevel rows: one bit a pixel, the first pixel in the high bit, 1 black. Bits past the
// width are ignored.
struct BilevelRows {
    const std::uint8_t* data = nullptr;
    std::size_t width = 0;
    std::size_t height = 0;
    std::size_t stride = 0;  // bytes from one row to the next
};

struct Group4Settings {
    unsigned threads = 0;       // 0: one per core
    std::size_t minRows = 64;   // no run of a strip coded on its own is shorter
};

// Whether a stream can be made of the rows: not of none, of no pixels, of rows overlapping,
// of rows wider than 2^32 - 17.
bool group4Codable(const BilevelRows& rows);

// Codes the rows as one stream into `out`; false (and `out` empty) when they are not codable
// or a run of rows found no memory.
bool group4Encode(const BilevelRows& rows, std::vector<std::uint8_t>& out, const Group4Settings& settings = {});

// Codes each strip as its own stream, strips side by side; false (and `out` empty) when one
// could not be coded.
bool group4EncodeStrips(const std::vector<BilevelRows>& strips, std::vector<std::vector<std::uint8_t>>& out,
                        const Group4Settings& settings = {});

}  // namespace kit
