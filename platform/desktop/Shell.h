#pragma once
// Desktop shell services: opening a document or web page with its default program, and the beep.

#include <QString>

namespace platform {

// Opens a local file path or a URL ("https://…") with the desktop's default program.
bool shellOpen(const QString& pathOrUrl);

// The default system beep.
void beep();

}  // namespace platform
