// The rules of the program index over a fake Start menu, App Paths and Applications folder,
// and the reading of desktop.ini.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "programs/program_index.h"
#include "case_name.h"

namespace {

// A world written as lines: "U\Tools\a.lnk" a file (its folders made on the way), "U\Tools\ +h"
// a folder's attributes (+h hidden, +s system, +r=PATH a reparse point that leads to PATH),
// "U\Tools\desktop.ini=TEXT" that file, "HKCU name=program|folder" and "HKLM ..." App Paths
// keys (no '=': no default value; "#": a number; "##": too long), "APPS shown=parsing name".
// U is the user's Start menu, C all users'.
class FakeSystem final : public ProgramSystem {
  public:
    explicit FakeSystem(const std::vector<std::string>& world) {
        for (const std::string& line : world) {
            const size_t eq = line.find('=');
            if (line.compare(0, 5, "APPS ") == 0) {
                store_.push_back({line.substr(5, eq - 5), line.substr(eq + 1)});
            } else if (line.compare(0, 5, "HKCU ") == 0 || line.compare(0, 5, "HKLM ") == 0) {
                appPaths_[line[2] == 'L'].push_back(line.substr(5));
            } else if (line.find("desktop.ini=") != std::string::npos) {
                Entry(line.substr(0, eq), kEntryHidden | kEntrySystem);
                files_[line.substr(0, eq)] = line.substr(eq + 1);
            } else {
                const size_t plus = line.find(" +");
                uint32_t attributes = 0;
                for (size_t i = plus; i != std::string::npos && i < line.size(); ++i) {
                    attributes |= line[i] == 'h'   ? kEntryHidden
                                  : line[i] == 's' ? kEntrySystem
                                  : line[i] == 'r' ? kEntryReparsePoint
                                                   : 0;
                }
                std::string path = line.substr(0, plus);
                if (eq != std::string::npos) {
                    leadsTo_[path.substr(0, path.size() - 1)] = line.substr(eq + 1);
                }
                Entry(path, attributes);
            }
        }
    }

    void ListFolder(const char* path, FolderVisitor& visitor) override {
        for (const auto& entry : entries_) {
            if (entry.first == path &&
                !visitor.Visit({entry.second.name.c_str(), entry.second.attributes})) {
                return;
            }
        }
    }
    bool IdentifyFolder(const char* path, FolderIdentity* identity) override {
        const auto link = leadsTo_.find(path);
        *identity = {std::hash<std::string>()(link != leadsTo_.end() ? link->second : path), 1};
        return true;
    }
    size_t ReadFile(const char* path, void* bytes, size_t capacity) override {
        const std::string& text = files_[path];
        const size_t n = std::min(capacity, text.size());
        std::memcpy(bytes, text.data(), n);
        return n;
    }
    bool LoadIndirectString(const char* reference, char* text, size_t capacity) override {
        if (std::string(reference) != "@res.dll,-1") {
            return false;
        }
        CopyText(text, "From Resource", capacity);
        return true;
    }
    bool TextFromUtf8(const char* utf8, char* text, size_t capacity) override {
        CopyText(text, utf8, capacity);
        return true;
    }
    void ListAppPaths(bool machine, AppPathVisitor& visitor) override {
        for (const std::string& key : appPaths_[machine]) {
            const size_t eq = key.find('='), bar = key.find('|');
            const std::string name = key.substr(0, eq), program = key.substr(eq + 1, bar - eq - 1),
                              folder = bar == std::string::npos ? "" : key.substr(bar + 1);
            const RegText value = eq == std::string::npos ? RegText{RegTextKind::kMissing, nullptr}
                                  : program == "#"  ? RegText{RegTextKind::kNotString, nullptr}
                                  : program == "##" ? RegText{RegTextKind::kTooLong, nullptr}
                                                    : RegText{RegTextKind::kText, program.c_str()};
            visitor.Visit({name.c_str(), value, {RegTextKind::kText, folder.c_str()}});
        }
    }
    void ListStoreApps(StoreAppVisitor& visitor) override {
        for (const auto& item : store_) {
            visitor.Visit({item.first.c_str(), item.second.c_str()});
        }
    }
    bool Cancelled() override { return false; }

  private:
    struct Item {
        std::string name;
        uint32_t attributes;
    };
    // Adds `path` (a folder when it ends in '\') to its folder, and the folders above it.
    void Entry(std::string path, uint32_t attributes) {
        if (path.back() == '\\') {
            path.pop_back();
            attributes |= kEntryFolder;
        }
        const size_t slash = path.rfind('\\');
        if (slash == std::string::npos) {
            return;
        }
        Entry(path.substr(0, slash + 1), 0);
        const auto known = known_.emplace(path, entries_.size());
        if (!known.second) {
            entries_[known.first->second].second.attributes |= attributes;
            return;
        }
        entries_.push_back({path.substr(0, slash), {path.substr(slash + 1), attributes}});
    }

