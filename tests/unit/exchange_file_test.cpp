// The alias exchange file: exact bytes written, what an import adds, and how it copes with
// files that other programs or people wrote.
#include "state/exchange_file.h"
#include "case_name.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Alias {
    std::string name;
    std::string command;
    std::string startPath;
    std::uint32_t state;
    bool operator==(const Alias& o) const {
        return name == o.name && command == o.command && startPath == o.startPath &&
               state == o.state;
    }
};

std::ostream& operator<<(std::ostream& os, const Alias& a) {
    return os << "{\"" << a.name << "\", \"" << a.command << "\", \"" << a.startPath << "\", "
              << a.state << "}";
}

std::vector<Alias> Aliases(const AliasList& list) {
    std::vector<Alias> result;
    for (const AliasRecord* r = FirstAlias(list); r != nullptr; r = r->Next) {
        result.push_back({r->Name, r->Command, r->StartPath, r->WindowState});
    }
    return result;
}

void Fill(AliasList& list, const std::vector<Alias>& aliases) {
    for (const Alias& a : aliases) {
        ASSERT_TRUE(AddAlias(list, a.name.c_str(), a.command.c_str(), a.startPath.c_str(), a.state))
            << a;
    }
}

// Shows control bytes so that a failed byte comparison can be read.
std::string Visible(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        char hex[8];
        if (c == '\r') {
            out += "\\r";
        } else if (c == '\n') {
            out += "\\n";
        } else if (c < 0x20 || c >= 0x7F) {
            std::snprintf(hex, sizeof(hex), "\\x%02X", c);
            out += hex;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

class ExchangeFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char pattern[] = "/tmp/zantrel-xchg-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir_ = pattern;
    }
    void TearDown() override {
        std::string command = "rm -rf '" + dir_ + "'";
        ASSERT_EQ(std::system(command.c_str()), 0);
    }

    std::string PathOf(const std::string& name) const { return dir_ + "/" + name; }

    std::string Write(const std::string& bytes, const std::string& name = "aliases.dat") {
        std::string path = PathOf(name);
        std::FILE* f = std::fopen(path.c_str(), "wb");
        EXPECT_NE(f, nullptr) << path;
        if (f != nullptr) {
            std::fwrite(bytes.data(), 1, bytes.size(), f);
            std::fclose(f);
        }
        return path;
    }

    static bool Exists(const std::string& path) {
        struct stat st;
        return stat(path.c_str(), &st) == 0;
    }

    static std::string Read(const std::string& path) {
        std::string bytes;
        std::FILE* f = std::fopen(path.c_str(), "rb");
        if (f == nullptr) {
            return "<missing>";
        }
        int c;
        while ((c = std::fgetc(f)) != EOF) {
            bytes += static_cast<char>(c);
        }
        std::fclose(f);
        return bytes;
    }

    bool Import(AliasList& list, const std::string& bytes) {
        return ImportAliases(list, Write(bytes).c_str());
    }

    std::string dir_;
};

const std::string kHead = "Zantrel Alias Data\r\nVersion 1.23";

// One record as the export writes it, with its leading line break.
std::string Record(int number, const Alias& a) {
    return "\r\n[Alias " + std::to_string(number) + "]\r\n" + a.name + "\r\n" + a.command + "\r\n" +
           a.startPath + "\r\n" + std::to_string(a.state);
}

const Alias kEd{"ed", "notepad.exe", "C:\\", 1};
const Alias kCalc{"calc", "calc.exe", "C:\\Windows", 0};

// --- Export: the bytes written --------------------------------------------------------------

struct ExportCase {
    const char* label;
    std::vector<Alias> aliases;
    std::string bytes;
};

void PrintTo(const ExportCase& c, std::ostream* os) {
    *os << c.label;
}

class ExportBytesTest : public ExchangeFileTest,
                        public ::testing::WithParamInterface<ExportCase> {};

