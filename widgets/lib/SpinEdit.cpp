#include "widgets/lib/SpinEdit.h"

#include "widgets/lib/SpinValue.h"

#include <QLineEdit>
#include <QRegularExpression>

namespace widgets {

namespace {

constexpr TColor kGrayText = static_cast<TColor>(0x80000011);

}  // namespace

TSpinEdit::TSpinEdit(QWidget* parent) : QAbstractSpinBox(parent) {
    setKeyboardTracking(true);
    lineEdit()->setText(QStringLiteral("0"));
    connect(lineEdit(), &QLineEdit::textChanged, this, &TSpinEdit::Changed);
    applyColors();
}

int TSpinEdit::Value() const { return spinTextValue(text(), minValue_); }

void TSpinEdit::SetValue(int v) { lineEdit()->setText(QString::number(spinClamp(v, minValue_, maxValue_))); }

void TSpinEdit::SetText(const QString& text) { lineEdit()->setText(text); }

int TSpinEdit::MaxLength() const {
    const int n = lineEdit()->maxLength();
    return n == QLineEdit().maxLength() ? 0 : n;
}

void TSpinEdit::SetMaxLength(int n) { lineEdit()->setMaxLength(n > 0 ? n : QLineEdit().maxLength()); }

void TSpinEdit::SetColor(TColor c) {
    color_ = c;
    applyColors();
}

void TSpinEdit::SetFontColor(TColor c) {
    fontColor_ = c;
    applyColors();
}

void TSpinEdit::applyColors() {
    // The background is the edit's colour in every state; disabled text is grey.
    QPalette pal = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Base, toQColor(color_));
        pal.setColor(group, QPalette::Text, toQColor(group == QPalette::Disabled ? kGrayText : fontColor_));
    }
    setPalette(pal);
    update();
}

void TSpinEdit::stepBy(int steps) {
    SetValue(Value() + steps * increment_);
    selectAll();
}

QAbstractSpinBox::StepEnabled TSpinEdit::stepEnabled() const {
    if (isReadOnly() || !isEnabled()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

QValidator::State TSpinEdit::validate(QString& input, int&) const {
    static const QRegularExpression integer(QStringLiteral("^[+-]?[0-9]*$"));
    return integer.match(input).hasMatch() ? QValidator::Acceptable : QValidator::Invalid;
}

void TSpinEdit::focusOutEvent(QFocusEvent* event) {
    QAbstractSpinBox::focusOutEvent(event);
    SetValue(Value());
}

}  // namespace widgets
