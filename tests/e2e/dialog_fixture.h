// A started zantrel.exe and its Settings dialog, as the Settings and alias editor tests
// drive them.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "harness.h"
#include "program_test.h"

namespace e2e {

// Command identifiers of the command window and control ids of the dialogs.
constexpr WORD kSettingsCommand = 2004;
namespace settings_id {
constexpr int kHide = 1001, kStay = 1002, kClose = 1003, kStartOnBoot = 1004, kHidden = 1005,
              kOpen = 1006, kList = 1007, kNew = 1008, kEdit = 1009, kDelete = 1010, kHotKey = 1012,
              kClearHistory = 1018, kImport = 1025, kExport = 1026, kHelp = 1031, kStartPath = 1034;
}
namespace editor_id {
constexpr int kName = 1013, kBrowseCommand = 1015, kBrowseStartPath = 1021, kNormal = 1022,
              kMaximized = 1023, kMinimized = 1024, kCommand = 1027, kStartPath = 1034;
}

class DialogTest : public ProgramTest {
  protected:
    // Posts ID_SETTINGS to the command window and waits for the dialog it owns.
    void OpenSettings() {
        PostCommand(window, kSettingsCommand);
        settings = WaitForDialog(app.Pid(), "Zantrel Settings", window);
        ASSERT_NE(nullptr, settings) << "the Settings dialog did not open";
    }

    HWND Item(int id) const { return GetDlgItem(settings, id); }

    // Clicks a button of `dialog` that ends it and waits until it is gone.
    void Close(HWND dialog, int button) {
        Click(GetDlgItem(dialog, button));
        ASSERT_TRUE(WaitGone(dialog)) << "the dialog stayed open after button " << button;
    }

    // Expects a message box owned by `owner` with this text, icon and buttons; answers it
    // with `answer` and waits until it has gone.
    void ExpectMessage(HWND owner, const std::string& text, const char* icon, int answer,
                       const std::vector<int>& buttons = {IDOK}) {
        MessageBoxInfo box;
        ASSERT_TRUE(WaitForMessageBox(app.Pid(), &box, kWaitMs, owner))
            << "no message box: expected \"" << text << "\"";
        EXPECT_EQ("Zantrel", box.title);
        EXPECT_EQ(text, box.text);
        EXPECT_STREQ(icon, IconName(box.icon)) << text;
        EXPECT_EQ(buttons, box.buttons) << text;
        Answer(box, answer);
        ASSERT_TRUE(WaitGone(box.box)) << "the message box stayed: " << text;
    }

    HWND settings = nullptr;
};

}  // namespace e2e