TEST_P(ExportBytesTest, WritesExactBytes) {
    const ExportCase& c = GetParam();
    AliasList list;
    Fill(list, c.aliases);
    // An existing, longer file is emptied first.
    std::string path = Write(std::string(5000, 'z'));
    ASSERT_TRUE(ExportAliases(list, path.c_str()));
    std::string written = Read(path);
    EXPECT_EQ(Visible(written), Visible(c.bytes));
    EXPECT_EQ(written.size(), c.bytes.size());
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, ExportBytesTest,
    ::testing::Values(ExportCase{"empty", {}, "Zantrel Alias Data\r\nVersion 1.23"},
                      ExportCase{
                          "two_aliases",
                          {kEd, kCalc},
                          "Zantrel Alias Data\r\nVersion 1.23\r\n[Alias 0]\r\ned\r\nnotepad.exe\r\n"
                          "C:\\\r\n1\r\n[Alias 1]\r\ncalc\r\ncalc.exe\r\nC:\\Windows\r\n0"},
                      ExportCase{"texts_as_stored",
                                 {{" a b ", "", "\tx ", 4294967295u}},
                                 kHead + "\r\n[Alias 0]\r\n a b \r\n\r\n\tx \r\n4294967295"}),
    [](const ::testing::TestParamInfo<ExportCase>& info) { return info.param.label; });

TEST_F(ExchangeFileTest, EmptyListIsExactly32Bytes) {
    AliasList list;
    std::string path = PathOf("empty.dat");
    ASSERT_TRUE(ExportAliases(list, path.c_str()));
    EXPECT_EQ(Read(path).size(), 32u);
}

TEST_F(ExchangeFileTest, MarkersNumberEveryAliasFromZero) {
    AliasList list;
    std::string expected = kHead;
    for (int i = 0; i < 12; ++i) {
        Alias a{"n" + std::to_string(i), "c", "p", static_cast<std::uint32_t>(i)};
        Fill(list, {a});
        expected += Record(i, a);
    }
    std::string path = PathOf("twelve.dat");
    ASSERT_TRUE(ExportAliases(list, path.c_str()));
    EXPECT_EQ(Visible(Read(path)), Visible(expected));
}

// --- Round trip -----------------------------------------------------------------------------

TEST_F(ExchangeFileTest, ExportThenImportGivesTheSameAliasesInOrder) {
    const std::vector<Alias> aliases = {
        kEd,
        kCalc,
        {"min", "a.exe * b.exe", "D:\\with space\\", 2},
        {"five", "x", "y", 5},
        {"all bits", "x", "y", 4294967295u},
        {"empties", "", "", 0},
        {"sixteen-letters!", std::string(260, 'c'), std::string(260, 'p'), 3},
        {"cr\rinside", "ends with cr\r", "\rstarts with cr", 7},
        {"  spaced  ", "  cmd  ", "  path  ", 1},
        {"\xCE\xA9\xCE\xBC\xCE\xAD\xCE\xB3\xCE\xB1", "\xE6\x96\x87.exe", "C:\\\xE6\x96\x87", 0},
        {"g", "https://search.example/?q=%s*ssh.exe %1 %9", "%USERPROFILE%", 0},
    };
    AliasList source;
    Fill(source, aliases);
    std::string path = PathOf("round trip.dat");
    ASSERT_TRUE(ExportAliases(source, path.c_str()));

    AliasList target;
    ASSERT_TRUE(ImportAliases(target, path.c_str()));
    EXPECT_EQ(Aliases(target), aliases);
}

TEST_F(ExchangeFileTest, ImportAddsOnlyNewNamesAfterExistingAliases) {
    AliasList source;
    Fill(source, {{"ed", "notepad.exe", "C:\\", 1},
                  {"calc", "calc.exe", "C:\\Windows", 0},
                  {"Paint", "mspaint.exe", "C:\\", 2},
                  {"web", "http://x", "", 0}});
    std::string path = PathOf("some.dat");
    ASSERT_TRUE(ExportAliases(source, path.c_str()));

    AliasList target;
    Fill(target,
         {{"CALC", "mine.exe", "E:\\", 2}, {"first", "f.exe", "", 0}, {"paint", "", "", 1}});
    ASSERT_TRUE(ImportAliases(target, path.c_str()));
    const std::vector<Alias> expected = {{"CALC", "mine.exe", "E:\\", 2},
                                         {"first", "f.exe", "", 0},
                                         {"paint", "", "", 1},
                                         {"ed", "notepad.exe", "C:\\", 1},
                                         {"web", "http://x", "", 0}};
    EXPECT_EQ(Aliases(target), expected);
}

