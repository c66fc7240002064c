#include "tovrin/interpreter/variable_reader.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/exp_builders.hpp"
#include "tovrin/interpreter.hpp"

namespace tovrin::testing {
namespace {

// Reads each variable by its first segment's name from a table of its own, and notes every read;
// a name not in the table fails.
class TableReader final : public interpreter::VariableReader {
 public:
  explicit TableReader(std::map<std::string, Value> values) : values_(std::move(values)) {}

  Value read(const VarAccess& access, std::optional<EvalError>& error) const override {
    const std::string name = access.names().front().name.str();
    reads.push_back(name);
    auto found = values_.find(name);
    if (found == values_.end()) {
      error.emplace(EvalError::VariableAccess{VarAccessError::VariableNotFound{name}});
      return Value();
    }
    return found->second;
  }

  mutable std::vector<std::string> reads;

 private:
  std::map<std::string, Value> values_;
};

std::string outcome(const interpreter::EvalResult& result) {
  return result ? result->get().debug() : result.error().to_string();
}

TEST(EvalReading, ReadsEveryVariableNodeThroughTheReaderInEvaluationOrder) {
  const TableReader reader({{"a", Value::Int(1)}, {"b", Value::owned_string("x")}});
  const Exp exp = array_lit(var("a"), var("b"), var("a"), or_(var("a"), var("missing")));
  EXPECT_EQ(outcome(interpreter::eval_reading(exp, DEFAULT_VTABLE.get(), reader)),
            "Array([Int(1), String(\"x\"), Int(1), Int(1)])");
  // Array elements run last to first; the right operand of a truthy "||" is never read.
  EXPECT_EQ(reader.reads, (std::vector<std::string>{"a", "a", "b", "a"}));
}

TEST(EvalReading, AFailedReadEndsTheEvaluationWithItsError) {
  const TableReader reader({{"s", Value::owned_string("abc")}});
  const Exp exp = call("len", var("s"), var("nobody"), var("s"));
  EXPECT_EQ(outcome(interpreter::eval_reading(exp, DEFAULT_VTABLE.get(), reader)),
            "Variable not found: nobody");
  EXPECT_EQ(reader.reads, (std::vector<std::string>{"s", "nobody"}));

  FunctionTable own;
  own.insert_or_assign("len", FnCallback::sync([](FnArgs) -> FnResult { return Value::Int(7); }));
  EXPECT_EQ(outcome(interpreter::eval_reading(call("len", var("s")), own, reader)), "Int(7)");
}

}  // namespace
}  // namespace tovrin::testing
