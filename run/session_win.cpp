#include "run/session_win.h"

#include "run/launcher.h"
#include "run/session.h"

namespace {

class Win32SessionPlatform final : public SessionPlatform {
  public:
    explicit Win32SessionPlatform(ExitWindowsFunction exitWindows) : exitWindows_(exitWindows) {}

    bool QueryIsNt(bool* isNt) override {
        OSVERSIONINFOA version;
        ZeroMemory(&version, sizeof version);
        version.dwOSVersionInfoSize = sizeof version;
#if defined(_MSC_VER)
#pragma warning(push)
#pragma warning(disable : 4996)  // the SDK marks the version query deprecated
#endif
        const BOOL queried = GetVersionExA(&version);
#if defined(_MSC_VER)
#pragma warning(pop)
#endif
        if (!queried) {
            return false;
        }
        *isNt = version.dwPlatformId == VER_PLATFORM_WIN32_NT;
        return true;
    }

    bool OpenToken() override {
        return OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                                &token_) != FALSE;
    }

    bool LookupShutdownPrivilege() override {
        ZeroMemory(&privileges_, sizeof privileges_);
        privileges_.PrivilegeCount = 1;
        return LookupPrivilegeValueA(NULL, "SeShutdownPrivilege",
                                     &privileges_.Privileges[0].Luid) != FALSE;
    }

    bool SetShutdownPrivilege(bool enable) override {
        privileges_.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
        return AdjustTokenPrivileges(token_, FALSE, &privileges_, 0, NULL, NULL) != FALSE;
    }

    bool RequestEnd(std::uint32_t flags) override {
        return exitWindows_(flags, 0) != FALSE;
    }

    void CloseToken() override {
        CloseHandle(token_);
        token_ = NULL;
    }

  private:
    ExitWindowsFunction exitWindows_;
    HANDLE token_ = NULL;
    TOKEN_PRIVILEGES privileges_{};
};

}  // namespace

bool SessionCommandWith(std::uint32_t flags, ExitWindowsFunction exitWindows) {
    Win32SessionPlatform platform(exitWindows);
    return EndSessionSteps(platform, flags);
}

bool SessionCommand(std::uint32_t flags) {
    return SessionCommandWith(flags, ExitWindowsEx);
}
