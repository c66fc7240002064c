#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <variant>

#include "tovrin/types/exp.hpp"

namespace tovrin::interpreter {

// The operator of an ordered comparison.
enum class CompareOp : std::uint8_t { Less, Greater, LessEq, GreaterEq };

// One step still to be done. Every reference points into the tree being evaluated, which lives
// and stays unchanged for the whole evaluation.
namespace task {
struct PushKey {  // push an object-literal key onto the key stack
  const std::string* key;
};
struct Evaluate {  // push the node's value, or the tasks that will compute it
  const Exp* node;
};
struct ApplyNot {};
struct ApplyOr {  // decide `||` from the left value on top
  const Exp* right;
};
struct ApplyAnd {  // decide `&&` from the left value on top
  const Exp* right;
};
struct ApplyEq {};
struct ApplyNeq {};
struct ApplyCompare {
  CompareOp op;
};
struct ApplyCall {  // look the function up, call it with the values of its arguments on top
  const FunctionItem* call;
};
struct BuildArray {
  std::size_t count;
};
struct BuildObject {
  std::size_t count;
};
}  // namespace task

using Task = std::variant<task::PushKey, task::Evaluate, task::ApplyNot, task::ApplyOr,
                          task::ApplyAnd, task::ApplyEq, task::ApplyNeq, task::ApplyCompare,
                          task::ApplyCall, task::BuildArray, task::BuildObject>;

}  // namespace tovrin::interpreter
