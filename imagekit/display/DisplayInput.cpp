#include "DisplayInput.h"

#include <algorithm>

namespace DisplayInput {

bool scrollSpan(TScrollCode code, int pos, int step, int visible, int imageSize, Span& s) {
    switch (code) {
    case scLineUp:
        s.first -= step;
        s.last -= step;
        return true;
    case scLineDown:
        s.first += step;
        s.last += step;
        return true;
    case scPageUp:
        s.first = std::max(s.first - visible, 0);
        s.last = s.first + visible - 1;
        return true;
    case scPageDown:
        s.last = s.first + 2 * visible - 1;
        s.first += visible;
        return true;
    case scTrack:
        s.first = pos;
        s.last = pos + visible - 1;
        return true;
    case scTop:
        s.first = 0;
        return true;
    case scBottom:
        s.first = imageSize - 1;
        return true;
    case scPosition:
    case scEndScroll:
        break;
    }
    return false;
}

Ikutils::IkRect scrolledTowards(TVIkScrollDir direction, Ikutils::IkRect s, int scrollWidth, int scrollHeight) {
    int dy = 0, dx = 0;
    switch (direction) {
    case vikUpLeft: dy = -scrollHeight; dx = -scrollWidth; break;
    case vikUp: dy = -scrollHeight; break;
    case vikUpRight: dy = -scrollHeight; dx = scrollWidth; break;
    case vikRight: dx = scrollWidth; break;
    case vikDownRight: dy = scrollHeight; dx = scrollWidth; break;
    case vikDown: dy = scrollHeight; break;
    case vikDownLeft: dy = scrollHeight; dx = -scrollWidth; break;
    case vikLeft: dx = -scrollWidth; break;
    }
    s.left += dx;
    s.right += dx;
    s.top += dy;
    s.bottom += dy;
    return s;
}

unsigned wheelStep(int scrollLines) {
    if (scrollLines <= 0 || scrollLines > 120) return 0;
    return 120u / static_cast<unsigned>(scrollLines);
}

WheelTurn WheelAccumulator::add(int delta) {
    WheelTurn turn;
    if (step_ <= 0) return turn;
    sum_ += delta;
    while (sum_ >= step_) {
        ++turn.linesUp;
        sum_ -= step_;
        turn.up = true;
    }
    while (sum_ <= -step_) {
        ++turn.linesDown;
        sum_ += step_;
        turn.up = false;
    }
    return turn;
}

ImagePoint imagePointAt(int x, int y, const Ikutils::IkRect& drawn, const Ikutils::IkRect& source, double scaleWidth,
                        double scaleHeight) {
    return ImagePoint{Ikutils::ConvToImgX(x, drawn.left, source.left, scaleWidth),
                      Ikutils::ConvToImgY(y, drawn.top, source.top, scaleHeight)};
}

ImagePoint dragStart(const ImagePoint& anchor, int x, int y, const Ikutils::IkRect& drawn,
                     const Ikutils::IkRect& source, double scaleWidth, double scaleHeight) {
    const ImagePoint c = imagePointAt(x, y, drawn, source, scaleWidth, scaleHeight);
    return ImagePoint{source.left + anchor.x - c.x, source.top + anchor.y - c.y};
}

bool hitsPicture(int x, int y, const Ikutils::IkRect& drawn, const Ikutils::IkRect& source) {
    if (source.right == 0 || source.bottom == 0) return false;
    return drawn.left <= x && x <= drawn.right && drawn.top <= y && y <= drawn.bottom;
}

TitlePage pageFromTitle(const QString& title) {
    // The title is read as the system reads a window text: at most 31 characters.
    const QString text = title.left(31);
    const QLatin1String name(kPageTitle);
    TitlePage result;
    if (!text.contains(name) || text.size() <= name.size()) return result;
    bool ok = false;
    const int page = text.right(5).toInt(&ok, 10);
    result.page = ok ? page : 0;
    result.carried = true;
    return result;
}

}  // namespace DisplayInput
