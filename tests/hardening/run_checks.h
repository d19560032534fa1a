// Checks of one toggle run against the in-memory platform, shared by the
// allocation failure test and the random model test. Each check returns the
// rules the run broke, one readable line each; an empty list means none.
//
//   fake::Get().log.clear();
//   run_checks::Facts facts = run_checks::FactsBeforeRun();
//   uint32_t exitCode = RunToggle();
//   std::vector<std::string> broken = run_checks::PathViolations(facts);
//
// Everything here is written from the documented behaviour of the tool, not
// from its code: the toggle names, the skip list and ASCII-only case folding
// are spelled out again on purpose.
#pragma once

#include <stdint.h>
#include <string>
#include <vector>

#include "fake/fake_platform.h"

namespace run_checks {

struct Names {
    std::u16string hide;
    std::u16string show;
};

// The toggle names for a UI language id: Spanish and French by primary
// language, English for every other.
Names NamesFor(uint16_t languageId);

// Equality folding only A-Z onto a-z.
bool SameAscii(const std::u16string& a, const std::u16string& b);

// desktop.ini, Thumbs.db and IconState.ini in any ASCII capitalisation.
bool IsSkipListName(const std::u16string& name);

// One platform call as the fake logged it.
struct Call {
    std::string function;
    std::vector<std::string> arguments; // as logged: texts in quotes, UTF-8
    std::string result;                 // after " -> ", may be empty
};
std::vector<Call> ParsedLog();

// What a run may touch, fixed before it starts.
struct Facts {
    std::u16string userDesktop;
    std::u16string commonDesktop;
    std::u16string modulePath;
    Names names;
    std::vector<fake::Folder> before; // every folder of the fake before the run
};
Facts FactsBeforeRun();

// Every path argument of every logged call must be one the run may use:
// a full path of an entry the desktop held before the run, the "<desktop>\*"
// pattern, the desktop itself for the shell notice, the two toggle files, or
// the executable's own path as the source of the move or copy. Deletions may
// only name the toggle files and the user's IconState.ini.
std::vector<std::string> PathViolations(const Facts& facts);

// Compares the fake after the run with facts.before: no entry disappears
// but the toggle files and the user's IconState.ini, no entry appears but a
// toggle file, no attribute bit other than hidden changes on an entry that
// is not a toggle file, skip-list entries and entries named like the
// executable do not change at all, and folders other than the desktops do
// not change.
std::vector<std::string> StateViolations(const Facts& facts);

// PathViolations, then StateViolations.
std::vector<std::string> Violations(const Facts& facts);

// The names of the user desktop's entries that are toggle files (either
// name, ASCII case folded).
std::vector<const fake::Entry*> ToggleEntries(const Facts& facts);

// The bare file name of a path (after its last backslash).
std::u16string BareName(const std::u16string& path);

// The entries of the user's desktop (0) or the all-users desktop (1) before
// the run that a sweep has to change: not skipped, and hidden when showing
// or visible when hiding. Toggle files of the user's desktop are left out:
// the placement decides what happens to them.
std::vector<const fake::Entry*> EntriesToChange(const Facts& facts, int desktop, bool hiding);

// The warning box text for count refused changes, quoted as the fake logs it.
std::string NoticeText(uint32_t count, bool hiding);

// Joins the lines for a failure message.
std::string Lines(const std::vector<std::string>& lines);

} // namespace run_checks
