// The viewer's keys: speed, radius pulsing and the end of the journey.
#pragma once

#include <cstdint>

// Applies one typed character (a WM_CHAR code) to the tunnel settings;
// characters without a meaning are ignored.
void handleKey(int32_t character);

// Multiplies the speed by one of the two speed-step factors, within the
// speed bounds.
void scaleSpeed(float factor);
