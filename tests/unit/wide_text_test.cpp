#include "text/wide_text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::u16string Content(WideText& text) {
    return std::u16string(text.Buffer());
}

WideText* Make(const char16_t* content) {
    WideText* text = new WideText;
    if (content) {
        text->Assign(content);
    }
    return text;
}

TEST(WideTextTest, NewObjectHoldsNoBufferUntilBufferIsAsked) {
    WideText text;
    EXPECT_EQ(text.text, nullptr);
    EXPECT_EQ(text.length, 0);
    char16_t* buffer = text.Buffer();
    ASSERT_NE(buffer, nullptr);
    EXPECT_EQ(buffer[0], 0);
    EXPECT_EQ(text.text, buffer); // the object owns the one-character buffer now
    EXPECT_EQ(text.Buffer(), buffer);
}

TEST(WideTextTest, AssignCopiesAndCountsTheSource) {
    WideText text;
    char16_t source[] = u"a.lnk";
    ASSERT_TRUE(text.Assign(source));
    source[0] = u'X';
    EXPECT_EQ(Content(text), u"a.lnk");
    EXPECT_EQ(text.length, 5);
    ASSERT_TRUE(text.Assign(u""));
    EXPECT_EQ(Content(text), u"");
    EXPECT_EQ(text.length, 0);
}

TEST(WideTextTest, AssignOfNullIsRefusedAndKeepsTheContent) {
    WideText text;
    text.Assign(u"kept");
    EXPECT_FALSE(text.Assign(nullptr));
    EXPECT_EQ(Content(text), u"kept");
    EXPECT_EQ(text.length, 4);
}

TEST(WideTextTest, AppendJoinsPresentPiecesInOrder) {
    struct Case {
        const char16_t* start; // null: a new object
        const char16_t* pieces[5];
        const char16_t* expected;
    } cases[] = {
        {u"C:\\x", {u"\\", u"Hide icons.exe", nullptr, nullptr, nullptr}, u"C:\\x\\Hide icons.exe"},
        {u"3",
         {u" desktop ", u"icons", u" could not be ", u"hidden", u"."},
         u"3 desktop icons could not be hidden."},
        {u"ab", {nullptr, nullptr, nullptr, nullptr, nullptr}, u"ab"},
        {nullptr, {u"only", nullptr, nullptr, nullptr, nullptr}, u"only"},
        {nullptr, {nullptr, u"b", nullptr, u"d", nullptr}, u"bd"},
        {u"x", {u"", u"", u"", u"", u"y"}, u"xy"},
    };
    for (const Case& c : cases) {
        WideText* text = Make(c.start);
        EXPECT_TRUE(text->Append(c.pieces[0], c.pieces[1], c.pieces[2], c.pieces[3], c.pieces[4]));
        EXPECT_EQ(Content(*text), c.expected);
        EXPECT_EQ(text->Length(), static_cast<int32_t>(std::u16string(c.expected).size()));
        delete text;
    }
}

TEST(WideTextTest, PrependFolderPutsFolderAndOneBackslashFirst) {
    struct Case {
        const char16_t* name;
        const char16_t* folder;
        const char16_t* expected;
    } cases[] = {
        {u"a.lnk", u"C:\\Users\\x\\Desktop", u"C:\\Users\\x\\Desktop\\a.lnk"},
        {u"a.lnk", u"C:\\", u"C:\\\\a.lnk"}, // a trailing backslash is not looked for
        {u"a.lnk", nullptr, u"\\a.lnk"},
        {nullptr, u"C:\\d", u"C:\\d\\"},
    };
    for (const Case& c : cases) {
        WideText* text = Make(c.name);
        EXPECT_TRUE(text->PrependFolder(c.folder));
        EXPECT_EQ(Content(*text), c.expected);
        EXPECT_EQ(text->length, static_cast<int32_t>(std::u16string(c.expected).size()));
        delete text;
    }
}

TEST(WideTextTest, RemoveLeftClampsItsCount) {
    struct Case {
        const char16_t* start;
        int32_t count;
        bool result;
        const char16_t* expected;
    } cases[] = {
        {u"C:\\a\\b.exe", 5, true, u"b.exe"},
        {u"abc", 0, true, u"abc"},
        {u"abc", 3, true, u""},
        {u"abc", 10, true, u""},
        {u"abc", -1, true, u"abc"},
        {u"", 1, false, u""},
        {nullptr, 1, false, u""},
    };
    for (const Case& c : cases) {
        WideText* text = Make(c.start);
        EXPECT_EQ(text->RemoveLeft(c.count), c.result) << "count " << c.count;
        EXPECT_EQ(Content(*text), c.expected) << "count " << c.count;
        EXPECT_EQ(text->length, static_cast<int32_t>(std::u16string(c.expected).size()));
        delete text;
    }
}