// --- Import: the header ---------------------------------------------------------------------

struct HeaderCase {
    const char* label;
    std::string bytes;
    bool result;
};

void PrintTo(const HeaderCase& c, std::ostream* os) {
    *os << c.label;
}

class ImportHeaderTest : public ExchangeFileTest,
                         public ::testing::WithParamInterface<HeaderCase> {};

TEST_P(ImportHeaderTest, ResultAndNothingAdded) {
    const HeaderCase& c = GetParam();
    AliasList list;
    Fill(list, {kEd});
    EXPECT_EQ(Import(list, c.bytes), c.result) << Visible(c.bytes);
    EXPECT_EQ(Aliases(list), std::vector<Alias>{kEd});
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, ImportHeaderTest,
    ::testing::Values(
        HeaderCase{"other_case", "zantrel alias data\r\nVersion 1.23" + Record(0, kCalc), false},
        HeaderCase{"empty_file", "", false},
        HeaderCase{"trailing_spaces", "Zantrel Alias Data  \r\nVersion 1.23" + Record(0, kCalc),
                   false},
        HeaderCase{"leading_space", " " + kHead + Record(0, kCalc), false},
        HeaderCase{"lone_cr_at_end", "Zantrel Alias Data\r", false},
        HeaderCase{"ctrl_z_first", "\x1A" + kHead + Record(0, kCalc), false},
        HeaderCase{
            "header_over_99",
            "Zantrel Alias Data" + std::string(100, ' ') + "\r\nVersion 1.23" + Record(0, kCalc),
            false},
        HeaderCase{"header_cut_at_99_matches_nothing",
                   std::string(99, 'x') + "Zantrel Alias Data\r\nVersion 1.23", false},
        HeaderCase{"only_header", "Zantrel Alias Data", true},
        HeaderCase{"only_header_crlf", "Zantrel Alias Data\r\n", true},
        HeaderCase{"only_header_lf", "Zantrel Alias Data\n", true},
        HeaderCase{"header_and_version", kHead, true},
        HeaderCase{"header_and_version_crlf", kHead + "\r\n", true},
        HeaderCase{"header_ctrl_z", "Zantrel Alias Data\x1A" + Record(0, kCalc), true},
        HeaderCase{"duplicate_only", kHead + Record(0, {"ED", "other", "", 2}), true}),
    [](const ::testing::TestParamInfo<HeaderCase>& info) { return info.param.label; });

// --- Import: what the records give ----------------------------------------------------------

struct ImportCase {
    const char* label;
    std::string bytes;
    std::vector<Alias> added;
};

void PrintTo(const ImportCase& c, std::ostream* os) {
    *os << c.label;
}

class ImportRecordsTest : public ExchangeFileTest,
                          public ::testing::WithParamInterface<ImportCase> {};

TEST_P(ImportRecordsTest, AddsExactlyTheCompleteRecords) {
    const ImportCase& c = GetParam();
    AliasList list;
    EXPECT_TRUE(Import(list, c.bytes)) << Visible(c.bytes);
    EXPECT_EQ(Aliases(list), c.added) << Visible(c.bytes);
}

std::string CaseName(const ::testing::TestParamInfo<ImportCase>& info) {
    return info.param.label;
}

std::string Lf(std::string crlf) {
    std::string out;
    for (std::size_t i = 0; i < crlf.size(); ++i) {
        if (!(crlf[i] == '\r' && i + 1 < crlf.size() && crlf[i + 1] == '\n')) {
            out += crlf[i];
        }
    }
    return out;
}

const std::string kTwo = kHead + Record(0, kEd) + Record(1, kCalc);
const std::string k20 = "abcdefghijklmnopqrst";
const std::string k261 = std::string(260, 'c') + "X";

