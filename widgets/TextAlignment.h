#pragma once
// Horizontal text alignment as the window layouts give it, shared by the painted controls.

#include <Qt>

namespace widgets {

enum class TAlignment { taLeftJustify, taRightJustify, taCenter };

constexpr Qt::Alignment toQtAlignment(TAlignment a) {
    switch (a) {
        case TAlignment::taRightJustify: return Qt::AlignRight;
        case TAlignment::taCenter: return Qt::AlignHCenter;
        case TAlignment::taLeftJustify: break;
    }
    return Qt::AlignLeft;
}

}  // namespace widgets
