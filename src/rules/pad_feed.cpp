#include "rules/pad_feed.h"

#include "rules/seams.h"

int PadFeed::follow(const PadReading& now, PadChange out[kMostChanges]) {
    int count = 0;
    for (int button = 0; button < 32; ++button) {
        uint32_t bit = uint32_t(1) << button;
        if ((held_ ^ now.buttons) & bit) out[count++] = {button, (now.buttons & bit) != 0};
    }
    held_ = now.buttons;
    count += stick_.follow(kStickAxisX, now.stickX, out + count);
    count += stick_.follow(kStickAxisY, now.stickY, out + count);
    return count;
}

bool PadFeed::next(PadChange& change) {
    if (at_ == count_ && looked_) return looked_ = false;
    if (!looked_) {
        looked_ = true;
        PadReading now;  // with no controller open every button lets go
        if (!seams.platform.readController(&now)) now = PadReading{};
        count_ = follow(now, pending_), at_ = 0;
        if (count_ == 0) return looked_ = false;
    }
    change = pending_[at_++];
    return true;
}
