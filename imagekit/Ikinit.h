#pragma once
// Attaching kit components to the kit: the first attach of the process loads the seven
// kit libraries from the executable's folder and fills the function table; the last
// detach unloads them. Also the kit enumerations shared by the components.

#include "Ikdllprocs.h"

#include <QString>

#include <cstdint>

// Image kinds of the image information record.
enum TVIkImageKind : std::uint8_t {
    vikInvalidImage = 0,
    vikRasterImage = 1,
    vikVectorWMF = 2,
    vikVectorEMF = 3,
    vikVectorDXF = 4,
    vikVectorSVG = 5,
    vikVectorSXF = 6,
};

// Kinds of new vector images.
enum TVIkCreateVectImage : std::uint8_t {
    vikCreateWMF = 0,
    vikCreateEMF = 1,
    vikCreateDXF = 2,
    vikCreateSVG = 3,
    vikCreateSXF = 4,
};

// Attach groups: the slide control counts in its own group, every other component in
// the main group; groups 2 and 3 exist and stay unused.
enum TVIkGroup : int { vikGroupMain = 0, vikGroupSlide = 1, vikGroup2 = 2, vikGroup3 = 3 };
inline constexpr int kIkGroupCount = 4;

// Attaches one component; low 16 bits: new total count, high 16 bits: new group count.
std::int32_t InitializeIK(int group);

// Detaches one component; result of the same form. Counts never go below 0.
std::int32_t TerminateIK(int group);

namespace Ikinit {

// The folder the libraries are loaded from: the executable's folder unless set.
// Tests point it elsewhere; an empty text restores the executable's folder.
void setLibraryDir(const QString& dir);
QString libraryDir();

std::int32_t totalCount();
std::int32_t groupCount(int group);

// The dlopen handle of a loaded library, nullptr while not loaded.
void* libraryHandle(Ikdllprocs::IkLibrary library);

// One line per library: its file name and version text, or that it is not loaded.
QString versionReport();

}  // namespace Ikinit