INSTANTIATE_TEST_SUITE_P(
    Variants, ImportRecordsTest,
    ::testing::Values(
        ImportCase{"as_exported", kTwo, {kEd, kCalc}},
        ImportCase{"other_version",
                   "Zantrel Alias Data\r\nVersion 9.99" + Record(0, kEd) + Record(1, kCalc),
                   {kEd, kCalc}},
        ImportCase{"marker_x",
                   kHead + "\r\nx\r\ned\r\nnotepad.exe\r\nC:\\\r\n1" + Record(1, kCalc),
                   {kEd, kCalc}},
        ImportCase{"marker_alias_7", kHead + Record(7, kEd) + Record(7, kCalc), {kEd, kCalc}},
        ImportCase{"empty_marker", kHead + "\r\n\r\ned\r\nnotepad.exe\r\nC:\\\r\n1", {kEd}},
        ImportCase{"lf_only", Lf(kTwo), {kEd, kCalc}},
        ImportCase{"mixed_breaks", Lf(kHead + Record(0, kEd)) + Record(1, kCalc), {kEd, kCalc}},
        ImportCase{"lone_cr_is_text",
                   kHead + "\r\n[Alias 0]\r\na\rb\r\nc\r\r\n\rd\r\n2",
                   {{"a\rb", "c\r", "\rd", 2}}},
        ImportCase{"duplicate_in_file_skipped",
                   kHead + Record(0, kEd) + Record(1, {"ED", "x", "y", 2}) + Record(2, kCalc),
                   {kEd, kCalc}},
        ImportCase{"session_command_names_skipped",
                   kHead + Record(0, {"!Shutdown", "x", "", 0}) + Record(1, kEd) +
                       Record(2, {"!REBOOT", "x", "", 0}) + Record(3, {"!logoff", "x", "", 0}) +
                       Record(4, {"!logoff2", "x", "", 0}),
                   {kEd, {"!logoff2", "x", "", 0}}}),
    CaseName);

INSTANTIATE_TEST_SUITE_P(
    CtrlZ, ImportRecordsTest,
    ::testing::Values(
        ImportCase{
            "after_last_state", kTwo + "\x1A" + Record(2, {"late", "x", "y", 0}), {kEd, kCalc}},
        ImportCase{"inside_second_record",
                   kHead + Record(0, kEd) + "\r\n[Alias 1]\r\nca\x1Alc\r\ncalc.exe\r\nC:\\\r\n0",
                   {kEd}},
        ImportCase{"inside_a_state",
                   kHead + Record(0, kEd) +
                       "\r\n[Alias 1]\r\nc\r\nd\r\ne\r\n4\x1A"
                       "2",
                   {kEd, {"c", "d", "e", 4}}},
        ImportCase{"between_cr_and_lf",
                   kHead + Record(0, kEd) + "\r\x1A\n" + Record(1, kCalc),
                   {{"ed", "notepad.exe", "C:\\", 1}}}),
    CaseName);

// State lines, each followed by a line break and one more record so that it is complete.
ImportCase StateCase(const char* label, const std::string& line, std::uint32_t state) {
    return ImportCase{label,
                      kHead + "\r\n[Alias 0]\r\ns\r\nc\r\np\r\n" + line + Record(1, kCalc),
                      {{"s", "c", "p", state}, kCalc}};
}

INSTANTIATE_TEST_SUITE_P(
    States, ImportRecordsTest,
    ::testing::Values(
        StateCase("two", "2", 2), StateCase("one_with_junk", " 1x", 1), StateCase("empty", "", 0),
        StateCase("letters", "abc", 0), StateCase("minus_one", "-1", 4294967295u),
        StateCase("all_bits", "4294967295", 4294967295u), StateCase("wraps", "4294967296", 0),
        StateCase("plus", "+7", 7), StateCase("tab_then_digits", "\t\v\f 3", 3),
        StateCase("sign_then_space", "- 1", 0), StateCase("trailing_cr", "5\r", 5),
        StateCase("cut_at_99", std::string(98, ' ') + "73", 7),
        StateCase("long_line", std::string(97, ' ') + "42" + std::string(300, '9'), 42)),
    CaseName);

