#include "saver_input.h"

bool movedBeyondSlack(int32_t dx, int32_t dy) {
    return dx > kSaverMotionSlack || dx < -kSaverMotionSlack || dy > kSaverMotionSlack ||
           dy < -kSaverMotionSlack;
}
