#pragma once
// The kit function table: one pointer per kit library export, 365 in all, empty until
// the library is loaded and the export resolved by name. An entry's name is the export
// name with "Ik" in place of a leading "IK" (IkFileLoad holds "IKFileLoad"); other
// exports keep their names (_StretchDIBits, DataFileOpen, __hread).

#include "ik7kit.h"

namespace Ikdllprocs {

// The type of entries the program does not call yet.
using IkAnyProc = void (*)();

// The kit libraries in load (and unload) order.
enum class IkLibrary : int { Com, Effect, File, Print, Scan, RasToVect, VectCom };
inline constexpr int kIkLibraryCount = 7;
inline constexpr int kIkProcCount = 368;

// The library's own part of its file name: "Com", "Effect", …
const char* libraryPart(IkLibrary library);

#define IK_PROC_TYPED(lib, entry, exportName) extern decltype(&::exportName) entry;
#define IK_PROC_ANY(lib, entry, exportName) extern IkAnyProc entry;
#include "IkProcList.inc"
#undef IK_PROC_TYPED
#undef IK_PROC_ANY

struct IkProcEntry {
    IkLibrary library;
    const char* exportName;
    void (*assign)(void* address);
    bool (*isSet)();
};

// All entries in the order of resolution.
const IkProcEntry* procEntries();

// Empties every entry of a library.
void clearLibraryEntries(IkLibrary library);

// Resolves every entry of a library by export name in `handle` (from dlopen); a missing
// export leaves its entry empty.
void resolveLibraryEntries(IkLibrary library, void* handle);

// Whether the entry holding `exportName` is filled; false for names not in the table.
bool isEntrySet(const char* exportName);

}  // namespace Ikdllprocs
