#include "run_checks.h"

#include <ctype.h>
#include <stdio.h>

#include <algorithm>

namespace run_checks {
namespace {

constexpr uint32_t kHidden = 0x2;

const char16_t* const kSkipList[] = {u"desktop.ini", u"Thumbs.db", u"IconState.ini"};

const char16_t* const kNoPathCalls[] = {
    u"GetModuleFileNameW", u"GetUserDefaultUILanguage",
    u"SHGetFolderPathW",   u"FindNextFileW",
    u"FindClose",          u"FindWindowW",
    u"SetFocus",           u"SendInput",
    u"MessageBoxW",
};

std::string Quoted(const std::u16string& text) {
    return "\"" + fake::Utf8(text) + "\"";
}

const fake::Folder* FolderIn(const std::vector<fake::Folder>& folders, const std::u16string& path) {
    for (const fake::Folder& folder : folders) {
        if (SameAscii(folder.path, path)) {
            return &folder;
        }
    }
    return nullptr;
}

const fake::Entry* EntryIn(const fake::Folder& folder, const std::u16string& name) {
    for (const fake::Entry& entry : folder.entries) {
        if (SameAscii(entry.name, name)) {
            return &entry;
        }
    }
    return nullptr;
}

std::string Describe(const fake::Folder& folder, const fake::Entry& entry) {
    return "\"" + fake::Utf8(fake::Join(folder.path, entry.name)) + "\"";
}

std::string Hex(uint32_t value) {
    char buffer[16];
    snprintf(buffer, sizeof(buffer), "0x%X", value);
    return buffer;
}

bool Contains(const std::vector<std::string>& set, const std::string& value) {
    return std::find(set.begin(), set.end(), value) != set.end();
}

} // namespace

Names NamesFor(uint16_t languageId) {
    switch (languageId & 0x3FF) {
    case 0x0A:
        return {u"Ocultar iconos.exe", u"Mostrar iconos.exe"};
    case 0x0C:
        return {u"Cacher Ic\u00F4nes.exe", u"Afficher Ic\u00F4nes.exe"};
    default:
        return {u"Hide icons.exe", u"Show icons.exe"};
    }
}

bool SameAscii(const std::u16string& a, const std::u16string& b) {
    auto lower = [](char16_t c) { return c < 0x80 ? static_cast<char16_t>(tolower(c)) : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
}

bool IsSkipListName(const std::u16string& name) {
    for (const char16_t* skipped : kSkipList) {
        if (SameAscii(name, skipped)) {
            return true;
        }
    }
    return false;
}

std::u16string BareName(const std::u16string& path) {
    size_t slash = path.rfind(u'\\');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

std::vector<Call> ParsedLog() {
    std::vector<Call> calls;
    for (const std::string& line : fake::Get().log) {
        Call call;
        size_t open = line.find('(');
        call.function = line.substr(0, open);
        size_t at = open == std::string::npos ? line.size() : open + 1;
        while (at < line.size() && line[at] != ')') {
            size_t end;
            if (line[at] == '"') {
                end = line.find('"', at + 1);
                end = end == std::string::npos ? line.size() : end + 1;
            } else {
                end = line.find_first_of(",)", at);
                end = end == std::string::npos ? line.size() : end;
            }
            call.arguments.push_back(line.substr(at, end - at));
            at = end;
            if (line.compare(at, 2, ", ") == 0) {
                at += 2;
            }
        }
        size_t arrow = line.find(" -> ", at);
        if (arrow != std::string::npos) {
            call.result = line.substr(arrow + 4);
        }
        calls.push_back(call);
    }
    return calls;
}

Facts FactsBeforeRun() {
    fake::State& state = fake::Get();
    Facts facts;
    facts.userDesktop = state.userDesktopPath;
    facts.commonDesktop = state.commonDesktopPath;
    facts.modulePath = state.modulePath;
    facts.names = NamesFor(state.uiLanguage);
    facts.before = state.folders;
    return facts;
}

std::vector<std::string> PathViolations(const Facts& facts) {
    const std::u16string desktops[2] = {facts.userDesktop, facts.commonDesktop};
    std::vector<std::string> entryPaths, patterns, folders;
    for (const std::u16string& desktop : desktops) {
        folders.push_back(Quoted(desktop));
        patterns.push_back(Quoted(desktop + u"\\*"));
        if (const fake::Folder* folder = FolderIn(facts.before, desktop)) {
            for (const fake::Entry& entry : folder->entries) {
                entryPaths.push_back(Quoted(fake::Join(desktop, entry.name)));
            }
        }
    }
    const std::string showPath = Quoted(fake::Join(facts.userDesktop, facts.names.show));
    const std::string hidePath = Quoted(fake::Join(facts.userDesktop, facts.names.hide));
    const std::vector<std::string> toggles = {hidePath, showPath};
    const std::string legacyState = Quoted(fake::Join(facts.userDesktop, u"IconState.ini"));
    const std::string self = Quoted(facts.modulePath);

    std::vector<std::string> broken;
    std::vector<Call> calls = ParsedLog();
    for (size_t i = 0; i < calls.size(); ++i) {
        const Call& call = calls[i];
        const std::vector<std::string>& args = call.arguments;
        auto arg = [&](size_t n) { return n < args.size() ? args[n] : std::string("<missing>"); };
        auto allowed = [&](size_t n, std::initializer_list<const std::vector<std::string>*> sets) {
            for (const std::vector<std::string>* set : sets) {
                if (Contains(*set, arg(n))) {
                    return;
                }
            }
            broken.push_back("call " + std::to_string(i + 1) + ": " + call.function + " argument " +
                             std::to_string(n + 1) + " " + arg(n) + " is not a path this call may use");
        };
        const std::vector<std::string> show = {showPath}, selfOnly = {self},
                                       deletable = {hidePath, showPath, legacyState};
        std::u16string function(call.function.begin(), call.function.end());
        if (call.function == "SetFileAttributesW") {
            allowed(0, {&entryPaths, &toggles});
        } else if (call.function == "GetFileAttributesW") {
            allowed(0, {&toggles});
        } else if (call.function == "PathFileExistsW") {
            allowed(0, {&show});
        } else if (call.function == "DeleteFileW") {
            allowed(0, {&deletable});
        } else if (call.function == "FindFirstFileW") {
            allowed(0, {&patterns});
        } else if (call.function == "MoveFileExW" || call.function == "CopyFileW") {
            allowed(0, {&selfOnly});
            allowed(1, {&toggles});
        } else if (call.function == "SHChangeNotify") {
            allowed(2, {&folders, &toggles});
        } else if (std::none_of(std::begin(kNoPathCalls), std::end(kNoPathCalls),
                                [&](const char16_t* known) { return function == known; })) {
            broken.push_back("call " + std::to_string(i + 1) + ": unexpected platform call " + call.function);
        }
    }
    return broken;
}

std::vector<std::string> StateViolations(const Facts& facts) {
    std::vector<std::string> broken;
    const std::u16string selfName = BareName(facts.modulePath);
    const std::vector<fake::Folder>& after = fake::Get().folders;
    for (const fake::Folder& folder : facts.before) {
        bool user = SameAscii(folder.path, facts.userDesktop);
        bool desktop = user || SameAscii(folder.path, facts.commonDesktop);
        const fake::Folder* now = FolderIn(after, folder.path);
        if (!now) {
            broken.push_back("folder \"" + fake::Utf8(folder.path) + "\" disappeared");
            continue;
        }
        auto isToggle = [&](const std::u16string& name) {
            return user && (SameAscii(name, facts.names.hide) || SameAscii(name, facts.names.show));
        };
        for (const fake::Entry& entry : folder.entries) {
            bool toggle = isToggle(entry.name);
            const fake::Entry* kept = EntryIn(*now, entry.name);
            if (!kept) {
                if (!toggle && !(user && SameAscii(entry.name, u"IconState.ini"))) {
                    broken.push_back(Describe(folder, entry) + " was deleted");
                }
                continue;
            }
            if (toggle) {
                continue; // the placement's business
            }
            uint32_t changed = entry.attributes ^ kept->attributes;
            if (kept->name != entry.name || kept->contents != entry.contents) {
                broken.push_back(Describe(folder, entry) + " was renamed or rewritten");
            }
            if (changed & ~kHidden) {
                broken.push_back(Describe(folder, entry) + " changed bits other than hidden: " +
                                 Hex(entry.attributes) + " -> " + Hex(kept->attributes));
            }
            bool untouchable = !desktop || IsSkipListName(entry.name) || SameAscii(entry.name, selfName);
            if (changed && untouchable) {
                broken.push_back(Describe(folder, entry) + " must not change but went " +
                                 Hex(entry.attributes) + " -> " + Hex(kept->attributes));
            }
        }
        for (const fake::Entry& entry : now->entries) {
            if (!EntryIn(folder, entry.name) && !isToggle(entry.name)) {
                broken.push_back(Describe(*now, entry) + " appeared");
            }
        }
    }
    for (const fake::Folder& folder : after) {
        if (!FolderIn(facts.before, folder.path)) {
            broken.push_back("folder \"" + fake::Utf8(folder.path) + "\" appeared");
        }
    }
    return broken;
}

std::vector<const fake::Entry*> ToggleEntries(const Facts& facts) {
    std::vector<const fake::Entry*> toggles;
    if (const fake::Folder* user = FolderIn(fake::Get().folders, facts.userDesktop)) {
        for (const fake::Entry& entry : user->entries) {
            if (SameAscii(entry.name, facts.names.hide) || SameAscii(entry.name, facts.names.show)) {
                toggles.push_back(&entry);
            }
        }
    }
    return toggles;
}

std::vector<const fake::Entry*> EntriesToChange(const Facts& facts, int desktop, bool hiding) {
    std::vector<const fake::Entry*> entries;
    const fake::Folder* folder =
        FolderIn(facts.before, desktop == 0 ? facts.userDesktop : facts.commonDesktop);
    if (!folder) {
        return entries;
    }
    const std::u16string selfName = BareName(facts.modulePath);
    for (const fake::Entry& entry : folder->entries) {
        bool toggle = desktop == 0 &&
                      (SameAscii(entry.name, facts.names.hide) || SameAscii(entry.name, facts.names.show));
        bool skipped = IsSkipListName(entry.name) || SameAscii(entry.name, selfName);
        bool hidden = (entry.attributes & kHidden) != 0;
        if (!toggle && !skipped && hidden != hiding) {
            entries.push_back(&entry);
        }
    }
    return entries;
}

std::string NoticeText(uint32_t count, bool hiding) {
    return "\"" + std::to_string(count) + " desktop " + (count == 1 ? "icon" : "icons") + " could not be " +
           (hiding ? "hidden" : "unhidden") +
           ".\\r\\n\\r\\nTry running Vantric as administrator next time.\"";
}

std::string Lines(const std::vector<std::string>& lines) {
    std::string out;
    for (const std::string& line : lines) {
        out += "  " + line + "\n";
    }
    return out;
}

std::vector<std::string> Violations(const Facts& facts) {
    std::vector<std::string> broken = PathViolations(facts);
    std::vector<std::string> state = StateViolations(facts);
    broken.insert(broken.end(), state.begin(), state.end());
    return broken;
}

} // namespace run_checks
