#include "toggle/toggle_file.h"

#include <gtest/gtest.h>

#include "unit/fake_desktop_test.h"

namespace {

using ToggleFileTest = FakeDesktopTest;

// Puts an executable at folder\name, makes it the running module and returns
// its path.
std::u16string RunFrom(const std::u16string& folder, const std::u16string& name) {
    std::u16string path = fake::Join(folder, name);
    fake::Entry* entry = fake::FindEntry(path);
    (entry ? *entry : fake::AddEntry(folder, name)).contents = "exe";
    fake::Get().modulePath = path;
    return path;
}

TEST_F(ToggleFileTest, ExecutableEndsUpUnderTheOppositeName) {
    const std::u16string user = fake::kUserDesktop;
    const std::u16string common = fake::kCommonDesktop;
    struct Case {
        const char* what;
        std::u16string selfFolder;
        std::u16string selfName;
        std::vector<std::u16string> alsoOnDesktop;
        const char* placementCall; // "MoveFileExW" or "CopyFileW"
        std::u16string expectedToggle;
        bool selfStays;
    } cases[] = {
        {"hide name on the user desktop",
         user,
         u"Hide icons.exe",
         {},
         "MoveFileExW",
         u"Show icons.exe",
         false},
        {"show name on the user desktop",
         user,
         u"Show icons.exe",
         {},
         "MoveFileExW",
         u"Hide icons.exe",
         false},
        {"another folder, icons shown",
         fake::kToolsFolder,
         u"Vantric.exe",
         {u"Hide icons.exe"},
         "CopyFileW",
         u"Show icons.exe",
         true},
        {"another folder, icons hidden",
         fake::kToolsFolder,
         u"whatever.exe",
         {u"Show icons.exe"},
         "CopyFileW",
         u"Hide icons.exe",
         true},
        {"hide name while the show file exists",
         user,
         u"Hide icons.exe",
         {u"Show icons.exe"},
         "MoveFileExW",
         u"Hide icons.exe",
         true},
        {"ASCII case differs",
         u"c:\\USERS\\ana\\DESKTOP",
         u"HIDE ICONS.EXE",
         {},
         "MoveFileExW",
         u"Show icons.exe",
         false},
        {"toggle name on the all-users desktop",
         common,
         u"Hide icons.exe",
         {},
         "CopyFileW",
         u"Show icons.exe",
         true},
    };
    for (const Case& c : cases) {
        fake::Reset();
        for (const std::u16string& name : c.alsoOnDesktop) {
            fake::AddEntry(user, name).contents = "older";
        }
        std::u16string self = RunFrom(c.selfFolder, c.selfName);
        EXPECT_EQ(RunToggle(), 0u) << c.what;
        EXPECT_EQ(fake::Calls("MoveFileExW").size() + fake::Calls("CopyFileW").size(), 1u) << c.what;
        EXPECT_EQ(fake::Calls(c.placementCall).size(), 1u) << c.what;
        EXPECT_EQ(VisibleToggleFiles(), std::vector<std::u16string>{c.expectedToggle}) << c.what;
        EXPECT_EQ(fake::FindEntry(UserPath(c.expectedToggle))->contents, "exe") << c.what;
        EXPECT_EQ(fake::FindEntry(self) != nullptr, c.selfStays) << c.what;
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(ToggleFileTest, MoveAndCopyAreCalledAsTheShellExpects) {
    RunFrom(fake::kUserDesktop, u"Hide icons.exe");
    RunToggle();
    EXPECT_EQ(fake::Calls("MoveFileExW"),
              std::vector<std::string>{"MoveFileExW(\"C:\\Users\\ana\\Desktop\\Hide icons.exe\", "
                                       "\"C:\\Users\\ana\\Desktop\\Show icons.exe\", 0x3) -> 1"});
    fake::Reset();
    RunToggle();
    EXPECT_EQ(fake::Calls("CopyFileW"),
              std::vector<std::string>{"CopyFileW(\"C:\\Tools\\Vantric.exe\", "
                                       "\"C:\\Users\\ana\\Desktop\\Show icons.exe\", 0) -> 1"});
    EXPECT_EQ(
        fake::Calls("SHChangeNotify(0x2"),
        std::vector<std::string>{"SHChangeNotify(0x2, 0x5, \"C:\\Users\\ana\\Desktop\\Show icons.exe\")"});
}

TEST_F(ToggleFileTest, NonAsciiCaseDifferenceMeansRunningFromElsewhere) {
    fake::Get().uiLanguage = 0x040C;
    std::u16string self = RunFrom(fake::kUserDesktop, u"Cacher Ic\u00D4nes.exe");
    EXPECT_EQ(RunToggle(), 0u);
    EXPECT_TRUE(fake::Calls("MoveFileExW").empty());
    EXPECT_EQ(fake::Calls("CopyFileW").size(), 1u);
    EXPECT_EQ(fake::Attributes(UserPath(u"Afficher Ic\u00F4nes.exe")), fake::kArchive);
    EXPECT_EQ(fake::Attributes(self), fake::kArchive); // its own name is skipped, and it stays
}

TEST_F(ToggleFileTest, ToggleFileIsMadeVisibleWithItsOtherBitsKept) {
    fake::Entry& self = fake::AddEntry(fake::kUserDesktop, u"Show icons.exe", 0x23);
    self.contents = "exe";
    fake::Get().modulePath = UserPath(u"Show icons.exe");
    EXPECT_EQ(RunToggle(), 0u);
    EXPECT_EQ(fake::Attributes(UserPath(u"Hide icons.exe")), 0x21u);
}

TEST_F(ToggleFileTest, RefusedPlacementIsNotReportedAndStillDeletesTheStaleFile) {
    struct Case {
        const char* what;
        bool refuseMove;
        bool refuseCopy;
        std::u16string selfFolder;
        std::u16string selfName;
        std::u16string staleName;
    } cases[] = {
        {"copy refused while showing", false, true, fake::kToolsFolder, u"Vantric.exe", u"Show icons.exe"},
        {"copy refused while hiding", false, true, fake::kToolsFolder, u"Vantric.exe", u"Hide icons.exe"},
        {"move refused while showing", true, false, fake::kUserDesktop, u"Show icons.exe", u"Show icons.exe"},
    };
    for (const Case& c : cases) {
        fake::Reset();
        fake::Get().refuseMove = c.refuseMove;
        fake::Get().refuseCopy = c.refuseCopy;
        fake::AddEntry(fake::kUserDesktop, c.staleName);
        RunFrom(c.selfFolder, c.selfName);
        EXPECT_EQ(RunToggle(), 0u) << c.what;
        EXPECT_EQ(fake::FindEntry(UserPath(c.staleName)), nullptr) << c.what;
        EXPECT_TRUE(VisibleToggleFiles().empty()) << c.what;
        EXPECT_TRUE(fake::Calls("MessageBoxW").empty()) << c.what;
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(ToggleFileTest, ConsecutiveRunsAlternateWithOneVisibleToggleFile) {
    fake::AddEntry(fake::kUserDesktop, u"a.lnk");
    fake::AddEntry(fake::kCommonDesktop, u"b.lnk");
    const char* expected[] = {"Show icons.exe", "Hide icons.exe", "Show icons.exe"};
    for (const char* name : expected) {
        EXPECT_EQ(RunToggle(), 0u);
        std::vector<std::u16string> toggles = VisibleToggleFiles();
        ASSERT_EQ(toggles.size(), 1u);
        EXPECT_EQ(fake::Utf8(toggles[0]), name);
        bool hidden = toggles[0] == u"Show icons.exe";
        EXPECT_EQ((fake::Attributes(UserPath(u"a.lnk")) & fake::kHidden) != 0, hidden);
        EXPECT_EQ((fake::Attributes(CommonPath(u"b.lnk")) & fake::kHidden) != 0, hidden);
        // The user double-clicks the toggle file next.
        fake::Get().modulePath = UserPath(toggles[0]);
    }
    EXPECT_EQ(fake::FindFolder(fake::kUserDesktop)->entries.size(), 2u); // a.lnk and the toggle file
}

} // namespace
