#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tovrin/types/exp.hpp"

// Short builders for expression trees, so that tests can state a tree about as compactly as its
// source text.
namespace tovrin::testing {

inline Exp lit(Value value) {
  return Exp::literal(std::move(value));
}
inline Exp int_lit(std::int64_t i) {
  return lit(Value::Int(i));
}
inline Exp float_lit(double f) {
  return lit(Value::Float(f));
}
inline Exp str_lit(std::string text) {
  return lit(Value::owned_string(std::move(text)));
}
inline Exp bool_lit(bool b) {
  return lit(Value::Bool(b));
}
inline Exp null_lit() {
  return lit(Value::Null());
}

// A variable from an accessor text of plain dotted names with optional indexes: "a[0].b".
Exp var(std::string_view accessor);
VarAccess accessor(std::string_view text);

template <class... Args>
Exp call(std::string name, Args... args) {
  std::vector<Exp> list;
  (list.push_back(std::move(args)), ...);
  return Exp(Exp::Call{FunctionItem(name, std::move(list))});
}

inline Exp not_(Exp e) {
  return Exp::negation(std::move(e));
}
inline Exp or_(Exp l, Exp r) {
  return Exp::binary<Exp::Kind::Or>(std::move(l), std::move(r));
}
inline Exp and_(Exp l, Exp r) {
  return Exp::binary<Exp::Kind::And>(std::move(l), std::move(r));
}
inline Exp eq(Exp l, Exp r) {
  return Exp::binary<Exp::Kind::Eq>(std::move(l), std::move(r));
}
inline Exp neq(Exp l, Exp r) {
  return Exp::binary<Exp::Kind::Neq>(std::move(l), std::move(r));
}
inline Exp lt(Exp l, Exp r) {
  return Exp::lt(std::move(l), std::move(r));
}
inline Exp gt(Exp l, Exp r) {
  return Exp::gt(std::move(l), std::move(r));
}
inline Exp leq(Exp l, Exp r) {
  return Exp::leq(std::move(l), std::move(r));
}
inline Exp geq(Exp l, Exp r) {
  return Exp::geq(std::move(l), std::move(r));
}

template <class... Args>
Exp array_lit(Args... elements) {
  std::vector<Exp> list;
  (list.push_back(std::move(elements)), ...);
  return Exp(Exp::ArrayLit{std::move(list)});
}

Exp object_lit(std::vector<std::pair<std::string, Exp>> entries);

}  // namespace tovrin::testing
