// The readout on stdout (--fps) for the Linux hosts.
#pragma once

// Writes the readout, without its leading blank, as one line, but only when
// stdout takes it at once: a reader that stalls or has gone must not stop
// the picture, nor the signals that end the program. The caller ignores
// SIGPIPE.
void printReadoutLine(const char* readout);
