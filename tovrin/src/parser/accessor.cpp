#include "tovrin/parser/accessor.hpp"

#include <array>
#include <iterator>
#include <span>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "parser/combinators.hpp"
#include "tovrin/parser/lexical.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::parser {

using combinators::character;
using combinators::recoverable;
using combinators::skip_ascii_blanks;
using combinators::starts_with;

namespace {

// An identifier, or else a quoted name. Raw literals never get here as names: the identifier rule
// has already taken their `r`.
ParseResult<Text> parse_segment_name(std::string_view input) {
  if (auto identifier = parse_non_keyword(input)) {
    return Parsed<Text>{identifier->rest, Text::borrowed(identifier->value)};
  }
  return parse_string_literal(input);
}

// `[`, blanks, digits, blanks, `]`, blanks; all or nothing. The value is the digit run.
std::optional<Parsed<std::string_view>> parse_index(std::string_view input) {
  auto open = character(input, '[');
  if (!open) return std::nullopt;
  auto digits = combinators::digits(skip_ascii_blanks(*open));
  if (!digits) return std::nullopt;
  auto close = character(skip_ascii_blanks(digits->rest), ']');
  if (!close) return std::nullopt;
  return Parsed<std::string_view>{skip_ascii_blanks(*close), digits->value};
}

// Decimal digits as an index; nothing when the value does not fit.
std::optional<Index> index_value(std::string_view digits) noexcept {
  constexpr std::uint64_t kLargest = static_cast<Index>(-1);
  std::uint64_t value = 0;
  for (const char digit : digits) {
    value = value * 10 + static_cast<std::uint64_t>(digit - '0');
    if (value > kLargest) return std::nullopt;
  }
  return static_cast<Index>(value);
}

// Names are tested before indexes are converted, and only the first fault counts; every fault
// is reported at the rest after the whole accessor.
struct Faults {
  std::optional<ErrorKind> name;
  bool index_too_large = false;

  void check_name(std::string_view name) {
    if (this->name) return;
    if (name.empty()) {
      this->name = ErrorKind::MapRes;
    } else if (combinators::is_ascii_digit(name.front())) {
      this->name = ErrorKind::Digit;
    }
  }
};

}  // namespace

ParseResult<VarAccess> parse_variable_name(std::string_view input) {
  auto name = parse_segment_name(input);
  if (!name) return Err{name.error()};

  // Most accessors have a few segments: they are gathered in place, and only a longer one moves
  // them into a vector.
  constexpr std::size_t kInPlace = 4;
  std::array<VarName, kInPlace> first;
  std::vector<VarName> all;
  std::size_t count = 0;
  Faults faults;
  std::string_view rest;
  WorkBudget& budget = WorkBudget::current();
  while (true) {
    budget.spend(1);
    faults.check_name(name->value.view());
    VarName segment{CompactText(name->value.view()), std::nullopt};
    rest = name->rest;
    if (auto index = parse_index(rest)) {
      rest = index->rest;
      segment.index = index_value(index->value);
      if (!segment.index) faults.index_too_large = true;
    }
    if (count == kInPlace)
      all.assign(std::make_move_iterator(first.begin()), std::make_move_iterator(first.end()));
    if (count < kInPlace) {
      first[count] = std::move(segment);
    } else {
      all.push_back(std::move(segment));
    }
    ++count;
    if (!starts_with(rest, '.')) break;
    name = parse_segment_name(rest.substr(1));
    if (!name) break;
  }

  if (faults.name) return Err{recoverable(*faults.name, rest)};
  if (faults.index_too_large) return Err{recoverable(ErrorKind::MapRes, rest)};
  const std::span<VarName> names =
      count <= kInPlace ? std::span<VarName>(first.data(), count) : std::span<VarName>(all);
  return Parsed<VarAccess>{rest, VarAccess::from_segments(names)};
}

Result<VarAccess, ParseError> parse_whole_variable_name(std::string_view text) {
  auto parsed = parse_variable_name(text);
  if (!parsed) return Err{parsed.error()};
  if (!parsed->rest.empty()) return Err{recoverable(ErrorKind::Eof, parsed->rest)};
  return std::move(parsed->value);
}

}  // namespace tovrin::parser
