// The fixture of tests that start zantrel.exe themselves: no other instance, the program's
// registry state removed before, the program ended after (by the Program it holds).
#pragma once

#include <gtest/gtest.h>

#include "harness.h"

namespace e2e {

class ProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(nullptr, FindWindowA("Zantrel", nullptr)) << "a zantrel.exe is still running";
        ClearProgramState();
    }

    // Starts the program (with whatever the test stored) and waits for its window.
    void Start() {
        ASSERT_TRUE(app.Start());
        ASSERT_TRUE(WaitUntil([&] { return (window = app.Window()) != nullptr; }));
    }

    // "&Close", and the program's end with exit code 0.
    void CloseAndWait() {
        PostCommand(window, 2002);  // ID_CLOSE
        DWORD code = 12345;
        ASSERT_TRUE(app.WaitExit(kWaitMs, &code)) << "the program did not end";
        EXPECT_EQ(0u, code);
    }

    // Stores a one-byte setting ("Startup", "Hide") as the program writes it.
    static void SetByte(const char* name, unsigned char value) {
        ASSERT_TRUE(SetValue(HKEY_CURRENT_USER, kMainKey, name, REG_BINARY, &value, 1));
    }

    Program app;
    HWND window = nullptr;
};

}  // namespace e2e
