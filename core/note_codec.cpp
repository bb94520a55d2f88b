#include "core/note_codec.h"

#include <algorithm>
#include <charconv>
#include <cstddef>
#include <cstring>
#include <limits>
#include <optional>

namespace quillbox {
namespace {

constexpr char kCtrlZ = '\x1A';
constexpr int kNumberFieldCount = 5;

void AppendNumberLine(std::string& out, std::int32_t value) {
  char digits[16];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  out.append(digits, result.ptr);
  out.append("\r\n");
}

// Walks the content as the text-mode reader sees it: a CR LF pair is one LF.
class TextModeCursor {
 public:
  explicit TextModeCursor(std::string_view content) : content_(content) {}

  bool AtEnd() const { return pos_ >= content_.size(); }
  std::size_t position() const { return pos_; }

  char Peek() const { return IsCrLf() ? '\n' : content_[pos_]; }
  void Advance() { pos_ += IsCrLf() ? 2 : 1; }

 private:
  bool IsCrLf() const {
    return content_[pos_] == '\r' && pos_ + 1 < content_.size() && content_[pos_ + 1] == '\n';
  }

  std::string_view content_;
  std::size_t pos_ = 0;
};

bool IsFieldSpace(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

struct NumberField {
  std::int32_t value = 0;
  bool has_digits = false;
};

// Reads one number line, or nothing when the content ran out before it.
// Whatever follows the digits is skipped up to and including the line's LF.
std::optional<NumberField> ReadNumberField(TextModeCursor& cursor) {
  while (!cursor.AtEnd() && cursor.Peek() == '\n')
    cursor.Advance();
  if (cursor.AtEnd())
    return std::nullopt;

  while (!cursor.AtEnd() && IsFieldSpace(cursor.Peek()))
    cursor.Advance();
  bool negative = false;
  if (!cursor.AtEnd() && (cursor.Peek() == '+' || cursor.Peek() == '-')) {
    negative = cursor.Peek() == '-';
    cursor.Advance();
  }
  // One past INT32_MAX is enough to know the value saturates either way, and
  // stopping there keeps the accumulator far from overflow.
  constexpr std::int64_t kCap = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
  std::int64_t magnitude = 0;
  bool has_digits = false;
  while (!cursor.AtEnd() && cursor.Peek() >= '0' && cursor.Peek() <= '9') {
    has_digits = true;
    magnitude = std::min(kCap, magnitude * 10 + (cursor.Peek() - '0'));
    cursor.Advance();
  }
  while (!cursor.AtEnd()) {
    const bool line_end = cursor.Peek() == '\n';
    cursor.Advance();
    if (line_end)
      break;
  }

  const std::int64_t value = negative ? -magnitude : magnitude;
  return NumberField{static_cast<std::int32_t>(
                         std::clamp<std::int64_t>(value, std::numeric_limits<std::int32_t>::min(),
                                                  std::numeric_limits<std::int32_t>::max())),
                     has_digits};
}

// Text-mode reading turns CR LF into LF and the edit control wants CR LF
// back, so only a bare LF changes: it gains a CR.
std::string RestoreCrLf(std::string_view text) {
  std::size_t bare_line_feeds = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
      ++bare_line_feeds;
  }
  std::string out;
  out.reserve(text.size() + bare_line_feeds);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const void* found = std::memchr(text.data() + pos, '\n', text.size() - pos);
    const std::size_t lf =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
              : text.size();
    out.append(text.data() + pos, lf - pos);
    if (lf == text.size())
      break;
    if (lf == 0 || text[lf - 1] != '\r')
      out.push_back('\r');
    out.push_back('\n');
    pos = lf + 1;
  }
  return out;
}

void AppendUtf8(std::string& out, char32_t code) {
  if (code < 0x80) {
    out.push_back(static_cast<char>(code));
  } else if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else if (code < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
  }
}

// UTF-16 as UTF-8. A broken surrogate pair becomes U+FFFD and an odd last
// byte is dropped; either clears `whole`.
std::string Utf16ToUtf8(std::string_view bytes, bool big_endian, bool& whole) {
  const auto unit_at = [&](std::size_t i) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return static_cast<char16_t>(big_endian ? (first << 8 | second) : (second << 8 | first));
  };
  constexpr char32_t kReplacement = 0xFFFD;
  std::string out;
  out.reserve(bytes.size() / 2 * 3);
  const std::size_t units = bytes.size() / 2;
  if (bytes.size() % 2)
    whole = false;
  for (std::size_t i = 0; i < units; ++i) {
    const char16_t unit = unit_at(2 * i);
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units) {
      const char16_t low = unit_at(2 * i + 2);
      if (low >= 0xDC00 && low < 0xE000) {
        AppendUtf8(out, 0x10000 + ((char32_t{unit} - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    if (unit >= 0xD800 && unit < 0xE000) {
      whole = false;
      AppendUtf8(out, kReplacement);
    } else {
      AppendUtf8(out, unit);
    }
  }
  return out;
}

bool IsValidUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t minimum = 0;
    if (lead < 0x80) {
      ++i;
      continue;
    } else if ((lead & 0xE0) == 0xC0) {
      length = 2, minimum = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      length = 3, minimum = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      length = 4, minimum = 0x10000;
    } else {
      return false;
    }
    if (i + length > text.size())
      return false;
    char32_t code = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80)
        return false;
      code = code << 6 | (next & 0x3F);
    }
    if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000))
      return false;
    i += length;
  }
  return true;
}

