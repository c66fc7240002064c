#include "interpreter/operators.hpp"

#include <string>

namespace tovrin::interpreter {

namespace {

template <class Number>
bool ordered(CompareOp op, Number left, Number right) noexcept {
  switch (op) {
    case CompareOp::Less:
      return left < right;
    case CompareOp::Greater:
      return left > right;
    case CompareOp::LessEq:
      return left <= right;
    case CompareOp::GreaterEq:
      return left >= right;
  }
  return false;
}

}  // namespace

Result<bool, EvalError> compare(CompareOp op, const Value& left, const Value& right) {
  if (const auto* l = left.as_int()) {
    if (const auto* r = right.as_int()) return ordered(op, *l, *r);
  } else if (const auto* l = left.as_float()) {
    if (const auto* r = right.as_float()) return ordered(op, *l, *r);
  }
  std::string detail = "Cannot compare values of different types: ";
  detail += type_text(left.get_type());
  detail += " and ";
  detail += type_text(right.get_type());
  return Err{EvalError::TypeError{std::move(detail)}};
}

}  // namespace tovrin::interpreter
