// The atoms of the grammar in expression.cpp, on the parser's explicit stacks.

#include <iterator>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "parser/combinators.hpp"
#include "parser/exp_parser.hpp"
#include "tovrin/parser/accessor.hpp"
#include "tovrin/parser/expression.hpp"
#include "tovrin/parser/lexical.hpp"

namespace tovrin::parser::grammar {

using combinators::character;
using combinators::skip_ascii_blanks;
using combinators::starts_with;

// atom: a literal, an array, an object, a call, a variable or a parenthesised expression, the
// first that matches. No literal begins as a bracketed alternative does (`[`, `{`, `(`, or a name
// that is no keyword and then `(`), so bracket_at() looks for those first; the other atoms are a
// literal, else a variable. When nothing fits, the atom fails as the last alternative does:
// `Char` at its input unless it begins with `(`.
ExpParser::Step ExpParser::begin_atom(std::string_view input) {
  if (auto bracket = bracket_at(input)) return open_bracket(std::move(*bracket));
  return unbracketed_atom(input);
}

// An atom where no bracket opens: a literal, else a variable.
ExpParser::Step ExpParser::unbracketed_atom(std::string_view input) {
  if (auto literal = parse_literal_value(input)) {
    return leaf(literal->rest, Exp::Literal{std::move(literal->value)});
  }
  return variable_or_fail(input);
}

// The bracketed alternatives: an array, an object, a call or a parenthesised expression.
std::optional<ExpParser::BracketFrame> ExpParser::bracket_at(std::string_view input) {
  const auto frame = [&](Bracket kind, std::string_view first) {
    return BracketFrame{.kind = kind, .atom = input, .first = skip_ascii_blanks(first)};
  };
  if (starts_with(input, '[')) return frame(Bracket::Array, input.substr(1));
  if (starts_with(input, '{')) return frame(Bracket::Object, input.substr(1));
  if (starts_with(input, '(')) return frame(Bracket::Paren, input.substr(1));
  if (auto name = parse_non_keyword(input);
      name && !combinators::is_ascii_digit(name->value.front())) {
    if (auto paren = character(skip_unicode_whitespace(name->rest).rest, '(')) {
      return BracketFrame{.kind = Bracket::Call,
                          .atom = input,
                          .name = name->value,
                          .first = skip_unicode_whitespace(*paren).rest};
    }
  }
  return std::nullopt;
}

ExpParser::Step ExpParser::variable_or_fail(std::string_view input) {
  if (auto access = parse_variable_name(input)) {
    return leaf(access->rest, Exp::Var{std::move(access->value)});
  }
  return fail(ErrorKind::Char, input);
}

// The nesting bound is checked where a bracket opens. Its failure is hard, so that it reaches
// the caller as it is instead of turning into the failure of some other alternative.
ExpParser::Step ExpParser::open_bracket(BracketFrame frame) {
  if (open_brackets_ >= kMaxNestingDepth) {
    return fail(ParseError{Severity::Hard, ErrorKind::TooLarge, frame.atom});
  }
  ++open_brackets_;
  frame.base = operands_.size();
  auto& pushed = std::get<BracketFrame>(frames_.emplace_back(std::move(frame)));
  return start_element(pushed, pushed.first);
}

// Array elements, call arguments and the parenthesised expression are full expressions. An
// object entry is a string literal key, `:` right after its closing quote, then the value.
ExpParser::Step ExpParser::start_element(BracketFrame& frame, std::string_view at) {
  if (frame.kind != Bracket::Object) return start_exp(at);
  auto key = parse_string_literal(at);
  if (!key) return element_failed(frame, fail(key.error()));
  auto colon = character(key->rest, ':');
  if (!colon) return element_failed(frame, fail(colon.error()));
  frame.keys.push_back(std::move(key->value).into_string());
  return start_exp(skip_ascii_blanks(*colon));
}

ExpParser::Step ExpParser::resume_bracket(BracketFrame& frame, Step outcome) {
  if (frame.kind == Bracket::Paren) {
    // The inner expression's failure is the atom's; a parenthesis leaves no node of its own.
    if (outcome.failed) return close_bracket(outcome);
    auto close = character(rest_from(outcome.at), ')');
    if (!close) return close_bracket(fail(close.error()));
    return close_bracket(succeed(skip_ascii_blanks(*close)));
  }
  if (outcome.failed) return element_failed(frame, outcome);
  ++frame.count;
  const std::string_view rest = rest_from(outcome.at);
  if (starts_with(rest, ',')) {
    frame.comma = rest;
    return start_element(frame, skip_ascii_blanks(rest.substr(1)));
  }
  return end_list(frame, rest);
}

// A recoverable failure ends the list: before the comma that introduced the failed element, or
// at the list's start when it was the first. The closing check then decides.
ExpParser::Step ExpParser::element_failed(BracketFrame& frame, Step failure) {
  if (fails_hard(failure)) return close_bracket(failure);
  if (frame.keys.size() > frame.count) frame.keys.pop_back();
  return end_list(frame, frame.count == 0 ? frame.first : frame.comma);
}

ExpParser::Step ExpParser::end_list(BracketFrame& frame, std::string_view rest) {
  switch (frame.kind) {
    case Bracket::Array:
      return close_array(frame, rest);
    case Bracket::Object:
      return close_object(frame, rest);
    case Bracket::Call:
      return close_call(frame, rest);
    case Bracket::Paren:
      break;
  }
  return close_bracket(fail(ErrorKind::Char, frame.atom));
}

// array = "[" blanks exp_list "]" blanks
ExpParser::Step ExpParser::close_array(BracketFrame& frame, std::string_view rest) {
  auto close = character(rest, ']');
  if (!close) return close_bracket(fail(ErrorKind::Char, frame.atom));
  operands_.emplace_back(Exp::ArrayLit{pop_list(frame.base)});
  return close_bracket(succeed(skip_ascii_blanks(*close)));
}

// object = "{" blanks (entry ("," blanks entry)*)? "}" blanks; the entries' values are on the
// stack, their keys in the frame.
ExpParser::Step ExpParser::close_object(BracketFrame& frame, std::string_view rest) {
  auto close = character(rest, '}');
  if (!close) return close_bracket(fail(ErrorKind::Char, frame.atom));
  std::vector<SortedMap<Exp>::Entry> entries;
  entries.reserve(frame.count);
  for (std::size_t i = 0; i < frame.count; ++i) {
    entries.emplace_back(std::move(frame.keys[i]), std::move(operands_[frame.base + i]));
  }
  truncate(frame.base);
  operands_.emplace_back(Exp::ObjectLit{SortedMap<Exp>::from_entries(std::move(entries))});
  return close_bracket(succeed(skip_ascii_blanks(*close)));
}

// call = name "(" exp_list ("," blanks)? ")" blanks, with Unicode whitespace allowed before and
// after the parentheses' insides. Without its `)` the text is no call after all: the name is read
// again as a variable.
ExpParser::Step ExpParser::close_call(BracketFrame& frame, std::string_view rest) {
  if (starts_with(rest, ',')) rest = skip_ascii_blanks(rest.substr(1));
  auto close = character(skip_unicode_whitespace(rest).rest, ')');
  if (!close) {
    const std::string_view atom = frame.atom;
    close_bracket(fail(close.error()));
    return variable_or_fail(atom);
  }
  operands_.emplace_back(Exp::Call{FunctionItem(frame.name, pop_list(frame.base))});
  return close_bracket(succeed(skip_ascii_blanks(*close)));
}

// Pops the bracket; on failure, with every tree read inside it.
ExpParser::Step ExpParser::close_bracket(Step outcome) {
  if (outcome.failed) truncate(std::get<BracketFrame>(frames_.back()).base);
  frames_.pop_back();
  --open_brackets_;
  return outcome;
}

}  // namespace tovrin::parser::grammar
