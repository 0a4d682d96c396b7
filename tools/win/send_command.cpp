// Posts one menu command (or a close request) to the running Ringvoyage
// window, so that scripts can drive the menu without a mouse.
//   send_command <command-id>   posts WM_COMMAND with that id
//   send_command close          posts WM_CLOSE
// Exit codes: 0 posted, 1 bad arguments, 2 no such window, 3 posting failed.
#include <windows.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kWindowClass[] = " Ringvoyage";

// Parses a command id: a decimal number that fits the low word of wParam.
bool parseCommandId(const char* text, WPARAM* id) {
    if (text[0] < '0' || text[0] > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    const unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > 0xFFFF) {
        return false;
    }
    *id = static_cast<WPARAM>(value);
    return true;
}

int usage() {
    std::fprintf(stderr, "usage: send_command <command-id 0..65535> | close\n");
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        return usage();
    }
    const bool close = std::strcmp(argv[1], "close") == 0;
    WPARAM id = 0;
    if (!close && !parseCommandId(argv[1], &id)) {
        return usage();
    }
    HWND window = FindWindowA(kWindowClass, nullptr);
    if (window == nullptr) {
        std::fprintf(stderr, "send_command: no window of class \"%s\"\n", kWindowClass);
        return 2;
    }
    const BOOL posted =
        close ? PostMessageA(window, WM_CLOSE, 0, 0) : PostMessageA(window, WM_COMMAND, id, 0);
    if (!posted) {
        std::fprintf(stderr, "send_command: PostMessageA failed (error %lu)\n", GetLastError());
        return 3;
    }
    return 0;
}