// Over-long lines are read whole; only the field's length is kept.
INSTANTIATE_TEST_SUITE_P(
    LongLines, ImportRecordsTest,
    ::testing::Values(
        ImportCase{"name_of_20",
                   kHead + Record(0, {k20, "cmd", "path", 2}) + Record(1, kCalc),
                   {{"abcdefghijklmnop", "cmd", "path", 2}, kCalc}},
        ImportCase{"name_of_17",
                   kHead + Record(0, {"abcdefghijklmnopq", "cmd", "path", 2}) + Record(1, kCalc),
                   {{"abcdefghijklmnop", "cmd", "path", 2}, kCalc}},
        ImportCase{"command_of_261",
                   kHead + Record(0, {"n", k261, "path", 1}) + Record(1, kCalc),
                   {{"n", std::string(260, 'c'), "path", 1}, kCalc}},
        ImportCase{"start_path_of_400",
                   kHead + Record(0, {"n", "c", std::string(400, 'p'), 2}) + Record(1, kCalc),
                   {{"n", "c", std::string(260, 'p'), 2}, kCalc}},
        ImportCase{
            "marker_of_300",
            kHead + "\r\n" + std::string(300, '[') + "\r\nn\r\nc\r\np\r\n1" + Record(1, kCalc),
            {{"n", "c", "p", 1}, kCalc}},
        ImportCase{"version_of_300",
                   "Zantrel Alias Data\r\n" + std::string(300, 'V') + Record(0, kEd),
                   {kEd}},
        ImportCase{"cut_name_is_a_duplicate",
                   kHead + Record(0, {"abcdefghijklmnop", "a", "b", 0}) +
                       Record(1, {"ABCDEFGHIJKLMNOPQ", "c", "d", 1}) + Record(2, kCalc),
                   {{"abcdefghijklmnop", "a", "b", 0}, kCalc}}),
    CaseName);

// A UTF-8 file is read as it is (after its byte-order mark, if an editor put one there), one
// that is not UTF-8 in the legacy code page (ISO 8859-1 natively, Windows-1252 on a Western
// Windows); long names are cut between characters.
INSTANTIATE_TEST_SUITE_P(
    Encodings, ImportRecordsTest,
    ::testing::Values(
        ImportCase{
            "utf8",
            kHead + Record(0, {"x\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9"
                               "\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9",
                               "c", "p", 1}),
            {{"x\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9\xCE\xA9", "c", "p", 1}}},
        ImportCase{"utf8_byte_order_mark", "\xEF\xBB\xBF" + kHead + Record(0, kCalc), {kCalc}},
        ImportCase{"legacy",
                   kHead + Record(0, {"x" + std::string(15, '\xE9'), "Caf\xE9", "C:\\", 2}),
                   {{"x\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9", "Caf\xC3\xA9",
                     "C:\\", 2}}}),
    CaseName);

// Records cut short by the end of the data are not added.
INSTANTIATE_TEST_SUITE_P(
    CutShort, ImportRecordsTest,
    ::testing::Values(
        ImportCase{"final_crlf", kTwo + "\r\n", {kEd, kCalc}},
        ImportCase{"final_lf", Lf(kTwo) + "\n", {kEd, kCalc}},
        ImportCase{"two_final_crlf", kTwo + "\r\n\r\n", {kEd, kCalc}},
        ImportCase{"after_marker", kTwo + "\r\n[Alias 2]", {kEd, kCalc}},
        ImportCase{"after_marker_crlf", kTwo + "\r\n[Alias 2]\r\n", {kEd, kCalc}},
        ImportCase{"inside_name", kTwo + "\r\n[Alias 2]\r\nnot", {kEd, kCalc}},
        ImportCase{"after_name", kTwo + "\r\n[Alias 2]\r\nnote\r\n", {kEd, kCalc}},
        ImportCase{"after_command", kTwo + "\r\n[Alias 2]\r\nnote\r\nn.exe", {kEd, kCalc}},
        ImportCase{"after_path", kTwo + "\r\n[Alias 2]\r\nnote\r\nn.exe\r\nC:\\", {kEd, kCalc}},
        ImportCase{
            "after_path_crlf", kTwo + "\r\n[Alias 2]\r\nnote\r\nn.exe\r\nC:\\\r\n", {kEd, kCalc}},
        ImportCase{"complete_empty_state_then_crlf",
                   kTwo + "\r\n[Alias 2]\r\nnote\r\nn.exe\r\nC:\\\r\n\r\n",
                   {kEd, kCalc, {"note", "n.exe", "C:\\", 0}}},
        ImportCase{"empty_record_after_version", kHead + "\r\n\r\n\r\n\r\n\r\n", {}},
        ImportCase{"empty_record_complete", kHead + "\r\n\r\n\r\n\r\n\r\n\r\n", {{"", "", "", 0}}}),
    CaseName);

