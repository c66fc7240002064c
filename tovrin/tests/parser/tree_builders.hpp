#pragma once

// Trees built by hand, and readable failure output for trees and parse errors.

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tovrin/parser.hpp"
#include "tovrin/types/exp.hpp"

namespace tovrin {

void PrintTo(const Exp& exp, std::ostream* out);

inline void print_children(const Exp& exp, std::ostream* out) {
  std::vector<const Exp*> children;
  exp.collect_children(children);
  for (const Exp* child : children) {
    *out << ' ';
    PrintTo(*child, out);
  }
}

// An S-expression such as (Or (Var a) (Literal Int(1))); test trees are small.
inline void PrintTo(const Exp& exp, std::ostream* out) {
  static constexpr const char* kNames[] = {"Literal", "Call", "Var",      "Not",      "Or",
                                           "And",     "Eq",   "Neq",      "Gt",       "Lt",
                                           "Geq",     "Leq",  "ArrayLit", "ObjectLit"};
  *out << '(' << kNames[static_cast<int>(exp.kind())];
  if (const auto* literal = exp.get_if<Exp::Literal>()) *out << ' ' << literal->value.debug();
  if (const auto* call = exp.get_if<Exp::Call>()) *out << ' ' << call->item.name;
  if (const auto* var = exp.get_if<Exp::Var>()) {
    for (const auto& segment : var->access.names()) {
      std::string text;
      segment.text_to(text);
      *out << " '" << text << "'";
    }
  }
  if (const auto* object = exp.get_if<Exp::ObjectLit>()) {
    for (const auto& [key, value] : object->entries) {
      *out << " \"" << key << "\":";
      PrintTo(value, out);
    }
  } else {
    print_children(exp, out);
  }
  *out << ')';
}

namespace parser {
inline void PrintTo(const ParseError& error, std::ostream* out) {
  *out << (error.is_hard() ? "hard " : "") << error_kind_name(error.kind) << " at \"" << error.input
       << '"';
}
}  // namespace parser

namespace parser_test {

using Segment = std::pair<std::string, std::optional<Index>>;

inline VarAccess access(std::initializer_list<Segment> segments) {
  std::vector<VarName> names;
  for (const auto& [name, index] : segments)
    names.push_back(VarName{name, index});
  return VarAccess(std::move(names));
}
inline Exp var(std::initializer_list<Segment> segments) {
  return Exp(Exp::Var{access(segments)});
}
inline Exp var(std::string name) {
  return var({{std::move(name), std::nullopt}});
}
inline Exp integer(std::int64_t value) {
  return Exp::literal(Value::Int(value));
}
inline Exp floating(double value) {
  return Exp::literal(Value::Float(value));
}
inline Exp text(std::string value) {
  return Exp::literal(Value::owned_string(std::move(value)));
}
inline Exp boolean(bool value) {
  return Exp::literal(Value::Bool(value));
}
inline Exp null() {
  return Exp::literal(Value::Null());
}
inline Exp negation(Exp child) {
  return Exp::negation(std::move(child));
}
template <Exp::Kind K>
Exp op(Exp left, Exp right) {
  return Exp::binary<K>(std::move(left), std::move(right));
}
inline Exp call(std::string_view name, std::vector<Exp> args = {}) {
  return Exp(Exp::Call{FunctionItem(name, std::move(args))});
}
inline Exp array(std::vector<Exp> elements = {}) {
  return Exp(Exp::ArrayLit{std::move(elements)});
}
inline Exp object(std::vector<SortedMap<Exp>::Entry> entries = {}) {
  return Exp(Exp::ObjectLit{SortedMap<Exp>::from_entries(std::move(entries))});
}

// The tree of a text that must parse completely.
inline Exp tree_of(std::string_view text) {
  auto parsed = parser::parse_whole_exp(text);
  if (!parsed) {
    ADD_FAILURE() << "no tree for \"" << text << "\": " << testing::PrintToString(parsed.error());
    return Exp();
  }
  return std::move(*parsed);
}

inline parser::ParseError recoverable(parser::ErrorKind kind, std::string_view at) {
  return parser::ParseError{parser::Severity::Recoverable, kind, at};
}

// Whether `part` lies inside `whole` and ends where it ends: a suffix view, not a copy.
inline bool is_suffix_view(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.data() + part.size() == whole.data() + whole.size();
}

struct FailureCase {
  std::string input;
  parser::ErrorKind kind;
  std::string at;  // the rest the failure carries
};

// Every case fails recoverably with its kind, at a suffix of its own input.
template <class Parser>
void expect_failures(Parser parse, const std::vector<FailureCase>& cases) {
  for (const auto& c : cases) {
    const auto parsed = parse(std::string_view(c.input));
    ASSERT_FALSE(parsed) << c.input;
    EXPECT_EQ(parsed.error(), recoverable(c.kind, c.at)) << c.input;
    EXPECT_TRUE(is_suffix_view(parsed.error().input, c.input)) << c.input;
  }
}

}  // namespace parser_test
}  // namespace tovrin
