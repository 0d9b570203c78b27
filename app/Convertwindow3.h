#pragma once
// Settings dialog for splitting a multi-page TIFF: numbering scheme and digit count of the
// exported file names.

#include "app/ConvertDialog.h"

class TConvertForm3 : public app::TConvertDialog {
    Q_OBJECT
public:
    explicit TConvertForm3(QWidget* parent = nullptr);

    widgets::TMultiColComboBox* C1_01 = nullptr;  // numbering scheme
    widgets::TSpinEdit* C1_02 = nullptr;          // digits
    widgets::TShadowLabel* L1_01 = nullptr;
    widgets::TShadowLabel* L1_02 = nullptr;

    void C1_01Change();

    // Section SET3, keys C1_01 and C1_02; a missing key keeps the control's value.
    void LoadSettings(const platform::Profile& profile);
    void SaveSettings(platform::Profile& profile) const;
};
