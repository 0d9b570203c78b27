#include "widgets/lib/SpinValue.h"

#include <algorithm>

namespace widgets {

int spinClamp(int value, int minValue, int maxValue) {
    if (minValue == maxValue) return value;
    return std::min(std::max(value, minValue), maxValue);
}

int spinTextValue(const QString& text, int minValue) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok, 10);
    return ok ? value : minValue;
}

}  // namespace widgets
