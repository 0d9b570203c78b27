#include "IkAttachment.h"

#include "Ikdispinit.h"

IkAttachment::IkAttachment(int group, Reset reset) : group_(group), reset_(reset) {
    attachResult_ = InitializeIK(group_);
    if (reset_ == Reset::DisplaySettings && (attachResult_ >> 16) == 1) Ikdispinit::Initialize();
}

IkAttachment::~IkAttachment() { TerminateIK(group_); }
