// WideText: an owned, zero-terminated UTF-16 string with a cached length.
//
// Every path, file name and message of a toggle run is built with it:
//
//   WideText path;
//   path.Assign(u"a.lnk");                  // "a.lnk"
//   path.PrependFolder(u"C:\\Users\\x\\Desktop"); // "C:\Users\x\Desktop\a.lnk"
//   int32_t at = path.FindLast(u"\\");      // 1-based position of the last '\'
//   path.RemoveLeft(at);                    // "a.lnk" again
//   platform::DeleteFileW(path.Buffer());   // Buffer() is never null
//
// A length of 0 means "not counted yet": an operation that needs the length
// and finds 0 counts the characters and stores the count. Empty strings are
// therefore recounted every time, which costs nothing.
//
// Building operations allocate with the non-throwing allocator and report an
// exhausted allocator by returning false, leaving the content as it was
// (SetNumber leaves it empty); they never throw. Their arguments may point
// into the text itself.
#pragma once

#include <stdint.h>

class WideText {
  public:
    WideText() = default;
    ~WideText();
    WideText(const WideText&) = delete;
    WideText& operator=(const WideText&) = delete;

    // Replaces the content with a copy of source, which may be this text's
    // own buffer. A null source is refused (false) and the content is kept.
    bool Assign(const char16_t* source);
    // Appends up to five pieces in order; a null piece is absent.
    bool Append(const char16_t* a, const char16_t* b = nullptr, const char16_t* c = nullptr,
                const char16_t* d = nullptr, const char16_t* e = nullptr);
    // Turns "name" into "folder\name". A trailing backslash on folder is not
    // looked for.
    bool PrependFolder(const char16_t* folder);
    // Removes the first n characters (clamped to 0..length). False when the
    // text is empty.
    bool RemoveLeft(int32_t n);
    // 1-based position of the last exact occurrence of needle, or 0.
    int32_t FindLast(const char16_t* needle);
    // Equality folding only ASCII A-Z; a null other equals an empty text.
    bool EqualsNoCase(const char16_t* other);
    // Prints value as "%.0f" when it is integral, else as "%f". False when
    // the text is empty or would not fit in 39 characters.
    bool SetNumber(double value);
    // The zero-terminated content, never null: a new object gets a
    // one-character empty buffer here. That buffer comes from the throwing
    // allocator, so an exhausted heap ends the process at this point (the
    // Windows build aborts); a toggle run therefore only asks for the buffer
    // of texts it has built, and never allocates here (tests/hardening
    // checks that on every run).
    char16_t* Buffer();

    // The number of characters, counting (and caching) it when needed.
    int32_t Length();

    char16_t* text = nullptr;
    int32_t length = 0; // 0: not counted yet
};

// Counts the characters before the terminator; a null text counts 0.
int32_t TextLength(const char16_t* text);

// Equality of two texts folding only ASCII A-Z onto a-z. A length of 0 means
// "count it here"; null texts count as empty.
bool TextEqualsNoCase(const char16_t* a, const char16_t* b, int32_t lengthA, int32_t lengthB);
