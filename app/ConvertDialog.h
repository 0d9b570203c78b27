#pragma once
// The frame shared by the three conversion settings dialogs: fixed client size, the dialog
// font, a lowered panel with a left-to-right gradient, one bevelled strip per row holding a
// shadowed label and its control, and the OK (default) and "ｷｬﾝｾﾙ" (cancel key) buttons.

#include "widgets/TColor.h"

#include <QDialog>
#include <QStringList>

#include <vector>

class QFrame;
class QPushButton;

namespace widgets {
class TGradBox;
class TMultiColComboBox;
class TShadowLabel;
class TSpinEdit;
}  // namespace widgets

namespace platform {
class Profile;
}

namespace app {

class TConvertDialog : public QDialog {
    Q_OBJECT
public:
    widgets::TGradBox* GradBox1 = nullptr;
    QPushButton* OkButton = nullptr;
    QPushButton* CancelButton = nullptr;

protected:
    TConvertDialog(QWidget* parent, const char* name, const QString& caption, int clientWidth,
                   int clientHeight, int rows, widgets::TColor gradientColor);

    // The bevelled strip of a row (0-based) on the gradient.
    QFrame* strip(int row) const;

    // A pick-only two-column list filling the control area of a row's strip.
    widgets::TMultiColComboBox* addList(int row, const char* name, const QString& hint, const QStringList& items,
                                        int secondColumnWidth, int dropDownRows);
    // An integer spin edit at `left` within the control area of a row's strip.
    widgets::TSpinEdit* addSpinEdit(int row, const char* name, const QString& hint, int minValue, int maxValue,
                                    int value, int maxLength, int left, int width);
    // The row's label; its accelerator key focuses `control`.
    widgets::TShadowLabel* addLabel(int row, const char* name, const QString& caption, QWidget* control);

    // Colours a list by the marking rule.
    static void markList(widgets::TMultiColComboBox* list);
    // Selects a stored item index (one naming no item leaves the list unselected).
    static void applyStoredIndex(widgets::TMultiColComboBox* list, int stored);

    void showEvent(QShowEvent* event) override;

private:
    std::vector<QFrame*> strips_;
};

}  // namespace app
