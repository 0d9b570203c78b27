#include "widgets/TColor.h"

#include <QApplication>
#include <QPalette>

namespace widgets {

namespace {

// The 25 system colours, from scroll bar (0) to tooltip background (24), on the current palette.
QColor systemColor(int index) {
    const QPalette p = QApplication::palette();
    switch (index) {
        case 0: return p.color(QPalette::Button);              // scroll bar
        case 1: return p.color(QPalette::Window);              // desktop
        case 2: return p.color(QPalette::Highlight);           // active caption
        case 3: return p.color(QPalette::Mid);                 // inactive caption
        case 4: return p.color(QPalette::Window);              // menu
        case 5: return p.color(QPalette::Base);                // window
        case 6: return p.color(QPalette::Shadow);              // window frame
        case 7: return p.color(QPalette::WindowText);          // menu text
        case 8: return p.color(QPalette::Text);                // window text
        case 9: return p.color(QPalette::HighlightedText);     // caption text
        case 10: return p.color(QPalette::Highlight);          // active border
        case 11: return p.color(QPalette::Mid);                // inactive border
        case 12: return p.color(QPalette::Dark);               // application workspace
        case 13: return p.color(QPalette::Highlight);          // highlight
        case 14: return p.color(QPalette::HighlightedText);    // highlight text
        case 15: return p.color(QPalette::Button);             // button face
        case 16: return p.color(QPalette::Dark);               // button shadow
        case 17: return p.color(QPalette::Disabled, QPalette::Text);  // grey text
        case 18: return p.color(QPalette::ButtonText);         // button text
        case 19: return p.color(QPalette::Inactive, QPalette::HighlightedText);  // inactive caption text
        case 20: return p.color(QPalette::Light);              // button highlight
        case 21: return p.color(QPalette::Shadow);             // 3-D dark shadow
        case 22: return p.color(QPalette::Midlight);           // 3-D light
        case 23: return p.color(QPalette::ToolTipText);        // tooltip text
        case 24: return p.color(QPalette::ToolTipBase);        // tooltip background
        default: return p.color(QPalette::Window);
    }
}

}  // namespace

QColor toQColor(TColor c) {
    if (isSystemColor(c)) return systemColor(c & 0xFF);
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace widgets
