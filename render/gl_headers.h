// The GL 1.1 and GLU declarations. MinGW's GL/gl.h brings in what it needs
// from the platform by itself, so nothing in render/ names a platform header.
#pragma once

#include <GL/gl.h>
#include <GL/glu.h>
