// The program's state: the settings record, the alias list, the history, the remembered
// picks and the flag that lives beside them. One instance exists for the whole process.
#pragma once

#include <cstdint>

#include "state/alias_list.h"
#include "state/history.h"
#include "state/picks.h"
#include "state/text.h"

// AfterCommand: what the command window does after a successful command. Any value other
// than Hide and Close behaves as Stay.
constexpr std::int32_t kAfterHide = 0;
constexpr std::int32_t kAfterClose = 1;
constexpr std::int32_t kAfterStay = 1002;

// Hot-key control flags, high byte of Settings::HotKey.
constexpr std::uint8_t kHotKeyShift = 0x01;
constexpr std::uint8_t kHotKeyControl = 0x02;
constexpr std::uint8_t kHotKeyAlt = 0x04;
constexpr std::uint8_t kHotKeyExt = 0x08;

struct Settings {
    std::uint8_t Startup;       // start with Windows
    std::uint8_t Hide;          // start with only the tray icon
    std::int32_t AfterCommand;  // kAfterHide, kAfterClose or kAfterStay
    char InstallPath[kTextBuffer];
    std::int32_t LocX;
    std::int32_t LocY;
    std::uint16_t HotKey;  // low byte virtual key, high byte hot-key control flags; 0 none
    char StartPath[kTextBuffer];
};

struct AppState {
    Settings settings{};
    AliasList aliases;
    CommandHistory history{};
    Picks picks{};          // 52 KB, of which only the pages of the pairs in use are ever touched
    bool firstRun = false;  // set when the load found no complete per-user state
};
