// Keeps the settings, the aliases, the history and the picks in the registry.
//
// HKCU\Software\Corvath Software\Zantrel          settings values
//                                  \Alias         A%d, C%d, P%d, W%d per alias, gap-free
//                                  \History       "0".."19"
//                                  \Picks         "0".."99", most recent first, each a
//                                                 REG_MULTI_SZ: typed text, entry; gaps
//                                                 skipped (earlier versions have no key)
// HKLM\Software\Corvath Software\Zantrel "Path"   install folder, read only
// HKCU\Software\Microsoft\Windows\CurrentVersion\Run "Zantrel"  while Startup is set
#pragma once

#include <cstdint>

#include "state/registry.h"
#include "state/settings.h"

extern const char kMainKeyPath[];
extern const char kAliasKeyPath[];
extern const char kHistoryKeyPath[];
extern const char kPicksKeyPath[];
extern const char kRunKeyPath[];
extern const char kRunValueName[];

// The web address that the first-run alias "corvath software" opens.
extern const char kMakerAddress[];

// Everything to defaults: settings, history, no picks, an empty alias list, the flags cleared.
// StartPath becomes the drive of `windowsDirectory` followed by ":\".
void ResetState(AppState& state, const char* windowsDirectory);

// Reads settings, aliases, history and picks. False (a first start) when the main key, the
// alias key or the history key is missing; a registry of an earlier version has no picks.
// InstallPath comes from the machine-wide "Path" value, or is `exeFolder` (the folder of the
// running program) when that value cannot be read.
bool LoadState(Registry& registry, AppState& state, const char* exeFolder);

// Writes the whole state. False when any registry call of the save failed (deleting a
// value that is already absent is no failure). When the main key cannot be created nothing
// is written; after any later failure the save goes on and stores all it can.
bool SaveState(Registry& registry, const AppState& state);

// Start-up: ResetState, LoadState and, on a first start, the two default aliases and the
// first-run flag. The hot key is registered by the caller.
void ResetAndLoad(Registry& registry, AppState& state, const char* windowsDirectory,
                  const char* exeFolder);

// Hot-key control flags (high byte of HotKey) to RegisterHotKey modifiers:
// Shift -> MOD_SHIFT (4), Control -> MOD_CONTROL (2), Alt -> MOD_ALT (1), others nothing.
unsigned HotKeyModifiers(std::uint8_t flags);
