// Finding the help file: the program's folder first, then PATH from left to right.
#include "app/korvalin1.h"
#include "reference/help_search.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace korvalin;

namespace {

// A fresh folder tree under the system's temporary folder, removed afterwards.
class TempTree {
public:
    TempTree() {
        root_ = fs::temp_directory_path() / ("korvalin_help_" + std::to_string(::getpid()) + "_" +
                                             std::to_string(counter_++));
        fs::create_directories(root_);
    }
    ~TempTree() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string Dir(const std::string& name) const {
        fs::create_directories(root_ / name);
        return (root_ / name).string();
    }
    std::string DirWithHelp(const std::string& name, const std::string& spelling = kHelpFileName) const {
        const std::string dir = Dir(name);
        std::ofstream(dir + "/" + spelling) << "<html></html>";
        return dir;
    }

private:
    fs::path root_;
    static inline int counter_ = 0;
};

// A folder test that answers from a table of full names and remembers what it was asked.
struct ScriptedTest {
    std::map<std::string, FileProbe> answers;
    std::vector<std::string>* asked;
    FileProbe operator()(const std::string& folder, std::string& found) const {
        const std::string name = folder + kHelpFileName;
        asked->push_back(name);
        auto it = answers.find(name);
        if (it == answers.end()) return FileProbe::Missing;
        if (it->second == FileProbe::Found) found = name;
        return it->second;
    }
};

} // namespace

TEST(HelpSearch, ProgramFolderWinsWithoutLookingAtPath) {
    TempTree t;
    const std::string app = t.DirWithHelp("app");
    const std::string a = t.DirWithHelp("a");
    const HelpSearch s = SearchHelpFile(app, a + ":" + a);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.path, app + "/KORVALIN.HLP");
    EXPECT_EQ(s.tested.size(), 1u);
}

TEST(HelpSearch, SecondPathEntryHoldsTheFile) {
    TempTree t;
    const std::string app = t.Dir("app"), a = t.Dir("a"), b = t.DirWithHelp("b");
    const HelpSearch s = SearchHelpFile(app, a + ":" + b);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.path, b + "/KORVALIN.HLP");
    EXPECT_EQ(s.tested, (std::vector<std::string>{app + "/KORVALIN.HLP", a + "/KORVALIN.HLP", b + "/KORVALIN.HLP"}));
}

TEST(HelpSearch, FirstHitWinsAndLaterEntriesAreNotTested) {
    TempTree t;
    const std::string app = t.Dir("app"), a = t.DirWithHelp("a"), b = t.DirWithHelp("b");
    const HelpSearch s = SearchHelpFile(app, a + ":" + b);
    EXPECT_EQ(s.path, a + "/KORVALIN.HLP");
    EXPECT_EQ(s.tested.size(), 2u);
}

TEST(HelpSearch, EntryEndingInSeparatorIsNotGivenASecondOne) {
    TempTree t;
    const std::string app = t.Dir("app"), b = t.DirWithHelp("b");
    const HelpSearch s = SearchHelpFile(app + "/", b + "/");
    EXPECT_EQ(s.tested.front(), app + "/KORVALIN.HLP");
    EXPECT_EQ(s.path, b + "/KORVALIN.HLP");
}

struct EntryCase {
    const char* path;
    std::vector<std::string> tested; // after the program folder
};

class PathEntries : public ::testing::TestWithParam<EntryCase> {};

TEST_P(PathEntries, AreTestedAsTheyStand) {
    std::vector<std::string> asked;
    const HelpSearch s = SearchHelpFile("/app", GetParam().path, ScriptedTest{{}, &asked});
    EXPECT_FALSE(s.found);
    std::vector<std::string> expected{"/app/KORVALIN.HLP"};
    expected.insert(expected.end(), GetParam().tested.begin(), GetParam().tested.end());
    EXPECT_EQ(asked, expected);
    EXPECT_EQ(s.tested, expected);
}

INSTANTIATE_TEST_SUITE_P(
    HelpSearch, PathEntries,
    ::testing::Values(
        // Nothing to search.
        EntryCase{"", {}},
        // An empty entry is the root folder, wherever it stands.
        EntryCase{"/a::/b", {"/a/KORVALIN.HLP", "/KORVALIN.HLP", "/b/KORVALIN.HLP"}},
        EntryCase{":/b", {"/KORVALIN.HLP", "/b/KORVALIN.HLP"}},
        EntryCase{":", {"/KORVALIN.HLP"}},
        // A separator at the end closes the last entry; it adds no empty one.
        EntryCase{"/a:", {"/a/KORVALIN.HLP"}},
        // No quotes removed, no blanks trimmed, nothing expanded.
        EntryCase{" /a :\"/b\":$HOME", {" /a /KORVALIN.HLP", "\"/b\"/KORVALIN.HLP", "$HOME/KORVALIN.HLP"}},
        // A relative entry stays relative.
        EntryCase{"docs", {"docs/KORVALIN.HLP"}}));

