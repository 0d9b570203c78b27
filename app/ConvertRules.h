#pragma once
// Colour and enabling rules of the conversion settings dialogs, kept apart from the widgets.

#include "widgets/TColor.h"

namespace app {

// A list on its first entry ("leave as it is") is white; any other choice, and no choice
// at all, is aqua, so the settings that change the pages stand out.
widgets::TColor listMarkColor(int itemIndex);

// The threshold applies only to the two-colour entry of the colour list.
bool thresholdApplies(int colorIndex);
// Black while the threshold applies, grey otherwise.
widgets::TColor thresholdTextColor(int colorIndex);

// The user's own X and Y resolutions apply only to the last entry of the resolution list.
bool userResolutionApplies(int resolutionIndex);
// Aqua while the user's resolutions apply, white otherwise.
widgets::TColor userResolutionColor(int resolutionIndex);

// A stored item index for a list of `itemCount` items: an index naming no item means no selection.
int storedListIndex(int stored, int itemCount);

}  // namespace app
