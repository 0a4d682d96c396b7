#include "stdout_readout.h"

#include <poll.h>
#include <unistd.h>

#include <cstring>

#include "frame_step.h"

void printReadoutLine(const char* readout) {
    const char* text = readout[0] == ' ' ? readout + 1 : readout;
    char line[kReadoutSize + 1];
    const size_t length = strnlen(text, kReadoutSize - 1);
    std::memcpy(line, text, length);
    line[length] = '\n';
    pollfd out = {STDOUT_FILENO, POLLOUT, 0};
    if (poll(&out, 1, 0) == 1 && (out.revents & POLLOUT) != 0) {
        const ssize_t written = write(STDOUT_FILENO, line, length + 1);
        static_cast<void>(written);  // a lost readout is no fault
    }
}
