// The Wayland host: the screen saver and the animated wallpaper, with one
// surface on every output, all showing one journey through one GL context.
// Frames are paced by the compositor's frame callbacks, so each output
// draws at most at its refresh rate and not at all while it is covered.
#pragma once

#include "saver_settings.h"
#include "tile_image.h"

enum class WaylandRole {
    Saver,      // overlay above everything, keyboard held; any input ends it
    Wallpaper,  // the background layer, no input; only a signal ends it
};

// Runs until the saver sees input or SIGTERM or SIGINT arrives: 0. Without a
// compositor, a usable shell or a GL context: 1, after one line on stderr.
// A tile without pixels stands for the built-in one.
int runWaylandHost(WaylandRole role, const SaverSettings& settings, const TileImage& tile,
                   bool printRate);
