#include "tovrin/types/compact_text.hpp"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "support/exp_builders.hpp"
#include "support/json.hpp"
#include "tovrin/interpreter.hpp"

namespace tovrin {
namespace {

// Texts around the inline limit of 15 bytes, the empty one and multi-byte UTF-8 included.
const std::vector<std::string> kTexts = {"",
                                         "a",
                                         "startsWith",
                                         std::string(15, 'x'),
                                         std::string(16, 'y'),
                                         "\xc3\xa9t\xc3\xa9",
                                         std::string(1000, 'z') + "\xe2\x82\xac"};

TEST(CompactText, KeepsItsBytesThroughCopiesAndMoves) {
  for (const auto& text : kTexts) {
    CompactText original(text);
    EXPECT_EQ(original.view(), text);
    EXPECT_EQ(original.size(), text.size());
    EXPECT_EQ(original.empty(), text.empty());

    CompactText copy = original;
    EXPECT_EQ(copy, text);
    if (!text.empty()) {
      EXPECT_NE(copy.data(), original.data());
    }

    CompactText moved = std::move(copy);
    EXPECT_EQ(moved, text);
    EXPECT_TRUE(copy.empty());  // a moved-from text is left empty

    CompactText assigned("something else entirely, and long");
    assigned = moved;
    EXPECT_EQ(assigned, text);
    assigned = CompactText("short");
    EXPECT_EQ(assigned, "short");
    assigned = std::move(moved);
    EXPECT_EQ(assigned, text);

    std::ostringstream out;
    out << original;
    EXPECT_EQ(out.str(), text);
  }
}

TEST(CompactText, EqualityComparesBytes) {
  EXPECT_EQ(CompactText(std::string(16, 'y')), CompactText(std::string(16, 'y')));
  EXPECT_FALSE(CompactText(std::string(15, 'y')) == std::string(16, 'y'));
  EXPECT_FALSE(CompactText("ab") == "aB");
}

// Names of any length reach the messages and lookups that use them.
TEST(CompactText, LongNamesInTreesAndMessages) {
  const std::string long_name(40, 'n');
  const Exp call = testing::call(long_name);
  EXPECT_EQ(call.get_if<Exp::Call>()->item.name, long_name);
  const Exp variable = testing::var(long_name + "." + long_name + "x");
  EnvBuilder<testing::HostValue> builder;
  builder.bind(long_name, testing::json("{}"));
  const auto env = std::move(builder).build();
  const auto message = [&](const Exp& exp) {
    auto result = interpreter::eval(exp, env);
    return result ? std::string("no error") : result.error().to_string();
  };
  EXPECT_EQ(message(call), "Undefined function: " + long_name);
  EXPECT_EQ(message(variable),
            "Object '" + long_name + "' does not contain key '" + long_name + "x'");
}

}  // namespace
}  // namespace tovrin
