// Resource ids of the test bitmaps, beside the program's own.
#pragma once

#define IDB_DEPTH8 201
#define IDB_DEPTH32 202
