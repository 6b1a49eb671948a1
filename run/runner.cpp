#include "run/runner.h"

#include <cstring>

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

// The text typed after an alias name: as a whole for %s, and split into the arguments
// for %1 ... %9 (a part in double quotes is one argument, without its quotes).
struct Arguments {
    char text[kTextBuffer];
    char items[9][kTextBuffer];
};

bool IsPlaceholder(const char* p) {
    return p[0] == '%' && (p[1] == 's' || (p[1] >= '1' && p[1] <= '9'));
}

bool HasPlaceholders(const char* command) {
    for (const char* p = command; *p != '\0'; ++p) {
        if (IsPlaceholder(p)) {
            return true;
        }
    }
    return false;
}

void SplitArguments(Arguments& arguments) {
    const char* p = arguments.text;
    for (char* item : arguments.items) {
        while (*p == ' ') {
            ++p;
        }
        const bool quoted = *p == '"';
        p += quoted ? 1 : 0;
        const char* end = std::strchr(p, quoted ? '"' : ' ');
        end = end != nullptr ? end : p + std::strlen(p);
        CopyText(item, p, static_cast<std::size_t>(end - p) + 1);
        p = end + (quoted && *end == '"' ? 1 : 0);
    }
}

// A web address begins with a scheme of two or more characters and "://", or is "mailto:".
bool IsWebAddress(const char* piece) {
    while (*piece == ' ') {
        ++piece;
    }
    const char* p = piece;
    while ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
           *p == '+' || *p == '-' || *p == '.') {
        ++p;
    }
    return (p - piece >= 2 && std::strncmp(p, "://", 3) == 0) ||
           (p - piece == 6 && std::strncmp(piece, "mailto:", 7) == 0);
}

// Appends `text` to `out` at `*length`, percent-encoded when `encode` (all but letters,
// digits and "-._~"); false when the result would exceed 260 characters.
bool AppendInserted(char* out, int* length, const char* text, bool encode) {
    static const char kHex[] = "0123456789ABCDEF";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        const bool plain = !encode || (*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') ||
                           (*p >= '0' && *p <= '9') || std::strchr("-._~", *p) != nullptr;
        if (*length + (plain ? 1 : 3) > kTextChars) {
            return false;
        }
        if (plain) {
            out[(*length)++] = static_cast<char>(*p);
        } else {
            out[(*length)++] = '%';
            out[(*length)++] = kHex[*p >> 4];
            out[(*length)++] = kHex[*p & 15];
        }
    }
    out[*length] = '\0';
    return true;
}

// `piece` with its placeholders replaced into `out` (kTextBuffer bytes); false when the
// result would exceed 260 characters.
bool InsertArguments(const char* piece, const Arguments& arguments, char* out) {
    const bool encode = IsWebAddress(piece);
    int length = 0;
    out[0] = '\0';
    for (const char* p = piece; *p != '\0'; ++p) {
        const char one[2] = {*p, '\0'};
        const char* inserted = !IsPlaceholder(p) ? one
                               : p[1] == 's'     ? arguments.text
                                                 : arguments.items[p[1] - '1'];
        if (!AppendInserted(out, &length, inserted, inserted != one && encode)) {
            return false;
        }
        p += inserted != one ? 1 : 0;
    }
    return true;
}

// One command of the line as it is launched: its variables expanded, then, for an alias,
// the arguments put in. False when it would exceed 260 characters.
bool PrepareCommand(RunnerHost& host, const char* piece, const Arguments* arguments, char* out) {
    char expanded[kTextBuffer];
    if (!host.ExpandVariables(piece, expanded, kTextBuffer)) {
        return false;
    }
    if (arguments == nullptr) {
        CopyText(out, expanded, kTextBuffer);
        return true;
    }
    return InsertArguments(expanded, *arguments, out);
}

// An alias loaded from an earlier version's registry may hold a command or start directory
// longer than a line: it is refused as a line that grows too long, never launched cut.
bool FitsALine(const AliasRecord* alias) {
    return alias == nullptr || (std::strlen(alias->Command) <= kTextChars &&
                                std::strlen(alias->StartPath) <= kTextChars);
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

    // An alias is the whole line or, when its command has placeholders, the line's first
    // word, the rest being its arguments.
    const AliasRecord* alias = FindAlias(aliases, entered);
    const char* argumentText = "";
    if (const char* space = alias == nullptr ? std::strchr(entered, ' ') : nullptr) {
        char name[kTextBuffer];
        CopyText(name, entered, static_cast<std::size_t>(space - entered) + 1);
        alias = FindAlias(aliases, name);
        if (alias != nullptr && !HasPlaceholders(alias->Command)) {
            alias = nullptr;
        }
        for (argumentText = space; *argumentText == ' ';) {
            ++argumentText;
        }
    }

    // The alias's fields are copied: a launcher message box lets other code run, and the
    // alias may be edited or removed meanwhile.
    char line[kTextBuffer];
    char startPath[kTextBuffer];
    int showCommand = kShowNormal;
    if (alias != nullptr) {
        CopyText(line, alias->Command, sizeof line);
        CopyText(startPath, alias->StartPath, sizeof startPath);
        showCommand = ShowCommandFor(alias->WindowState);
    } else {
        CopyText(line, entered, sizeof line);
        CopyText(startPath, settings.StartPath, sizeof startPath);
    }

    // The line is cut into its pieces first and each piece expanded on its own, so that a
    // variable's value or an argument never adds a piece; the arguments are expanded once,
    // as a typed line is, before they go in. Every piece is prepared before the first one
    // starts: a command that would not fit is never launched cut short, nor are the pieces
    // before it.
    Arguments arguments;
    arguments.text[0] = '\0';
    bool fits =
        FitsALine(alias) &&
        (alias == nullptr || host.ExpandVariables(argumentText, arguments.text, kTextBuffer));
    SplitArguments(arguments);
    const Arguments* inserted = alias != nullptr ? &arguments : nullptr;
    char startDir[kTextBuffer];
    char piece[kTextBuffer];
    char command[kTextBuffer];
    fits = fits && host.ExpandVariables(startPath, startDir, kTextBuffer);
    for (Pieces pieces(line); fits && pieces.Next(piece);) {
        fits = PrepareCommand(host, piece, inserted, command);
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
        PrepareCommand(host, piece, inserted, command);
        if (!elevated) {
            launched = host.Launch(command, startDir, showCommand);
            continue;
        }
        char program[kTextBuffer];
        char parameters[kTextBuffer];
        SplitProgram(host, command, program, parameters);
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
