#include "options.h"

#include <cstring>

namespace {

struct OptionName {
    const char* name;  // without its dashes
    HostMode mode;
};

constexpr OptionName kOptions[] = {
    {"help", HostMode::Help},
    {"version", HostMode::Version},
    {"homepage", HostMode::Homepage},
    {"donate", HostMode::Donate},
};

}  // namespace

HostOptions parseHostOptions(int argc, const char* const* argv) {
    if (argc <= 1) {
        return {HostMode::Window, nullptr};
    }
    const char* argument = argv[1];
    if (argc > 2) {
        return {HostMode::Invalid, argv[2]};  // one option at a time
    }
    const char* name = argument;
    if (name[0] == '-') {
        name += name[1] == '-' ? 2 : 1;
    }
    for (const OptionName& option : kOptions) {
        if (name != argument && std::strcmp(name, option.name) == 0) {
            return {option.mode, nullptr};
        }
    }
    return {HostMode::Invalid, argument};
}
