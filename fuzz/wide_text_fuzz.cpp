// libFuzzer target: random sequences of WideText operations on three texts,
// each checked against a std::u16string model; any difference aborts with
// the operation and both contents. Allocations can be made to fail, and the
// texts can be handed each other's buffers (and their own) as arguments.
//
// The input is read as a stream of operations: one byte picks the operation,
// the next ones its text, piece and number arguments. Bytes past the end read
// as 0, so every input is valid.
#include <math.h>
#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <charconv>
#include <memory>
#include <string>

#include "failing_allocator.h"
#include "text/wide_text.h"

namespace {

constexpr int kSlots = 3;
constexpr int kMaxOperations = 200;
// Texts handed their own buffers grow geometrically; building operations
// that would pass this length are skipped.
constexpr size_t kMaxLength = 4096;

// Characters around the edges of the ASCII folding range, the path
// separator and a few outside ASCII.
const char16_t kAlphabet[] = u"aAzZ@[`{\\.* 09\u00E9\u00C9\u0130\u0131\u212A\U0001F642\uFFFF\u00DF";
constexpr size_t kAlphabetSize = sizeof(kAlphabet) / sizeof(kAlphabet[0]) - 1;

class Input {
  public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Done() const { return at_ >= size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
    uint32_t Word() {
        uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            value = (value << 8) | Byte();
        }
        return value;
    }
    // 0-23 characters, or 300 of one character; never a 0.
    std::u16string Text() {
        uint8_t length = Byte();
        std::u16string text;
        if (length == 0xFF) {
            return std::u16string(300, Char());
        }
        for (int i = length % 24; i > 0; --i) {
            text += Char();
        }
        return text;
    }

  private:
    char16_t Char() {
        uint8_t b = Byte();
        if (b & 0x80) {
            char16_t c = static_cast<char16_t>((Byte() << 8) | Byte());
            return c ? c : u'Z';
        }
        return kAlphabet[b % kAlphabetSize];
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

char16_t Fold(char16_t c) {
    return c < 0x80 && c >= 'A' && c <= 'Z' ? static_cast<char16_t>(c | 0x20) : c;
}

bool FoldedEqual(const std::u16string& a, const std::u16string& b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (Fold(a[i]) != Fold(b[i])) {
            return false;
        }
    }
    return true;
}

std::string Show(const std::u16string& text) {
    std::string out = "\"";
    char hex[8];
    for (char16_t c : text) {
        if (c >= 0x20 && c < 0x7F && c != '"') {
            out += static_cast<char>(c);
        } else {
            snprintf(hex, sizeof(hex), "\\u%04X", static_cast<unsigned>(c));
            out += hex;
        }
    }
    return out + "\"";
}

// An argument: absent (null), one of the texts' own buffers, or a string
// from the input.
struct Argument {
    const char16_t* pointer = nullptr;
    std::u16string model; // what the pointer holds; empty for null
};

struct Run {
    std::unique_ptr<WideText> texts[kSlots];
    std::u16string models[kSlots];
    std::u16string pool[6]; // owns the input strings of one operation
    int operation = 0;
    const char* name = "";

    [[noreturn]] void Fail(const std::string& what) {
        fprintf(stderr, "WideText diverged from the model at operation %d (%s): %s\n", operation, name,
                what.c_str());
        for (int i = 0; i < kSlots; ++i) {
            const char16_t* text = texts[i]->text;
            fprintf(stderr, "  text %d: %s, model %s\n", i, text ? Show(text).c_str() : "null",
                    Show(models[i]).c_str());
        }
        abort();
    }

    void Expect(bool holds, const std::string& what) {
        if (!holds) {
            Fail(what);
        }
    }

    Argument Take(Input& input, int poolIndex) {
        Argument argument;
        uint8_t kind = input.Byte() % 8;
        if (kind == 0) {
            return argument; // null
        }
        if (kind == 1 || kind == 2) {
            int slot = input.Byte() % kSlots;
            // kind 1 hands over the buffer as it is, which may be null;
            // kind 2 goes through Buffer(), which never is.
            argument.pointer = kind == 1 ? texts[slot]->text : texts[slot]->Buffer();
            argument.model = argument.pointer ? models[slot] : std::u16string();
            return argument;
        }
        pool[poolIndex] = input.Text();
        argument.pointer = pool[poolIndex].c_str();
        argument.model = pool[poolIndex];
        return argument;
    }