TEST(HelpSearch, EmptyEntryFindsTheFileInTheRoot) {
    std::vector<std::string> asked;
    const HelpSearch s =
        SearchHelpFile("/app", "/a::/b", ScriptedTest{{{"/KORVALIN.HLP", FileProbe::Found}}, &asked});
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.path, "/KORVALIN.HLP");
    EXPECT_EQ(asked.back(), "/KORVALIN.HLP"); // /b is never tested
}

TEST(HelpSearch, FailedTestsCountAsNotFoundAndTheSearchGoesOn) {
    std::vector<std::string> asked;
    const ScriptedTest test{{{"/app/KORVALIN.HLP", FileProbe::Failed},
                             {"/locked/KORVALIN.HLP", FileProbe::Failed},
                             {"/b/KORVALIN.HLP", FileProbe::Found}},
                            &asked};
    const HelpSearch s = SearchHelpFile("/app", "/locked:/b", test);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.path, "/b/KORVALIN.HLP");
    EXPECT_EQ(asked.size(), 3u);
}

TEST(HelpSearch, EveryTestFailingIsNotFound) {
    std::vector<std::string> asked;
    const ScriptedTest test{{{"/app/KORVALIN.HLP", FileProbe::Failed}, {"/x/KORVALIN.HLP", FileProbe::Failed}},
                            &asked};
    const HelpSearch s = SearchHelpFile("/app", "/x", test);
    EXPECT_FALSE(s.found);
    EXPECT_TRUE(s.path.empty());
}

// The help file is found whatever the case of its name, in the program's folder and on PATH alike,
// and is named as it is spelt there.
struct SpellingCase {
    const char* name;
    std::vector<std::string> spellings; // files (or, ending in "/", folders) in the folder that holds it
    bool inProgramFolder;
    std::string found; // the spelling found; empty when none counts
};

void PrintTo(const SpellingCase& c, std::ostream* os) { *os << c.name; }

class HelpFileSpellings : public ::testing::TestWithParam<SpellingCase> {};

TEST_P(HelpFileSpellings, AnyCaseIsFoundAndNamedAsSpelt) {
    const SpellingCase& c = GetParam();
    TempTree t;
    const std::string app = t.Dir("app"), a = t.Dir("a"), holder = c.inProgramFolder ? app : t.Dir("b");
    for (const std::string& spelling : c.spellings) {
        if (spelling.back() == '/') fs::create_directories(holder + "/" + spelling);
        else t.DirWithHelp(c.inProgramFolder ? "app" : "b", spelling);
    }
    const HelpSearch s = SearchHelpFile(app, a + ":" + t.Dir("b"));
    EXPECT_EQ(s.found, !c.found.empty());
    EXPECT_EQ(s.path, c.found.empty() ? std::string() : holder + "/" + c.found);
    EXPECT_EQ(s.tested.front(), app + "/KORVALIN.HLP");
}

