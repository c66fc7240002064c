// Feeds arbitrary UTF-8 text to the expression and accessor parsers. They must never crash, and
// every outcome must keep the parsers' promises: positions are suffixes of the text, only the
// kinds a caller may see come out, owned trees survive their text, and the whole-text entry
// points agree with the parsers they wrap.
//
// A text of the form A \x01 B \x01 C is also parsed as A repeated n times, then B, then C
// repeated n times, with n just below or above the nesting bound, so that short inputs reach
// deep nesting of any shape.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "tovrin/parser.hpp"
#include "tovrin/utils/utf8.hpp"

namespace {

using namespace tovrin;
using parser::ErrorKind;

void check(bool condition, const char* what) {
  if (condition) return;
  std::fprintf(stderr, "broken promise: %s\n", what);
  std::abort();
}

bool is_suffix(std::string_view part, std::string_view whole) {
  return part.data() >= whole.data() && part.size() <= whole.size() &&
         part.data() + part.size() == whole.data() + whole.size();
}

bool only_unicode_whitespace(std::string_view text) {
  return parser::skip_unicode_whitespace(text).rest.empty();
}

void check_exp_failure(const parser::ParseError& error, std::string_view text) {
  check(is_suffix(error.input, text), "expression failure outside the text");
  const bool too_deep = error.kind == ErrorKind::TooLarge;
  check(too_deep || error.kind == ErrorKind::Char || error.kind == ErrorKind::Count,
        "an internal kind left the expression parser");
  check(error.is_hard() == too_deep, "only the nesting bound fails hard");
}

void fuzz_exp(std::string_view text) {
  auto parsed = parser::parse_exp(text);
  auto whole = parser::parse_whole_exp(text);
  if (!parsed) {
    check_exp_failure(parsed.error(), text);
    check(!whole && whole.error() == parsed.error(), "whole-text failure differs");
  } else {
    check(is_suffix(parsed->rest, text), "expression rest outside the text");
    const Exp copy = parsed->value;
    check(copy == parsed->value, "a copied tree differs");
    if (only_unicode_whitespace(parsed->rest)) {
      check(whole && *whole == parsed->value, "whole-text tree differs");
    } else {
      check(!whole && whole.error().kind == ErrorKind::Eof && whole.error().input == parsed->rest,
            "leftover text not reported as Eof with the whole rest");
    }
    // An owned tree must not refer to the text: parse a copy, detach it, release the copy.
    Exp owned;
    {
      const std::string scratch(text);
      auto again = parser::parse_exp(scratch);
      check(again && again->value == parsed->value, "parsing is not repeatable");
      owned = std::move(again->value).into_owned();
    }
    check(owned == parsed->value, "the owned tree differs");
  }

  auto atom = parser::parse_atom(text);
  if (atom) {
    check(is_suffix(atom->rest, text), "atom rest outside the text");
    check(atom->rest.empty() || (atom->rest[0] != ' ' && atom->rest[0] != '\t' &&
                                 atom->rest[0] != '\n' && atom->rest[0] != '\r'),
          "an atom left an ASCII blank after it");
  } else {
    check_exp_failure(atom.error(), text);
  }
}

void fuzz_accessor(std::string_view text) {
  auto parsed = parser::parse_variable_name(text);
  auto whole = parser::parse_whole_variable_name(text);
  if (!parsed) {
    const auto& error = parsed.error();
    check(is_suffix(error.input, text), "accessor failure outside the text");
    check(error.kind == ErrorKind::Char || error.kind == ErrorKind::MapRes ||
              error.kind == ErrorKind::Digit,
          "an unexpected kind left the accessor parser");
    check(!error.is_hard(), "accessor failures are recoverable");
    check(!whole && whole.error() == error, "whole-accessor failure differs");
    return;
  }
  check(is_suffix(parsed->rest, text), "accessor rest outside the text");
  for (const auto& segment : parsed->value.names()) {
    check(!segment.name.empty(), "empty segment name");
    check(segment.name[0] < '0' || segment.name[0] > '9', "segment name begins with a digit");
  }
  if (parsed->rest.empty()) {
    check(whole && *whole == parsed->value, "whole-accessor result differs");
  } else {
    check(!whole && whole.error().kind == ErrorKind::Eof && whole.error().input == parsed->rest,
          "accessor leftover not reported as Eof");
  }
}

void fuzz_text(std::string_view text) {
  fuzz_exp(text);
  fuzz_accessor(text);
}

// A \x01 B \x01 C as A^n B C^n.
void fuzz_nested(std::string_view text) {
  const std::size_t first = text.find('\x01');
  if (first == std::string_view::npos) return;
  const std::size_t second = text.find('\x01', first + 1);
  if (second == std::string_view::npos) return;
  const std::string_view open = text.substr(0, first);
  const std::string_view middle = text.substr(first + 1, second - first - 1);
  const std::string_view close = text.substr(second + 1);
  if (open.empty()) return;
  const std::size_t levels = parser::kMaxNestingDepth - 8 + middle.size() % 17;
  std::string nested;
  for (std::size_t i = 0; i < levels; ++i)
    nested += open;
  nested += middle;
  for (std::size_t i = 0; i < levels; ++i)
    nested += close;
  fuzz_exp(nested);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  if (!utf8::is_valid(text)) return -1;
  fuzz_text(text);
  fuzz_nested(text);
  return 0;
}
