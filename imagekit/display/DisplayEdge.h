#pragma once
// The 3-D edge drawn around the kit's display, thumbnail and slide controls.

#include "Ikutils.h"

class QPainter;

// Two frames on the inclusive rectangle: lowered (dark and black at the top and left,
// white and light at the bottom and right) or raised (the other way round).
void DrawDisplayEdge(QPainter& target, const Ikutils::IkRect& rectIncl, bool lowered);
