// Vector drawing support that every kit control starts when created and ends when
// destroyed. Vector images themselves are not supported by this kit; the support keeps
// count of the controls holding a token so that an unknown or repeated end is refused.
#include "KitCall.h"

#include <mutex>
#include <unordered_set>

namespace {

std::mutex tokenMutex;
std::unordered_set<uint32_t> liveTokens;
uint32_t nextToken = 1;

}  // namespace

IK_API uint32_t IKVectorGdipStart(void) {
    return kit::guarded<uint32_t>(0, [] {
        std::lock_guard guard(tokenMutex);
        uint32_t token = nextToken++;
        if (token == 0) token = nextToken++;
        liveTokens.insert(token);
        return token;
    });
}

IK_API IKBOOL IKVectorGdipEnd(uint32_t token) {
    return kit::guarded(IK_FALSE, [&] {
        std::lock_guard guard(tokenMutex);
        return liveTokens.erase(token) ? IK_TRUE : kit::fail(IK_ERR_ARGUMENT, IK_FALSE);
    });
}
