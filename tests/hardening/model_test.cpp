// Random desktops, each toggled several times in a row against the
// in-memory platform, and every run compared with a model of what it must
// do. Seeded and reproducible: a failure names its seed, and
//
//   VANTRIC_MODEL_SEED=<seed> ./vantric_model_tests
//
// replays only that desktop. VANTRIC_MODEL_DESKTOPS changes how many seeds
// are tried (1 to N).
#include <gtest/gtest.h>

#include <stdio.h>
#include <stdlib.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fake/fake_platform.h"
#include "run_checks.h"
#include "toggle/toggle_run.h"

namespace {

constexpr uint32_t kHidden = fake::kHidden;
constexpr int kDefaultDesktops = 1000;
constexpr int kRunsPerDesktop = 4;
constexpr int kMaxReportedSeeds = 3;
const char kProgram[] = "program";

// splitmix64: the same numbers on every compiler and library.
class Random {
  public:
    explicit Random(uint64_t seed) : state_(seed) {}
    uint64_t Next() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    uint32_t Below(uint32_t bound) { return static_cast<uint32_t>(Next() % bound); }
    bool Percent(uint32_t percent) { return Below(100) < percent; }
    template <typename T, size_t N> const T& Pick(const T (&items)[N]) { return items[Below(N)]; }

