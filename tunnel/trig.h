// Sine and cosine in plain double arithmetic, so that every build of the
// program gets the same bits whatever its C library does.
#pragma once

double stableSin(double x);
double stableCos(double x);
