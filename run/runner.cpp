#include "run/runner.h"

#include "state/text.h"

namespace {

// In the order of kSessionCommandNames: "!shutdown", "!reboot", "!logoff".
const SessionCommandInfo kSessionCommands[kSessionCommandCount] = {
    {kSessionShutdown, "Error shutting down system.", false},
    {kSessionReboot, "Error restarting system.", false},
    {kSessionLogoff, "Error logging off.", true},
};

// A '*' separates two commands only when something that can start a command follows it.
bool CountsAsSeparator(const char* star) {
    const char next = star[1];
    return next != '\0' && next != ' ' && next != '*';
}

// Applies AfterCommand; true when the window has been destroyed.
bool ApplyAfterCommand(RunnerHost& host, std::int32_t afterCommand) {
    if (afterCommand == kAfterHide) {
        host.HideWindow();
    } else if (afterCommand == kAfterClose) {
        host.DestroyWindow();
        return true;
    }
    return false;
}

void RunSessionCommand(RunnerHost& host, const SessionCommandInfo& command, const char* entered,
                       const Settings& settings) {
    host.AddToHistory(entered);
    host.SaveState();
    host.FillHistoryList();
    host.SetCommandText("");
    const bool destroyed = ApplyAfterCommand(host, settings.AfterCommand);
    if (!host.EndSession(command.flags)) {
        host.ShowError(command.failure, !destroyed);
    }
    if (command.destroysWindow && !destroyed && host.WindowExists()) {
        host.DestroyWindow();
    }
}

}  // namespace

const SessionCommandInfo* FindSessionCommand(const char* text) {
    const int index = SessionCommandIndex(text);
    return index < 0 ? nullptr : &kSessionCommands[index];
}

int ShowCommandFor(std::uint32_t windowState) {
    switch (windowState) {
        case kStateMaximized:
            return kShowMaximized;
        case kStateMinimized:
            return kShowMinimized;
        default:
            return kShowNormal;
    }
}

int CountCommands(const char* line) {
    int count = 1;
    for (const char* p = line; *p != '\0'; ++p) {
        if (*p == '*' && CountsAsSeparator(p)) {
            ++count;
        }
    }
    return count;
}

void CutPiece(const char** cursor, char* piece, int capacity) {
    const char* p = *cursor;
    int length = 0;
    while (*p != '\0') {
        if (*p == '*' && (CountsAsSeparator(p) || p[1] == '\0')) {
            ++p;  // the separator itself belongs to no piece
            break;
        }
        if (length + 1 < capacity) {
            piece[length++] = *p;
        }
        ++p;
    }
    if (capacity > 0) {
        piece[length] = '\0';
    }
    *cursor = p;
}

void RunCommandBox(RunnerHost& host, const AliasList& aliases, const Settings& settings) {
    char entered[kTextBuffer];
    entered[0] = '\0';
    host.ReadCommandText(entered, kTextBuffer);
    entered[kTextChars] = '\0';

    if (entered[0] == '\0' || entered[0] == ' ' || entered[0] == '*') {
        host.Beep();
        return;
    }

    if (const SessionCommandInfo* command = FindSessionCommand(entered)) {
        RunSessionCommand(host, *command, entered, settings);
        return;
    }

    host.ShowWaitCursor();

    // The alias's fields are copied: a launcher message box lets other code run, and the
    // alias may be edited or removed meanwhile.
    char line[kTextBuffer];
    char startDir[kTextBuffer];
    int showCommand = kShowNormal;
    if (const AliasRecord* alias = FindAlias(aliases, entered)) {
        CopyText(line, alias->Command, sizeof line);
        CopyText(startDir, alias->StartPath, sizeof startDir);
        showCommand = ShowCommandFor(alias->WindowState);
    } else {
        CopyText(line, entered, sizeof line);
        CopyText(startDir, settings.StartPath, sizeof startDir);
    }

    // A failed launch shows a message box, whose message loop lets the tray menu end the
    // program: once the window is gone, nothing more is launched.
    bool launched;
    const int count = CountCommands(line);
    if (count == 1) {
        launched = host.Launch(line, startDir, showCommand);
    } else {
        launched = false;
        const char* cursor = line;
        char piece[kTextBuffer];
        for (int i = 0; i < count && host.WindowExists(); ++i) {
            CutPiece(&cursor, piece, sizeof piece);
            launched = host.Launch(piece, startDir, showCommand);
        }
    }

    host.RestoreCursor();

    if (!launched || !host.WindowExists()) {
        return;
    }
    host.AddToHistory(entered);
    host.FillHistoryList();
    host.SetCommandText("");
    ApplyAfterCommand(host, settings.AfterCommand);
}
