#include "app/ConvertDialog.h"

#include "app/ConvertRules.h"
#include "widgets/Gradbox.h"
#include "widgets/Mccbox.h"
#include "widgets/Shadolbl.h"
#include "widgets/lib/SpinEdit.h"

#include <QFrame>
#include <QGuiApplication>
#include <QPushButton>
#include <QScreen>

namespace app {

namespace {

// Layout of the panel, its rows and the buttons, in client pixels.
constexpr int kPanelMargin = 4;
constexpr int kPanelFrame = 2;
constexpr int kRowPitch = 30;
constexpr int kStripInset = 4;
constexpr int kStripHeight = 28;
constexpr int kLabelLeft = 6;
constexpr int kLabelTop = 7;
constexpr int kLabelWidth = 84;
constexpr int kLabelHeight = 16;
constexpr int kControlLeft = 92;
constexpr int kControlTop = 4;
constexpr int kControlWidth = 138;
constexpr int kControlHeight = 20;
constexpr int kButtonWidth = 75;
constexpr int kButtonHeight = 25;
constexpr int kButtonGap = 5;
constexpr int kButtonBottom = 8;
constexpr int kFirstColumnWidth = 130;

}  // namespace

TConvertDialog::TConvertDialog(QWidget* parent, const char* name, const QString& caption, int clientWidth,
                               int clientHeight, int rows, widgets::TColor gradientColor)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint) {
    setObjectName(QString::fromLatin1(name));
    setWindowTitle(caption);
    QFont dialogFont(QStringLiteral("ＭＳ Ｐゴシック"));
    dialogFont.setPixelSize(12);
    setFont(dialogFont);
    setFixedSize(clientWidth, clientHeight);

    const int panelHeight = 2 * kPanelFrame + 2 * kStripInset + rows * kRowPitch - (kRowPitch - kStripHeight);
    auto* panel = new QFrame(this);
    panel->setObjectName(QStringLiteral("Panel1"));
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    panel->setLineWidth(kPanelFrame);
    panel->setGeometry(kPanelMargin, kPanelMargin, clientWidth - 2 * kPanelMargin, panelHeight);

    GradBox1 = new widgets::TGradBox(panel);
    GradBox1->setObjectName(QStringLiteral("GradBox1"));
    GradBox1->SetTopColor(gradientColor);
    GradBox1->SetLastColor(widgets::kWhite);
    GradBox1->SetGradStyle(widgets::TGradStyle::gsLeftRight);
    GradBox1->setGeometry(panel->contentsRect());

    const int stripWidth = GradBox1->width() - 2 * kStripInset;
    for (int row = 0; row < rows; ++row) {
        auto* bevel = new QFrame(GradBox1);
        bevel->setObjectName(QStringLiteral("Bevel%1").arg(row + 1));
        bevel->setFrameStyle(QFrame::Panel | QFrame::Raised);
        bevel->setGeometry(kStripInset, kStripInset + row * kRowPitch, stripWidth, kStripHeight);
        strips_.push_back(bevel);
    }

    OkButton = new QPushButton(QStringLiteral("OK"), this);
    OkButton->setObjectName(QStringLiteral("OkButton"));
    OkButton->setDefault(true);
    CancelButton = new QPushButton(QStringLiteral("ｷｬﾝｾﾙ"), this);
    CancelButton->setObjectName(QStringLiteral("CancelButton"));
    const int buttonTop = clientHeight - kButtonBottom - kButtonHeight;
    CancelButton->setGeometry(clientWidth - kPanelMargin - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    OkButton->setGeometry(CancelButton->x() - kButtonGap - kButtonWidth, buttonTop, kButtonWidth, kButtonHeight);
    // The dialog only holds values: Cancel closes without undoing anything (Esc does the same).
    connect(OkButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

QFrame* TConvertDialog::strip(int row) const { return strips_.at(static_cast<std::size_t>(row)); }

widgets::TMultiColComboBox* TConvertDialog::addList(int row, const char* name, const QString& hint,
                                                    const QStringList& items, int secondColumnWidth,
                                                    int dropDownRows) {
    auto* list = new widgets::TMultiColComboBox(strip(row));
    list->setObjectName(QString::fromLatin1(name));
    list->setGeometry(kControlLeft, kControlTop, kControlWidth, kControlHeight);
    list->setToolTip(hint);
    list->setStatusTip(hint);
    list->setCursor(Qt::PointingHandCursor);
    list->SetCanEdit(false);
    list->Columns()[0].SetWidth(kFirstColumnWidth);
    list->Columns()[0].SetColor(widgets::kSilver);
    list->Columns().Add().SetWidth(secondColumnWidth);
    list->SetDropDownCount(dropDownRows);
    for (const QString& item : items) list->AddItem(item);
    return list;
}

widgets::TSpinEdit* TConvertDialog::addSpinEdit(int row, const char* name, const QString& hint, int minValue,
                                                int maxValue, int value, int maxLength, int left, int width) {
    auto* spin = new widgets::TSpinEdit(strip(row));
    spin->setObjectName(QString::fromLatin1(name));
    spin->setGeometry(kControlLeft + left, kControlTop, width, kControlHeight);
    spin->setToolTip(hint);
    spin->setStatusTip(hint);
    // Both limits first, so the value is brought into the final range.
    spin->SetMinValue(minValue);
    spin->SetMaxValue(maxValue);
    spin->SetMaxLength(maxLength);
    spin->SetValue(value);
    return spin;
}

widgets::TShadowLabel* TConvertDialog::addLabel(int row, const char* name, const QString& caption,
                                                QWidget* control) {
    auto* label = new widgets::TShadowLabel(strip(row));
    label->setObjectName(QString::fromLatin1(name));
    label->SetAutoSize(false);
    label->SetTransparent(true);
    label->SetFontColor(widgets::kWhite);
    // White text over a black copy one pixel right and below, no highlight, centred in its row.
    label->Shadow().SetColor(widgets::kBlack);
    label->Highlight().SetVisible(false);
    label->SetLayout(widgets::TTextLayout::tlCenter);
    label->SetCaption(caption);
    label->setGeometry(kLabelLeft, kLabelTop, kLabelWidth, kLabelHeight);
    label->SetFocusControl(control);
    return label;
}

void TConvertDialog::markList(widgets::TMultiColComboBox* list) { list->SetColor(listMarkColor(list->ItemIndex())); }

void TConvertDialog::applyStoredIndex(widgets::TMultiColComboBox* list, int stored) {
    list->SetItemIndex(storedListIndex(stored, list->ItemCount()));
}

void TConvertDialog::showEvent(QShowEvent* event) {
    // Centred on the desktop rather than over the main window.
    if (QScreen* s = screen() ? screen() : QGuiApplication::primaryScreen()) {
        const QRect desktop = s->availableGeometry();
        move(desktop.center() - QPoint(frameGeometry().width() / 2, frameGeometry().height() / 2));
    }
    QDialog::showEvent(event);
}

}  // namespace app
