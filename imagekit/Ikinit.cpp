#include "Ikinit.h"

#include "platform/GlobalMemory.h"
#include "platform/ExecutableDir.h"

#include <dlfcn.h>

#include <cstring>

namespace {

using Ikdllprocs::IkLibrary;
using Ikdllprocs::kIkLibraryCount;

// Process-wide state of the window thread, without locks by design.
std::int32_t g_Total = 0;
std::int32_t g_Group[kIkGroupCount] = {};
void* g_Library[kIkLibraryCount] = {};
QString g_LibraryDir;

std::int32_t packed(std::int32_t total, std::int32_t group) {
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(total) + static_cast<std::uint32_t>(group) * 65536u);
}

QString libraryPath(IkLibrary library) {
    return Ikinit::libraryDir() + QStringLiteral("/Ik7") + QLatin1String(Ikdllprocs::libraryPart(library)) +
           QStringLiteral(".so");
}

void loadLibraries() {
    for (int i = 0; i < kIkLibraryCount; ++i) {
        if (g_Library[i]) continue;
        const auto library = static_cast<IkLibrary>(i);
        Ikdllprocs::clearLibraryEntries(library);
        // A library that is missing or fails to load leaves its entries empty, silently.
        g_Library[i] = dlopen(libraryPath(library).toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
        if (g_Library[i]) Ikdllprocs::resolveLibraryEntries(library, g_Library[i]);
    }
}

void unloadLibraries() {
    for (int i = 0; i < kIkLibraryCount; ++i) {
        if (!g_Library[i]) continue;
        Ikdllprocs::clearLibraryEntries(static_cast<IkLibrary>(i));
        dlclose(g_Library[i]);
        g_Library[i] = nullptr;
    }
    // No component is left to reuse the large blocks kept for image memory.
    platform::globalReleaseCache();
}

bool validGroup(int group) { return group >= 0 && group < kIkGroupCount; }

}  // namespace

std::int32_t InitializeIK(int group) {
    if (g_Total == 0) loadLibraries();
    ++g_Total;
    if (!validGroup(group)) return packed(g_Total, 0);
    ++g_Group[group];
    return packed(g_Total, g_Group[group]);
}

std::int32_t TerminateIK(int group) {
    if (--g_Total < 0) g_Total = 0;
    std::int32_t groupCount = 0;
    if (validGroup(group)) {
        if (--g_Group[group] < 0) g_Group[group] = 0;
        groupCount = g_Group[group];
    }
    if (g_Total == 0) unloadLibraries();
    return packed(g_Total, groupCount);
}

namespace Ikinit {

void setLibraryDir(const QString& dir) { g_LibraryDir = dir; }

QString libraryDir() { return g_LibraryDir.isEmpty() ? platform::executableDir() : g_LibraryDir; }

std::int32_t totalCount() { return g_Total; }

std::int32_t groupCount(int group) { return validGroup(group) ? g_Group[group] : 0; }

void* libraryHandle(IkLibrary library) { return g_Library[static_cast<int>(library)]; }

QString versionReport() {
    QString report;
    for (int i = 0; i < kIkLibraryCount; ++i) {
        const auto library = static_cast<IkLibrary>(i);
        report += QStringLiteral("Ik7") + QLatin1String(Ikdllprocs::libraryPart(library)) + QStringLiteral(".so: ");
        using VersionProc = const char* (*)();
        void* symbol = g_Library[i] ? dlsym(g_Library[i], "IKLibraryVersion") : nullptr;
        if (symbol) {
            VersionProc version;
            static_assert(sizeof version == sizeof symbol);
            std::memcpy(&version, &symbol, sizeof version);
            report += QString::fromUtf8(version());
        } else {
            report += g_Library[i] ? QStringLiteral("(no version)") : QStringLiteral("(not loaded)");
        }
        report += QLatin1Char('\n');
    }
    return report;
}

}  // namespace Ikinit
