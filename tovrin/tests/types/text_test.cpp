#include "tovrin/types/text.hpp"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tovrin {
namespace {

// Texts around the inline limit of 23 bytes, the empty one and multi-byte UTF-8 included.
const std::vector<std::string> kTexts = {"",
                                         "a",
                                         std::string(23, 'x'),
                                         std::string(24, 'y'),
                                         "\xc3\xa9t\xc3\xa9 \xe2\x82\xac",
                                         std::string(1000, 'z')};

TEST(Text, EveryFormKeepsItsBytesThroughCopiesAndMoves) {
  for (const auto& bytes : kTexts) {
    const Text forms[] = {Text::borrowed(bytes), Text::copied(bytes), Text::owned(bytes)};
    for (const Text& form : forms) {
      EXPECT_EQ(form.view(), bytes);
      Text copy = form;
      EXPECT_EQ(copy.view(), bytes);
      EXPECT_EQ(copy.is_borrowed(), form.is_borrowed());
      Text moved = std::move(copy);
      EXPECT_EQ(moved.view(), bytes);
      EXPECT_TRUE(copy.view().empty());  // moved from
      Text assigned = Text::copied("something else that is longer than the inline part");
      assigned = moved;
      EXPECT_EQ(assigned, form);
      assigned = Text::copied("short");
      assigned = std::move(moved);
      EXPECT_EQ(assigned.view(), bytes);
      EXPECT_EQ(Text(form).into_string(), bytes);
    }
    EXPECT_EQ(forms[0].view().data(), bytes.data());
    EXPECT_TRUE(forms[0].is_borrowed());
    EXPECT_FALSE(forms[1].is_borrowed());
    EXPECT_EQ(forms[1].owns_heap(), bytes.size() > 23);
  }
}

TEST(Text, MakeOwnedDetachesABorrow) {
  for (const auto& bytes : kTexts) {
    std::string source = bytes;
    Text text = Text::borrowed(source);
    text.make_owned();
    EXPECT_FALSE(text.is_borrowed());
    source.assign(source.size(), '#');
    EXPECT_EQ(text.view(), bytes);
    text.make_owned();  // an owned text stays as it is
    EXPECT_EQ(text.view(), bytes);
  }
}

TEST(Text, LongOwnedStringsKeepTheirBuffer) {
  std::string bytes(100, 'q');
  const char* buffer = bytes.data();
  Text text = Text::owned(std::move(bytes));
  EXPECT_EQ(text.view().data(), buffer);
  EXPECT_EQ(std::move(text).into_string().data(), buffer);
}

}  // namespace
}  // namespace tovrin
