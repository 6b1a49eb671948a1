// The command history: slot 0 the most recent, only slot 0 compared, 20 slots. The picks:
// the most recent first, one a typed text, at most 100.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "case_name.h"
#include "state/history.h"
#include "state/picks.h"

namespace {

std::vector<std::string> Slots(const CommandHistory& h, int count) {
    std::vector<std::string> slots;
    for (int i = 0; i < count; ++i) {
        slots.push_back(h.Slots[i]);
    }
    return slots;
}

struct AddCase {
    const char* title;
    std::vector<std::string> added;
    std::vector<std::string> expected;  // slots 0.. ; the rest must be empty
    int moved;                          // the adds that moved the slots
};

void PrintTo(const AddCase& c, std::ostream* os) {
    *os << c.title;
}

class HistoryAdd : public testing::TestWithParam<AddCase> {};

TEST_P(HistoryAdd, Slots) {
    const AddCase& c = GetParam();
    CommandHistory h{};
    int moved = 0;
    for (const std::string& text : c.added) {
        moved += AddToHistory(h, text.c_str()) ? 1 : 0;
    }
    EXPECT_EQ(Slots(h, static_cast<int>(c.expected.size())), c.expected) << c.title;
    EXPECT_EQ(moved, c.moved);
    for (int i = static_cast<int>(c.expected.size()); i < kHistorySlots; ++i) {
        EXPECT_STREQ(h.Slots[i], "") << c.title << ", slot " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, HistoryAdd,
    testing::Values(
        AddCase{"same text twice", {"notepad", "notepad"}, {"notepad"}, 1},
        AddCase{
            "same text in another case keeps the first", {"notepad", "NOTEPAD"}, {"notepad"}, 1},
        AddCase{"only slot 0 is compared", {"a", "b", "a"}, {"a", "b", "a"}, 3},
        AddCase{
            "other case below the top is added", {"Calc", "x", "calc"}, {"calc", "x", "Calc"}, 3},
        AddCase{"empty text into an empty history changes nothing", {""}, {}, 0}),
    case_name::By(&AddCase::title));

TEST(History, TwentyOneEntriesDropTheOldest) {
    CommandHistory h{};
    for (int i = 1; i <= 21; ++i) {
        AddToHistory(h, ("cmd" + std::to_string(i)).c_str());
    }
    EXPECT_STREQ(h.Slots[0], "cmd21");
    EXPECT_STREQ(h.Slots[19], "cmd2");
    for (int i = 0; i < kHistorySlots; ++i) {
        EXPECT_EQ(std::string(h.Slots[i]), "cmd" + std::to_string(21 - i)) << "slot " << i;
    }
}

TEST(History, LongTextCutTo260) {
    CommandHistory h{};
    const std::string text(300, 'x');
    AddToHistory(h, text.c_str());
    EXPECT_EQ(std::string(h.Slots[0]), text.substr(0, 260));
}

TEST(History, EmptySlotBetweenFilledOnesMovesDownWithThem) {
    CommandHistory h{};
    CopyText(h.Slots[0], "zero", sizeof(h.Slots[0]));
    CopyText(h.Slots[2], "two", sizeof(h.Slots[2]));
    AddToHistory(h, "new");
    EXPECT_EQ(Slots(h, 4), (std::vector<std::string>{"new", "zero", "", "two"}));
}

TEST(History, AddingASlotOfItsOwnTakesTheTextBeforeMoving) {
    CommandHistory h{};
    AddToHistory(h, "old");
    AddToHistory(h, "top");
    AddToHistory(h, h.Slots[1]);
    EXPECT_EQ(Slots(h, 3), (std::vector<std::string>{"old", "top", "old"}));
}

TEST(History, EmptyClearsEveryByte) {
    CommandHistory h;
    std::memset(&h, 'x', sizeof(h));
    EmptyHistory(h);
    const CommandHistory zero{};
    EXPECT_EQ(std::memcmp(&h, &zero, sizeof(h)), 0);
}

using Pairs = std::vector<std::pair<std::string, std::string>>;

TEST(Picks, RememberedFoundAndCleared) {
    const std::string k260(260, 'x'), k261(261, 'x');
    Pairs full, newest;  // t1 remembered first; the list then holds t100 down to t1
    for (int i = 1; i <= 100; ++i) {
        full.push_back({"t" + std::to_string(i), "e" + std::to_string(i)});
        newest.insert(newest.begin(), full.back());
    }
    const auto With = [](Pairs list, Pairs::value_type pair, bool atEnd) {
        list.insert(atEnd ? list.end() : list.begin(), pair);
        return list;
    };
    const struct {
        const char* title;
        Pairs remembered, expected;  // in the order remembered; most recent first
        const char *find, *found;
    } cases[] = {
        {"most recent first; the same text in another case replaces its pair",
         {{"calc", "c1"}, {"x", "y"}, {"CALC", "c2"}},
         {{"CALC", "c2"}, {"x", "y"}},
         "calc",
         "c2"},
        {"empty or longer than a line refused",
         {{"", "e"}, {"t", ""}, {k261, "e"}, {"t", k261}, {k260, "260"}},
         {{k260, "260"}},
         "t",
         nullptr},
        {"the 101st drops the oldest", With(full, {"t101", "e101"}, true),
         With({newest.begin(), newest.end() - 1}, {"t101", "e101"}, false), "t1", nullptr},
        {"a text of a full list moves up and none goes", With(full, {"T1", "new"}, true),
         With({newest.begin(), newest.end() - 1}, {"T1", "new"}, false), "t1", "new"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        Picks picks{};
        for (const auto& pick : c.remembered) {
            RememberPick(picks, pick.first.c_str(), pick.second.c_str());
        }
        Pairs list;
        for (int i = 0; i < picks.count; ++i) {
            list.push_back({picks.items[i].typed, picks.items[i].entry});
        }
        EXPECT_EQ(list, c.expected);
        EXPECT_STREQ(FindPick(picks, c.find), c.found);
        ClearPicks(picks);
        EXPECT_EQ(picks.count, 0);
        EXPECT_STREQ(picks.items[0].typed, "") << "a cleared text stays in memory";
    }
}

}  // namespace
