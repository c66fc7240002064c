// Every long operation of the engine spends work, so that the stop check is asked while it runs
// and a yes ends it with StopRequested; the same operation then runs again as before.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "functions/builtin_test_support.hpp"
#include "regex/regex.hpp"
#include "support/host_value.hpp"
#include "tovrin/interpreter.hpp"
#include "tovrin/parser/accessor.hpp"
#include "tovrin/parser/expression.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin {
namespace {

using test::str;

int asked = 0;
bool stop = false;

bool check() {
  ++asked;
  return stop;
}

// Each operation does at least several budgets' worth of work and describes its outcome.
struct LongOperation {
  const char* name;
  std::function<std::string()> run;
};

std::string repeated(std::string_view piece, std::size_t times, std::string_view last = "") {
  std::string out;
  for (std::size_t i = 0; i < times; ++i)
    out += piece;
  out += last;
  return out;
}

Array numbers(std::size_t count) {
  Array out;
  for (std::size_t i = 0; i < count; ++i)
    out.push_back(Value::Int(static_cast<std::int64_t>(i)));
  return out;
}

std::string outcome(const functions::BuiltinResult& result) {
  if (!result) return result.error().to_string();
  if (const Text* text = result->as_text()) return std::to_string(text->view().size());
  if (const Array* array = result->as_array()) return std::to_string(array->size());
  return result->debug();
}

std::vector<LongOperation> long_operations() {
  constexpr std::size_t kMany = 20000;
  const auto text = std::make_shared<std::string>(repeated("abcdefgh", 1 << 18));
  const auto list = std::make_shared<Value>(Value::Array(numbers(kMany)));
  const auto words = std::make_shared<Value>(Value::Array(Array(kMany, str("word"))));
  const auto chain = std::make_shared<Exp>(
      std::move(parser::parse_exp(repeated("true && ", kMany, "true"))->value));
  const auto no_bindings =
      std::make_shared<Env<testing::HostValue>>(EnvBuilder<testing::HostValue>().build());
  // A bound array, read by the interpreter as a variable.
  auto builder = std::make_shared<EnvBuilder<testing::HostValue>>();
  builder->bind("x",
                testing::HostValue::Array(testing::HostArray(kMany, testing::HostValue::Int(1))));
  const auto variable = std::make_shared<Exp>(std::move(parser::parse_exp("x")->value));
  // Many alternatives make a large RE2 program, so that a long text is searched in windows.
  std::string alternatives = "(?:";
  for (int i = 0; i < 1000; ++i)
    alternatives += "w" + std::to_string(i) + "x|";
  alternatives += "zz)q";

  return {
      {"parsing an expression",
       [] {
         const std::string array = "[" + repeated("1, ", kMany, "1]");
         auto parsed = parser::parse_exp(array);
         return std::to_string(parsed->value.get_if<Exp::ArrayLit>()->elements.size());
       }},
      {"parsing an accessor",
       [] {
         auto parsed = parser::parse_variable_name(repeated("a.", kMany, "a"));
         return std::to_string(parsed->value.names().size());
       }},
      {"evaluating",
       [chain, no_bindings] { return interpreter::eval(*chain, *no_bindings)->get().debug(); }},
      {"reading a variable",
       [builder, variable] {
         const auto env = builder->build();
         return std::to_string(interpreter::eval(*variable, env)->get().as_array()->size());
       }},
      {"comparing values",
       [list] { return std::to_string(*list == Value::Array(numbers(kMany))); }},
      {"ordering object keys",
       [] {
         std::vector<Object::Entry> entries;
         for (std::size_t i = kMany; i > 0; --i)
           entries.emplace_back(std::to_string(i), Value::Null());
         return std::to_string(Object::from_entries(std::move(entries)).size());
       }},
      {"string", [list] { return outcome(test::call(functions::to_string, {*list})); }},
      {"join",
       [words] {
         return outcome(test::call(functions::join, {*words, str(", ")}));
       }},
      {"split",
       [text] {
         return outcome(test::call(functions::split, {str(*text), str("h")}));
       }},
      {"replace",
       [text] {
         return outcome(test::call(functions::replace, {str(*text), str("a"), str("xy")}));
       }},
      {"contains in a text",
       [text] {
         return outcome(test::call(functions::contains, {str(*text), str("ha!")}));
       }},
      {"contains in an array",
       [list] {
         return outcome(test::call(functions::contains, {*list, Value::Null()}));
       }},
      {"format",
       [] {
         return outcome(test::call(functions::format, {str(repeated("{0}", kMany)), str("x")}));
       }},
      {"base64Encode",
       [text] { return outcome(test::call(functions::base64_encode, {str(*text)})); }},
      {"base64Decode",
       [text] {
         return outcome(test::call(functions::base64_decode, {str(text->substr(0, 1 << 20))}));
       }},
      {"matching on the own matcher",
       [] {
         return outcome(test::call(functions::matches, {str(repeated("é", 1 << 15)), str("\\bZ")}));
       }},
      {"matching with RE2 in windows",
       [text, alternatives] {
         return outcome(test::call(functions::matches, {str(*text), str(alternatives)}));
       }},
      {"compiling a pattern",
       [] { return std::to_string(regex::compile(repeated("ab", kMany)).has_value()); }},
  };
}

TEST(StopRequest, EveryLongOperationIsAskedAndStops) {
  for (const LongOperation& operation : long_operations()) {
    SCOPED_TRACE(operation.name);
    const StopCheckScope scope(&check);
    stop = false;
    asked = 0;
    const std::string finished = operation.run();
    EXPECT_GE(asked, 2);

    stop = true;
    asked = 0;
    EXPECT_THROW(operation.run(), StopRequested);
    EXPECT_EQ(asked, 1);

    stop = false;
    EXPECT_EQ(operation.run(), finished);
  }
}

}  // namespace
}  // namespace tovrin
