#include "embedded_tile.h"

TileImage embeddedTile() {
    TileImage tile = {};
    if (!tileFromBmp(kTunnelBmp, kTunnelBmp_SIZE, tile)) {
        return {};
    }
    return tile;
}
