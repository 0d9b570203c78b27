// The version text of each kit library, shown by the kit's version window.
#include "ik7kit.h"

IK_API const char* IKLibraryVersion(void) { return "Ik7" IK_LIBRARY_PART " 7.0.0"; }
