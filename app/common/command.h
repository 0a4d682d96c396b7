// What a viewer can ask for, in one vocabulary every host maps its own
// events onto (window messages and menu items, SDL keys and text, DOM keys).
#pragma once

#include <cstdint>

#include "journey.h"

enum class Command : uint8_t {
    Faster,       // "+": speed times 1.4141
    Slower,       // "-": speed times 0.70716
    TogglePulse,  // space: rings shaped from now on pulse in radius, or stop
    EndJourney,   // Esc: the tunnel stops growing; the program ends after the fly-out
    Fullscreen,   // F11: the host's fullscreen, and back
    HomePage,     // the maker's home page
    DonatePage,   // the maker's donation page
    Exit,         // ends the program at once
};

// Carries out the commands that act on the journey; the others (fullscreen,
// pages, exit) are the host's, and change nothing here.
void applyCommand(Journey& journey, Command command);

// The command a typed character stands for: "+", "-" or a space. False for
// every other character.
bool commandForCharacter(int32_t character, Command& command);