// The import reads files of up to 4 MiB; a larger one is refused, with nothing added.
TEST_F(ExchangeFileTest, FilesOverFourMebibytesAreRefused) {
    const std::size_t limit = std::size_t{4} << 20;
    for (std::size_t size : {limit, limit + 1}) {
        SCOPED_TRACE(std::to_string(size) + " bytes");
        std::string bytes = kHead + Record(0, kEd) + "\r\n";  // then a marker cut short
        bytes.resize(size, 'x');
        AliasList list;
        EXPECT_EQ(Import(list, bytes), size == limit);
        EXPECT_EQ(Aliases(list).size(), size == limit ? 1u : 0u);
    }
}

// --- Window-state conversion ----------------------------------------------------------------

struct StateCaseText {
    const char* text;
    std::uint32_t value;
};

void PrintTo(const StateCaseText& c, std::ostream* os) {
    *os << "'" << Visible(c.text) << "'";
}

class ParseWindowStateTest : public ::testing::TestWithParam<StateCaseText> {};

TEST_P(ParseWindowStateTest, Converts) {
    EXPECT_EQ(ParseWindowState(GetParam().text), GetParam().value)
        << "text '" << Visible(GetParam().text) << "'";
}

INSTANTIATE_TEST_SUITE_P(
    Exchange, ParseWindowStateTest,
    ::testing::Values(StateCaseText{"0", 0}, StateCaseText{"2", 2}, StateCaseText{" 1x", 1},
                      StateCaseText{"", 0}, StateCaseText{"abc", 0},
                      StateCaseText{"-1", 4294967295u}, StateCaseText{"-0", 0},
                      StateCaseText{"+", 0}, StateCaseText{"--1", 0}, StateCaseText{"+-1", 0},
                      StateCaseText{"4294967295", 4294967295u}, StateCaseText{"4294967296", 0},
                      StateCaseText{"99999999999", 1215752191u}, StateCaseText{"-4294967295", 1},
                      StateCaseText{"00000000000000000000000000042", 42},
                      StateCaseText{" \t\n\v\f\r-2", 4294967294u}, StateCaseText{"1 2", 1},
                      StateCaseText{"\xA0"
                                    "5",
                                    0}),
    case_name::ByText(&StateCaseText::text));

// --- Files that cannot be used --------------------------------------------------------------

TEST_F(ExchangeFileTest, ImportOfMissingFileOrFolderFails) {
    for (const std::string& path :
         {PathOf("missing.dat"), PathOf("no such folder/aliases.dat"), dir_}) {
        AliasList list;
        Fill(list, {kEd});
        EXPECT_FALSE(ImportAliases(list, path.c_str())) << path;
        EXPECT_EQ(Aliases(list), std::vector<Alias>{kEd}) << path;
    }
}

TEST_F(ExchangeFileTest, ExportToMissingFolderFailsAndCreatesNothing) {
    AliasList list;
    Fill(list, {kEd});
    std::string folder = PathOf("no such folder");
    EXPECT_FALSE(ExportAliases(list, (folder + "/aliases.dat").c_str()));
    EXPECT_FALSE(Exists(folder));
}

TEST_F(ExchangeFileTest, ExportToAFolderPathFailsAndLeavesItAlone) {
    // A path that names a directory cannot be opened for writing even by root, so this is
    // the native stand-in for "cannot be opened for writing"; the Win32 tests cover a real
    // read-only file.
    AliasList list;
    Fill(list, {kEd});
    std::string folder = PathOf("folder");
    ASSERT_EQ(mkdir(folder.c_str(), 0755), 0);
    EXPECT_FALSE(ExportAliases(list, folder.c_str()));
    struct stat st;
    ASSERT_EQ(stat(folder.c_str(), &st), 0);
    EXPECT_TRUE(S_ISDIR(st.st_mode));
}

