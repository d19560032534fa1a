#include "text/wide_text.h"

#include <math.h>
#include <new>
#include <stdio.h>
#include <string.h>

namespace {

char16_t* AllocateText(int32_t characters) {
    return new (std::nothrow) char16_t[characters];
}

char16_t* CopyText(char16_t* to, const char16_t* from, int32_t count) {
    if (count > 0) {
        memcpy(to, from, static_cast<size_t>(count) * sizeof(char16_t));
    }
    return to + count;
}

char16_t FoldAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c + (u'a' - u'A')) : c;
}

} // namespace

int32_t TextLength(const char16_t* text) {
    int32_t count = 0;
    if (text) {
        while (text[count]) {
            ++count;
        }
    }
    return count;
}

bool TextEqualsNoCase(const char16_t* a, const char16_t* b, int32_t lengthA, int32_t lengthB) {
    if (lengthA == 0) {
        lengthA = TextLength(a);
    }
    if (lengthB == 0) {
        lengthB = TextLength(b);
    }
    if (lengthA != lengthB) {
        return false;
    }
    for (int32_t i = 0; i < lengthA; ++i) {
        if (a[i] != b[i] && FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

WideText::~WideText() {
    delete[] text;
}

int32_t WideText::Length() {
    if (length == 0) {
        length = TextLength(text);
    }
    return length;
}

bool WideText::Assign(const char16_t* source) {
    if (!source) {
        return false;
    }
    // Copied before the old text is released: source may point into it.
    int32_t sourceLength = TextLength(source);
    char16_t* copy = AllocateText(sourceLength + 1);
    if (!copy) {
        return false;
    }
    CopyText(copy, source, sourceLength + 1);
    delete[] text;
    text = copy;
    length = sourceLength;
    return true;
}

bool WideText::Append(const char16_t* a, const char16_t* b, const char16_t* c, const char16_t* d,
                      const char16_t* e) {
    const char16_t* pieces[5] = {a, b, c, d, e};
    int32_t pieceLengths[5];
    int32_t total = Length();
    for (int i = 0; i < 5; ++i) {
        pieceLengths[i] = TextLength(pieces[i]);
        total += pieceLengths[i];
    }
    char16_t* joined = AllocateText(total + 1);
    if (!joined) {
        return false;
    }
    char16_t* end = CopyText(joined, text, length);
    for (int i = 0; i < 5; ++i) {
        end = CopyText(end, pieces[i], pieceLengths[i]);
    }
    *end = 0;
    delete[] text;
    text = joined;
    length = total;
    return true;
}

bool WideText::PrependFolder(const char16_t* folder) {
    int32_t ownLength = Length();
    int32_t folderLength = TextLength(folder);
    int32_t total = ownLength + folderLength + 1;
    char16_t* joined = AllocateText(total + 1);
    if (!joined) {
        return false;
    }
    char16_t* end = CopyText(joined, folder, folderLength);
    *end++ = u'\\';
    end = CopyText(end, text, ownLength);
    *end = 0;
    delete[] text;
    text = joined;
    length = total;
    return true;
}

bool WideText::RemoveLeft(int32_t n) {
    int32_t ownLength = Length();
    if (ownLength == 0) {
        return false;
    }
    if (n < 0) {
        n = 0;
    }
    if (n > ownLength) {
        n = ownLength;
    }
    int32_t kept = ownLength - n;
    memmove(text, text + n, static_cast<size_t>(kept) * sizeof(char16_t));
    text[kept] = 0;
    length = kept;
    return true;
}

int32_t WideText::FindLast(const char16_t* needle) {
    int32_t needleLength = TextLength(needle);
    int32_t ownLength = Length();
    if (needleLength == 0 || ownLength == 0 || needleLength > ownLength) {
        return 0;
    }
    for (int32_t i = ownLength - needleLength; i >= 0; --i) {
        if (memcmp(text + i, needle, static_cast<size_t>(needleLength) * sizeof(char16_t)) == 0) {
            return i + 1;
        }
    }
    return 0;
}

bool WideText::EqualsNoCase(const char16_t* other) {
    int32_t otherLength = TextLength(other);
    int32_t ownLength = Length();
    return TextEqualsNoCase(text, other, ownLength, otherLength);
}

bool WideText::SetNumber(double value) {
    constexpr int kCapacity = 40;
    delete[] text;
    text = nullptr;
    length = 0;
    char digits[kCapacity];
    // The C runtime's default conventions: no grouping, '.' as decimal point.
    int printed = snprintf(digits, sizeof(digits), value == floor(value) ? "%.0f" : "%f", value);
    // A number cut to 39 characters would be a different number: refuse it.
    if (printed <= 0 || printed >= kCapacity) {
        return false;
    }
    text = AllocateText(kCapacity);
    if (!text) {
        return false;
    }
    for (int i = 0; i <= printed; ++i) {
        text[i] = static_cast<unsigned char>(digits[i]);
    }
    text[kCapacity - 1] = 0;
    return true;
}

char16_t* WideText::Buffer() {
    if (!text) {
        text = new char16_t[1];
        text[0] = 0;
        length = 0;
    }
    return text;
}
