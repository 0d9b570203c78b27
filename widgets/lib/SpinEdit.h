#pragma once
// TSpinEdit: an integer field with up and down buttons. A value set from code, stepped with
// the buttons or left by moving the focus is brought to the nearest limit; while the field
// has the focus its value is the text as typed, even outside the limits.

#include "widgets/TColor.h"

#include <QAbstractSpinBox>

namespace widgets {

class TSpinEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    explicit TSpinEdit(QWidget* parent = nullptr);

    int MinValue() const { return minValue_; }
    void SetMinValue(int v) { minValue_ = v; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int v) { maxValue_ = v; }
    int Increment() const { return increment_; }
    void SetIncrement(int v) { increment_ = v; }

    // The text read as a number; an empty or non-numeric text reads as MinValue.
    int Value() const;
    // Shows the value brought to the nearest limit.
    void SetValue(int v);
    // The text as it stands, and a text put in as if typed (not brought into range).
    QString Text() const { return text(); }
    void SetText(const QString& text);
    // The most characters the field accepts (0: no limit).
    int MaxLength() const;
    void SetMaxLength(int n);

    TColor Color() const { return color_; }
    void SetColor(TColor c);
    TColor FontColor() const { return fontColor_; }
    void SetFontColor(TColor c);

    void stepBy(int steps) override;
    QValidator::State validate(QString& input, int& pos) const override;

signals:
    // The text changed, by typing, stepping or from code.
    void Changed();

protected:
    StepEnabled stepEnabled() const override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void applyColors();

    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    TColor color_ = static_cast<TColor>(0x80000005);      // window
    TColor fontColor_ = static_cast<TColor>(0x80000008);  // window text
};

}  // namespace widgets