// A file system that fails a write part of the way (the file-size limit, natively): the
// export says so, and the file it was to replace keeps its bytes, with nothing beside it.
class ExportFailsTest : public ExchangeFileTest, public ::testing::WithParamInterface<int> {};

TEST_P(ExportFailsTest, KeepsTheOldFile) {
    AliasList list;
    for (int i = 0; i < GetParam(); ++i) {
        const std::string name = "alias " + std::to_string(i);
        Fill(list, {{name, std::string(260, 'c'), "C:\\", 0}});
    }
    const std::string path = Write("the old aliases");
    struct rlimit before;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &before), 0);
    struct rlimit small = before;
    small.rlim_cur = 100;
    void (*handler)(int) = std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool exported = ExportAliases(list, path.c_str());
    setrlimit(RLIMIT_FSIZE, &before);
    std::signal(SIGXFSZ, handler);

    EXPECT_FALSE(exported);
    EXPECT_EQ(Read(path), "the old aliases");
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
        files.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(files, std::vector<std::string>{"aliases.dat"});
}

// One alias stays in the C library's buffer until the close; forty fill it several times.
INSTANTIATE_TEST_SUITE_P(Exchange, ExportFailsTest, ::testing::Values(1, 40),
                         [](const ::testing::TestParamInfo<int>& info) {
                             return info.param == 1 ? "at_the_close" : "in_a_write";
                         });

// An export cut short (here a process that the file-size limit ends in the middle of its
// write) leaves its new file behind. However many are left, the next export finds a name.
TEST_F(ExchangeFileTest, FilesLeftByExportsCutShortNeverBlockTheNext) {
    const Alias kLong{"long", std::string(260, 'c'), "C:\\", 0};
    AliasList list;
    Fill(list, {kLong});
    const std::string path = Write("the old aliases");
    const int cutShort = 20;
    for (int i = 0; i < cutShort; ++i) {
        const pid_t child = fork();
        if (child == 0) {
            const struct rlimit none = {0, 0}, small = {100, 100};
            setrlimit(RLIMIT_CORE, &none);
            std::signal(SIGXFSZ, SIG_DFL);
            setrlimit(RLIMIT_FSIZE, &small);
            ExportAliases(list, path.c_str());
            _exit(0);  // not ended by the limit: the export did not write
        }
        int status = 0;
        ASSERT_TRUE(waitpid(child, &status, 0) == child && WIFSIGNALED(status) &&
                    WTERMSIG(status) == SIGXFSZ)
            << "export " << i << ": status " << status;
    }
    int left = 0;
    for (const auto& entry : std::filesystem::directory_iterator(dir_)) {
        left += entry.path().extension() == ".tmp";
    }
    EXPECT_EQ(left, cutShort);
    EXPECT_TRUE(ExportAliases(list, path.c_str()));
    EXPECT_EQ(Read(path), kHead + Record(0, kLong));
}

TEST_F(ExchangeFileTest, ExportToReadOnlyFileFailsAndLeavesItAlone) {
    if (geteuid() == 0) {
        GTEST_SKIP()
            << "root writes read-only files: scripts/test.sh runs this as an ordinary user";
    }
    AliasList list;
    Fill(list, {kEd});
    std::string path = Write("keep me");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(ExportAliases(list, path.c_str()));
    EXPECT_EQ(Read(path), "keep me");

    // A file that may be written in a folder that may not: no new file can be made beside
    // it, so the export fails rather than overwrite the file in place.
    ASSERT_EQ(chmod(path.c_str(), 0644), 0);
    ASSERT_EQ(chmod(dir_.c_str(), 0555), 0);
    EXPECT_FALSE(ExportAliases(list, path.c_str())) << "read-only folder";
    EXPECT_EQ(Read(path), "keep me");
    ASSERT_EQ(chmod(dir_.c_str(), 0755), 0);
}

}  // namespace
