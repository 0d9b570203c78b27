// The display control's navigation window.
#include "Ikdisp.h"

void TVIkDisp::AfterDispImage() {}
