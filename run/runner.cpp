#include "run/runner.h"

#include <cstring>

#include "state/text.h"

namespace {

const SessionCommandInfo kSessionCommands[] = {
    {"!shutdown", kSessionShutdown, "Error shutting down system.", false},
    {"!reboot", kSessionReboot, "Error restarting system.", false},
    {"!logoff", kSessionLogoff, "Error logging off.", true},
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

// True when `command` up to `end` names an existing file, as it is or, when its last name
// has no extension, with ".exe" added, as process creation would take it.
bool NamesFile(RunnerHost& host, const char* command, const char* end) {
    char candidate[kTextBuffer + 4];
    CopyText(candidate, command, static_cast<std::size_t>(end - command) + 1);
    if (host.FileExists(candidate)) {
        return true;
    }
    const char* name = std::strrchr(candidate, '\\');
    if (std::strchr(name != nullptr ? name : candidate, '.') != nullptr) {
        return false;
    }
    std::strcat(candidate, ".exe");
    return host.FileExists(candidate);
}

// The commands of a line, in order: the whole line when it holds one command (with every
// '*' it may hold), else the pieces that CutPiece cuts.
class Pieces {
  public:
    explicit Pieces(const char* line) : cursor_(line), count_(CountCommands(line)) {}

    // The next command into `piece` (kTextBuffer bytes); false after the last.
    bool Next(char* piece) {
        if (taken_ == count_) {
            return false;
        }
        ++taken_;
        if (count_ == 1) {
            CopyText(piece, cursor_, kTextBuffer);
        } else {
            CutPiece(&cursor_, piece, kTextBuffer);
        }
        return true;
    }

  private:
    const char* cursor_;
    int count_;
    int taken_ = 0;
};

}  // namespace

const SessionCommandInfo* FindSessionCommand(const char* text) {
    for (const SessionCommandInfo& command : kSessionCommands) {
        if (TextEqualNoCase(text, command.text)) {
            return &command;
        }
    }
    return nullptr;
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

void SplitProgram(RunnerHost& host, const char* command, char* program, char* parameters) {
    const char* start = command;
    const char* end;
    const char* rest;
    if (command[0] == '"') {
        ++start;
        const char* close = std::strchr(start, '"');
        end = close != nullptr ? close : start + std::strlen(start);
        rest = close != nullptr ? close + 1 : end;
    } else {
        const char* space = std::strchr(command, ' ');
        end = space != nullptr ? space : command + std::strlen(command);
        for (const char* p = command;; ++p) {
            if ((*p == ' ' || *p == '\0') && NamesFile(host, command, p)) {
                end = p;
                break;
            }
            if (*p == '\0') {
                break;
            }
        }
        rest = end;
    }
    CopyText(program, start, static_cast<std::size_t>(end - start) + 1);
    while (*rest == ' ') {
        ++rest;
    }
    CopyText(parameters, rest, kTextBuffer);
}

void RunCommandBox(RunnerHost& host, const AliasList& aliases, const Settings& settings,
                   bool elevated) {
    char entered[kTextBuffer];
    entered[0] = '\0';
    host.ReadCommandText(entered, kTextBuffer);
    entered[kTextChars] = '\0';

    if (entered[0] == '\0' || entered[0] == ' ' || entered[0] == '*') {
        host.Beep();
        return;
    }

    // Recognised as typed: a variable never turns a line into a session command.
    if (const SessionCommandInfo* command = FindSessionCommand(entered)) {
        RunSessionCommand(host, *command, entered, settings);
        return;
    }

    host.ShowWaitCursor();

    // The alias's fields are copied: a launcher message box lets other code run, and the
    // alias may be edited or removed meanwhile.
    char line[kTextBuffer];
    char startPath[kTextBuffer];
    int showCommand = kShowNormal;
    if (const AliasRecord* alias = FindAlias(aliases, entered)) {
        CopyText(line, alias->Command, sizeof line);
        CopyText(startPath, alias->StartPath, sizeof startPath);
        showCommand = ShowCommandFor(alias->WindowState);
    } else {
        CopyText(line, entered, sizeof line);
        CopyText(startPath, settings.StartPath, sizeof startPath);
    }

    // The line is cut into its pieces first and each piece expanded on its own, so that a
    // variable's value never adds a piece. Every piece is expanded before the first one
    // starts: a command that would not fit is never launched cut short, nor are the
    // pieces before it.
    char startDir[kTextBuffer];
    char piece[kTextBuffer];
    bool fits = host.ExpandVariables(startPath, startDir, kTextBuffer);
    for (Pieces pieces(line); fits && pieces.Next(piece);) {
        char expanded[kTextBuffer];
        fits = host.ExpandVariables(piece, expanded, kTextBuffer);
    }
    if (!fits) {
        host.RestoreCursor();
        host.ReportLaunchFailure(kErrorTooLong, kErrorTooLong);
        return;
    }

    // A failed launch shows a message box, whose message loop lets the tray menu end the
    // program: once the window is gone, nothing more is launched.
    bool launched = false;
    for (Pieces pieces(line); host.WindowExists() && pieces.Next(piece);) {
        char expanded[kTextBuffer];
        host.ExpandVariables(piece, expanded, kTextBuffer);
        if (!elevated) {
            launched = host.Launch(expanded, startDir, showCommand);
            continue;
        }
        char program[kTextBuffer];
        char parameters[kTextBuffer];
        SplitProgram(host, expanded, program, parameters);
        const ElevatedLaunch result =
            host.LaunchElevated(program, parameters, startDir, showCommand);
        if (result == ElevatedLaunch::kCancelled) {
            // Declined: as if the key had not been pressed, and no second prompt.
            host.RestoreCursor();
            return;
        }
        launched = result == ElevatedLaunch::kStarted;
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
