#pragma once
// The libraries report progress through a plain function, so one component of a kind at a
// time owns that function: the owner is told each new percentage once, and its Cancel flag
// answers whether the library goes on. The libraries call it on the thread of the call,
// so each thread has a slot of its own (a page writer saves beside the window thread).

#include "ik7kit.h"

#include <cstdint>

template <typename Component>
class IkProgressSlot {
public:
    // The function to hand to the library, when the slot was free and is now the component's;
    // none when the component shows a progress window of its own or another owns the slot.
    static IKPROGRESSPROC claim(Component* component, bool ownProgressWindow) {
        if (ownProgressWindow || owner_) return nullptr;
        owner_ = component;
        return relay;
    }
    static void release() { owner_ = nullptr; }
    static void forget(const Component* component) {
        if (owner_ == component) owner_ = nullptr;
    }

private:
    static std::int32_t relay(std::int32_t value) {
        Component* owner = owner_;
        if (!owner) return 0;
        const auto percent = static_cast<std::int16_t>(value & 0xFFFF);
        if (percent != owner->lastPercent_) {
            owner->lastPercent_ = percent;
            owner->DoProgress(percent);
        }
        // The event may have cancelled the operation, or destroyed or replaced the owner.
        return owner_ && !owner_->Cancel() ? -1 : 0;
    }

    static inline thread_local Component* owner_ = nullptr;
};
