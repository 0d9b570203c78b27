#include "app/ViewerRules.h"

#include <array>

namespace app {

namespace {

constexpr std::array<double, 8> kZoomScales{0.05, 0.1, 0.25, 0.5, 0.75, 1.0, 2.0, 4.0};

}  // namespace

QStringList zoomItems() {
    return {QStringLiteral("5%"),  QStringLiteral("10%"),  QStringLiteral("25%"),  QStringLiteral("50%"),
            QStringLiteral("75%"), QStringLiteral("100%"), QStringLiteral("200%"), QStringLiteral("400%")};
}

std::optional<double> zoomScale(int index) {
    if (index < 0 || index >= static_cast<int>(kZoomScales.size())) return std::nullopt;
    return kZoomScales[static_cast<std::size_t>(index)];
}

FolderAndName splitFolderAndName(const QString& path) {
    const qsizetype cut = path.lastIndexOf(u'/');
    if (cut < 0) return {QString(), path};
    return {cut == 0 ? QStringLiteral("/") : path.left(cut), path.mid(cut + 1)};
}

QString joinFolderAndName(const QString& folder, const QString& name) {
    return folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
}

}  // namespace app