INSTANTIATE_TEST_SUITE_P(
    HelpSearch, HelpFileSpellings,
    ::testing::Values(
        SpellingCase{"AsTheWarningSpellsItOnPath", {"KORVALIN.HLP"}, false, "KORVALIN.HLP"},
        SpellingCase{"MixedCaseOnPath", {"Korvalin.HLP"}, false, "Korvalin.HLP"},
        SpellingCase{"LowerCaseOnPath", {"korvalin.hlp"}, false, "korvalin.hlp"},
        SpellingCase{"DeclaredSpellingInProgramFolder", {"Korvalin.Hlp"}, true, "Korvalin.Hlp"},
        SpellingCase{"OddCaseInProgramFolder", {"kOrVaLiN.hLp"}, true, "kOrVaLiN.hLp"},
        // Of several spellings the exact one wins, else the first in byte order.
        SpellingCase{"ExactSpellingWins", {"korvalin.hlp", "KORVALIN.HLP", "Korvalin.HLP"}, false, "KORVALIN.HLP"},
        SpellingCase{"FirstInByteOrderWins", {"korvalin.hlp", "Korvalin.HLP"}, true, "Korvalin.HLP"},
        // A folder of that name, in any case, is not the file; a plain file spelt so beside it is.
        SpellingCase{"FolderDoesNotCount", {"korvalin.hlp/"}, false, ""},
        SpellingCase{"FileBesideAFolderCounts", {"Korvalin.HLP/", "korvalin.hlp"}, true, "korvalin.hlp"},
        // Only the name itself: a longer or shorter one is another file.
        SpellingCase{"OtherNamesDoNotCount", {"KORVALIN.HLP.bak", "KORVALIN.HL", "xKORVALIN.HLP"}, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(OrdinaryFile, OnlyAPlainFileCounts) {
    TempTree t;
    const std::string withFile = t.DirWithHelp("file");
    const std::string withFolder = t.Dir("folder");
    fs::create_directories(withFolder + "/KORVALIN.HLP");
    const std::string linked = t.Dir("link");
    fs::create_symlink(withFile + "/KORVALIN.HLP", linked + "/KORVALIN.HLP");

    EXPECT_EQ(OrdinaryFileExists(withFile + "/KORVALIN.HLP"), FileProbe::Found);
    EXPECT_EQ(OrdinaryFileExists(withFolder + "/KORVALIN.HLP"), FileProbe::Missing);
    EXPECT_EQ(OrdinaryFileExists(linked + "/KORVALIN.HLP"), FileProbe::Found);
    EXPECT_EQ(OrdinaryFileExists(t.Dir("empty") + "/KORVALIN.HLP"), FileProbe::Missing);
}

TEST(OrdinaryFile, UnusableFoldersFailAndAreSkipped) {
    TempTree t;
    // A file standing where a folder is expected, and a name longer than the system allows.
    const std::string notAFolder = t.DirWithHelp("x") + "/KORVALIN.HLP";
    const std::string tooLong = "/" + std::string(5000, 'a');
    EXPECT_EQ(OrdinaryFileExists(notAFolder + "/KORVALIN.HLP"), FileProbe::Failed);
    EXPECT_EQ(OrdinaryFileExists(tooLong + "/KORVALIN.HLP"), FileProbe::Failed);

    const std::string b = t.DirWithHelp("b");
    const HelpSearch s = SearchHelpFile(t.Dir("app"), notAFolder + ":" + tooLong + ":" + b);
    EXPECT_TRUE(s.found);
    EXPECT_EQ(s.path, b + "/KORVALIN.HLP");
}

TEST(OrdinaryFile, UnreadableFolderIsNotFound) {
    if (::geteuid() == 0) GTEST_SKIP() << "folder permissions do not bind the superuser";
    TempTree t;
    const std::string locked = t.DirWithHelp("locked");
    fs::permissions(locked, fs::perms::none);
    EXPECT_EQ(OrdinaryFileExists(locked + "/KORVALIN.HLP"), FileProbe::Failed);
    EXPECT_FALSE(SearchHelpFile(t.Dir("app"), locked).found);
    fs::permissions(locked, fs::perms::owner_all);
}

class FindHelp : public ::testing::Test {
protected:
    void SetUp() override {
        ResetKorvalin1();
        ApplicationHelpFile() = kDeclaredHelpFile;
        if (const char* p = std::getenv("PATH")) savedPath_ = p;
    }
    void TearDown() override {
        if (savedPath_) ::setenv("PATH", savedPath_->c_str(), 1);
        ApplicationHelpFile() = kDeclaredHelpFile;
    }
    std::optional<std::string> savedPath_;
};

TEST_F(FindHelp, SuccessSetsTheHelpFilePathAndTheApplicationsHelpFile) {
    TempTree t;
    const std::string b = t.DirWithHelp("b");
    ::setenv("PATH", (t.Dir("a") + ":" + b).c_str(), 1);
    EXPECT_TRUE(FindHelpFile(t.Dir("app")));
    EXPECT_EQ(KORVALIN1.HelpFilePath, b + "/KORVALIN.HLP");
    EXPECT_EQ(ApplicationHelpFile(), b + "/KORVALIN.HLP");
}

TEST_F(FindHelp, FailureLeavesBothAlone) {
    TempTree t;
    ::setenv("PATH", "", 1);
    EXPECT_FALSE(FindHelpFile(t.Dir("app")));
    EXPECT_EQ(KORVALIN1.HelpFilePath, "");
    EXPECT_EQ(ApplicationHelpFile(), "KORVALIN.HLP");
}

TEST_F(FindHelp, UnsetPathIsLikeAnEmptyOne) {
    TempTree t;
    ::unsetenv("PATH");
    EXPECT_FALSE(FindHelpFile(t.Dir("app")));
    EXPECT_TRUE(FindHelpFile(t.DirWithHelp("app2")));
}
