// Where the note's edit may wrap a line and where a word starts: after a run
// of blanks (spaces and tabs), and nowhere else. The edit control asks this
// of a line at a time; its own rule would classify the whole text again
// after every change, which makes each change to a long note cost as much as
// the note is long.
#pragma once

namespace quillbox {

// What the edit asks (the WB_ codes of an edit's word-break procedure).
enum class WordBreakQuestion {
  kLeft = 0,         // the start of the word at or before `index`
  kRight = 1,        // the start of the next word after `index`
  kIsDelimiter = 2,  // whether the character at `index` is a blank
};

template <class Char>
bool IsWordDelimiter(Char c) {
  return c == Char(' ') || c == Char('\t');
}

// The answer for `text` of `count` characters: a position for kLeft and
// kRight, 1 or 0 for kIsDelimiter. A line may break before a position that
// follows a blank and holds none; kLeft gives the last such position before
// `index`, or 0.
template <class Char>
int WordBreak(const Char* text, int index, int count, WordBreakQuestion question) {
  if (index < 0 || count <= 0)
    return 0;
  if (index > count)
    index = count;
  switch (question) {
    case WordBreakQuestion::kLeft:
      if (index > 0)
        --index;
      while (index > 0 && !(IsWordDelimiter(text[index - 1]) && !IsWordDelimiter(text[index])))
        --index;
      return index;
    case WordBreakQuestion::kRight:
      while (index < count && !IsWordDelimiter(text[index]))
        ++index;
      while (index < count && IsWordDelimiter(text[index]))
        ++index;
      return index;
    case WordBreakQuestion::kIsDelimiter:
      return index < count && IsWordDelimiter(text[index]) ? 1 : 0;
  }
  return 0;
}

}  // namespace quillbox
