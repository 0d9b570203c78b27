#pragma once
// Japanese for the few texts of Qt's own dialogs that Qt's Japanese catalogue lacks (the
// file dialog names folders, drives and links with them). Installed after the catalogue, so
// everything else still comes from it.

#include <QTranslator>

namespace app {

class QtTextsJapanese final : public QTranslator {
public:
    using QTranslator::QTranslator;
    QString translate(const char* context, const char* sourceText, const char* disambiguation = nullptr,
                      int n = -1) const override;
    bool isEmpty() const override { return false; }
};

}  // namespace app
