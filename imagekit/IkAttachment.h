#pragma once
// The attach protocol of a kit component: attach on creation, detach on destruction.
// Components of the main group that reset the display settings (the editing pop-up
// texts) do so when they are the first of their group.

#include "Ikinit.h"

class IkAttachment {
public:
    enum class Reset { DisplaySettings, None };

    explicit IkAttachment(int group, Reset reset = Reset::DisplaySettings);
    ~IkAttachment();
    IkAttachment(const IkAttachment&) = delete;
    IkAttachment& operator=(const IkAttachment&) = delete;

    // The value InitializeIK returned.
    std::int32_t attachResult() const { return attachResult_; }

private:
    int group_;
    Reset reset_;
    std::int32_t attachResult_;
};