    // The text and its model agree, with and without the cached length.
    void CheckSlot(int i) {
        WideText& text = *texts[i];
        const std::u16string& model = models[i];
        if (!text.text) {
            Expect(model.empty(), "text " + std::to_string(i) + " is null, the model is not empty");
            Expect(text.Length() == 0, "a null text has length " + std::to_string(text.Length()));
            return;
        }
        Expect(TextLength(text.text) == static_cast<int32_t>(model.size()),
               "text " + std::to_string(i) + " holds " + std::to_string(TextLength(text.text)) +
                   " characters");
        Expect(text.Length() == static_cast<int32_t>(model.size()),
               "text " + std::to_string(i) + " reports length " + std::to_string(text.Length()));
        Expect(memcmp(text.text, model.c_str(), (model.size() + 1) * sizeof(char16_t)) == 0,
               "text " + std::to_string(i) + " differs from its model");
    }
};

std::u16string NumberModel(double value, bool* fits) {
    bool integral = isinf(value) || (isfinite(value) && fmod(value, 1.0) == 0.0);
    char digits[400];
    std::to_chars_result printed =
        std::to_chars(digits, digits + sizeof(digits), value, std::chars_format::fixed, integral ? 0 : 6);
    size_t length = printed.ec == std::errc() ? static_cast<size_t>(printed.ptr - digits) : sizeof(digits);
    *fits = length > 0 && length < 40;
    return *fits ? std::u16string(digits, digits + length) : std::u16string();
}

double TakeNumber(Input& input) {
    uint8_t kind = input.Byte() % 4;
    if (kind == 0) {
        return static_cast<double>(input.Word()); // failure counts
    }
    if (kind == 1) {
        return static_cast<int32_t>(input.Word()) / 8.0;
    }
    uint64_t bits = (static_cast<uint64_t>(input.Word()) << 32) | input.Word();
    double value;
    memcpy(&value, &bits, sizeof(value));
    return value; // anything, NaN and infinities included
}

int32_t TakeCount(Input& input) {
    uint8_t kind = input.Byte() % 4;
    if (kind == 0) {
        return static_cast<int32_t>(input.Word());
    }
    return static_cast<int32_t>(input.Byte()) - 8;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Input input(data, size);
    Run run;
    for (auto& text : run.texts) {
        text = std::make_unique<WideText>();
    }
    for (run.operation = 1; run.operation <= kMaxOperations && !input.Done(); ++run.operation) {
        uint8_t code = input.Byte();
        int slot = (code >> 4) % kSlots;
        WideText& text = *run.texts[slot];
        std::u16string& model = run.models[slot];
        // One operation in eight finds the heap exhausted: its first
        // allocation fails.
        bool starved = (code & 0x08) != 0 && (input.Byte() & 0x3) == 0;
        auto arm = [&] { failing_allocator::Arm(starved ? 1 : 0, failing_allocator::Mode::kOnlyThat); };
        auto disarm = [&] {
            failing_allocator::Tally tally = failing_allocator::Disarm();
            run.Expect(tally.throwingCalls == 0, "a building operation used the throwing new[]");
            return tally.failedCalls > 0;
        };

        switch (code % 10) {
        case 0: {
            run.name = "Assign";
            Argument source = run.Take(input, 0);
            arm();
            bool done = text.Assign(source.pointer);
            bool failed = disarm();
            run.Expect(done == (source.pointer && !failed), "Assign returned " + std::to_string(done));
            if (done) {
                model = source.model;
            }
            break;
        }
        case 1: {
            run.name = "Append";
            int count = input.Byte() % 6;
            Argument pieces[5];
            std::u16string joined = model;
            for (int i = 0; i < count; ++i) {
                pieces[i] = run.Take(input, i);
                joined += pieces[i].model;
            }
            if (joined.size() > kMaxLength) {
                break;
            }
            arm();
            bool done = text.Append(pieces[0].pointer, pieces[1].pointer, pieces[2].pointer,
                                    pieces[3].pointer, pieces[4].pointer);
            bool failed = disarm();
            run.Expect(done == !failed, "Append returned " + std::to_string(done));
            if (done) {
                model = joined;
            }
            break;
        }
        case 2: {
            run.name = "PrependFolder";
            Argument folder = run.Take(input, 0);
            std::u16string joined = folder.model + u"\\" + model;
            if (joined.size() > kMaxLength) {
                break;
            }
            arm();
            bool done = text.PrependFolder(folder.pointer);
            bool failed = disarm();
            run.Expect(done == !failed, "PrependFolder returned " + std::to_string(done));
            if (done) {
                model = joined;
            }
            break;
        }
        case 3: {
            run.name = "RemoveLeft";
            int32_t n = TakeCount(input);
            bool done = text.RemoveLeft(n);
            run.Expect(done == !model.empty(),
                       "RemoveLeft(" + std::to_string(n) + ") returned " + std::to_string(done));
            if (done) {
                size_t removed = n < 0 ? 0 : static_cast<size_t>(n);
                model.erase(0, removed < model.size() ? removed : model.size());
            }
            break;
        }
        case 4: {
            run.name = "FindLast";
            Argument needle = run.Take(input, 0);
            size_t at = needle.model.empty() ? std::u16string::npos : model.rfind(needle.model);
            int32_t expected = at == std::u16string::npos ? 0 : static_cast<int32_t>(at) + 1;
            int32_t found = text.FindLast(needle.pointer);
            run.Expect(found == expected, "FindLast(" + Show(needle.model) + ") returned " +
                                              std::to_string(found) + ", expected " +
                                              std::to_string(expected));
            break;
        }
        case 5: {
            run.name = "EqualsNoCase";
            Argument other = run.Take(input, 0);
            bool equal = text.EqualsNoCase(other.pointer);
            run.Expect(equal == FoldedEqual(model, other.model),
                       "EqualsNoCase(" + Show(other.model) + ") returned " + std::to_string(equal));
            break;
        }
        case 6: {
            run.name = "SetNumber";
            double value = TakeNumber(input);
            bool fits;
            std::u16string printed = NumberModel(value, &fits);
            arm();
            bool done = text.SetNumber(value);
            bool failed = disarm();
            char shown[64];
            snprintf(shown, sizeof(shown), "%.17g", value);
            run.Expect(done == (fits && !failed),
                       std::string("SetNumber(") + shown + ") returned " + std::to_string(done));
            model = done ? printed : std::u16string();
            break;
        }
        case 7: {
            run.name = "Buffer";
            const char16_t* buffer = text.Buffer();
            run.Expect(buffer != nullptr, "Buffer() returned null");
            break;
        }
        case 8: {
            run.name = "TextEqualsNoCase";
            Argument a = run.Take(input, 0);
            Argument b = run.Take(input, 1);
            // A length is 0 ("count it") or a prefix of the text.
            uint8_t cut = input.Byte();
            int32_t lengthA = a.model.empty() || (cut & 1) == 0 ? 0 : 1 + (cut >> 1) % a.model.size();
            int32_t lengthB = b.model.empty() || (cut & 2) == 0 ? 0 : 1 + (cut >> 2) % b.model.size();
            std::u16string prefixA = lengthA ? a.model.substr(0, lengthA) : a.model;
            std::u16string prefixB = lengthB ? b.model.substr(0, lengthB) : b.model;
            bool equal = TextEqualsNoCase(a.pointer, b.pointer, lengthA, lengthB);
            run.Expect(equal == FoldedEqual(prefixA, prefixB), "TextEqualsNoCase(" + Show(prefixA) + ", " +
                                                                   Show(prefixB) + ") returned " +
                                                                   std::to_string(equal));
            break;
        }
        default:
            run.name = "new text";
            run.texts[slot] = std::make_unique<WideText>();
            model.clear();
            break;
        }
        for (int i = 0; i < kSlots; ++i) {
            run.CheckSlot(i);
        }
    }
    return 0;
}
