#include "toggle/desktop_notice.h"

#include <gtest/gtest.h>

#include "unit/fake_desktop_test.h"

namespace {

using DesktopNoticeTest = FakeDesktopTest;

const char kAdvice[] = ".\\r\\n\\r\\nTry running Vantric as administrator next time.";

TEST_F(DesktopNoticeTest, WarningCountsRefusedChangesInPlainWords) {
    struct Case {
        int refused;
        bool hiding;
        std::string firstLine;
    } cases[] = {
        {1, true, "1 desktop icon could not be hidden"},
        {1, false, "1 desktop icon could not be unhidden"},
        {2, true, "2 desktop icons could not be hidden"},
        {2, false, "2 desktop icons could not be unhidden"},
        {11, true, "11 desktop icons could not be hidden"},
        {21, false, "21 desktop icons could not be unhidden"},
    };
    for (const Case& c : cases) {
        fake::Reset();
        fake::Get().uiLanguage = 0x040C; // the message stays English
        if (!c.hiding) {
            fake::AddEntry(fake::kUserDesktop, u"Afficher Ic\u00F4nes.exe");
        }
        for (int i = 0; i < c.refused; ++i) {
            std::u16string name = u"locked " + std::u16string(1, static_cast<char16_t>(u'a' + i)) + u".txt";
            fake::AddEntry(i % 2 ? fake::kCommonDesktop : fake::kUserDesktop, name, c.hiding ? 0x20 : 0x22)
                .refuseAttributes = true;
        }
        EXPECT_EQ(RunToggle(), static_cast<uint32_t>(c.refused));
        EXPECT_EQ(fake::Calls("MessageBoxW"),
                  std::vector<std::string>{"MessageBoxW(desktop, \"" + c.firstLine + kAdvice +
                                           "\", \"Vantric notification\", 0x30) -> 1"});
        if (HasFailure()) {
            return;
        }
    }
}

TEST_F(DesktopNoticeTest, SuccessfulRunPressesF5AndShowsNoBox) {
    fake::AddEntry(fake::kUserDesktop, u"a.txt");
    EXPECT_EQ(RunToggle(), 0u);
    std::vector<std::string> tail(fake::Get().log.end() - 4, fake::Get().log.end());
    EXPECT_EQ(tail, (std::vector<std::string>{
                        "FindWindowW(\"Progman\", \"Program Manager\") -> desktop",
                        "SetFocus(desktop)",
                        "SendInput(1, {vk 0x74 scan 0x0 flags 0x0 time 0x0 extra 0x0}) -> 1",
                        "SendInput(1, {vk 0x74 scan 0x0 flags 0x2 time 0x0 extra 0x0}) -> 1",
                    }));
}

TEST_F(DesktopNoticeTest, WithoutDesktopWindowNoInputIsSentAndTheBoxHasNoOwner) {
    fake::Get().hasDesktopWindow = false;
    fake::AddEntry(fake::kUserDesktop, u"locked.txt").refuseAttributes = true;
    EXPECT_EQ(RunToggle(), 1u);
    EXPECT_TRUE(fake::Calls("SetFocus").empty());
    EXPECT_TRUE(fake::Calls("SendInput").empty());
    EXPECT_EQ(fake::Calls("MessageBoxW"),
              std::vector<std::string>{std::string("MessageBoxW(null, \"1 desktop icon could not be hidden") +
                                       kAdvice + "\", \"Vantric notification\", 0x30) -> 1"});
}

TEST_F(DesktopNoticeTest, WholeRunInOrder) {
    fake::AddEntry(fake::kUserDesktop, u"Hide icons.exe").contents = "exe";
    fake::AddEntry(fake::kUserDesktop, u"a.lnk");
    fake::AddEntry(fake::kUserDesktop, u"desktop.ini", 0x26);
    fake::AddEntry(fake::kCommonDesktop, u"locked.lnk").refuseAttributes = true;
    fake::Get().modulePath = UserPath(u"Hide icons.exe");
    EXPECT_EQ(RunToggle(), 1u);
    EXPECT_EQ(fake::Get().log,
              (std::vector<std::string>{
                  "GetModuleFileNameW(2048) -> 35",
                  "GetUserDefaultUILanguage() -> 0x409",
                  "SHGetFolderPathW(0x0) -> 0x0 \"C:\\Users\\ana\\Desktop\"",
                  "SHGetFolderPathW(0x19) -> 0x0 \"C:\\Users\\Public\\Desktop\"",
                  "PathFileExistsW(\"C:\\Users\\ana\\Desktop\\Show icons.exe\") -> 0",
                  "DeleteFileW(\"C:\\Users\\ana\\Desktop\\IconState.ini\") -> 0",
                  "FindFirstFileW(\"C:\\Users\\ana\\Desktop\\*\") -> \".\"",
                  "FindNextFileW() -> \"..\"",
                  "FindNextFileW() -> \"Hide icons.exe\"",
                  "FindNextFileW() -> \"a.lnk\"",
                  "SetFileAttributesW(\"C:\\Users\\ana\\Desktop\\a.lnk\", 0x22) -> 1",
                  "FindNextFileW() -> \"desktop.ini\"",
                  "FindNextFileW() -> 0",
                  "FindClose() -> 1",
                  "SHChangeNotify(0x1000, 0x5, \"C:\\Users\\ana\\Desktop\")",
                  "FindFirstFileW(\"C:\\Users\\Public\\Desktop\\*\") -> \".\"",
                  "FindNextFileW() -> \"..\"",
                  "FindNextFileW() -> \"locked.lnk\"",
                  "SetFileAttributesW(\"C:\\Users\\Public\\Desktop\\locked.lnk\", 0x22) -> 0",
                  "FindNextFileW() -> 0",
                  "FindClose() -> 1",
                  "SHChangeNotify(0x1000, 0x5, \"C:\\Users\\Public\\Desktop\")",
                  "MoveFileExW(\"C:\\Users\\ana\\Desktop\\Hide icons.exe\", \"C:\\Users\\ana\\Desktop\\Show "
                  "icons.exe\", 0x3) -> 1",
                  "GetFileAttributesW(\"C:\\Users\\ana\\Desktop\\Show icons.exe\") -> 0x20",
                  "SetFileAttributesW(\"C:\\Users\\ana\\Desktop\\Show icons.exe\", 0x20) -> 1",
                  "DeleteFileW(\"C:\\Users\\ana\\Desktop\\Hide icons.exe\") -> 0",
                  "SHChangeNotify(0x2, 0x5, \"C:\\Users\\ana\\Desktop\\Show icons.exe\")",
                  "FindWindowW(\"Progman\", \"Program Manager\") -> desktop",
                  "SetFocus(desktop)",
                  "SendInput(1, {vk 0x74 scan 0x0 flags 0x0 time 0x0 extra 0x0}) -> 1",
                  "SendInput(1, {vk 0x74 scan 0x0 flags 0x2 time 0x0 extra 0x0}) -> 1",
                  std::string("MessageBoxW(desktop, \"1 desktop icon could not be hidden") + kAdvice +
                      "\", \"Vantric notification\", 0x30) -> 1",
              }));
}

} // namespace
