// The fake must behave like the Windows services it stands in for, or the
// toggle tests prove nothing.
#include "fake/fake_platform.h"

#include <gtest/gtest.h>

#include "platform/platform.h"
#include "unit/fake_desktop_test.h"

namespace {

using FakePlatformTest = FakeDesktopTest;

std::vector<std::u16string> Enumerate(const char16_t* pattern) {
    std::vector<std::u16string> names;
    platform::FindData data;
    platform::FindHandle find = platform::FindFirstFileW(pattern, &data);
    if (find == platform::kInvalidHandleValue) {
        return names;
    }
    do {
        names.push_back(data.cFileName);
    } while (platform::FindNextFileW(find, &data));
    platform::FindClose(find);
    return names;
}

TEST_F(FakePlatformTest, EnumerationDeliversDotsThenEntriesInOrder) {
    fake::AddEntry(fake::kUserDesktop, u"b.txt");
    fake::AddEntry(fake::kUserDesktop, u"a.lnk", fake::kHidden);
    EXPECT_EQ(Enumerate(u"C:\\Users\\ana\\Desktop\\*"),
              (std::vector<std::u16string>{u".", u"..", u"b.txt", u"a.lnk"}));
    EXPECT_EQ(fake::Get().openFinds, 0);
}

TEST_F(FakePlatformTest, EnumerationFailsForUnknownOrLockedFolders) {
    fake::FindFolder(fake::kCommonDesktop)->enumerable = false;
    platform::FindData data;
    EXPECT_EQ(platform::FindFirstFileW(u"C:\\Nowhere\\*", &data), platform::kInvalidHandleValue);
    EXPECT_EQ(platform::FindFirstFileW(u"C:\\Users\\Public\\Desktop\\*", &data),
              platform::kInvalidHandleValue);
    EXPECT_EQ(fake::Get().openFinds, 0);
}

TEST_F(FakePlatformTest, AttributesAreSetUnlessRefused) {
    fake::AddEntry(fake::kUserDesktop, u"ok.txt");
    fake::AddEntry(fake::kUserDesktop, u"locked.txt").refuseAttributes = true;
    EXPECT_TRUE(platform::SetFileAttributesW(UserPath(u"OK.TXT").c_str(), 0x22));
    EXPECT_FALSE(platform::SetFileAttributesW(UserPath(u"locked.txt").c_str(), 0x22));
    EXPECT_FALSE(platform::SetFileAttributesW(UserPath(u"missing.txt").c_str(), 0x22));
    EXPECT_EQ(fake::Attributes(UserPath(u"ok.txt")), 0x22u);
    EXPECT_EQ(fake::Attributes(UserPath(u"locked.txt")), fake::kArchive);
    EXPECT_EQ(platform::GetFileAttributesW(UserPath(u"missing.txt").c_str()),
              platform::kInvalidFileAttributes);
}

TEST_F(FakePlatformTest, ModulePathIsCutLikeWindowsWhenTheBufferIsShort) {
    fake::Get().modulePath = u"C:\\abcdef";
    char16_t buffer[8];
    EXPECT_EQ(platform::GetModuleFileNameW(buffer, 5), 5u);
    EXPECT_EQ(std::u16string(buffer), u"C:\\a");
    EXPECT_EQ(platform::GetModuleFileNameW(buffer, 8), 8u);
    char16_t large[32];
    EXPECT_EQ(platform::GetModuleFileNameW(large, 32), 9u);
    EXPECT_EQ(std::u16string(large), u"C:\\abcdef");
}

TEST_F(FakePlatformTest, MoveRenamesAndCopyDuplicates) {
    fake::Entry& original = fake::AddEntry(fake::kUserDesktop, u"Hide icons.exe", 0x21);
    original.contents = "exe";
    ASSERT_TRUE(
        platform::MoveFileExW(UserPath(u"Hide icons.exe").c_str(), UserPath(u"Show icons.exe").c_str(), 3));
    EXPECT_EQ(fake::FindEntry(UserPath(u"Hide icons.exe")), nullptr);
    ASSERT_NE(fake::FindEntry(UserPath(u"Show icons.exe")), nullptr);
    EXPECT_EQ(fake::FindEntry(UserPath(u"Show icons.exe"))->contents, "exe");

    ASSERT_TRUE(
        platform::CopyFileW(UserPath(u"Show icons.exe").c_str(), CommonPath(u"copy.exe").c_str(), false));
    EXPECT_EQ(fake::Attributes(CommonPath(u"copy.exe")), 0x21u);
    EXPECT_NE(fake::FindEntry(UserPath(u"Show icons.exe")), nullptr);
    // Onto itself, from nowhere, or onto an existing file when told not to.
    EXPECT_FALSE(
        platform::CopyFileW(UserPath(u"Show icons.exe").c_str(), UserPath(u"show ICONS.exe").c_str(), false));
    EXPECT_FALSE(platform::CopyFileW(u"", UserPath(u"x.exe").c_str(), false));
    EXPECT_FALSE(
        platform::CopyFileW(UserPath(u"Show icons.exe").c_str(), CommonPath(u"copy.exe").c_str(), true));
    // Without the replace flag a move does not overwrite.
    EXPECT_FALSE(
        platform::MoveFileExW(UserPath(u"Show icons.exe").c_str(), CommonPath(u"copy.exe").c_str(), 0));
}

TEST_F(FakePlatformTest, DesktopFoldersResolveUnlessFailed) {
    char16_t path[platform::kMaxPath + 1];
    EXPECT_EQ(platform::SHGetFolderPathW(platform::kCsidlDesktop, path), platform::kSOk);
    EXPECT_EQ(std::u16string(path), fake::kUserDesktop);
    fake::Get().commonDesktopResult = 1; // S_FALSE
    EXPECT_EQ(platform::SHGetFolderPathW(platform::kCsidlCommonDesktopDirectory, path), 1);
}

TEST_F(FakePlatformTest, EveryCallIsLoggedInOrderAndTheDumpShowsIt) {
    fake::AddEntry(fake::kUserDesktop, u"a\u00F4.txt");
    platform::PathFileExistsW(UserPath(u"a\u00F4.txt").c_str());
    platform::DeleteFileW(UserPath(u"a\u00F4.txt").c_str());
    platform::MessageBoxW(fake::kDesktopWindow, u"one\r\ntwo", u"caption", 0x30);
    EXPECT_EQ(fake::Get().log,
              (std::vector<std::string>{"PathFileExistsW(\"C:\\Users\\ana\\Desktop\\a\xC3\xB4.txt\") -> 1",
                                        "DeleteFileW(\"C:\\Users\\ana\\Desktop\\a\xC3\xB4.txt\") -> 1",
                                        "MessageBoxW(desktop, \"one\\r\\ntwo\", \"caption\", 0x30) -> 1"}));
    std::string dump = fake::Dump();
    EXPECT_NE(dump.find("folder \"C:\\Tools\""), std::string::npos) << dump;
    EXPECT_NE(dump.find("DeleteFileW("), std::string::npos) << dump;
}

} // namespace
