#pragma once
// The parts every tab is built from: commands shared by a menu item and a speed button,
// gradient caption bars, button strips with their speed buttons and bevels, and the
// column that stacks bars over a tab's body.

#include "widgets/Gradbox.h"

#include <QString>

#include <initializer_list>

class QAction;
class QObject;
class QToolButton;
class QWidget;

namespace app {

QAction* makeCommand(QObject* owner, const char* name, const QString& caption, const QString& hint, bool enabled);

// A tab's caption bar: gradient, yellow outline, black caption with a white low shadow.
widgets::TGradBox* makeCaptionBar(const char* name, const QString& caption, widgets::TColor top,
                                  widgets::TColor last);
// A strip for speed buttons: silver to white, no outline, no caption.
widgets::TGradBox* makeButtonStrip(const char* name);
QToolButton* addSpeedButton(widgets::TGradBox* strip, const char* name, QAction* command, const QString& caption,
                            const QString& glyph);
void addBevel(widgets::TGradBox* strip);
void endStrip(widgets::TGradBox* strip);

// Lays the bars out over the body, which takes the rest of the height, in `panel`.
void stackInto(QWidget* panel, std::initializer_list<QWidget*> parts, QWidget* body);
// The same in a new panel.
QWidget* stackVertically(std::initializer_list<QWidget*> parts, QWidget* body);

}  // namespace app
