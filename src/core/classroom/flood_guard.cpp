#include "classroom/flood_guard.h"

namespace vireta::classroom {

bool FloodGuard::allow(long long nowMs) {
    // times_[next_] is the message 20 before this one, once there were 20.
    if (seen_ >= kMostMessagesPerSecond && nowMs - times_[next_] < 1000)
        return false;
    times_[next_] = nowMs;
    next_ = (next_ + 1) % kMostMessagesPerSecond;
    ++seen_;
    return true;
}

} // namespace vireta::classroom