    std::vector<std::pair<std::string, Item>> entries_;  // by folder, in listing order
    std::map<std::string, size_t> known_;                // entries_ by path
    std::map<std::string, std::string> files_, leadsTo_;
    std::vector<std::string> appPaths_[2];
    std::vector<std::pair<std::string, std::string>> store_;
};

// "name = source:target in folder", "(uninstall)" added for an uninstaller.
std::string Describe(const ProgramIndex* index, int i) {
    static const char* const kSources[] = {"user", "common", "hkcu", "hklm", "store"};
    char target[kTextBuffer];
    ProgramTarget(index, i, target, sizeof(target));
    std::string text = std::string(ProgramName(index, i)) + " = " +
                       kSources[static_cast<int>(ProgramSourceOf(index, i))] + ":" + target;
    if (ProgramStartFolder(index, i)[0] != '\0') {
        text += std::string(" in ") + ProgramStartFolder(index, i);
    }
    return text + (ProgramIsUninstaller(index, i) ? " (uninstall)" : "");
}

struct IndexCase {
    const char* title;
    std::vector<std::string> world;
    std::vector<std::string> expected;  // the first programs, in order
    int count;                          // of all programs; -1: as many as expected
};

class ProgramIndexRules : public ::testing::TestWithParam<IndexCase> {};

TEST_P(ProgramIndexRules, FindTheProgramsStartShows) {
    const IndexCase& c = GetParam();
    FakeSystem system(c.world);
    ProgramIndex* index = BuildProgramIndex(system, {"U", "C", "U\\Startup", "C\\Startup"});
    ASSERT_NE(index, nullptr);
    std::vector<std::string> found;
    for (int i = 0; i < ProgramCount(index) && found.size() < c.expected.size(); ++i) {
        found.push_back(Describe(index, i));
    }
    EXPECT_EQ(found, c.expected);
    EXPECT_EQ(ProgramCount(index), c.count < 0 ? static_cast<int>(c.expected.size()) : c.count);
    const std::string& first = c.expected.empty() ? "" : c.expected[0];
    EXPECT_EQ(FindProgram(index, first.substr(0, first.find(" = ")).c_str()),
              first.empty() ? -1 : 0);
    FreeProgramIndex(index);
}

std::vector<std::string> ManyShortcuts() {
    std::vector<std::string> world;
    for (int i = 0; i < kMaxPrograms + 10; ++i) {
        world.push_back("U\\Many\\p" + std::to_string(i) + ".lnk");
    }
    world.push_back("HKCU late.exe=C:\\late.exe");
    return world;
}

const std::string kLong(254, 'x');  // "U\" + this + ".lnk": 260 bytes

INSTANTIATE_TEST_SUITE_P(
    Table, ProgramIndexRules,
    ::testing::Values(
        IndexCase{
            "Shortcut names without their ending, each folder before those it holds",
            {"U\\Tools\\t.lnk", "U\\a.lnk", "U\\B.URL", "U\\c.appref-ms", "U\\d.exe", "U\\.lnk"},
            {"a = user:U\\a.lnk", "B = user:U\\B.URL", "c = user:U\\c.appref-ms",
             "t = user:U\\Tools\\t.lnk"},
            -1},
        IndexCase{"Names from desktop.ini, else the file name",
                  {"C\\T\\plain.lnk", "C\\T\\res.lnk", "C\\T\\gone.lnk", "C\\T\\long.lnk",
                   "C\\T\\other.lnk",
                   "C\\T\\desktop.ini=[LocalizedFileNames]\r\nPLAIN.lnk=Plain "
                   "Name\r\nres.lnk=@res.dll,-1\r\n"
                   "gone.lnk=@res.dll,-2\r\nlong.lnk=" +
                       std::string(261, 'n')},
                  {"Plain Name = common:C\\T\\plain.lnk", "From Resource = common:C\\T\\res.lnk",
                   "gone = common:C\\T\\gone.lnk", "long = common:C\\T\\long.lnk",
                   "other = common:C\\T\\other.lnk"},
                  -1},
        IndexCase{"Hidden and system entries skipped with all they hold, and the Startup folders",
                  {"U\\H\\ +h", "U\\H\\in.lnk", "U\\S\\ +s", "U\\S\\in.lnk", "U\\h.lnk +h",
                   "U\\s.lnk +s", "U\\Startup\\u.lnk", "C\\Startup\\c.lnk", "C\\ok.lnk"},
                  {"ok = common:C\\ok.lnk"},
                  -1},
        IndexCase{"Paths over 260 bytes skipped",
                  {"U\\" + kLong + ".lnk", "U\\" + kLong + "y.lnk", "U\\" + kLong + "\\z.lnk"},
                  {kLong + " = user:U\\" + kLong + ".lnk"},
                  -1},
        IndexCase{"Reparse points followed unless they lead back up",
                  {"U\\A\\Loop\\ +r=U", "U\\A\\Loop\\l.lnk", "U\\Far\\ +r=X", "U\\Far\\f.lnk"},
                  {"f = user:U\\Far\\f.lnk"},
                  -1},
        IndexCase{"Equal names once: the user's first, shortcuts before App Paths",
                  {"C\\code.lnk", "U\\Code.lnk", "C\\Only.lnk", "HKLM only.exe=C:\\o.exe",
                   "HKLM Tool.exe=C:\\m.exe", "HKCU TOOL.EXE=C:\\u.exe"},
                  {"Code = user:U\\Code.lnk", "Only = common:C\\Only.lnk", "TOOL = hkcu:C:\\u.exe"},
                  -1},
        IndexCase{"App Paths without .exe, only with a default string",
                  {"HKCU chrome.exe= \"C:\\Chrome\\chrome.exe\" |C:\\Chrome", "HKCU none.exe",
                   "HKCU empty.exe=", "HKCU quotes.exe=\"\"", "HKCU number.exe=#",
                   "HKLM long.exe=##", "HKLM plain=C:\\p.exe|"},
                  {"chrome = hkcu:C:\\Chrome\\chrome.exe in C:\\Chrome", "plain = hklm:C:\\p.exe"},
                  -1},
        IndexCase{"Store apps by their AppUserModelID",
                  {"APPS Calculator=Microsoft.WindowsCalculator_8wekyb3d8bbwe!App",
                   "APPS Paint=C:\\Windows\\mspaint.exe", "APPS NoPublisher=Foo!App",
                   "APPS Short=Foo_8wekyb3d8bbw!App", "APPS NoApp=Foo_8wekyb3d8bbwe!"},
                  {"Calculator = store:Microsoft.WindowsCalculator_8wekyb3d8bbwe!App"},
                  -1},
        IndexCase{"Uninstallers flagged",
                  {"U\\Uninstall Foo.lnk", "U\\UNINSTALLER.lnk", "U\\Foo Uninstall.lnk"},
                  {"Uninstall Foo = user:U\\Uninstall Foo.lnk (uninstall)",
                   "UNINSTALLER = user:U\\UNINSTALLER.lnk (uninstall)",
                   "Foo Uninstall = user:U\\Foo Uninstall.lnk"},
                  -1},
        IndexCase{
            "The first 4096 kept", ManyShortcuts(), {"p0 = user:U\\Many\\p0.lnk"}, kMaxPrograms}),
    case_name::By(&IndexCase::title));

// desktop.ini as bytes, the file looked up, the name given ("" for too long); null: none.
struct IniCase {
    const char* title;
    std::string bytes;
    const char* file;
    const char* name;
};

std::string Utf16(const std::u16string& text) {
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

class DesktopIni : public ::testing::TestWithParam<IniCase> {};

TEST_P(DesktopIni, GivesTheLocalizedName) {
    const IniCase& c = GetParam();
    LocalizedName names[4];
    const int count = ReadLocalizedNames(c.bytes.data(), c.bytes.size(), names, 4);
    const char* found = nullptr;
    for (int i = count - 1; i >= 0; --i) {
        found = std::string(names[i].file) == c.file ? names[i].name : found;
    }
    EXPECT_EQ(found == nullptr ? "(none)" : std::string(found),
              c.name == nullptr ? "(none)" : c.name);
}

INSTANTIATE_TEST_SUITE_P(
    Table, DesktopIni,
    ::testing::Values(
        IniCase{"UTF-16", Utf16(u"[LocalizedFileNames]\r\na.lnk=\u0411\u043b\U0001F600\r\n"),
                "a.lnk", "\xD0\x91\xD0\xBB\xF0\x9F\x98\x80"},
        IniCase{"UTF-16 lone surrogate, odd end",
                Utf16(u"[LocalizedFileNames]\na.lnk=X\xD800") + "\x41", "a.lnk", "X\xEF\xBF\xBD"},
        IniCase{"UTF-8 with mark", "\xEF\xBB\xBF[LocalizedFileNames]\na.lnk=\xC3\xA9", "a.lnk",
                "\xC3\xA9"},
        IniCase{"Legacy code page", "[LocalizedFileNames]\na.lnk=\xE9t\xE9", "a.lnk",
                "\xC3\xA9t\xC3\xA9"},
        IniCase{"Other sections ignored",
                "[.ShellClassInfo]\na.lnk=No\n[LocalizedFileNames]\nb.lnk=Y", "a.lnk", nullptr},
        IniCase{"Section in any case, spaces and quotes dropped",
                "[ localizedfilenames ]\n  a.lnk\t=  \"Quoted Name\"  \n", "a.lnk", "Quoted Name"},
        IniCase{"Comments and lines without = ignored, first entry kept",
                "[LocalizedFileNames]\n;a.lnk=Comment\na.lnk\na.lnk=First\na.lnk=Second", "a.lnk",
                "First"},
        IniCase{"Name over 260 bytes", "[LocalizedFileNames]\r\na.lnk=" + std::string(261, 'n'),
                "a.lnk", ""},
        IniCase{"Line over 1024 bytes ignored",
                "[LocalizedFileNames]\ra.lnk=" + std::string(1100, 'n') + "\ra.lnk=Short", "a.lnk",
                "Short"}),
    case_name::By(&IniCase::title));

}  // namespace
