#include "app/TabParts.h"

#include <QAction>
#include <QFrame>
#include <QHBoxLayout>
#include <QIcon>
#include <QPixmap>
#include <QToolButton>
#include <QVBoxLayout>

using widgets::TGradBox;

namespace app {

QAction* makeCommand(QObject* owner, const char* name, const QString& caption, const QString& hint,
                     bool enabled) {
    auto* action = new QAction(caption, owner);
    action->setObjectName(QString::fromLatin1(name));
    action->setStatusTip(hint);
    action->setToolTip(hint);
    action->setEnabled(enabled);
    return action;
}

// A tab's caption bar: green-family gradient, yellow outline, black caption with a white low shadow.
TGradBox* makeCaptionBar(const char* name, const QString& caption, widgets::TColor top, widgets::TColor last) {
    auto* bar = new TGradBox;
    bar->setObjectName(QString::fromLatin1(name));
    bar->SetTopColor(top);
    bar->SetLastColor(last);
    bar->SetDrawOutLine(true);
    bar->SetOutLineColor(widgets::kYellow);
    bar->SetCaptionLeft(6);
    bar->SetCaptionTop(5);
    bar->SetFont3D(true);
    bar->SetStyle3D(widgets::TFontStyle3D::fsLow3D);
    bar->SetBackFont(widgets::kWhite);
    bar->SetCaption(caption);
    bar->setFixedHeight(22);
    return bar;
}

// A strip for speed buttons: silver to white, no outline, no caption.
TGradBox* makeButtonStrip(const char* name) {
    auto* strip = new TGradBox;
    strip->setObjectName(QString::fromLatin1(name));
    strip->SetTopColor(widgets::kSilver);
    strip->SetLastColor(widgets::kWhite);
    strip->setFixedHeight(46);
    auto* row = new QHBoxLayout(strip);
    row->setContentsMargins(4, 3, 4, 3);
    row->setSpacing(1);
    return strip;
}

namespace {

// The 16 × 16 pixel glyph, and the same doubled pixel for pixel for screens of ratio 2 and up:
// a glyph scaled smoothly there would look blurred.
QIcon glyphIcon(const QString& glyph) {
    const QPixmap base(QStringLiteral(":/glyphs/") + glyph);
    QIcon icon(base);
    if (base.isNull()) return icon;
    QPixmap twice = base.scaled(base.size() * 2, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    twice.setDevicePixelRatio(2.0);
    icon.addPixmap(twice);
    return icon;
}

}  // namespace

QToolButton* addSpeedButton(TGradBox* strip, const char* name, QAction* command, const QString& caption,
                            const QString& glyph) {
    command->setIconText(caption);
    command->setIcon(glyphIcon(glyph));
    command->setIconVisibleInMenu(false);
    auto* button = new QToolButton(strip);
    button->setObjectName(QString::fromLatin1(name));
    button->setDefaultAction(command);
    button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    button->setAutoRaise(true);
    button->setIconSize(QSize(16, 16));
    button->setFixedSize(70, 40);
    button->setFocusPolicy(Qt::NoFocus);
    strip->layout()->addWidget(button);
    return button;
}

void addBevel(TGradBox* strip) {
    auto* bevel = new QFrame(strip);
    bevel->setFrameShape(QFrame::VLine);
    bevel->setFrameShadow(QFrame::Sunken);
    bevel->setFixedSize(6, 40);
    strip->layout()->addWidget(bevel);
}

void endStrip(TGradBox* strip) { static_cast<QHBoxLayout*>(strip->layout())->addStretch(1); }

void stackInto(QWidget* panel, std::initializer_list<QWidget*> parts, QWidget* body) {
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    for (QWidget* part : parts) column->addWidget(part);
    column->addWidget(body, 1);
}

QWidget* stackVertically(std::initializer_list<QWidget*> parts, QWidget* body) {
    auto* panel = new QWidget;
    stackInto(panel, parts, body);
    return panel;
}

}  // namespace app
