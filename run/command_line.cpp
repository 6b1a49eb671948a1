#include "run/command_line.h"

#include <cstring>

namespace {

// ---------------------------------------------------------------------------------------
// The alias and its arguments.

// The text typed after an alias name: as a whole, and split into words (a part in double
// quotes is one word, without its quotes).
struct Arguments {
    char text[kTextBuffer];
    char words[9][kTextBuffer];
};

// The placeholders that an alias's command may hold: '%' followed by one character of a
// range, each standing for a text of the arguments. A new placeholder is a new row.
struct Placeholder {
    char first;
    char last;
    // The text for the character `first` + `index`.
    const char* (*value)(const Arguments& arguments, int index);
};

const Placeholder kPlaceholders[] = {
    // %s: all that is typed after the name, as typed.
    {'s', 's', [](const Arguments& arguments, int) -> const char* { return arguments.text; }},
    // %1 ... %9: its words.
    {'1', '9',
     [](const Arguments& arguments, int index) -> const char* { return arguments.words[index]; }},
};

// The placeholder that begins at `p`, or null.
const Placeholder* PlaceholderAt(const char* p) {
    if (p[0] != '%') {
        return nullptr;
    }
    for (const Placeholder& placeholder : kPlaceholders) {
        if (p[1] >= placeholder.first && p[1] <= placeholder.last) {
            return &placeholder;
        }
    }
    return nullptr;
}

bool HasPlaceholders(const char* command) {
    for (const char* p = command; *p != '\0'; ++p) {
        if (PlaceholderAt(p) != nullptr) {
            return true;
        }
    }
    return false;
}

// The alias that `entered` names: the whole text, or its first word when that alias takes
// arguments; `*argumentText` is then what follows the word and its spaces (else "").
const AliasRecord* FindLineAlias(const AliasList& aliases, const char* entered,
                                 const char** argumentText) {
    *argumentText = "";
    if (const AliasRecord* alias = FindAlias(aliases, entered)) {
        return alias;
    }
    const char* space = std::strchr(entered, ' ');
    if (space == nullptr) {
        return nullptr;
    }
    char name[kTextBuffer];
    CopyText(name, entered, static_cast<std::size_t>(space - entered) + 1);
    const AliasRecord* alias = FindAlias(aliases, name);
    if (alias == nullptr || !HasPlaceholders(alias->Command)) {
        return nullptr;
    }
    while (*space == ' ') {
        ++space;
    }
    *argumentText = space;
    return alias;
}

void SplitWords(Arguments& arguments) {
    const char* p = arguments.text;
    for (char* word : arguments.words) {
        while (*p == ' ') {
            ++p;
        }
        const bool quoted = *p == '"';
        p += quoted ? 1 : 0;
        const char* end = std::strchr(p, quoted ? '"' : ' ');
        end = end != nullptr ? end : p + std::strlen(p);
        CopyText(word, p, static_cast<std::size_t>(end - p) + 1);
        p = end + (quoted && *end == '"' ? 1 : 0);
    }
}

// The arguments are expanded once, as a typed line is, before they go in: false when that
// would exceed 260 characters.
bool PrepareArguments(RunnerEnvironment& environment, const char* text, Arguments& arguments) {
    if (!environment.ExpandVariables(text, arguments.text, kTextBuffer)) {
        return false;
    }
    SplitWords(arguments);
    return true;
}

// ---------------------------------------------------------------------------------------
// The commands of a line.

// A '*' separates two commands only when something that can start a command follows it.
bool CountsAsSeparator(const char* star) {
    const char next = star[1];
    return next != '\0' && next != ' ' && next != '*';
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

// Cuts the next piece of a line of several commands. `*cursor` points into the line; the
// piece runs up to the next counting '*', or up to a '*' that ends the line, or up to the end,
// and `*cursor` then points past that '*' (or at the terminator). A '*' that does not count
// stays inside the piece.
void CutPiece(const char** cursor, char* piece) {
    const char* p = *cursor;
    int length = 0;
    while (*p != '\0') {
        if (*p == '*' && (CountsAsSeparator(p) || p[1] == '\0')) {
            ++p;  // the separator itself belongs to no piece
            break;
        }
        if (length < kTextChars) {
            piece[length++] = *p;
        }
        ++p;
    }
    piece[length] = '\0';
    *cursor = p;
}

// ---------------------------------------------------------------------------------------
// One command, prepared.

// A web address begins with a scheme of two or more characters and "://", or is "mailto:".
bool IsWebAddress(const char* command) {
    while (*command == ' ') {
        ++command;
    }
    const char* p = command;
    while ((*p >= 'a' && *p <= 'z') || (*p >= 'A' && *p <= 'Z') || (*p >= '0' && *p <= '9') ||
           *p == '+' || *p == '-' || *p == '.') {
        ++p;
    }
    return (p - command >= 2 && std::strncmp(p, "://", 3) == 0) ||
           (p - command == 6 && std::strncmp(command, "mailto:", 7) == 0);
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

// `command` with its placeholders filled in into `out` (kTextBuffer bytes); in a web address
// what goes in is percent-encoded, as UTF-8 whatever the program's code page. False when the
// result would exceed 260 characters.
bool InsertArguments(const char* command, const Arguments& arguments, char* out) {
    const bool encode = IsWebAddress(command);
    int length = 0;
    out[0] = '\0';
    for (const char* p = command; *p != '\0'; ++p) {
        const Placeholder* placeholder = PlaceholderAt(p);
        if (placeholder == nullptr) {
            const char one[2] = {*p, '\0'};
            if (!AppendInserted(out, &length, one, false)) {
                return false;
            }
            continue;
        }
        const char* value = placeholder->value(arguments, p[1] - placeholder->first);
        // A byte of the code page takes at most three in UTF-8.
        char utf8[3 * kTextChars + 1];
        if (encode && !TextIsUtf8()) {
            LegacyToUtf8(value, std::strlen(value), utf8, sizeof utf8);
            value = utf8;
        }
        if (!AppendInserted(out, &length, value, encode)) {
            return false;
        }
        ++p;
    }
    return true;
}

// One command as it is launched: its variables expanded, then, for an alias, its
// placeholders filled in. False when it would exceed 260 characters.
bool PrepareCommand(RunnerEnvironment& environment, const char* piece, const Arguments* arguments,
                    char* out) {
    if (arguments == nullptr) {
        return environment.ExpandVariables(piece, out, kTextBuffer);
    }
    char expanded[kTextBuffer];
    return environment.ExpandVariables(piece, expanded, kTextBuffer) &&
           InsertArguments(expanded, *arguments, out);
}

// ---------------------------------------------------------------------------------------
// The program of an elevated launch, apart from its parameters.

// A path from a drive, a root or a server is not relative; "C:x" is taken as from its drive.
bool IsRelative(const char* path) {
    return path[0] != '\\' && path[0] != '/' && !(path[0] != '\0' && path[1] == ':');
}

// True when the first `length` bytes of `text` name an existing file, as they are or, when
// their last name has no extension, with ".exe" added, as process creation would take them;
// a relative name is looked for in `startDir`, where the launch starts (when it is empty, in
// the program's own current folder, which the launch then inherits).
bool NamesFile(RunnerEnvironment& environment, const char* startDir, const char* text,
               std::size_t length) {
    char candidate[2 * kTextBuffer + 4];
    std::size_t used = 0;
    if (IsRelative(text) && startDir[0] != '\0') {
        used = std::strlen(startDir);
        std::memcpy(candidate, startDir, used);
        const char* last = TextFindLastOf(startDir, "\\");
        if (last == nullptr || last[1] != '\0') {
            candidate[used++] = '\\';
        }
    }
    std::memcpy(candidate + used, text, length);
    used += length;
    candidate[used] = '\0';
    if (environment.FileExists(candidate)) {
        return true;
    }
    const char* last = TextFindLastOf(candidate, "\\");
    if (std::strchr(last != nullptr ? last : candidate, '.') != nullptr) {
        return false;
    }
    std::memcpy(candidate + used, ".exe", 5);
    return environment.FileExists(candidate);
}

// Finds the program of an elevated launch, which the shell needs apart from its parameters:
// the part in double quotes; else the one part that ends before a space or at the end and
// names an existing file; else, when none does, the part before the first space. When more
// than one part names a file, which one process creation would take is not what the user
// may mean, and with administrator rights a planted program must not win: false. The spaces
// after the program are left out of the parameters.
bool FindProgram(RunnerEnvironment& environment, const char* startDir, PreparedCommand& command) {
    const char* text = command.text;
    const char* start = text;
    const char* end = nullptr;
    const char* rest;
    if (text[0] == '"') {
        ++start;
        const char* close = std::strchr(start, '"');
        end = close != nullptr ? close : start + std::strlen(start);
        rest = close != nullptr ? close + 1 : end;
    } else {
        for (const char* p = text;; ++p) {
            // A part that ends in a space names what the part without it names.
            if ((*p == ' ' || *p == '\0') && p > text && p[-1] != ' ' &&
                NamesFile(environment, startDir, text, static_cast<std::size_t>(p - text))) {
                if (end != nullptr) {
                    return false;
                }
                end = p;
            }
            if (*p == '\0') {
                break;
            }
        }
        if (end == nullptr) {
            const char* space = std::strchr(text, ' ');
            end = space != nullptr ? space : text + std::strlen(text);
        }
        rest = end;
    }
    while (*rest == ' ') {
        ++rest;
    }
    command.programBegin = static_cast<std::uint16_t>(start - text);
    command.programEnd = static_cast<std::uint16_t>(end - text);
    command.parametersBegin = static_cast<std::uint16_t>(rest - text);
    return true;
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

bool FitsALine(const char* text) {
    return std::strlen(text) <= static_cast<std::size_t>(kTextChars);
}

}  // namespace

LineProblem PrepareCommandLine(RunnerEnvironment& environment, const AliasList& aliases,
                               const char* defaultStartPath, const char* entered, bool elevated,
                               CommandLine& line) {
    if (!FitsALine(entered)) {
        return LineProblem::kTooLong;
    }
    const char* argumentText = "";
    const AliasRecord* alias = FindLineAlias(aliases, entered, &argumentText);
    const char* source = alias != nullptr ? alias->Command : entered;
    // An alias loaded from an earlier version's registry may hold a command or start folder
    // longer than a line: it is refused as a line too long, never launched cut.
    if (alias != nullptr && (!FitsALine(alias->Command) || !FitsALine(alias->StartPath))) {
        return LineProblem::kTooLong;
    }
    line.fromAlias = alias != nullptr;
    line.showCommand = alias != nullptr ? ShowCommandFor(alias->WindowState) : kShowNormal;

    Arguments arguments;
    if ((alias != nullptr && !PrepareArguments(environment, argumentText, arguments)) ||
        !environment.ExpandVariables(alias != nullptr ? alias->StartPath : defaultStartPath,
                                     line.startDir, kTextBuffer)) {
        return LineProblem::kTooLong;
    }

    // The line is cut into its commands first and each one expanded on its own, so that a
    // variable's value or an argument never adds a command. A line of one command is taken
    // whole, with every '*' it may hold.
    line.count = CountCommands(source);
    const char* cursor = source;
    for (int i = 0; i < line.count; ++i) {
        char piece[kTextBuffer];
        if (line.count == 1) {
            CopyText(piece, source, sizeof piece);
        } else {
            CutPiece(&cursor, piece);
        }
        PreparedCommand& command = line.commands[i];
        if (!PrepareCommand(environment, piece, alias != nullptr ? &arguments : nullptr,
                            command.text)) {
            return LineProblem::kTooLong;
        }
        if (elevated && !FindProgram(environment, line.startDir, command)) {
            return LineProblem::kProgramUnclear;
        }
    }
    return LineProblem::kNone;
}

void ProgramAndParameters(const PreparedCommand& command, char* program, char* parameters) {
    CopyText(program, command.text + command.programBegin,
             static_cast<std::size_t>(command.programEnd - command.programBegin) + 1);
    CopyText(parameters, command.text + command.parametersBegin, kTextBuffer);
}
