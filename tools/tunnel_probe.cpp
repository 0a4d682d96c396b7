// Command-line probe of the tunnel geometry: replays a journey given as
// commands on standard input and prints exact frames.
//
//   build T     build the frame for travel T (0 .. 2147483647)
//   pulse 0|1   set the radius pulsing for rings shaped from now on
//   quit        stop the tunnel from growing
//   dump        print the last built frame
//
// Floats are printed as the 8 hex digits of their IEEE bits, NaN as "nan".
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

#include "build.h"
#include "journey.h"

namespace {

void printFloat(float value) {
    if (std::isnan(value)) {
        std::fputs(" nan", stdout);
        return;
    }
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    std::printf(" %08" PRIx32, bits);
}

void printVec3(const Vec4& v) {
    printFloat(v.x);
    printFloat(v.y);
    printFloat(v.z);
}

// The frame only depends on the tunnel state, so the ring numbers of the
// visible positions come from the travel of the last build.
void dumpFrame(const TunnelState& tunnel, int32_t lastTravel) {
    std::printf("visible %" PRId32 " last %" PRId32 "\n", tunnel.visibleRings,
                tunnel.lastShapedRing);
    const int32_t baseRing = lastTravel >> 8;
    for (int32_t j = 0; j < tunnel.visibleRings; ++j) {
        const int32_t n = baseRing + j;
        const RingRecord& ring = tunnel.rings[n & (kMaxRings - 1)];
        std::printf("ring %" PRId32 " %" PRId32, j, n);
        printFloat(tunnel.ringDepth[j]);
        printVec3(ring.center);
        printVec3(ring.side);
        printVec3(ring.up);
        printFloat(ring.radius);
        printFloat(ring.turn[0]);
        printFloat(ring.turn[1]);
        printFloat(ring.turn[2]);
        std::putchar('\n');
        for (int k = 0; k < kRingVertices; ++k) {
            const ScreenVertex& v = tunnel.screenVertices[j][k];
            std::printf("v %" PRId32 " %d", j, k);
            printFloat(v.x);
            printFloat(v.y);
            printFloat(v.s);
            printFloat(v.t);
            std::putchar('\n');
        }
    }
}

// Parses a whole decimal token in [low, high]; no sign tricks, no trailing text.
bool parseInteger(const std::string& token, long long low, long long high, int32_t& value) {
    if (token.empty() || token.size() > 12) {
        return false;
    }
    for (char ch : token) {
        if (ch < '0' || ch > '9') {
            return false;
        }
    }
    errno = 0;
    const long long parsed = std::strtoll(token.c_str(), nullptr, 10);
    if (errno != 0 || parsed < low || parsed > high) {
        return false;
    }
    value = static_cast<int32_t>(parsed);
    return true;
}

int fail(long lineNumber, const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "tunnel_probe: line %ld: %s\n", lineNumber, message.c_str());
    return 2;
}

}  // namespace

int main() {
    static Journey journey = {};
    TunnelState& tunnel = journey.tunnel;
    startJourney(journey);
    int32_t lastTravel = 0;

    std::string line;
    long lineNumber = 0;
    while (std::getline(std::cin, line)) {
        ++lineNumber;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        std::istringstream words(line);
        std::string command;
        if (!(words >> command) || command[0] == '#') {
            continue;
        }
        std::string argument;
        const bool hasArgument = static_cast<bool>(words >> argument);
        std::string extra;
        if (words >> extra) {
            return fail(lineNumber, "unexpected text after command: " + line);
        }

        int32_t value = 0;
        if (command == "build") {
            if (!hasArgument || !parseInteger(argument, 0, INT32_MAX, value)) {
                return fail(lineNumber, "build needs a travel value from 0 to 2147483647");
            }
            buildTunnel(tunnel, value);
            lastTravel = value;
        } else if (command == "pulse") {
            if (!hasArgument || !parseInteger(argument, 0, 1, value)) {
                return fail(lineNumber, "pulse needs 0 or 1");
            }
            tunnel.pulse = value;
        } else if (command == "quit" && !hasArgument) {
            tunnel.quitRequested = 1;
        } else if (command == "dump" && !hasArgument) {
            dumpFrame(tunnel, lastTravel);
        } else {
            return fail(lineNumber, "unknown command: " + line);
        }
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}
