#include "KitObjects.h"

#include <mutex>
#include <unordered_map>

namespace kit {
namespace {

enum class Kind { Bitmap, Palette };

std::mutex& registryMutex() {
    static std::mutex m;
    return m;
}

std::unordered_map<void*, Kind>& registry() {
    static std::unordered_map<void*, Kind> objects;
    return objects;
}

void* enter(void* object, Kind kind) {
    std::lock_guard guard(registryMutex());
    registry().emplace(object, kind);
    return object;
}

}  // namespace

void* registerBitmap(QImage* bitmap) { return enter(bitmap, Kind::Bitmap); }

void* registerPalette(QList<QRgb>* palette) { return enter(palette, Kind::Palette); }

bool deleteObject(void* object) {
    Kind kind;
    {
        std::lock_guard guard(registryMutex());
        const auto it = registry().find(object);
        if (it == registry().end()) return false;
        kind = it->second;
        registry().erase(it);
    }
    if (kind == Kind::Bitmap)
        delete static_cast<QImage*>(object);
    else
        delete static_cast<QList<QRgb>*>(object);
    return true;
}

}  // namespace kit
