#pragma once
// Bitmap and palette objects handed out by the common library. They are registered so
// that deleting checks the pointer: a foreign or already deleted object is refused.

#include <QImage>
#include <QList>

namespace kit {

void* registerBitmap(QImage* bitmap);
void* registerPalette(QList<QRgb>* palette);

// Deletes an object made here; false for anything else.
bool deleteObject(void* object);

}  // namespace kit
