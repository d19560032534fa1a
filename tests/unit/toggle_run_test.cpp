#include "toggle/toggle_run.h"

#include <gtest/gtest.h>

#include "unit/fake_desktop_test.h"

namespace {

using ToggleRunTest = FakeDesktopTest;

TEST(SelectToggleNamesTest, PrimaryLanguagePicksTheRow) {
    struct Case {
        uint16_t languageId;
        const char16_t* hideName;
        const char16_t* showName;
    } cases[] = {
        {0x0C0A, u"Ocultar iconos.exe", u"Mostrar iconos.exe"},           // Spanish, Spain (modern sort)
        {0x080A, u"Ocultar iconos.exe", u"Mostrar iconos.exe"},           // Spanish, Mexico
        {0x040C, u"Cacher Ic\u00F4nes.exe", u"Afficher Ic\u00F4nes.exe"}, // French, France
        {0x0C0C, u"Cacher Ic\u00F4nes.exe", u"Afficher Ic\u00F4nes.exe"}, // French, Canada
        {0x0407, u"Hide icons.exe", u"Show icons.exe"},                   // German
        {0x0409, u"Hide icons.exe", u"Show icons.exe"},                   // English
        {0x0000, u"Hide icons.exe", u"Show icons.exe"},
        {0xFC0A, u"Ocultar iconos.exe", u"Mostrar iconos.exe"}, // only the low 10 bits count
    };
    for (const Case& c : cases) {
        const ToggleNames& names = SelectToggleNames(c.languageId);
        EXPECT_EQ(std::u16string(names.hideName), c.hideName) << std::hex << c.languageId;
        EXPECT_EQ(std::u16string(names.showName), c.showName) << std::hex << c.languageId;
    }
}

TEST_F(ToggleRunTest, DecisionReadsOnlyTheShowNamedFile) {
    struct Case {
        const char* what;
        bool hideFile;
        bool showFile;
        bool expectHiding;
    } cases[] = {
        {"no toggle file", false, false, true},
        {"hide file only", true, false, true},
        {"show file only", false, true, false},
        {"both toggle files", true, true, false},
    };
    for (const Case& c : cases) {
        fake::Reset();
        if (c.hideFile) {
            fake::AddEntry(fake::kUserDesktop, u"Hide icons.exe");
        }
        if (c.showFile) {
            fake::AddEntry(fake::kUserDesktop, u"Show icons.exe");
        }
        fake::AddEntry(fake::kUserDesktop, u"shown.lnk");
        fake::AddEntry(fake::kCommonDesktop, u"hidden.lnk", fake::kArchive | fake::kHidden);
        EXPECT_EQ(RunToggle(), 0u) << c.what;
        uint32_t expectShown = c.expectHiding ? 0x22u : 0x20u;
        uint32_t expectHidden = c.expectHiding ? 0x22u : 0x20u;
        EXPECT_EQ(fake::Attributes(UserPath(u"shown.lnk")), expectShown) << c.what;
        EXPECT_EQ(fake::Attributes(CommonPath(u"hidden.lnk")), expectHidden) << c.what;
        EXPECT_EQ(
            fake::Calls("PathFileExistsW"),
            std::vector<std::string>{"PathFileExistsW(\"C:\\Users\\ana\\Desktop\\Show icons.exe\") -> " +
                                     std::string(c.showFile ? "1" : "0")})
            << c.what;
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(ToggleRunTest, LocalizedNamesDecideAndAreLeftBehind) {
    fake::Get().uiLanguage = 0x0C0A;
    fake::AddEntry(fake::kUserDesktop, u"Show icons.exe"); // an English name means nothing in Spanish
    fake::AddEntry(fake::kUserDesktop, u"a.lnk");
    EXPECT_EQ(RunToggle(), 0u);
    EXPECT_EQ(fake::Attributes(UserPath(u"a.lnk")), 0x22u);
    EXPECT_EQ(fake::Attributes(UserPath(u"Mostrar iconos.exe")), fake::kArchive);
}

TEST_F(ToggleRunTest, SkipListAndOwnNameAreNeverTouchedOnEitherDesktop) {
    fake::Get().modulePath = u"C:\\Tools\\My Tool.exe";
    fake::AddEntry(fake::kToolsFolder, u"My Tool.exe");
    const char16_t* skipped[] = {u"DESKTOP.INI", u"desktop.ini", u"THUMBS.DB", u"my tool.EXE"};
    const char16_t* swept[] = {u"desktop.\u0130ni", u"Thumbs.db ", u"My Tool.exe.lnk", u"\u00C9t\u00E9.txt"};
    for (const char16_t* desktop : {fake::kUserDesktop, fake::kCommonDesktop}) {
        for (const char16_t* name : skipped) {
            fake::AddEntry(desktop, name);
        }
        for (const char16_t* name : swept) {
            fake::AddEntry(desktop, name);
        }
    }
    fake::AddEntry(fake::kCommonDesktop, u"iconstate.INI"); // only the user's copy is deleted
    EXPECT_EQ(RunToggle(), 0u);
    for (const char16_t* desktop : {fake::kUserDesktop, fake::kCommonDesktop}) {
        for (const char16_t* name : skipped) {
            EXPECT_EQ(fake::Attributes(fake::Join(desktop, name)), fake::kArchive) << fake::Utf8(name);
        }
        for (const char16_t* name : swept) {
            EXPECT_EQ(fake::Attributes(fake::Join(desktop, name)), 0x22u) << fake::Utf8(name);
        }
    }
    EXPECT_EQ(fake::Attributes(CommonPath(u"iconstate.INI")), fake::kArchive);
    for (const std::string& call : fake::Calls("SetFileAttributesW")) {
        EXPECT_EQ(call.find("\\."), std::string::npos) << "dot entries are skipped: " << call;
    }
}

TEST_F(ToggleRunTest, OnlyTheHiddenBitChangesAndTargetStateEntriesAreNotWritten) {
    struct Case {
        const char16_t* name;
        uint32_t before;
        uint32_t afterHiding;
    } cases[] = {
        {u"plain.txt", 0x20, 0x22},
        {u"readonly-system.txt", 0x25, 0x27},
        {u"folder", 0x10, 0x12},
        {u"odd-bits.txt", 0x2021, 0x2023},
        {u"hidden-already.txt", 0x22, 0x22},
        {u"hidden-system.txt", 0x06, 0x06},
    };
    for (const Case& c : cases) {
        fake::AddEntry(fake::kUserDesktop, c.name, c.before);
    }
    EXPECT_EQ(RunToggle(), 0u);
    for (const Case& c : cases) {
        EXPECT_EQ(fake::Attributes(UserPath(c.name)), c.afterHiding) << fake::Utf8(c.name);
    }
    EXPECT_TRUE(fake::Calls("SetFileAttributesW(\"C:\\Users\\ana\\Desktop\\hidden-").empty());

    // The second run shows: each word goes back to what it was, except for
    // entries that were hidden before the first run.
    fake::Get().log.clear();
    fake::Get().modulePath = UserPath(u"Show icons.exe");
    EXPECT_EQ(RunToggle(), 0u);
    for (const Case& c : cases) {
        EXPECT_EQ(fake::Attributes(UserPath(c.name)), c.afterHiding & ~fake::kHidden) << fake::Utf8(c.name);
    }
    EXPECT_EQ(fake::Calls("SetFileAttributesW(\"C:\\Users\\ana\\Desktop\\plain.txt\", 0x20)").size(), 1u);
}

TEST_F(ToggleRunTest, RefusedChangesAreCountedAndTheSweepGoesOn) {
    fake::AddEntry(fake::kUserDesktop, u"a.txt");
    fake::AddEntry(fake::kUserDesktop, u"locked-1.txt").refuseAttributes = true;
    fake::AddEntry(fake::kUserDesktop, u"b.txt");
    fake::AddEntry(fake::kCommonDesktop, u"locked-2.txt").refuseAttributes = true;
    fake::AddEntry(fake::kCommonDesktop, u"c.txt");
    EXPECT_EQ(RunToggle(), 2u);
    for (const char16_t* path : {u"C:\\Users\\ana\\Desktop\\a.txt", u"C:\\Users\\ana\\Desktop\\b.txt",
                                 u"C:\\Users\\Public\\Desktop\\c.txt"}) {
        EXPECT_EQ(fake::Attributes(path), 0x22u) << fake::Utf8(path);
    }
    EXPECT_EQ(fake::Attributes(UserPath(u"locked-1.txt")), fake::kArchive);
}

TEST_F(ToggleRunTest, FolderThatCannotBeEnumeratedIsLeftWithoutNotification) {
    fake::FindFolder(fake::kUserDesktop)->enumerable = false;
    fake::AddEntry(fake::kUserDesktop, u"a.txt");
    fake::AddEntry(fake::kCommonDesktop, u"b.txt");
    EXPECT_EQ(RunToggle(), 0u);
    EXPECT_EQ(fake::Attributes(UserPath(u"a.txt")), fake::kArchive);
    EXPECT_EQ(fake::Attributes(CommonPath(u"b.txt")), 0x22u);
    EXPECT_EQ(fake::Calls("SHChangeNotify(0x1000"),
              std::vector<std::string>{"SHChangeNotify(0x1000, 0x5, \"C:\\Users\\Public\\Desktop\")"});
    EXPECT_EQ(fake::Get().openFinds, 0);
}

TEST_F(ToggleRunTest, UnresolvedDesktopEndsTheRunWithOneAndNoFurtherCall) {
    struct Case {
        const char* what;
        int32_t userResult;
        int32_t commonResult;
        const char16_t* userPath;
        std::vector<std::string> log;
    } cases[] = {
        {"user desktop fails",
         static_cast<int32_t>(0x80004005),
         0,
         fake::kUserDesktop,
         {"GetModuleFileNameW(2048) -> 20", "GetUserDefaultUILanguage() -> 0x409",
          "SHGetFolderPathW(0x0) -> 0x80004005"}},
        {"user desktop S_FALSE",
         1,
         0,
         fake::kUserDesktop,
         {"GetModuleFileNameW(2048) -> 20", "GetUserDefaultUILanguage() -> 0x409",
          "SHGetFolderPathW(0x0) -> 0x1"}},
        {"all-users desktop fails",
         0,
         static_cast<int32_t>(0x80070002),
         fake::kUserDesktop,
         {"GetModuleFileNameW(2048) -> 20", "GetUserDefaultUILanguage() -> 0x409",
          "SHGetFolderPathW(0x0) -> 0x0 \"C:\\Users\\ana\\Desktop\"",
          "SHGetFolderPathW(0x19) -> 0x80070002"}},
        // An empty folder would make every path relative to the drive root.
        {"user desktop empty",
         0,
         0,
         u"",
         {"GetModuleFileNameW(2048) -> 20", "GetUserDefaultUILanguage() -> 0x409",
          "SHGetFolderPathW(0x0) -> 0x0 \"\""}},
    };
    for (const Case& c : cases) {
        fake::Reset();
        fake::AddEntry(fake::kUserDesktop, u"a.txt");
        fake::AddEntry(fake::kUserDesktop, u"IconState.ini");
        fake::Get().userDesktopResult = c.userResult;
        fake::Get().commonDesktopResult = c.commonResult;
        fake::Get().userDesktopPath = c.userPath;
        EXPECT_EQ(RunToggle(), 1u) << c.what;
        EXPECT_EQ(fake::Get().log, c.log) << c.what;
        EXPECT_EQ(fake::Attributes(UserPath(u"a.txt")), fake::kArchive) << c.what;
        EXPECT_NE(fake::FindEntry(UserPath(u"IconState.ini")), nullptr) << c.what;
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(ToggleRunTest, LegacyStateFileIsDeletedFromTheUserDesktopOnly) {
    fake::AddEntry(fake::kUserDesktop, u"IconState.ini");
    fake::AddEntry(fake::kCommonDesktop, u"IconState.ini");
    EXPECT_EQ(RunToggle(), 0u);
    EXPECT_EQ(fake::FindEntry(UserPath(u"IconState.ini")), nullptr);
    EXPECT_EQ(fake::Attributes(CommonPath(u"IconState.ini")), fake::kArchive);
    EXPECT_EQ(fake::Calls("DeleteFileW(\"C:\\Users\\ana\\Desktop\\IconState.ini\")").size(), 1u);
}

TEST_F(ToggleRunTest, UserDesktopIsSweptAndNotifiedBeforeTheAllUsersDesktop) {
    fake::AddEntry(fake::kUserDesktop, u"u1.txt");
    fake::AddEntry(fake::kUserDesktop, u"u2.txt");
    fake::AddEntry(fake::kCommonDesktop, u"c1.txt");
    EXPECT_EQ(RunToggle(), 0u);
    int deleteLegacy = IndexOf("DeleteFileW(\"C:\\Users\\ana\\Desktop\\IconState.ini\")");
    int findUser = IndexOf("FindFirstFileW(\"C:\\Users\\ana\\Desktop\\*\")");
    int u1 = IndexOf("SetFileAttributesW(\"C:\\Users\\ana\\Desktop\\u1.txt\", 0x22)");
    int u2 = IndexOf("SetFileAttributesW(\"C:\\Users\\ana\\Desktop\\u2.txt\", 0x22)");
    int closeUser = IndexOf("FindClose()");
    int notifyUser = IndexOf("SHChangeNotify(0x1000, 0x5, \"C:\\Users\\ana\\Desktop\")");
    int findCommon = IndexOf("FindFirstFileW(\"C:\\Users\\Public\\Desktop\\*\")");
    int c1 = IndexOf("SetFileAttributesW(\"C:\\Users\\Public\\Desktop\\c1.txt\", 0x22)");
    int notifyCommon = IndexOf("SHChangeNotify(0x1000, 0x5, \"C:\\Users\\Public\\Desktop\")");
    std::vector<int> order = {deleteLegacy, findUser,   u1, u2,          closeUser,
                              notifyUser,   findCommon, c1, notifyCommon};
    for (size_t i = 0; i < order.size(); ++i) {
        EXPECT_GE(order[i], 0) << "step " << i << " missing";
        if (i > 0) {
            EXPECT_LT(order[i - 1], order[i]) << "step " << i << " out of order";
        }
    }
}

TEST_F(ToggleRunTest, LongModulePathIsReadWholeNotCut) {
    std::u16string folder = u"C:\\Tools\\" + std::u16string(3000, u'd');
    fake::AddEntry(folder, u"Long tool.exe").contents = "long";
    fake::Get().modulePath = fake::Join(folder, u"Long tool.exe");
    fake::AddEntry(fake::kUserDesktop, u"Long tool.exe"); // skipped: it is the executable's own name
    EXPECT_EQ(RunToggle(), 0u);
    EXPECT_EQ(
        fake::Calls("GetModuleFileNameW"),
        (std::vector<std::string>{"GetModuleFileNameW(2048) -> 2048", "GetModuleFileNameW(4096) -> 3023"}));
    EXPECT_EQ(fake::Attributes(UserPath(u"Long tool.exe")), fake::kArchive);
    ASSERT_NE(fake::FindEntry(UserPath(u"Show icons.exe")), nullptr);
    EXPECT_EQ(fake::FindEntry(UserPath(u"Show icons.exe"))->contents, "long");
}

TEST_F(ToggleRunTest, UnreadableModulePathEndsTheRunWithOneAndNothingTouched) {
    // Without its own path the run could not leave a toggle file behind, and
    // hidden icons would have no way back.
    fake::Get().moduleFails = true;
    fake::AddEntry(fake::kUserDesktop, u"a.txt");
    fake::AddEntry(fake::kUserDesktop, u"Hide icons.exe");
    EXPECT_EQ(RunToggle(), 1u);
    EXPECT_EQ(fake::Get().log, std::vector<std::string>{"GetModuleFileNameW(2048) -> 0"});
    EXPECT_EQ(fake::Attributes(UserPath(u"a.txt")), fake::kArchive);
    EXPECT_NE(fake::FindEntry(UserPath(u"Hide icons.exe")), nullptr);
}

} // namespace
