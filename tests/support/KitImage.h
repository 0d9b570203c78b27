#pragma once
// Owns an image made by a kit call in a test and frees it through the kit.

#include "Ikdllprocs.h"

class KitImage {
public:
    explicit KitImage(IKHANDLE image = 0) : image_(image) {}
    ~KitImage() {
        if (image_) Ikdllprocs::IkFreeMemory(image_);
    }
    KitImage(const KitImage&) = delete;
    KitImage& operator=(const KitImage&) = delete;
    IKHANDLE get() const { return image_; }

private:
    IKHANDLE image_;
};
