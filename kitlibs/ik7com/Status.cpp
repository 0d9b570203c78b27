// The status of the last kit call (any kit library) on the calling thread.
#include "KitCall.h"

IK_API uint16_t IKGetErrorStatus(void) { return platform::kitStatus(); }
