#pragma once
// Settings dialog for building a multi-page TIFF from scanned pages: compression and rotation.

#include "app/ConvertDialog.h"

class TConvertForm2 : public app::TConvertDialog {
    Q_OBJECT
public:
    explicit TConvertForm2(QWidget* parent = nullptr);

    widgets::TMultiColComboBox* C1_01 = nullptr;  // compression
    widgets::TMultiColComboBox* C1_02 = nullptr;  // rotation
    widgets::TShadowLabel* L1_01 = nullptr;
    widgets::TShadowLabel* L1_02 = nullptr;

    void C1_01Change();
    void C1_02Change();

    // Section SET2, keys C1_01 and C1_02; a missing key keeps the control's value.
    void LoadSettings(const platform::Profile& profile);
    void SaveSettings(platform::Profile& profile) const;
};
