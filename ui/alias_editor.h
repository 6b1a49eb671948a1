// What the New Alias and Edit Alias dialogs accept, apart from the window system: the
// input check both share and the two ways of changing the alias list. Portable: no
// Windows headers.
#pragma once

#include <cstdint>

#include "state/alias_list.h"

// The fields as read from the dialog: the name cut to 16 characters, the command and the
// start path to 260.
struct AliasInput {
    const char* name;
    const char* command;
    const char* startPath;
    std::uint32_t windowState;
};

// False when the dialogs refuse the input: an empty name, a command that is empty or
// begins with a space or '*', a start path that is empty or begins with a space. Only
// these first characters are looked at.
bool AliasInputComplete(const AliasInput& input);

// New Alias: appends the alias. False, with the list unchanged, when the name is used by
// an alias or is a session command name ("!shutdown", "!reboot", "!logoff"), without
// regard to letter case.
bool AddEditedAlias(AliasList& list, const AliasInput& input);

// Edit Alias: overwrites `edited` in place, keeping its place in the list. False, with
// nothing changed, when another alias has the name or it is a session command name
// (session commands are recognised before aliases, so such an alias could never run),
// without regard to letter case. A case variant of the alias's own name is accepted.
bool ChangeAlias(const AliasList& list, AliasRecord& edited, const AliasInput& input);
