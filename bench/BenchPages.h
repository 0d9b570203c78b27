#pragma once
// Pages for the effect and display benchmarks: a 600-dpi A4 1-bit page with text-like
// runs and a 300-dpi A4 colour page with gradients and noise.

#include "ik7kit.h"

IKHANDLE makeMonoPage();    // 4960 × 7016, 1 bit
IKHANDLE makeColourPage();  // 2480 × 3508, 24 bits

// `pages` copies of `page` in one TIFF file at `path`: the page saved once by the kit with
// `compression` (the kit's numbering), then joined by tiffcp with `tiffcpOptions`.
bool writeRepeatedPageTiff(IKHANDLE page, int compression, const char* path, const char* tiffcpOptions, int pages);

// The two files of the browser, viewer and slide benchmarks, `pages` pages each: a 600-dpi A4
// Group 4 TIFF and a 300-dpi colour JPEG-in-TIFF (quality 85, 64 rows per strip). False when
// one failed.
bool writeGroupFourAndJpegFiles(const char* groupFourPath, const char* jpegPath, int pages);
