#include "frame_step.h"

#include <cstdio>

#include "frame.h"
#include "scene.h"
#include "version.h"

namespace {

// The rate about once per second; the first frame after a start or a rest
// only stamps the time.
bool meterFrameRate(FrameRate& rate, float time, double& framesPerSecond) {
    if (rate.stamped == 0) {
        rate.fpsStamp = time;
        rate.stamped = 1;
    }
    const float elapsed =
        static_cast<float>(static_cast<double>(time) - static_cast<double>(rate.fpsStamp));
    if (!(static_cast<double>(elapsed) >= 1.0)) {
        return false;
    }
    framesPerSecond = static_cast<double>(rate.framesSinceStamp) / static_cast<double>(elapsed);
    rate.framesSinceStamp = 0;
    rate.fpsStamp = time;
    return true;
}

}  // namespace

void startVoyage(Voyage& voyage, const TileImage& tile, int32_t width, int32_t height) {
    initScene(voyage.journey, voyage.texture, tile, width, height);
}

void restartVoyage(Voyage& voyage) {
    startJourneyAgain(voyage.journey);
    voyage.rate = {};
}

FrameOutcome stepFrame(Voyage& voyage, const HostFrame& frame) {
    FrameOutcome outcome = {};
    Journey& journey = voyage.journey;
    if (frame.hidden != 0 || !hasPictureArea(frame.width, frame.height)) {
        outcome.rest = 1;
        outcome.ended = journey.tunnel.quitRequested != 0 ? 1 : 0;
        voyage.rate.stamped = 0;
        voyage.rate.framesSinceStamp = 0;
        return outcome;
    }
    if (voyage.frozen != 0) {
        voyage.clock.time = 0.0f;
        voyage.clock.delta = 0.0f;
        journey.tunnel.travel = voyage.frozenTravel;
        journey.carry = 0.0;
    } else if (frame.still != 0) {
        voyage.clock.delta = 0.0f;
    } else {
        advanceFrameClock(voyage.clock, frame.now);
    }
    double framesPerSecond = 0.0;
    if (meterFrameRate(voyage.rate, voyage.clock.time, framesPerSecond)) {
        outcome.readoutDue = 1;
        formatReadout(outcome.readout, framesPerSecond);
    }
    const int32_t travel = advanceJourney(journey, voyage.clock.delta);
    if (renderFrame(journey.tunnel, travel, frame.width, frame.height)) {
        ++voyage.rate.framesSinceStamp;
    } else {
        // Nothing drawn and nothing counted; after Esc, every such frame
        // tells the host again until it has ended.
        outcome.ended = journey.tunnel.quitRequested != 0 ? 1 : 0;
    }
    return outcome;
}

bool redrawStep(Voyage& voyage, int32_t width, int32_t height) {
    if (!hasPictureArea(width, height)) {
        return false;
    }
    // The whole travel the latest step built: built again it gives the same
    // rings, and only the projection is this surface's.
    TunnelState& tunnel = voyage.journey.tunnel;
    return renderFrame(tunnel, static_cast<int32_t>(tunnel.travel), width, height);
}

void freezeFrame(Voyage& voyage, float travel) {
    voyage.frozen = 1;
    voyage.frozenTravel = travel;
}

void formatReadout(char (&text)[kReadoutSize], double framesPerSecond) {
    std::snprintf(text, sizeof text, "%s " RINGVOYAGE_READOUT_VERSION " - %g FPS", kProgramTitle,
                  framesPerSecond);
}

bool hasPictureArea(int32_t width, int32_t height) {
    return width > 0 && height > 0;
}
