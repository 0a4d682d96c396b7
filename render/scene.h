// One-time GL and tunnel setup, and the orthographic projection rule.
#pragma once

// Brings the GL state and the journey to their starting values; needs the
// GL context current and the client size stored. Always true.
bool initScene();

// Loads the orthographic box for the client aspect (width / height) and
// records it in tunnel.lastAspect. An aspect that is not a positive finite
// number (empty client area) leaves projection and lastAspect as they were.
void applyProjection(float aspect);

// Aspect of the stored client size as a float; false while the client area
// is empty (minimised), when there is no aspect to project for.
bool clientAspect(float& aspect);
