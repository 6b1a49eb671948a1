// What an entered line comes to before anything is launched: the alias that it names, if
// any, with the text typed after the name, and then each command of the line prepared once
// and for all: its variables expanded, its placeholders filled in, its program found for an
// elevated launch, and held to 260 characters. Nothing is launched until every command of the
// line has been prepared, so that a line with one command too long starts none of them.
#pragma once

#include <cstdint>

#include "run/environment.h"
#include "state/alias_list.h"
#include "state/text.h"

// Show commands handed to the launcher (the values of SW_SHOWNORMAL, SW_SHOWMINIMIZED
// and SW_SHOWMAXIMIZED).
constexpr int kShowNormal = 1;
constexpr int kShowMinimized = 2;
constexpr int kShowMaximized = 3;

// The most commands a line of 260 characters can hold: "*a*a...*a", every other character
// a separator.
constexpr int kMaxCommands = kTextChars / 2 + 1;

// One command, ready to launch.
struct PreparedCommand {
    char text[kTextBuffer];  // the whole command line
    // For an elevated launch, the program and its parameters apart, as offsets into `text`:
    // the program is [programBegin, programEnd), the parameters run from parametersBegin to
    // the end.
    std::uint16_t programBegin;
    std::uint16_t programEnd;
    std::uint16_t parametersBegin;
};

struct CommandLine {
    bool fromAlias;              // the entered text named an alias
    int showCommand;             // the alias's window state, else kShowNormal
    char startDir[kTextBuffer];  // variables expanded
    int count;                   // the commands, in order
    PreparedCommand commands[kMaxCommands];
};

enum class LineProblem {
    kNone,
    kTooLong,         // the line, a command or the start directory exceeds 260 characters
    kProgramUnclear,  // elevated: more than one leading part of a command names a file
};

// Resolves `entered` (a line of more than 260 characters is too long, and no line is cut)
// against `aliases` and prepares each of its commands into `line`; a line
// that is no alias starts in `defaultStartPath`. An alias is the whole line, or its first word
// when the alias's command holds a placeholder (%s, %1 ... %9), the rest of the line then
// being its arguments. `elevated` also finds each command's program. `line` is complete only
// when the result is kNone.
LineProblem PrepareCommandLine(RunnerEnvironment& environment, const AliasList& aliases,
                               const char* defaultStartPath, const char* entered, bool elevated,
                               CommandLine& line);

// The program of a prepared command into `program` and its parameters into `parameters`
// (kTextBuffer bytes each).
void ProgramAndParameters(const PreparedCommand& command, char* program, char* parameters);
