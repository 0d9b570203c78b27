#include "app/ConvertRules.h"

namespace app {

widgets::TColor listMarkColor(int itemIndex) { return itemIndex == 0 ? widgets::kWhite : widgets::kAqua; }

bool thresholdApplies(int colorIndex) { return colorIndex == 1; }

widgets::TColor thresholdTextColor(int colorIndex) {
    return thresholdApplies(colorIndex) ? widgets::kBlack : widgets::rgbColor(128, 128, 128);
}

bool userResolutionApplies(int resolutionIndex) { return resolutionIndex == 8; }

widgets::TColor userResolutionColor(int resolutionIndex) {
    return userResolutionApplies(resolutionIndex) ? widgets::kAqua : widgets::kWhite;
}

int storedListIndex(int stored, int itemCount) { return stored >= 0 && stored < itemCount ? stored : -1; }

}  // namespace app
