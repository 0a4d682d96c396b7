// Frame pacing for the screen savers: no more frames than the display shows.
// Platform-free: the host reads its counter and does the waiting (until the
// time given, or until input arrives).
#pragma once

#include <cstdint>

struct FramePacer {
    int64_t frequency;  // counter ticks per second
    int64_t interval;   // counter ticks between frames; 0 while frames are not paced
    int64_t nextFrame;  // counter value before which the next frame does not start
};

// Frames at most `refreshRate` times a second from `now` on; a rate of 1 or
// less (a display that names none) counts as 60.
void startFramePacer(FramePacer& pacer, int64_t frequency, int32_t refreshRate, int64_t now);

// 0 when the next frame may start at `now`, booking the one after it.
// Otherwise the whole milliseconds to wait first, rounded up so that the
// wait does not end early and spin.
int64_t frameWaitMilliseconds(FramePacer& pacer, int64_t now);
