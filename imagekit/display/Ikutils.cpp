#include "Ikutils.h"

#include <algorithm>
#include <cmath>

namespace Ikutils {
namespace {

int trunc(double v) { return static_cast<int>(v); }

}  // namespace

int ConvToImgX(int x, int origin, int start, double scale) { return start + trunc((x - origin) / scale); }
int ConvToImgY(int y, int origin, int start, double scale) { return start + trunc((y - origin) / scale); }
int ConvToScrnX(int x, int start, int origin, double scale) { return origin + trunc((x - start) * scale); }
int ConvToScrnY(int y, int start, int origin, double scale) { return origin + trunc((y - start) * scale); }

int borderInset(bool borderVisible, TVIkAppearance appearance) {
    if (!borderVisible) return 0;
    return appearance == vikFlat ? 1 : 2;
}

IkRect displayRectIncl(const IkRect& c, int inset) {
    return IkRect{c.left + inset, c.top + inset, c.right - inset, c.bottom - inset};
}

DispLayout computeLayout(int widgetWidth, int widgetHeight, int barExtent, int inset, int imageWidth,
                         int imageHeight, double scale, bool barsWanted, bool hShown, bool vShown) {
    DispLayout layout;
    bool h = hShown, v = vShown;
    auto place = [&] {
        layout.clientIncl = IkRect{0, 0, widgetWidth - (v ? barExtent : 0) - 1, widgetHeight - (h ? barExtent : 0) - 1};
        layout.dispIncl = displayRectIncl(layout.clientIncl, inset);
    };
    const int sw = trunc(imageWidth * scale + 0.5), sh = trunc(imageHeight * scale + 0.5);
    for (int pass = 0; pass < 2; ++pass) {
        if (!barsWanted) {
            h = v = false;
            break;
        }
        place();
        h = sw > layout.dispIncl.right - layout.dispIncl.left + 1;
        place();
        v = sh > layout.dispIncl.bottom - layout.dispIncl.top + 1;
    }
    place();
    layout.hBar = h;
    layout.vBar = v;
    const int W = layout.dispIncl.right - layout.dispIncl.left + 1, H = layout.dispIncl.bottom - layout.dispIncl.top + 1;
    layout.visibleWidth = scale > 0 ? trunc(W / scale) : 0;
    layout.visibleHeight = scale > 0 ? trunc(H / scale) : 0;
    return layout;
}

IkRect clampSourceRect(IkRect s, int visibleWidth, int visibleHeight, int imageWidth, int imageHeight) {
    s.left = std::max(s.left, 0);
    s.top = std::max(s.top, 0);
    s.right = s.left + visibleWidth - 1;
    s.bottom = s.top + visibleHeight - 1;
    if (s.right > imageWidth - 1) {
        s.right = imageWidth - 1;
        s.left = std::max(imageWidth - visibleWidth, 0);
    }
    if (s.bottom > imageHeight - 1) {
        s.bottom = imageHeight - 1;
        s.top = std::max(imageHeight - visibleHeight, 0);
    }
    return s;
}

IkRect actualSourceRect(int startX, int startY, int centreX, int centreY, double scale, const IkRect& d,
                        int visibleWidth, int visibleHeight, int imageWidth, int imageHeight) {
    IkRect s{startX, startY, 0, 0};
    if (scale > 0 && centreX > 0) s.left = centreX - trunc((d.right - d.left) * 0.5 / scale + 0.5);
    if (scale > 0 && centreY > 0) s.top = centreY - trunc((d.bottom - d.top) * 0.5 / scale + 0.5);
    return clampSourceRect(s, visibleWidth, visibleHeight, imageWidth, imageHeight);
}

Placement fittedPlacement(TVIkDispMode mode, const IkRect& d, int imageWidth, int imageHeight) {
    Placement p;
    const int W = d.right - d.left + 1, H = d.bottom - d.top + 1;
    if (W < 2 || H < 2 || imageWidth <= 0 || imageHeight <= 0) return p;
    int w = W, h = H, ox = 0, oy = 0;
    if (mode == vikScale) {
        const double fx = W < imageWidth ? static_cast<double>(W) / imageWidth : 1.0;
        const double fy = H < imageHeight ? static_cast<double>(H) / imageHeight : 1.0;
        const double f = std::min(fx, fy);
        w = trunc(imageWidth * f);
        h = trunc(imageHeight * f);
        ox = (W - w) / 2;
        oy = (H - h) / 2;
    }
    w = std::max(w, 1);
    h = std::max(h, 1);
    p.left = std::max(d.left + ox, d.left);
    p.top = std::max(d.top + oy, d.top);
    p.width = std::min(w, d.right + 1 - p.left);
    p.height = std::min(h, d.bottom + 1 - p.top);
    p.sourceWidth = imageWidth;
    p.sourceHeight = imageHeight;
    p.scaleWidth = static_cast<double>(p.width) / imageWidth;
    p.scaleHeight = static_cast<double>(p.height) / imageHeight;
    p.drawn = true;
    return p;
}

Placement actualPlacement(const IkRect& d, double s, const IkRect& src, int imageWidth, int imageHeight) {
    Placement p;
    const int W = d.right - d.left + 1, H = d.bottom - d.top + 1;
    if (W < 2 || H < 2 || s <= 0) return p;
    int sw = trunc(W / s), sh = trunc(H / s);
    int dw = trunc(sw * s), dh = trunc(sh * s);
    if (dw < W) {
        if (src.right < imageWidth - 1) ++sw;
        dw = trunc(sw * s);
        sw = trunc(dw / s);
    }
    if (dh < H) {
        if (src.bottom < imageHeight - 1) ++sh;
        dh = trunc(sh * s);
        sh = trunc(dh / s);
    }
    const int iw = trunc(imageWidth * s), ih = trunc(imageHeight * s);
    p.left = d.left;
    p.top = d.top;
    if (iw < W) {
        p.left = std::max(d.left + (W - iw) / 2, d.left);
        dw = iw;
        sw = std::abs(src.right - src.left) + 1;
    }
    if (ih < H) {
        p.top = std::max(d.top + (H - ih) / 2, d.top);
        dh = ih;
        sh = std::abs(src.bottom - src.top) + 1;
    }
    p.width = std::max(dw, 1);
    p.height = std::max(dh, 1);
    p.sourceWidth = sw;
    p.sourceHeight = sh;
    p.scaleWidth = p.scaleHeight = s;
    p.drawn = true;
    return p;
}

Placement reducedPlacement(const IkRect& d, double s, int imageWidth, int imageHeight) {
    Placement p;
    const int W = d.right - d.left + 1, H = d.bottom - d.top + 1;
    if (W < 2 || H < 2 || s <= 0) return p;
    const int iw = trunc(imageWidth * s), ih = trunc(imageHeight * s);
    p.width = std::max(std::min(W, iw), 1);
    p.height = std::max(std::min(H, ih), 1);
    p.left = iw < W ? d.left + (W - iw) / 2 : d.left;
    p.top = ih < H ? d.top + (H - ih) / 2 : d.top;
    p.sourceWidth = p.width;
    p.sourceHeight = p.height;
    p.scaleWidth = p.scaleHeight = s;
    p.drawn = true;
    return p;
}

std::vector<IkRect> marginStrips(const IkRect& d, const IkRect& r) {
    std::vector<IkRect> strips;
    auto add = [&](IkRect s) {
        if (s.right > s.left && s.bottom > s.top) strips.push_back(s);
    };
    add({d.left, d.top, d.right, std::min(r.top, d.bottom)});
    add({std::max(r.right, d.left), d.top, d.right, d.bottom});
    add({d.left, std::max(r.bottom, d.top), d.right, d.bottom});
    add({d.left, d.top, std::min(r.left, d.right), d.bottom});
    return strips;
}

double zoomScale(const IkRect& d, int left, int top, int right, int bottom) {
    const int W = d.right - d.left + 1, H = d.bottom - d.top + 1;
    return std::min(static_cast<double>(H) / (bottom - top + 1), static_cast<double>(W) / (right - left + 1));
}

}  // namespace Ikutils
