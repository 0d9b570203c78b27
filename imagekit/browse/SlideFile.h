#pragma once
// Reading a slide file: one image per line, a path optionally followed by a blank and a
// 0-based page number. The reading is bounded: at most kSlideMaxEntries entries, at most
// kSlideMaxLines lines looked at, and each line cut at kSlideMaxLineBytes.

#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

class QIODevice;

inline constexpr int kSlideMaxEntries = 5000;
inline constexpr int kSlideMaxLines = 100000;
inline constexpr int kSlideMaxLineBytes = 8192;

struct SlideLine {
    QString path;
    std::int16_t page = 0;
    bool operator==(const SlideLine&) const = default;
};

// The two readings of a line: a trailing blank and decimal page number (0 … 32767) split
// off, and the whole line as a path of page 0. The first is nothing when the line does not
// end that way.
struct SlideLineReadings {
    bool hasPage = false;
    SlideLine withPage;
    SlideLine whole;
};
SlideLineReadings readSlideLine(const QString& line);

// The text of one line's bytes: UTF-8 when valid, else the local 8-bit encoding.
QString slideLineText(const QByteArray& bytes);

// The entries of a slide file in line order. Leading blanks and empty lines are skipped
// and one trailing line end (LF or CR LF) is removed; a line becomes an entry when
// `accept` takes one of its readings (the one with a page first).
std::vector<SlideLine> readSlideFile(QIODevice& device, const std::function<bool(const SlideLine&)>& accept);