DecodedNote DecodeContent(std::string_view file_bytes, bool whole);

}  // namespace

std::string EncodeNote(const NoteGeometry& geometry, std::string_view text, NoteEncoding encoding) {
  std::string out;
  out.reserve(kUtf8Mark.size() + 5 * 13 + text.size() +
              static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')));
  if (encoding == NoteEncoding::kUtf8)
    out.append(kUtf8Mark);
  AppendNumberLine(out, kNoteFileTag);
  AppendNumberLine(out, geometry.left);
  AppendNumberLine(out, geometry.top);
  AppendNumberLine(out, geometry.width);
  AppendNumberLine(out, geometry.height);

  // Ctrl-Z is dropped before line breaks are looked at, so a CR Ctrl-Z LF
  // comes back as the CR LF the reader will see rather than CR CR LF.
  // `out` always ends with the header's LF here, so back() is safe.
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t run_end = pos;
    while (run_end < text.size() && text[run_end] != '\n' && text[run_end] != kCtrlZ)
      ++run_end;
    out.append(text.data() + pos, run_end - pos);
    if (run_end == text.size())
      break;
    if (text[run_end] == '\n') {
      if (out.back() != '\r')
        out.push_back('\r');
      out.push_back('\n');
    }
    pos = run_end + 1;
  }
  return out;
}

std::uint64_t HashText(std::wstring_view text) {
  constexpr std::uint64_t kOffsetBasis = 14695981039346656037u;
  constexpr std::uint64_t kPrime = 1099511628211u;
  std::uint64_t hash = kOffsetBasis;
  for (const wchar_t unit : text)
    hash = (hash ^ static_cast<std::uint64_t>(unit)) * kPrime;
  return hash;
}

DecodedNote DecodeNote(std::string_view file_bytes) {
  const auto starts_with = [&](std::string_view mark) {
    return file_bytes.substr(0, mark.size()) == mark;
  };
  if (starts_with(kUtf8Mark)) {
    DecodedNote note = DecodeContent(file_bytes.substr(kUtf8Mark.size()), true);
    note.encoding = NoteEncoding::kUtf8;
    if (!IsValidUtf8(note.text))
      note.whole = false;
    return note;
  }
  const bool little_endian = starts_with("\xFF\xFE");
  if (little_endian || starts_with("\xFE\xFF")) {
    bool whole = true;
    const std::string utf8 = Utf16ToUtf8(file_bytes.substr(2), !little_endian, whole);
    DecodedNote note = DecodeContent(utf8, whole);
    note.encoding = NoteEncoding::kUtf8;
    return note;
  }
  return DecodeContent(file_bytes, true);
}

namespace {

DecodedNote DecodeContent(std::string_view file_bytes, bool whole) {
  // The text-mode reader stops at Ctrl-Z and the loader at the first zero
  // byte; whichever comes first ends the content. A Ctrl-Z that is the
  // file's last byte (an old end-of-file mark) loses nothing.
  const std::size_t end = std::min(file_bytes.find(kCtrlZ), file_bytes.find('\0'));
  const std::string_view content = file_bytes.substr(0, end);

  DecodedNote note;
  note.whole = whole && (end == std::string_view::npos ||
                         (end + 1 == file_bytes.size() && file_bytes[end] == kCtrlZ));
  TextModeCursor cursor(content);
  std::int32_t* const fields[kNumberFieldCount] = {&note.tag, &note.geometry.left,
                                                   &note.geometry.top, &note.geometry.width,
                                                   &note.geometry.height};
  // A file this program did not write (a plain text file given the note's
  // name: its first lines would be taken for the numbers) is read all the
  // same, but counts as read in part, so that nothing writes over it unasked.
  for (std::int32_t* field : fields) {
    const std::optional<NumberField> value = ReadNumberField(cursor);
    if (!value) {
      note.whole = false;
      return note;
    }
    *field = value->value;
    if (!value->has_digits)
      note.whole = false;
  }
  if (note.tag != kNoteFileTag)
    note.whole = false;
  // The height line may have ended with the content instead of an LF; then
  // position() is the end and the text is empty.
  note.text = RestoreCrLf(content.substr(cursor.position()));
  return note;
}

}  // namespace
}  // namespace quillbox
