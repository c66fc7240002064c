#include "tovrin/types/var_walk.hpp"

#include <gtest/gtest.h>

#include "support/exp_builders.hpp"
#include "support/json.hpp"
#include "tovrin/internal_failure.hpp"

namespace tovrin {
namespace {

using testing::accessor;
using testing::HostValue;
using testing::json;

// The walked value's debug form, or the error's message.
template <class Found>
std::string outcome(const Result<Found, VarAccessError>& result) {
  if (!result) return result.error().to_string();
  if constexpr (std::is_pointer_v<Found>) {
    return (*result)->debug();
  } else {
    return result->get().debug();
  }
}

std::string access_names(std::string_view path, std::string_view value) {
  const auto access = accessor(path);
  const HostValue host = json(value);
  return outcome(VarAccess::access_names(std::span<const VarName>(access.names()), host, false));
}

std::string from_bindings(std::string_view path,
                          std::vector<std::pair<std::string, std::string>> bound) {
  std::vector<std::pair<std::string, HostValue>> bindings;
  for (auto& [name, text] : bound)
    bindings.emplace_back(name, json(text));
  EnvBuilder<HostValue> builder;
  builder.bind_multiple(std::move(bindings));
  const auto env = builder.build();
  return outcome(accessor(path).access_from_bindings(env));
}

TEST(AccessNames, FromTheValueItself) {
  const struct {
    const char *path, *value, *outcome;
  } cases[] = {
      {"a", R"({"b": 1})", "Object '<root>' does not contain key 'a'"},
      {"a.b", R"({"a": 5})", "Object 'a' does not contain key 'b'"},
      {"a[5]", R"({"a": [1, 2]})",
       "Index out of bounds: Index out of bounds at '<root>' (index: 5, length: 2)"},
      {"x.a[0]", R"({"x": {"a": "s"}})", "Type error: Expected array at 'x', found String(\"s\")"},
      {"a.b[1]", R"({"a": {"b": [1, -2]}})", "Int(-2)"},
      // A name looked up in an array, a string or null finds no key.
      {"a.b", R"({"a": [1]})", "Object 'a' does not contain key 'b'"},
      {"a.b", R"({"a": "text"})", "Object 'a' does not contain key 'b'"},
      {"a.b", R"({"a": null})", "Object 'a' does not contain key 'b'"},
      // An index applied to an object, even one with a key "0".
      {"a[0]", R"({"a": {"0": 1}})",
       "Type error: Expected array at '<root>', found Object({\"0\": UInt(1)})"},
      {"a[0]", R"({"a": []})",
       "Index out of bounds: Index out of bounds at '<root>' (index: 0, length: 0)"},
      {"a[2]", R"({"a": [1, 2]})",
       "Index out of bounds: Index out of bounds at '<root>' (index: 2, length: 2)"},
      {"a[0].b[1].c", R"({"a": [{"b": [0, {}]}]})", "Object 'a[0].b[1]' does not contain key 'c'"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(access_names(c.path, c.value), c.outcome) << c.path << " on " << c.value;
}

TEST(AccessNames, QuotedSegmentWithADotIsOneKey) {
  const VarAccess dotted({VarName{"x.y", std::nullopt}});
  const HostValue host = json(R"({"x.y": 1, "x": {"y": 2}})");
  EXPECT_EQ(outcome(VarAccess::access_names(std::span<const VarName>(dotted.names()), host, false)),
            "UInt(1)");
}

TEST(AccessNames, RootWithoutIndexIsTheValueItself) {
  const auto access = accessor("anything");
  const HostValue host = json("[1]");
  auto found = VarAccess::access_names(std::span<const VarName>(access.names()), host, true);
  ASSERT_TRUE(found.has_value());
  EXPECT_EQ(*found, &host);
}

TEST(AccessNames, EmptyListIsAnInternalFailure) {
  const HostValue host = json("{}");
  EXPECT_THROW((void)VarAccess::access_names(std::span<const VarName>(), host, false),
               InternalFailure);
  HostValue place = json("{}");
  EXPECT_THROW((void)VarAccess::access_names_mut(std::span<const VarName>(), place),
               InternalFailure);
}

TEST(AccessFromBindings, FromABoundVariable) {
  const struct {
    const char* path;
    std::vector<std::pair<std::string, std::string>> bound;
    const char* outcome;
  } cases[] = {
      {"a.b", {}, "Variable not found: a"},
      {"a[0]", {{"b", "[1]"}}, "Variable not found: a"},
      {"a[5]",
       {{"a", "[1, 2]"}},
       "Index out of bounds: Index out of bounds at 'a[5]' (index: 5, length: 2)"},
      {"a[0]", {{"a", "5"}}, "Type error: Expected array at 'a[0]', found UInt(5)"},
      {"a.b.c", {{"a", R"({"b": {}})"}}, "Object 'a.b' does not contain key 'c'"},
      {"a[0].b", {{"a", R"([{"b": 1}])"}}, "UInt(1)"},
      {"a[0].c", {{"a", R"([{"b": 1}])"}}, "Object 'a[0]' does not contain key 'c'"},
      {"a[1].b", {{"a", R"([{"b": 1}, {"b": 2}])"}}, "UInt(2)"},
      {"a", {{"a", R"({"z": 1, "a": 2})"}}, "Object({\"z\": UInt(1), \"a\": UInt(2)})"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(from_bindings(c.path, c.bound), c.outcome) << c.path;
}

TEST(AccessFromBindings, FindsABorrowIntoTheEnvironment) {
  EnvBuilder<HostValue> builder;
  std::vector<std::pair<std::string, HostValue>> bindings;
  bindings.emplace_back("a", json(R"({"b": [true]})"));
  builder.bind_multiple(std::move(bindings));
  const auto env = builder.build();
  auto found = accessor("a.b[0]").access_from_bindings(env);
  ASSERT_TRUE(found.has_value());
  EXPECT_TRUE(found->is_borrowed());
  EXPECT_EQ(&found->get(), &env.find_binding("a")->get("b")->as_array()->front());
}

std::string replaced(std::string_view path, std::string_view value, std::string_view by) {
  HostValue host = json(value);
  auto status = accessor(path).replace_in(host, json(by));
  if (!status) return status.error().to_string();
  return host.debug();
}

TEST(ReplaceWalk, PutsTheReplacementInAnExistingPlace) {
  const struct {
    const char *path, *value, *outcome;
  } cases[] = {
      {"a.b[1]", R"({"a": {"b": [1, 2]}})",
       "Object({\"a\": Object({\"b\": Array([UInt(1), UInt(9)])})})"},
      {"z", R"({"z": 1, "a": 2})", "Object({\"z\": UInt(9), \"a\": UInt(2)})"},
      {"x.a[0]", R"({"x": {"a": "s"}})", "Type error: Expected array at 'x'"},
      {"a[0]", R"({"a": "s"})", "Type error: Expected array at '<root>'"},
      {"a.c", R"({"a": {"b": 1}})", "Object 'a' does not contain key 'c'"},
      {"x", R"([1])", "Object '<root>' does not contain key 'x'"},
      {"a[5]", R"({"a": [1, 2]})",
       "Index out of bounds: Index out of bounds at '<root>' (index: 5, length: 2)"},
      {"a[2]", R"({"a": [1, 2]})",
       "Index out of bounds: Index out of bounds at '<root>' (index: 2, length: 2)"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(replaced(c.path, c.value, "9"), c.outcome) << c.path << " on " << c.value;
}

TEST(ReplaceWalk, FailureLeavesTheValueUnchanged) {
  HostValue host = json(R"({"a": {"b": 1}})");
  EXPECT_FALSE(accessor("a.c").replace_in(host, json("9")).has_value());
  EXPECT_EQ(host.debug(), "Object({\"a\": Object({\"b\": UInt(1)})})");
}

}  // namespace
}  // namespace tovrin