  private:
    uint64_t state_;
};

const uint16_t kLanguages[] = {0x0409, 0x0809, 0x040A, 0x080A, 0x0C0A,
                               0x040C, 0x0C0C, 0x080C, 0x0407, 0x0411};

// Names that look like the skip list but are not, and some that are.
const char16_t* const kSkipLookAlikes[] = {
    u"desktop.ini",      u"Desktop.INI",   u"DESKTOP.INI",    u"Thumbs.db",         u"THUMBS.DB",
    u"thumbs.db",        u"IconState.ini", u"iconstate.ini",  u"ICONSTATE.INI",     u"thumbs.db ",
    u" desktop.ini",     u"desktop.ini.",  u"Thumbs.db.lnk",  u"IconState.ini.bak", u"Thumbs",
    u"desktop.\u0130ni", u"\u212Aumbs.db", u"Thumbs\u00B7db", u"\uFF44esktop.ini",  u"IconState.in",
};

// Toggle names of every language, to be spelled in random ASCII case.
const char16_t* const kToggleLookAlikes[] = {
    u"Hide icons.exe",
    u"Show icons.exe",
    u"Ocultar iconos.exe",
    u"Mostrar iconos.exe",
    u"Cacher Ic\u00F4nes.exe",
    u"Afficher Ic\u00F4nes.exe",
    u"Afficher IC\u00D4NES.exe",
    u"Show icons.exe.lnk",
    u"Show icons",
    u"Hide icons.ex",
};

const char16_t kNonAscii[] = {0x00E9, 0x00C9, 0x00F4, 0x00D4, 0x00DF, 0x0130, 0x0131, 0x0416,
                              0x0436, 0x65E5, 0x672C, 0x00A0, 0xFF21, 0x212A, 0x00FF, 0x0178};
const char16_t kAsciiChars[] =
    u"abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789 -_.()~'+,;=[]";
const char16_t* const kExtensions[] = {u".lnk", u".txt", u".url", u".exe", u"", u".docx", u".ini", u".db"};

const uint32_t kAttributeBits[] = {0x1,    0x2,    0x4,     0x10,    0x20,    0x80,
                                   0x100,  0x200,  0x400,   0x800,   0x1000,  0x2000,
                                   0x4000, 0x8000, 0x20000, 0x40000, 0x80000, 0x400000};

std::u16string RandomCase(Random& random, std::u16string text) {
    for (char16_t& c : text) {
        if (c < 0x80 && isalpha(c) && random.Percent(50)) {
            c = static_cast<char16_t>(isupper(c) ? tolower(c) : toupper(c));
        }
    }
    return text;
}

std::u16string RandomName(Random& random, const std::u16string& selfName) {
    std::u16string name;
    switch (random.Below(12)) {
    case 0:
        return random.Pick(kSkipLookAlikes);
    case 1:
        return RandomCase(random, random.Pick(kToggleLookAlikes));
    case 2:
        return RandomCase(random, selfName);
    case 3: // long, up to the 255 characters a file name can have
        name.assign(200 + random.Below(52), u'x');
        return name + u".lnk";
    case 4:
    case 5:
        for (uint32_t n = 1 + random.Below(8); n > 0; --n) {
            name += random.Percent(50) ? random.Pick(kNonAscii) : kAsciiChars[random.Below(26)];
        }
        if (random.Percent(20)) {
            name += u"\U0001F642";
        }
        return name + random.Pick(kExtensions);
    default:
        for (uint32_t n = 1 + random.Below(12); n > 0; --n) {
            name += kAsciiChars[random.Below(sizeof(kAsciiChars) / sizeof(kAsciiChars[0]) - 1)];
        }
        return name + random.Pick(kExtensions);
    }
}

uint32_t RandomAttributes(Random& random) {
    uint32_t attributes = 0;
    if (random.Percent(10)) {
        attributes = static_cast<uint32_t>(random.Next());
    } else {
        for (uint32_t bit : kAttributeBits) {
            attributes |= random.Percent(25) ? bit : 0;
        }
    }
    return attributes == 0xFFFFFFFFu ? 0x20 : attributes; // that word means "no such file"
}

bool NameTaken(const std::u16string& folder, const std::u16string& name) {
    return fake::FindEntry(fake::Join(folder, name)) != nullptr;
}

bool IsToggleName(const std::u16string& folder, const std::u16string& name) {
    run_checks::Names names = run_checks::NamesFor(fake::Get().uiLanguage);
    return run_checks::SameAscii(folder, fake::kUserDesktop) &&
           (run_checks::SameAscii(name, names.hide) || run_checks::SameAscii(name, names.show));
}

// Adds a random entry unless the folder already holds that name.
void AddRandomEntry(Random& random, const std::u16string& folder, const std::u16string& selfName) {
    std::u16string name = RandomName(random, selfName);
    if (NameTaken(folder, name) || name == u"." || name == u"..") {
        return;
    }
    fake::Entry& entry = fake::AddEntry(folder, name, RandomAttributes(random));
    if (IsToggleName(folder, name)) {
        // A toggle file is a program the run itself placed: a plain file it
        // may change.
        entry.attributes &= ~fake::kDirectory;
        entry.contents = random.Percent(50) ? kProgram : "older program";
    } else {
        entry.refuseAttributes = random.Percent(12);
    }
}

// Puts the executable somewhere: on the user's desktop as a toggle file or
// under another name, on the all-users desktop, or in C:\Tools; the path it
// is started by may be spelled in another ASCII case.
void PlaceExecutable(Random& random) {
    run_checks::Names names = run_checks::NamesFor(fake::Get().uiLanguage);
    std::u16string folder, name;
    switch (random.Below(8)) {
    case 0:
    case 1:
    case 2:
        folder = fake::kUserDesktop;
        name = RandomCase(random, random.Percent(50) ? names.hide : names.show);
        break;
    case 3:
        folder = fake::kUserDesktop;
        name = u"Vantric.exe";
        break;
    case 4:
        folder = fake::kCommonDesktop;
        name = random.Percent(30) ? RandomCase(random, names.show) : RandomName(random, u"Vantric.exe");
        break;
    default:
        folder = fake::kToolsFolder;
        name = random.Percent(40) ? RandomCase(random, random.Pick(kToggleLookAlikes)) : u"Vantric.exe";
        break;
    }
    fake::Entry& entry = fake::AddEntry(folder, name);
    entry.contents = kProgram;
    entry.attributes =
        folder == fake::kToolsFolder ? fake::kArchive : RandomAttributes(random) & ~fake::kDirectory;
    fake::Get().modulePath = fake::Join(random.Percent(30) ? RandomCase(random, folder) : folder, name);
}

void BuildDesktop(Random& random) {
    fake::Reset();
    fake::FindFolder(fake::kToolsFolder)->entries.clear();
    fake::State& state = fake::Get();
    state.uiLanguage = random.Pick(kLanguages);
    PlaceExecutable(random);
    std::u16string selfName = run_checks::BareName(state.modulePath);
    run_checks::Names names = run_checks::NamesFor(state.uiLanguage);
    for (const std::u16string& toggle : {names.hide, names.show}) {
        if (random.Percent(30) && !NameTaken(fake::kUserDesktop, toggle)) {
            fake::Entry& entry = fake::AddEntry(fake::kUserDesktop, RandomCase(random, toggle));
            entry.attributes = RandomAttributes(random) & ~fake::kDirectory;
            entry.contents = kProgram;
        }
    }
    for (uint32_t n = random.Below(13); n > 0; --n) {
        AddRandomEntry(random, fake::kUserDesktop, selfName);
    }
    for (uint32_t n = random.Below(9); n > 0; --n) {
        AddRandomEntry(random, fake::kCommonDesktop, selfName);
    }
    state.refuseMove = random.Percent(15);
    state.refuseCopy = random.Percent(15);
}

// Before a later run: the user double-clicks the toggle file on the desktop
// or starts the executable from where it was; sometimes a new file has
// landed on the desktop and the file system's refusals have changed.
void PrepareNextRun(Random& random, const std::u16string& firstModulePath) {
    fake::State& state = fake::Get();
    std::vector<std::u16string> candidates;
    for (const fake::Entry& entry : fake::FindFolder(fake::kUserDesktop)->entries) {
        if (IsToggleName(fake::kUserDesktop, entry.name)) {
            candidates.push_back(fake::Join(fake::kUserDesktop, entry.name));
        }
    }
    if (candidates.empty() || random.Percent(20)) {
        candidates.push_back(firstModulePath);
    }
    std::u16string path = candidates[random.Below(static_cast<uint32_t>(candidates.size()))];
    if (!fake::FindEntry(path)) { // it was moved or deleted: fetch it again
        path = fake::Join(fake::kToolsFolder, u"Vantric.exe");
        if (!fake::FindEntry(path)) {
            fake::AddEntry(fake::kToolsFolder, u"Vantric.exe").contents = kProgram;
        }
    }
    state.modulePath = random.Percent(30) ? RandomCase(random, path) : path;
    if (random.Percent(30)) {
        AddRandomEntry(random, fake::kUserDesktop, run_checks::BareName(state.modulePath));
    }
    if (random.Percent(20)) {
        state.refuseMove = random.Percent(15);
        state.refuseCopy = random.Percent(15);
    }
}

// What the runs went through, to show that every path was taken.
struct Coverage {
    int runs = 0, hiding = 0, showing = 0, moves = 0, copies = 0, failedPlacements = 0, withRefusals = 0;
    int skipListEntries = 0, nonAsciiEntries = 0;
};
Coverage coverage;

// The model: what one run must have done, given the fake before it.
std::vector<std::string> CompareWithModel(const run_checks::Facts& facts, uint32_t exitCode) {
    std::vector<std::string> broken = run_checks::Violations(facts);
    auto expect = [&](bool holds, const std::string& rule) {
        if (!holds) {
            broken.push_back(rule);
        }
    };
    const fake::State& fakeState = fake::Get();
    const std::u16string showPath = fake::Join(facts.userDesktop, facts.names.show);
    const std::u16string hidePath = fake::Join(facts.userDesktop, facts.names.hide);
    bool hiding = true;
    for (const fake::Folder& folder : facts.before) {
        for (const fake::Entry& entry : folder.entries) {
            if (run_checks::SameAscii(fake::Join(folder.path, entry.name), showPath)) {
                hiding = false;
            }
        }
    }

    // The sweep: every entry to change is changed unless it refuses, and
    // each refusal is counted once.
    uint32_t refusals = 0;
    for (int desktop = 0; desktop < 2; ++desktop) {
        const std::u16string& folder = desktop == 0 ? facts.userDesktop : facts.commonDesktop;
        for (const fake::Entry* entry : run_checks::EntriesToChange(facts, desktop, hiding)) {
            bool hiddenNow = (fake::Attributes(fake::Join(folder, entry->name)) & kHidden) != 0;
            refusals += entry->refuseAttributes;
            expect(hiddenNow == (entry->refuseAttributes ? !hiding : hiding),
                   "\"" + fake::Utf8(fake::Join(folder, entry->name)) + "\" is " +
                       (hiddenNow ? "hidden" : "visible") + " after " + (hiding ? "hiding" : "showing"));
        }
    }
    std::vector<run_checks::Call> calls = run_checks::ParsedLog();
    uint32_t loggedRefusals = 0;
    std::vector<const run_checks::Call*> placements;
    for (const run_checks::Call& call : calls) {
        if (call.function == "MoveFileExW" || call.function == "CopyFileW") {
            placements.push_back(&call);
        }
        loggedRefusals += placements.empty() && call.function == "SetFileAttributesW" && call.result == "0";
    }
    expect(exitCode == refusals && exitCode == loggedRefusals,
           "exit code " + std::to_string(exitCode) + ", model expects " + std::to_string(refusals) +
               " refused changes, the log shows " + std::to_string(loggedRefusals));

    // The placement: a move when started as a toggle file of the user's
    // desktop, else a copy; after success one visible toggle file offering
    // the opposite action, holding the program.
    bool fromToggle = run_checks::SameAscii(facts.modulePath, showPath) ||
                      run_checks::SameAscii(facts.modulePath, hidePath);
    bool succeeds = fromToggle ? !fakeState.refuseMove : !fakeState.refuseCopy;
    const std::u16string& wanted = hiding ? facts.names.show : facts.names.hide;
    expect(placements.size() == 1 && placements[0]->function == (fromToggle ? "MoveFileExW" : "CopyFileW"),
           std::string("expected exactly one ") + (fromToggle ? "move" : "copy") + " of the executable");
    bool placed = placements.size() == 1 && placements[0]->result == "1";
    expect(placed == succeeds, std::string("placement ") + (placed ? "succeeded" : "failed") +
                                   ", model expects " + (succeeds ? "success" : "failure"));
    ++coverage.runs;
    ++(hiding ? coverage.hiding : coverage.showing);
    ++(fromToggle ? coverage.moves : coverage.copies);
    coverage.failedPlacements += !placed;
    coverage.withRefusals += refusals > 0;
    for (const fake::Folder& folder : facts.before) {
        for (const fake::Entry& entry : folder.entries) {
            coverage.skipListEntries += run_checks::IsSkipListName(entry.name);
            coverage.nonAsciiEntries +=
                std::any_of(entry.name.begin(), entry.name.end(), [](char16_t c) { return c >= 0x80; });
        }
    }

    std::vector<const fake::Entry*> toggles = run_checks::ToggleEntries(facts);
    if (placed) {
        expect(toggles.size() == 1 && run_checks::SameAscii(toggles[0]->name, wanted) &&
                   !(toggles[0]->attributes & kHidden) && toggles[0]->contents == kProgram,
               "after placing, the user's desktop must hold exactly one visible \"" + fake::Utf8(wanted) +
                   "\" with the program, and no other toggle file");
    } else {
        for (const fake::Entry* toggle : toggles) {
            expect(run_checks::SameAscii(toggle->name, wanted),
                   "the toggle file \"" + fake::Utf8(toggle->name) + "\" of the other action is still there");
            expect(!(toggle->attributes & kHidden),
                   "the toggle file \"" + fake::Utf8(toggle->name) + "\" is hidden");
        }
    }

    std::vector<std::string> boxes;
    for (const run_checks::Call& call : calls) {
        if (call.function == "MessageBoxW") {
            boxes.push_back(call.arguments.size() > 1 ? call.arguments[1] : "");
        }
    }
    expect(refusals == 0 ? boxes.empty()
                         : boxes == std::vector<std::string>{run_checks::NoticeText(refusals, hiding)},
           "expected " +
               (refusals == 0 ? std::string("no message box") : run_checks::NoticeText(refusals, hiding)) +
               ", got " + std::to_string(boxes.size()) + " boxes");
    expect(fakeState.openFinds == 0, "an enumeration was left open");
    return broken;
}

// Builds one desktop from seed and toggles it several times; on the first
// broken rule reports the seed, the rules and the fake before and after.
bool RunSeed(uint64_t seed) {
    Random random(seed);
    BuildDesktop(random);
    const std::u16string firstModulePath = fake::Get().modulePath;
    for (int run = 1; run <= kRunsPerDesktop; ++run) {
        if (run > 1) {
            PrepareNextRun(random, firstModulePath);
        }
        fake::Get().log.clear();
        run_checks::Facts facts = run_checks::FactsBeforeRun();
        std::string before = fake::Dump();
        uint32_t exitCode = RunToggle();
        std::vector<std::string> broken = CompareWithModel(facts, exitCode);
        if (!broken.empty()) {
            ADD_FAILURE() << "seed " << seed << ", run " << run << " of " << kRunsPerDesktop
                          << " (replay: VANTRIC_MODEL_SEED=" << seed << "), exit code " << exitCode << ":\n"
                          << run_checks::Lines(broken) << "before the run:\n"
                          << before << "after the run:\n"
                          << fake::Dump();
            return false;
        }
    }
    return true;
}

TEST(RandomDesktops, EveryRunMatchesTheModel) {
    std::vector<uint64_t> seeds;
    if (const char* only = getenv("VANTRIC_MODEL_SEED")) {
        seeds.push_back(strtoull(only, nullptr, 10));
    } else {
        const char* count = getenv("VANTRIC_MODEL_DESKTOPS");
        int desktops = count ? atoi(count) : kDefaultDesktops;
        for (int seed = 1; seed <= desktops; ++seed) {
            seeds.push_back(static_cast<uint64_t>(seed));
        }
    }
    int failed = 0;
    for (uint64_t seed : seeds) {
        if (!RunSeed(seed) && ++failed == kMaxReportedSeeds) {
            FAIL() << "stopped after " << kMaxReportedSeeds << " failing seeds";
        }
    }
    const Coverage& c = coverage;
    printf("%zu desktops, %d runs: %d hiding, %d showing, %d moves, %d copies, %d failed placements, "
           "%d with refused changes; %d skip-list and %d non-ASCII entries met\n",
           seeds.size(), c.runs, c.hiding, c.showing, c.moves, c.copies, c.failedPlacements, c.withRefusals,
           c.skipListEntries, c.nonAsciiEntries);
    if (seeds.size() >= 100) {
        // A generator that stopped producing one of these would leave a
        // path of the run untested while the test kept passing.
        for (int seen : {c.hiding, c.showing, c.moves, c.copies, c.failedPlacements, c.withRefusals,
                         c.skipListEntries, c.nonAsciiEntries}) {
            EXPECT_GT(seen, 0) << "the random desktops no longer reach every path of a run";
        }
    }
}

} // namespace