TEST(WideTextTest, FindLastGivesTheOneBasedStartOfTheLastExactMatch) {
    struct Case {
        const char16_t* haystack;
        const char16_t* needle;
        int32_t expected;
    } cases[] = {
        {u"C:\\a\\b.exe", u"\\", 5},
        {u"abab", u"ab", 3},
        {u"abc", u"abc", 1},
        {u"abc", u"c", 3},
        {u"abc", u"x", 0},
        {u"abc", u"B", 0}, // case-sensitive
        {u"abc", u"", 0},
        {u"abc", nullptr, 0},
        {u"ab", u"abc", 0},
        {u"", u"a", 0},
        {nullptr, u"a", 0},
    };
    for (const Case& c : cases) {
        WideText* text = Make(c.haystack);
        EXPECT_EQ(text->FindLast(c.needle), c.expected);
        delete text;
    }
}

TEST(WideTextTest, FindLastThenRemoveLeftStripsAPathToItsLastComponent) {
    WideText text;
    text.Assign(u"C:\\Users\\x\\Desktop\\Hide icons.exe");
    ASSERT_TRUE(text.RemoveLeft(text.FindLast(u"\\")));
    EXPECT_EQ(Content(text), u"Hide icons.exe");
}

TEST(WideTextTest, EqualityFoldsOnlyAsciiLetters) {
    struct Case {
        const char16_t* a;
        const char16_t* b;
        bool equal;
    } cases[] = {
        {u"Desktop.INI", u"desktop.ini", true},
        {u"THUMBS.DB", u"Thumbs.db", true},
        {u"\u00C9", u"\u00E9", false},                                 // É, é
        {u"Cacher Ic\u00D4nes.exe", u"Cacher Ic\u00F4nes.exe", false}, // Ô, ô
        {u"[", u"{", false},                                           // 0x5B, 0x7B differ by 0x20 too
        {u"@", u"`", false},
        {u"abc", u"ab", false},
        {u"", nullptr, true},
        {nullptr, nullptr, true},
        {u"a", nullptr, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TextEqualsNoCase(c.a, c.b, 0, 0), c.equal);
        EXPECT_EQ(TextEqualsNoCase(c.b, c.a, 0, 0), c.equal);
        WideText* text = Make(c.a);
        EXPECT_EQ(text->EqualsNoCase(c.b), c.equal);
        delete text;
    }
}

TEST(WideTextTest, TextEqualsNoCaseTrustsGivenLengths) {
    EXPECT_TRUE(TextEqualsNoCase(u"abcX", u"ABCY", 3, 3));
    EXPECT_FALSE(TextEqualsNoCase(u"abc", u"abc", 3, 2));
    EXPECT_TRUE(TextEqualsNoCase(u"abc", u"ABC", 0, 3));
}

TEST(WideTextTest, LengthIsCountedWhenUncounted) {
    WideText text;
    text.Assign(u"abc");
    text.length = 0; // 0 marks the length as uncounted
    EXPECT_TRUE(text.EqualsNoCase(u"ABC"));
    EXPECT_EQ(text.length, 3);
}

TEST(WideTextTest, SetNumberPrintsIntegralValuesWithoutDecimals) {
    struct Case {
        double value;
        const char16_t* expected;
    } cases[] = {
        {0.0, u"0"},        {1.0, u"1"},   {3.0, u"3"},
        {12.0, u"12"},      {21.0, u"21"}, {4294967295.0, u"4294967295"},
        {2.5, u"2.500000"}, {-7.0, u"-7"},
    };
    for (const Case& c : cases) {
        WideText text;
        text.Assign(u"old");
        EXPECT_TRUE(text.SetNumber(c.value)) << c.value;
        EXPECT_EQ(text.length, 0); // left uncounted
        EXPECT_EQ(Content(text), c.expected);
    }
}

TEST(WideTextTest, SetNumberRefusesANumberThatDoesNotFit) {
    WideText text;
    text.Assign(u"old");
    EXPECT_FALSE(text.SetNumber(1e300)); // 301 digits would be cut to a different number
    EXPECT_EQ(Content(text), u"");
}

} // namespace
