// A fixture for tests that run the toggle against the in-memory platform:
// every test starts from fake::Reset(), and a failing test prints the whole
// fake state with its call log.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fake/fake_platform.h"

class FakeDesktopTest : public ::testing::Test {
  protected:
    void SetUp() override { fake::Reset(); }
    void TearDown() override {
        if (HasFailure()) {
            std::cout << fake::Dump();
        }
    }

    static std::u16string UserPath(const std::u16string& name) {
        return fake::Join(fake::kUserDesktop, name);
    }
    static std::u16string CommonPath(const std::u16string& name) {
        return fake::Join(fake::kCommonDesktop, name);
    }

    // The names on the user's desktop that are toggle files and visible.
    static std::vector<std::u16string> VisibleToggleFiles() {
        std::vector<std::u16string> names;
        for (const fake::Entry& entry : fake::FindFolder(fake::kUserDesktop)->entries) {
            bool toggle = entry.name == u"Hide icons.exe" || entry.name == u"Show icons.exe";
            if (toggle && !(entry.attributes & fake::kHidden)) {
                names.push_back(entry.name);
            }
        }
        return names;
    }

    // Position of the first log line starting with prefix, or -1.
    static int IndexOf(const std::string& prefix) {
        const std::vector<std::string>& log = fake::Get().log;
        for (size_t i = 0; i < log.size(); ++i) {
            if (log[i].compare(0, prefix.size(), prefix) == 0) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }
};
