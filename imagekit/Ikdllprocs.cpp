#include "Ikdllprocs.h"

#include <dlfcn.h>

#include <cstring>

namespace Ikdllprocs {

#define IK_PROC_TYPED(lib, entry, exportName) decltype(&::exportName) entry = nullptr;
#define IK_PROC_ANY(lib, entry, exportName) IkAnyProc entry = nullptr;
#include "IkProcList.inc"
#undef IK_PROC_TYPED
#undef IK_PROC_ANY

namespace {

// Function pointers are filled from dlsym's object pointer by copying the bits.
#define IK_PROC_TYPED(lib, entry, exportName) \
    {IkLibrary::lib, #exportName, [](void* a) { std::memcpy(&entry, &a, sizeof entry); }, [] { return entry != nullptr; }},
#define IK_PROC_ANY(lib, entry, exportName) IK_PROC_TYPED(lib, entry, exportName)
const IkProcEntry kEntries[] = {
#include "IkProcList.inc"
};
#undef IK_PROC_TYPED
#undef IK_PROC_ANY

static_assert(sizeof(kEntries) / sizeof(kEntries[0]) == kIkProcCount);

}  // namespace

const char* libraryPart(IkLibrary library) {
    static const char* const parts[kIkLibraryCount] = {"Com", "Effect", "File", "Print", "Scan", "RasToVect", "VectCom"};
    return parts[static_cast<int>(library)];
}

const IkProcEntry* procEntries() { return kEntries; }

void clearLibraryEntries(IkLibrary library) {
    for (const IkProcEntry& entry : kEntries)
        if (entry.library == library) entry.assign(nullptr);
}

void resolveLibraryEntries(IkLibrary library, void* handle) {
    for (const IkProcEntry& entry : kEntries)
        if (entry.library == library) entry.assign(handle ? dlsym(handle, entry.exportName) : nullptr);
}

bool isEntrySet(const char* exportName) {
    for (const IkProcEntry& entry : kEntries)
        if (std::strcmp(entry.exportName, exportName) == 0) return entry.isSet();
    return false;
}

}  // namespace Ikdllprocs
