#include "core/note_codec.h"

#include <gtest/gtest.h>

#include <limits>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace quillbox {

using namespace std::string_literals;
constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

TEST(NoteCodec, WritesTheExactFileLayout) {
  EXPECT_EQ(EncodeNote({100, -80, 220, 260}, "Buy milk\n\r\nCall"),
            "1001\r\n100\r\n-80\r\n220\r\n260\r\nBuy milk\r\n\r\nCall");
  EXPECT_EQ(EncodeNote({1, 2, 3, 4}, "\xE4\xB8\xAD", NoteEncoding::kUtf8),
            "\xEF\xBB\xBF"
            "1001\r\n1\r\n2\r\n3\r\n4\r\n\xE4\xB8\xAD");
}

// Whatever is typed comes back once bare LFs have their CR and Ctrl-Z is
// gone; Ctrl-Z must not be written, or the next load would cut the note.
TEST(NoteCodec, SavedNotesReadBackUnchangedUpToNormalisation) {
  const std::tuple<NoteGeometry, std::string, std::string> cases[] = {
      {{kMin, kMax, kMin, kMax}, "a\rb\r\r\n", "a\rb\r\r\n"},
      {{0, -1, 1, 0}, "\n\n12\n \t-3\r\n", "\r\n\r\n12\r\n \t-3\r\n"},
      {{7, 7, 7, 7},
       "\x1A"
       "a\r\x1A\n\x7F\x81\xFF\x1A",
       "a\r\n\x7F\x81\xFF"},
  };
  for (const auto& [geometry, text, read] : cases) {
    const DecodedNote note = DecodeNote(EncodeNote(geometry, text));
    EXPECT_EQ(note.geometry, geometry) << text;
    EXPECT_EQ(note.text, read) << text;
    EXPECT_TRUE(note.whole) << text;
  }
}

// Loose files read as text-mode reading does. Text beyond the ANSI code page
// travels as UTF-8 after a mark; UTF-16 notes of other editors read as the
// same text. Whatever cannot be read whole is flagged, so that a save does not
// cut the rest of the file off.
TEST(NoteCodec, DecodesAnyFileAndFlagsPartialReads) {
  const auto utf16 = [](const std::u16string& text, bool big) {
    std::string bytes = big ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : text) {
      const char high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
      bytes += big ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
  };
  constexpr NoteEncoding kAnsi = NoteEncoding::kAnsi, kUtf8 = NoteEncoding::kUtf8;
  constexpr NoteGeometry k1234{1, 2, 3, 4};
  const std::u16string utf16_text = u"1001\r\n1\r\n2\r\n3\r\n4\r\n\u4E2D\r\n\U0001F600";
  const std::string wide = "\xE4\xB8\xAD\r\n\xF0\x9F\x98\x80";
  const std::tuple<std::string, NoteGeometry, std::string, NoteEncoding, bool> cases[] = {
      {"1001\n-1\n2\n3\n4\n\nx\ny\n", {-1, 2, 3, 4}, "\r\nx\r\ny\r\n", kAnsi, true},
      {"1001\r\n10\r\n20\r\n", {10, 20, 0, 0}, "", kAnsi, false},
      {"1001\r\n1\r\n2\r\n3\r\n4", k1234, "", kAnsi, true},
      {"1001\n12px\npx\n \t7\n+5\nt", {12, 0, 7, 5}, "t", kAnsi, false},
      {"1001\n12px\n-0\n \t7\n+5\nt", {12, 0, 7, 5}, "t", kAnsi, true},
      {"Shopping list\nmilk\neggs\nbread\nbutter\ncheese", {}, "cheese", kAnsi, false},
      {"1002\n1\n2\n3\n4\nt", k1234, "t", kAnsi, false},
      {"\r\n\r\n1001\r\n\r\n1\r\n\n2\r\n3\r\n4\r\n\r\nt", k1234, "\r\nt", kAnsi, true},
      {"1001\n2147483648\n-2147483649\n18446744073709551617\n-99999999999999999999",
       {kMax, kMin, kMax, kMin},
       "",
       kAnsi,
       true},
      {"\xEF\xBB\xBF"
       "1001\n1\n2\n3\n4\n" +
           wide,
       k1234, wide, kUtf8, true},
      {utf16(utf16_text, false), k1234, wide, kUtf8, true},
      {utf16(utf16_text, true), k1234, wide, kUtf8, true},
      {utf16(u"1\n1\n2\n3\n4\nab\xD800", false), k1234, "ab\xEF\xBF\xBD", kUtf8, false},
      {utf16(u"1\n1\n2\n3\n4\nab", false) + "x", k1234, "ab", kUtf8, false},
      {"\xEF\xBB\xBF"
       "1001\n1\n2\n3\n4\nab\xC3",
       k1234, "ab\xC3", kUtf8, false},
      // An overlong form of '/', which a lax decoder would take for a slash.
      {"\xEF\xBB\xBF"
       "1001\n1\n2\n3\n4\na\xC0\xAF",
       k1234, "a\xC0\xAF", kUtf8, false},
      {"1\n1\n2\n3\n4\nab\x1A"
       "cd",
       k1234, "ab", kAnsi, false},
      {"1\n1\n2\n3\n4\nab\0cd"s, k1234, "ab", kAnsi, false},
      {"1001\n1\n2\n3\n4\nab\x1A", k1234, "ab", kAnsi, true},
      {"1001\n1\n2\n3\n4\nab\xE9", k1234, "ab\xE9", kAnsi, true},
  };
  for (const auto& [file, geometry, text, encoding, whole] : cases) {
    // An exactly sized copy: a read past the end is the sanitizers' to see.
    const auto bytes = std::make_unique_for_overwrite<char[]>(file.size());
    file.copy(bytes.get(), file.size());
    const DecodedNote note = DecodeNote({bytes.get(), file.size()});
    EXPECT_EQ(note.geometry, geometry) << file;
    EXPECT_EQ(note.text, text) << file;
    EXPECT_EQ(note.encoding, encoding) << file;
    EXPECT_EQ(note.whole, whole) << file;
  }
}

}  // namespace quillbox
