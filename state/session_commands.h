// The three session commands, in one table: what is typed, what the session operation is
// asked, what is shown when it fails and whether the program ends. The runner carries them
// out; the alias editors and the import refuse their names, since a session command is
// recognised before any alias and an alias of such a name could never run. The table lives
// here, at the bottom of the layers, so that both can read it.
#pragma once

#include <cstdint>

#include "state/text.h"

// Flags of the session operation (the values of EWX_LOGOFF, EWX_SHUTDOWN, EWX_REBOOT).
constexpr std::uint32_t kSessionLogoff = 0;
constexpr std::uint32_t kSessionShutdown = 1;
constexpr std::uint32_t kSessionReboot = 2;

struct SessionCommandInfo {
    const char* name;     // as typed, without regard to letter case
    std::uint32_t flags;  // for the session operation
    const char* failure;  // shown when the operation fails
    bool endsProgram;     // the command window goes after the operation, whatever its result
};

inline constexpr SessionCommandInfo kSessionCommands[] = {
    {"!shutdown", kSessionShutdown, "Error shutting down system.", false},
    {"!reboot", kSessionReboot, "Error restarting system.", false},
    {"!logoff", kSessionLogoff, "Error logging off.", true},
};

// The session command that `text` is as a whole (without regard to letter case), or null.
inline const SessionCommandInfo* FindSessionCommand(const char* text) {
    for (const SessionCommandInfo& command : kSessionCommands) {
        if (TextEqualNoCase(text, command.name)) {
            return &command;
        }
    }
    return nullptr;
}

inline bool IsSessionCommandName(const char* text) {
    return FindSessionCommand(text) != nullptr;
}
