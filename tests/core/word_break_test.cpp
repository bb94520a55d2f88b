#include "core/word_break.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

namespace quillbox {

// A line breaks only after blanks: before "b" and before "c", never inside
// a word or a run of blanks, nor after "-".
TEST(WordBreak, ALineBreaksOnlyAfterBlanks) {
  const std::u16string text = u"aa  b-c\tc";
  const int count = static_cast<int>(text.size());
  using enum WordBreakQuestion;
  const std::tuple<WordBreakQuestion, int, int> cases[] = {
      {kLeft, 9, 8},                          // from the end: the start of "c"
      {kLeft, 8, 4},                          // from the start of "c": the start of "b-c"
      {kLeft, 4, 0},                          // from the start of "b-c": the text's start
      {kLeft, 3, 0},                          // inside the blanks
      {kLeft, 0, 0},        {kRight, 0, 4},   // past "aa" and its blanks
      {kRight, 4, 8},                         // past "b-c" and the tab
      {kRight, 8, 9},       {kRight, 12, 9},  // beyond the end: the end
      {kIsDelimiter, 2, 1}, {kIsDelimiter, 7, 1}, {kIsDelimiter, 5, 0}, {kIsDelimiter, 9, 0},
  };
  for (const auto& [question, index, answer] : cases) {
    EXPECT_EQ(WordBreak(text.data(), index, count, question), answer)
        << static_cast<int>(question) << " at " << index;
  }
}

}  // namespace quillbox
