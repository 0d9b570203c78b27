#pragma once
// Value rules of the integer spin edit, kept apart from the control.

#include <QString>

namespace widgets {

// A value brought to the nearest limit. Equal limits (the initial 0 and 0) mean the edit is
// not limited.
int spinClamp(int value, int minValue, int maxValue);

// The number a text stands for: an optionally signed decimal integer; an empty, non-numeric
// or out-of-range text reads as the minimum.
int spinTextValue(const QString& text, int minValue);

}  // namespace widgets
