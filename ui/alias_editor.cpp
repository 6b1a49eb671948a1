#include "ui/alias_editor.h"

bool AliasInputComplete(const AliasInput& input) {
    const char command = input.command[0];
    const char startPath = input.startPath[0];
    return input.name[0] != '\0' && command != '\0' && command != ' ' && command != '*' &&
           startPath != '\0' && startPath != ' ';
}

bool AddEditedAlias(AliasList& list, const AliasInput& input) {
    return !IsSessionCommandName(input.name) &&
           AddAlias(list, input.name, input.command, input.startPath, input.windowState);
}

bool ChangeAlias(const AliasList& list, AliasRecord& edited, const AliasInput& input) {
    const AliasRecord* holder = FindAlias(list, input.name);
    if ((holder != nullptr && holder != &edited) || IsSessionCommandName(input.name)) {
        return false;
    }
    CopyText(edited.Name, input.name, sizeof(edited.Name));
    CopyText(edited.Command, input.command, sizeof(edited.Command));
    CopyText(edited.StartPath, input.startPath, sizeof(edited.StartPath));
    edited.WindowState = input.windowState;
    return true;
}
