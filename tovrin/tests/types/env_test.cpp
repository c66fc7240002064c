#include "tovrin/types/env.hpp"

#include <gtest/gtest.h>

#include "support/json.hpp"

namespace tovrin {
namespace {

using testing::HostValue;
using testing::json;

std::vector<std::pair<std::string, HostValue>> pairs(
    std::vector<std::pair<std::string, std::string>> texts) {
  std::vector<std::pair<std::string, HostValue>> out;
  for (auto& [name, text] : texts)
    out.emplace_back(std::move(name), json(text));
  return out;
}

TEST(DefaultVtable, HoldsTheBuiltinsInRegistrationOrder) {
  std::vector<std::string> names;
  for (const auto& [name, callback] : *DEFAULT_VTABLE) {
    names.push_back(name);
    EXPECT_NE(callback.as_sync(), nullptr) << name;
  }
  const std::vector<std::string> expected{
      "matches", "len",          "startsWith",   "endsWith", "contains", "bool", "string", "int",
      "float",   "base64Encode", "base64Decode", "replace",  "format",   "join", "split"};
  EXPECT_EQ(names, expected);
  EXPECT_EQ(&DEFAULT_VTABLE.get(), &*DEFAULT_VTABLE);
  EXPECT_TRUE(DEFAULT_VTABLE.is_built());
}

TEST(DefaultVtable, NamesAreCaseSensitive) {
  EXPECT_NE(DEFAULT_VTABLE->find("len"), DEFAULT_VTABLE->end());
  EXPECT_EQ(DEFAULT_VTABLE->find("Len"), DEFAULT_VTABLE->end());
  EXPECT_EQ(DEFAULT_VTABLE->find("startswith"), DEFAULT_VTABLE->end());
}

TEST(EnvBuilder, LaterBindingOfANameWins) {
  EnvBuilder<HostValue> builder;
  builder.bind_multiple(pairs({{"a", "1"}, {"b", "2"}}));
  builder.bind_multiple(pairs({{"a", "\"second\""}}));
  const auto env = builder.build();
  ASSERT_EQ(env.bindings.size(), 2u);
  EXPECT_EQ(env.find_binding("a")->debug(), "String(\"second\")");
  EXPECT_EQ(env.find_binding("b")->debug(), "UInt(2)");
  EXPECT_EQ(env.find_binding("c"), nullptr);
}

TEST(EnvBuilder, EmptyBuilderGivesNoBindingsAndTheSharedTable) {
  const auto env = EnvBuilder<HostValue>().build();
  EXPECT_TRUE(env.bindings.empty());
  EXPECT_TRUE(env.functions.is_borrowed());
  EXPECT_EQ(&env.functions.get(), &DEFAULT_VTABLE.get());
}

TEST(EnvBuilder, EachBuildIsIndependent) {
  EnvBuilder<HostValue> builder;
  builder.bind_multiple(pairs({{"a", "[1, 2]"}}));
  const HostValue kept = json("\"kept by the caller\"");
  builder.bind_borrowed("k", kept);
  const auto first = builder.build();
  const auto second = builder.build();
  // Owned values are copied for each environment; borrowed ones stay borrowed.
  EXPECT_NE(first.find_binding("a"), second.find_binding("a"));
  EXPECT_NE(first.find_binding("a"), &builder.bindings().at("a").get());
  EXPECT_EQ(first.find_binding("k"), &kept);
  EXPECT_EQ(second.find_binding("k"), &kept);
  EXPECT_EQ(&first.functions.get(), &second.functions.get());
  EXPECT_EQ(builder.bindings().size(), 2u);
}

TEST(EnvBuilder, MovingBuildGivesTheSameEnvironment) {
  EnvBuilder<HostValue> builder;
  builder.bind_multiple(pairs({{"a", R"({"x": [true]})"}}));
  const auto env = std::move(builder).build();
  EXPECT_EQ(env.find_binding("a")->debug(), "Object({\"x\": Array([Bool(true)])})");
  EXPECT_EQ(&env.functions.get(), &DEFAULT_VTABLE.get());
}

TEST(EnvBuilder, OwnTableIsCopiedSharingItsCallables) {
  FunctionTable table;
  table.insert_or_assign("one", FnCallback::sync([](FnArgs) -> FnResult { return Value::Int(1); }));
  EnvBuilder<HostValue> builder;
  builder.with_functions(MaybeOwned<FunctionTable>::owned(table));
  const auto env = builder.build();
  EXPECT_FALSE(env.functions.is_borrowed());
  ASSERT_EQ(env.functions->size(), 1u);
  EXPECT_EQ(env.functions->at("one").as_sync()->fn, table.at("one").as_sync()->fn);

  EnvBuilder<HostValue> borrowing;
  borrowing.with_functions(MaybeOwned<FunctionTable>::borrowed(table));
  EXPECT_EQ(&borrowing.build().functions.get(), &table);
}

}  // namespace
}  // namespace tovrin
