#pragma once
// Lengths between SANE's millimetres and the units of the scan record.

#include <cstdint>

namespace scan {

enum class Unit : std::uint8_t { Inch = 0, Centimetre = 1, Pica = 2, Point = 3, Twip = 4, Pixel = 5 };

// Whether `value` names a unit of the record.
constexpr bool isUnit(unsigned value) { return value <= 5; }

// Units per inch; pixels count `dpi` per inch.
double unitsPerInch(Unit unit, double dpi);

// Millimetres to `unit` and back; a pixel length needs the resolution (dpi > 0).
double fromMillimetres(double mm, Unit unit, double dpi);
double toMillimetres(double value, Unit unit, double dpi);

// A resolution given in dots per `unit` as dots per inch (a pixel unit keeps the value).
double toDotsPerInch(double dotsPerUnit, Unit unit);
double fromDotsPerInch(double dpi, Unit unit);

}  // namespace scan
