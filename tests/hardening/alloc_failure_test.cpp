// A whole toggle run against the in-memory platform with its allocations
// failing one at a time, and with the heap running dry from each allocation
// on. Whatever fails, the run must not crash, must never hand the platform a
// path it did not finish building, and must count what it left undone.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "failing_allocator.h"
#include "fake/fake_platform.h"
#include "run_checks.h"
#include "toggle/toggle_run.h"

namespace {

using failing_allocator::Mode;

constexpr uint32_t kHidden = fake::kHidden;
constexpr uint32_t kArchive = fake::kArchive;
constexpr uint32_t kSystem = 0x4;
constexpr uint32_t kReadOnly = 0x1;
const char kProgram[] = "program";

// A desktop of every kind of entry the sweep meets. hidden is 0 or kHidden:
// the state the icons are in before the run.
void AddMixedEntries(uint32_t hidden) {
    const std::u16string user = fake::kUserDesktop, common = fake::kCommonDesktop;
    fake::AddEntry(user, u"a.lnk", kArchive | hidden);
    fake::AddEntry(user, u"Caf\u00E9 \u65E5\u672C.lnk", kArchive | hidden);
    fake::AddEntry(user, u"Projects", fake::kDirectory | hidden);
    fake::AddEntry(user, u"notes.txt", kReadOnly | kArchive | hidden);
    fake::AddEntry(user, u"secret.txt", kArchive | kHidden); // hidden by hand
    fake::AddEntry(user, u"desktop.ini", kHidden | kSystem | kArchive);
    fake::AddEntry(user, u"THUMBS.DB", kHidden | kSystem);
    fake::AddEntry(user, u"IconState.ini");
    fake::AddEntry(user, u"locked.lnk", kArchive | hidden).refuseAttributes = true;
    fake::AddEntry(common, u"Shared.lnk", kArchive | hidden);
    fake::AddEntry(common, u"Desktop.INI", kHidden | kSystem);
    fake::AddEntry(common, u"Admin only.lnk", kArchive | hidden).refuseAttributes = true;
}

void RunFrom(const std::u16string& folder, const std::u16string& name) {
    fake::AddEntry(folder, name).contents = kProgram;
    fake::Get().modulePath = fake::Join(folder, name);
}

struct Fixture {
    const char* name;
    void (*build)();
};

const Fixture kFixtures[] = {
    {"HidingFromTools",
     [] {
         AddMixedEntries(0);
         RunFrom(fake::kToolsFolder, u"Vantric.exe");
     }},
    {"ShowingFromDesktopToggle",
     [] {
         AddMixedEntries(kHidden);
         RunFrom(fake::kUserDesktop, u"Show icons.exe");
     }},
    {"HidingFromDesktopToggle",
     [] {
         AddMixedEntries(0);
         RunFrom(fake::kUserDesktop, u"Hide icons.exe");
     }},
    {"ShowingFromToolsWithBothToggles",
     [] {
         AddMixedEntries(kHidden);
         fake::AddEntry(fake::kUserDesktop, u"Show icons.exe").contents = kProgram;
         fake::AddEntry(fake::kUserDesktop, u"Hide icons.exe", kArchive | kHidden).contents = kProgram;
         RunFrom(fake::kToolsFolder, u"Vantric.exe");
     }},
    {"HidingInFrenchFromCommonDesktop",
     [] {
         fake::Get().uiLanguage = 0x040C;
         AddMixedEntries(0);
         RunFrom(fake::kCommonDesktop, u"Outil.exe");
     }},
    {"ShowingInSpanishWithLongName",
     [] {
         fake::Get().uiLanguage = 0x080A;
         AddMixedEntries(kHidden);
         fake::AddEntry(fake::kUserDesktop, std::u16string(250, u'n') + u".lnk", kHidden);
         fake::AddEntry(fake::kUserDesktop, u"Mostrar iconos.exe").contents = kProgram;
         RunFrom(fake::kToolsFolder, u"Vantric.exe");
     }},
};

void BuildFixture(const Fixture& fixture) {
    fake::Reset();
    fake::FindFolder(fake::kToolsFolder)->entries.clear();
    fixture.build();
}

struct Outcome {
    uint32_t exitCode;
    failing_allocator::Tally tally;
};

Outcome RunWithFailure(uint64_t failAt, Mode mode) {
    failing_allocator::Arm(failAt, mode);
    uint32_t exitCode = RunToggle();
    return {exitCode, failing_allocator::Disarm()};
}

bool IsReadBeforeActing(const std::string& function) {
    return function == "GetModuleFileNameW" || function == "GetUserDefaultUILanguage" ||
           function == "SHGetFolderPathW";
}

// Everything a run with failing allocations must still get right; returns
// the broken rules.
std::vector<std::string> Check(const run_checks::Facts& facts, const Outcome& outcome) {
    std::vector<std::string> broken = run_checks::Violations(facts);
    auto expect = [&](bool holds, const std::string& rule) {
        if (!holds) {
            broken.push_back(rule);
        }
    };
    const uint32_t exitCode = outcome.exitCode;
    expect(outcome.tally.throwingCalls == 0, "the run used the throwing new[], which cannot fail gracefully");
    expect(fake::Get().openFinds == 0, "an enumeration was left open");

    std::vector<run_checks::Call> calls = run_checks::ParsedLog();
    bool decided = std::any_of(calls.begin(), calls.end(), [](const run_checks::Call& call) {
        return call.function == "PathFileExistsW";
    });
    if (!decided) {
        // It gave up before choosing a direction: nothing may have been done.
        expect(exitCode == 1, "a run that gave up early must exit with 1, got " + std::to_string(exitCode));
        for (const run_checks::Call& call : calls) {
            expect(IsReadBeforeActing(call.function), "a run that gave up early called " + call.function);
        }
        expect(outcome.tally.failedCalls > 0, "the run gave up without any allocation failing");
        return broken;
    }

    const fake::Folder* userBefore = nullptr;
    for (const fake::Folder& folder : facts.before) {
        if (folder.path == facts.userDesktop) {
            userBefore = &folder;
        }
    }
    bool hiding =
        std::none_of(userBefore->entries.begin(), userBefore->entries.end(),
                     [&](const fake::Entry& e) { return run_checks::SameAscii(e.name, facts.names.show); });

    // Refusals are the platform's answers; whatever else the exit code
    // counts must be work the run skipped because an allocation failed.
    uint32_t refused = 0;
    for (const run_checks::Call& call : calls) {
        if (call.function == "MoveFileExW" || call.function == "CopyFileW") {
            break;
        }
        refused += call.function == "SetFileAttributesW" && call.result == "0";
    }
    int64_t skipped = static_cast<int64_t>(exitCode) - refused;
    expect(skipped >= 0, "exit code " + std::to_string(exitCode) + " is below the " +
                             std::to_string(refused) + " refused changes");
    expect(skipped <= static_cast<int64_t>(outcome.tally.failedCalls),
           "exit code " + std::to_string(exitCode) + " counts more than the refusals (" +
               std::to_string(refused) + ") and the failed allocations (" +
               std::to_string(outcome.tally.failedCalls) + ")");
    for (int desktop = 0; desktop < 2; ++desktop) {
        const std::u16string& folder = desktop == 0 ? facts.userDesktop : facts.commonDesktop;
        for (const fake::Entry* entry : run_checks::EntriesToChange(facts, desktop, hiding)) {
            std::u16string path = fake::Join(folder, entry->name);
            bool done = ((fake::Attributes(path) & kHidden) != 0) == hiding;
            if (!done && !entry->refuseAttributes) {
                expect(skipped > 0, "\"" + fake::Utf8(path) + "\" was left unchanged and not counted");
            }
        }
    }

    // Placing the toggle file allocates nothing, so it always completes here.
    std::vector<const fake::Entry*> toggles = run_checks::ToggleEntries(facts);
    const std::u16string& wanted = hiding ? facts.names.show : facts.names.hide;
    expect(toggles.size() == 1 && run_checks::SameAscii(toggles[0]->name, wanted) &&
               !(toggles[0]->attributes & kHidden) && toggles[0]->contents == kProgram,
           "the user's desktop must end with exactly one visible \"" + fake::Utf8(wanted) +
               "\" holding the program");

    std::vector<std::string> boxes = fake::Calls("MessageBoxW(");
    expect(boxes.size() <= 1, "more than one message box");
    if (exitCode == 0) {
        expect(boxes.empty(), "a message box after a complete run");
    } else if (outcome.tally.failedCalls == 0) {
        expect(boxes.size() == 1, "no message box for " + std::to_string(exitCode) + " refused changes");
    }
    for (const run_checks::Call& call : calls) {
        if (call.function == "MessageBoxW") {
            expect(call.arguments.size() > 1 && call.arguments[1] == run_checks::NoticeText(exitCode, hiding),
                   "message box text is not the whole message for " + std::to_string(exitCode));
        }
    }
    return broken;
}

struct Case {
    const Fixture* fixture;
    Mode mode;
};

class AllocationFailure : public ::testing::TestWithParam<Case> {};

TEST_P(AllocationFailure, EveryAllocationOfTheRun) {
    const Case& param = GetParam();
    BuildFixture(*param.fixture);
    run_checks::Facts facts = run_checks::FactsBeforeRun();
    Outcome clean = RunWithFailure(0, param.mode);
    std::vector<std::string> broken = Check(facts, clean);
    ASSERT_TRUE(broken.empty()) << "without any failing allocation:\n"
                                << run_checks::Lines(broken) << fake::Dump();
    // Every entry name is copied once, so a run that allocated fewer times
    // than there are entries was not seen by the hook at all.
    size_t entries = 0;
    for (const fake::Folder& folder : facts.before) {
        entries += folder.entries.size();
    }
    ASSERT_GT(clean.tally.nothrowCalls, entries)
        << "the failing allocator does not see the run's allocations";

    for (uint64_t failAt = 1; failAt <= clean.tally.nothrowCalls; ++failAt) {
        BuildFixture(*param.fixture);
        Outcome outcome = RunWithFailure(failAt, param.mode);
        ASSERT_GE(outcome.tally.failedCalls, 1u) << "allocation " << failAt << " was never made";
        broken = Check(facts, outcome);
        ASSERT_TRUE(broken.empty()) << "allocation " << failAt << " of " << clean.tally.nothrowCalls
                                    << " failing, exit code " << outcome.exitCode << ":\n"
                                    << run_checks::Lines(broken) << fake::Dump();
    }
}

std::vector<Case> AllCases() {
    std::vector<Case> cases;
    for (const Fixture& fixture : kFixtures) {
        cases.push_back({&fixture, Mode::kOnlyThat});
        cases.push_back({&fixture, Mode::kFromThereOn});
    }
    return cases;
}

INSTANTIATE_TEST_SUITE_P(Fixtures, AllocationFailure, ::testing::ValuesIn(AllCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return std::string(info.param.fixture->name) +
                                    (info.param.mode == Mode::kOnlyThat ? "_OneFails" : "_AllFailFromThere");
                         });

} // namespace
