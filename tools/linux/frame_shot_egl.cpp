// frame_shot, native: an EGL pbuffer of the client size and the built-in
// tile or a user's picture.
#include <cstdio>

#include "egl_pbuffer.h"
#include "embedded_tile.h"
#include "frame_shot.h"
#include "picture_file.h"

int main(int argc, char** argv) {
    ShotRequest request = {};
    if (!parseShotRequest(argc, argv, request)) {
        return kShotBadArguments;
    }
    if (!makePbufferContext(request.width, request.height)) {
        std::fprintf(stderr, "frame_shot: no OpenGL context (EGL, surfaceless Mesa)\n");
        return kShotFailed;
    }
    static PictureTile picture;
    return shootFrame(request, wallTile("frame_shot", request.tile, picture));
}
