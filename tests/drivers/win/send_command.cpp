// Sends one request to the running Ringvoyage window, so that scripts can
// drive it without a mouse:
//   send_command <command-id>   posts WM_COMMAND with that id (a menu command)
//   send_command close          posts WM_CLOSE
//   send_command minimize       posts WM_SYSCOMMAND SC_MINIMIZE
//   send_command maximize       posts WM_SYSCOMMAND SC_MAXIMIZE
//   send_command restore        posts WM_SYSCOMMAND SC_RESTORE
//   send_command hide | show    hides or shows the window (ShowWindowAsync)
//   send_command size W H       resizes the window to W x H (SetWindowPos)
//   send_command -w HANDLE ...  the same for the window of that decimal handle
// Exit codes: 0 done, 1 bad arguments, 2 no such window, 3 the request failed.
#include <windows.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

constexpr char kWindowClass[] = " Ringvoyage";

// Parses a decimal number from 0 to `limit`.
bool parseNumber(const char* text, unsigned long limit, unsigned long* value) {
    if (text[0] < '0' || text[0] > '9') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    *value = std::strtoul(text, &end, 10);
    return errno == 0 && *end == '\0' && *value <= limit;
}

struct Request {
    const char* name;  // first argument
    UINT message;      // message posted
    WPARAM wParam;     // its word parameter
};

constexpr Request kRequests[] = {
    {"close", WM_CLOSE, 0},
    {"minimize", WM_SYSCOMMAND, SC_MINIMIZE},
    {"maximize", WM_SYSCOMMAND, SC_MAXIMIZE},
    {"restore", WM_SYSCOMMAND, SC_RESTORE},
};

int usage() {
    std::fprintf(stderr,
                 "usage: send_command [-w <handle>] <command-id 0..65535> | close | minimize"
                 " | maximize | restore | hide | show | size <width> <height>\n");
    return 1;
}

// The request's outcome as an exit code.
int done(BOOL succeeded, const char* what) {
    if (!succeeded) {
        std::fprintf(stderr, "send_command: %s failed (error %lu)\n", what, GetLastError());
        return 3;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long handle = 0;
    const bool given = argc >= 3 && std::strcmp(argv[1], "-w") == 0;
    if (given && !parseNumber(argv[2], 0xFFFFFFFF, &handle)) {
        return usage();
    }
    argc -= given ? 2 : 0;
    argv += given ? 2 : 0;
    if (argc < 2) {
        return usage();
    }
    const Request* request = nullptr;
    for (const Request& known : kRequests) {
        if (std::strcmp(argv[1], known.name) == 0) {
            request = &known;
        }
    }
    const bool size = std::strcmp(argv[1], "size") == 0;
    const int show = std::strcmp(argv[1], "hide") == 0   ? SW_HIDE
                     : std::strcmp(argv[1], "show") == 0 ? SW_SHOWNA
                                                         : -1;
    unsigned long id = 0, width = 0, height = 0;
    const bool valid =
        size ? argc == 4 && parseNumber(argv[2], 0x7FFF, &width) &&
                   parseNumber(argv[3], 0x7FFF, &height)
             : argc == 2 && (request != nullptr || show >= 0 || parseNumber(argv[1], 0xFFFF, &id));
    if (!valid) {
        return usage();
    }
    HWND window = given ? reinterpret_cast<HWND>(static_cast<uintptr_t>(handle))
                        : FindWindowA(kWindowClass, nullptr);
    if (window == nullptr || IsWindow(window) == FALSE) {
        std::fprintf(stderr, "send_command: no window of class \"%s\" or of that handle\n",
                     kWindowClass);
        return 2;
    }
    if (size) {
        return done(SetWindowPos(window, nullptr, 0, 0, static_cast<int>(width),
                                 static_cast<int>(height), SWP_NOMOVE | SWP_NOZORDER),
                    "SetWindowPos");
    }
    if (show >= 0) {
        ShowWindowAsync(window, show);  // its result is the earlier visibility
        return 0;
    }
    if (request != nullptr) {
        return done(PostMessageA(window, request->message, request->wParam, 0), "PostMessageA");
    }
    return done(PostMessageA(window, WM_COMMAND, static_cast<WPARAM>(id), 0), "PostMessageA");
}
