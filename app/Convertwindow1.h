#pragma once
// Settings dialog for building a multi-page TIFF from files: compression, colour depth,
// two-colour threshold, resolution and rotation of the written pages.

#include "app/ConvertDialog.h"

class TConvertForm1 : public app::TConvertDialog {
    Q_OBJECT
public:
    explicit TConvertForm1(QWidget* parent = nullptr);

    widgets::TMultiColComboBox* C1_01 = nullptr;  // compression
    widgets::TMultiColComboBox* C1_02 = nullptr;  // colour depth
    widgets::TSpinEdit* C1_03 = nullptr;          // two-colour threshold
    widgets::TMultiColComboBox* C1_04 = nullptr;  // resolution
    widgets::TSpinEdit* C1_05 = nullptr;          // user X resolution
    widgets::TSpinEdit* C1_06 = nullptr;          // user Y resolution
    widgets::TMultiColComboBox* C1_07 = nullptr;  // rotation
    widgets::TShadowLabel* L1_01 = nullptr;
    widgets::TShadowLabel* L1_02 = nullptr;
    widgets::TShadowLabel* L1_03 = nullptr;
    widgets::TShadowLabel* L1_04 = nullptr;
    widgets::TShadowLabel* L1_05 = nullptr;  // labels C1_05 and C1_06
    widgets::TShadowLabel* L1_07 = nullptr;

    void C1_01Change();
    void C1_02Change();
    void C1_04Change();
    void C1_07Change();

    // Section SET1, keys C1_01 to C1_07; a missing key keeps the control's value.
    void LoadSettings(const platform::Profile& profile);
    void SaveSettings(platform::Profile& profile) const;
};
