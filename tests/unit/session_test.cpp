// The session operation's order of steps over a platform that records each call and
// fails where it is told to.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "run/session.h"
#include "case_name.h"

namespace {

struct Failures {
    bool version = false;
    bool open = false;
    bool lookup = false;
    bool enable = false;
    bool request = false;
};

class RecordingPlatform final : public SessionPlatform {
  public:
    RecordingPlatform(bool isNt, Failures fail) : isNt_(isNt), fail_(fail) {}
    std::string steps;
    int openTokens = 0;

    bool QueryIsNt(bool* isNt) override {
        steps += "version ";
        if (fail_.version) {
            return false;
        }
        *isNt = isNt_;
        return true;
    }
    bool OpenToken() override {
        steps += "open ";
        openTokens += fail_.open ? 0 : 1;
        return !fail_.open;
    }
    bool LookupShutdownPrivilege() override {
        steps += "lookup ";
        return !fail_.lookup;
    }
    bool SetShutdownPrivilege(bool enable) override {
        steps += enable ? "enable " : "disable ";
        return !(enable && fail_.enable);
    }
    bool RequestEnd(std::uint32_t flags) override {
        steps += "request(" + std::to_string(flags) + ") ";
        return !fail_.request;
    }
    void CloseToken() override {
        steps += "close ";
        --openTokens;
    }

  private:
    bool isNt_;
    Failures fail_;
};

struct StepsCase {
    const char* name;
    bool isNt;
    Failures fail;
    bool result;
    const char* steps;  // with flags 1
};

class SessionOrder : public ::testing::TestWithParam<StepsCase> {};

TEST_P(SessionOrder, StepsResultAndTokenClosed) {
    const StepsCase& c = GetParam();
    for (std::uint32_t flags : {0u, 1u, 2u}) {
        SCOPED_TRACE(std::string(c.name) + ", flags " + std::to_string(flags));
        RecordingPlatform platform(c.isNt, c.fail);
        const bool result = EndSessionSteps(platform, flags);
        std::string expected = c.steps;
        const std::string request = "request(1)";
        const size_t at = expected.find(request);
        if (at != std::string::npos) {
            expected.replace(at, request.size(), "request(" + std::to_string(flags) + ")");
        }
        EXPECT_EQ(platform.steps, expected);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(platform.openTokens, 0) << "token left open";
    }
}

Failures Fail(bool version, bool open, bool lookup, bool enable, bool request) {
    Failures f;
    f.version = version;
    f.open = open;
    f.lookup = lookup;
    f.enable = enable;
    f.request = request;
    return f;
}

void PrintTo(const StepsCase& c, std::ostream* os) {
    *os << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    Session, SessionOrder,
    ::testing::Values(
        StepsCase{"nt accepted", true, Fail(false, false, false, false, false), true,
                  "version open lookup enable request(1) disable close "},
        StepsCase{"nt refused", true, Fail(false, false, false, false, true), false,
                  "version open lookup enable request(1) disable close "},
        StepsCase{"token not opened", true, Fail(false, true, false, false, false), false,
                  "version open "},
        StepsCase{"privilege unknown", true, Fail(false, false, true, false, false), false,
                  "version open lookup close "},
        StepsCase{"privilege not enabled", true, Fail(false, false, false, true, false), false,
                  "version open lookup enable close "},
        StepsCase{"version unknown", true, Fail(true, false, false, false, false), false,
                  "version "},
        StepsCase{"other platform accepted", false, Fail(false, false, false, false, false), true,
                  "version request(1) "},
        StepsCase{"other platform refused", false, Fail(false, false, false, false, true), false,
                  "version request(1) "}),
    case_name::By(&StepsCase::name));

}  // namespace
