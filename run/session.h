// The order of steps of the session operation, apart from the system calls: on the NT
// family the shutdown privilege is enabled in the process token for the request and
// disabled again afterwards, and the token is closed on every path that opened it.
#pragma once

#include <cstdint>

// The system calls the operation makes, one per step.
class SessionPlatform {
  public:
    // False when the version cannot be queried; otherwise `*isNt` tells the platform.
    virtual bool QueryIsNt(bool* isNt) = 0;
    virtual bool OpenToken() = 0;
    virtual bool LookupShutdownPrivilege() = 0;
    virtual bool SetShutdownPrivilege(bool enable) = 0;
    virtual bool RequestEnd(std::uint32_t flags) = 0;
    virtual void CloseToken() = 0;

  protected:
    ~SessionPlatform() = default;
};

// True when the platform accepted the request to end the session. No request is made
// when the version, the token, the privilege's identifier or enabling it fails.
inline bool EndSessionSteps(SessionPlatform& platform, std::uint32_t flags) {
    bool isNt = false;
    if (!platform.QueryIsNt(&isNt)) {
        return false;
    }
    if (!isNt) {
        return platform.RequestEnd(flags);
    }
    if (!platform.OpenToken()) {
        return false;
    }
    if (!platform.LookupShutdownPrivilege() || !platform.SetShutdownPrivilege(true)) {
        platform.CloseToken();
        return false;
    }
    const bool accepted = platform.RequestEnd(flags);
    platform.SetShutdownPrivilege(false);
    platform.CloseToken();
    return accepted;
}
