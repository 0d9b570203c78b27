#pragma once
// Collects the frames of one scanned page and turns them into a packed bitmap: line-art
// as 1 bit (entry 0 black, 1 white), grey as 8 bits with a grey table, colour (one RGB
// frame or three single-colour frames) as 24-bit BGR; 16-bit samples keep their high byte.

#include "ik7kit.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace scan {

// The facts of one frame, as SANE's parameters give them.
struct FrameFormat {
    int format = 0;  // 0 grey, 1 RGB, 2 red, 3 green, 4 blue (SANE_Frame)
    bool lastFrame = true;
    int bytesPerLine = 0;
    int pixelsPerLine = 0;
    int lines = -1;  // -1: unknown until the frame ends (hand scanner)
    int depth = 8;
};

// The page may hold at most this many pixels and this many bytes of samples.
inline constexpr std::uint64_t kMostPagePixels = std::uint64_t{1} << 30;
inline constexpr std::uint64_t kMostPageBytes = std::uint64_t{1} << 30;

class PageAssembler {
public:
    // Starts a frame; false (status()) when its format is not one the kit handles or does
    // not match the page's earlier frames.
    bool beginFrame(const FrameFormat& frame);
    // Adds sample bytes of the current frame; false (IK_ERR_MEMORY) past the page budget.
    bool append(const std::uint8_t* data, std::size_t size);
    // Ends the current frame; true when the page is complete.
    bool endFrame();
    bool complete() const { return complete_; }

    // Percent of the page read so far, 0 while the height is unknown.
    int percent() const;

    // The bitmap of the finished page with the resolution in its header; 0 with status().
    IKHANDLE makeDib(double xDpi, double yDpi);

    int width() const { return width_; }
    // Rows every frame delivered completely.
    int rows() const;
    int bitsPerPixel() const;
    std::uint16_t status() const { return status_; }

private:
    bool failWith(std::uint16_t status);
    std::vector<std::uint8_t>& plane(int format) { return planes_[format >= 2 ? format - 2 : 0]; }

    FrameFormat first_{};
    FrameFormat current_{};
    std::array<std::vector<std::uint8_t>, 3> planes_;
    std::array<bool, 3> planeDone_{};
    int frames_ = 0;
    int width_ = 0;
    bool inFrame_ = false;
    bool complete_ = false;
    std::uint16_t status_ = IK_OK;
};

}  // namespace scan
