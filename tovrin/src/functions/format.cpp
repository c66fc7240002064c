// The built-in format: placeholders {0}, {1}, ... in a template filled with the text forms of the
// further arguments, where {{n}} stands for the literal text {n}.
#include <unicode/uchar.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "functions/arguments.hpp"
#include "tovrin/utils/text_form.hpp"
#include "tovrin/utils/utf8.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::functions {

namespace {

// A direct scan finds the same leftmost, non-overlapping matches as the pattern \{(\d+)\} with
// Unicode digits, so no compiled pattern and no one-time state is needed.
struct Placeholder {
  std::size_t start;  // the opening brace
  std::size_t end;    // just past the closing brace

  std::string_view digits(std::string_view text) const {
    return text.substr(start + 1, end - start - 2);
  }
};

// The end of the run of decimal digits (any script: general category Nd) that starts at `pos`.
// A unit of work is spent for every kBytesPerUnit bytes read, whatever the width of the digits.
std::size_t digit_run_end(std::string_view text, std::size_t pos, WorkBudget& budget) {
  std::size_t next_unit = pos + WorkBudget::kBytesPerUnit;
  while (pos < text.size()) {
    if (pos >= next_unit) {
      budget.spend(1);
      next_unit += WorkBudget::kBytesPerUnit;
    }
    const auto byte = static_cast<unsigned char>(text[pos]);
    if (byte < 0x80) {
      if (byte < '0' || byte > '9') break;
      ++pos;
      continue;
    }
    std::size_t next = pos;
    const char32_t c = utf8::decode_next(text, next);
    if (u_charType(static_cast<UChar32>(c)) != U_DECIMAL_DIGIT_NUMBER) break;
    pos = next;
  }
  return pos;
}

// The leftmost placeholder that starts at or after `from`. Every brace is tried once, and a digit
// run is read only from the brace just before it, so the scan is linear in the template.
std::optional<Placeholder> next_placeholder(std::string_view text, std::size_t from,
                                            WorkBudget& budget) {
  for (std::size_t open = text.find('{', from); open != std::string_view::npos;
       open = text.find('{', open + 1)) {
    budget.spend(1);
    const std::size_t digits_end = digit_run_end(text, open + 1, budget);
    if (digits_end > open + 1 && digits_end < text.size() && text[digits_end] == '}') {
      return Placeholder{open, digits_end + 1};
    }
  }
  return std::nullopt;
}

// {{n}}: the placeholder has an opening brace just before it and a closing brace just after it.
bool is_escaped(std::string_view text, const Placeholder& placeholder) {
  return placeholder.start > 0 && text[placeholder.start - 1] == '{' &&
         placeholder.end < text.size() && text[placeholder.end] == '}';
}

// Reads the digits as an unsigned 32-bit word in ASCII digits, left to right: the first
// character that is not an ASCII digit, or the first digit that carries the value past the
// largest word, is the failure.
Result<std::uint32_t, EvalError> parse_index(std::string_view digits) {
  std::uint64_t value = 0;
  for (char c : digits) {
    std::string_view problem;
    if (c < '0' || c > '9') {
      problem = "invalid digit found in string";
    } else {
      value = value * 10 + static_cast<std::uint64_t>(c - '0');
      if (value > UINT32_MAX) problem = "number too large to fit in target type";
    }
    if (!problem.empty()) {
      std::string message = "Invalid format placeholder index '";
      message += digits;
      message += "': ";
      message += problem;
      return Err{EvalError::ValueError{std::move(message)}};
    }
  }
  return static_cast<std::uint32_t>(value);
}

// The text forms of the values, in order. A string's text form is its own bytes, so it is read
// in place; every other value is rendered into one shared buffer.
class ValueTexts {
 public:
  explicit ValueTexts(Args values) {
    pieces_.reserve(values.size());
    for (const auto& value : values) {
      if (const Text* text = value.as_text()) {
        pieces_.push_back({text, 0, 0});
        total_size_ += text->view().size();
      } else {
        const std::size_t begin = rendered_.size();
        text_form_to(rendered_, value);
        pieces_.push_back({nullptr, begin, rendered_.size()});
        total_size_ += rendered_.size() - begin;
      }
    }
  }

  std::size_t size() const noexcept { return pieces_.size(); }
  std::size_t total_size() const noexcept { return total_size_; }
  std::string_view operator[](std::size_t index) const noexcept {
    const Piece& piece = pieces_[index];
    if (piece.text != nullptr) return piece.text->view();
    return std::string_view(rendered_).substr(piece.begin, piece.end - piece.begin);
  }

 private:
  struct Piece {
    const Text* text;  // the string argument itself, or null for a rendered value
    std::size_t begin;
    std::size_t end;
  };
  std::string rendered_;
  std::vector<Piece> pieces_;
  std::size_t total_size_ = 0;
};

}  // namespace

BuiltinResult format(Args args) {
  if (args.empty()) return Err{EvalError::ArgumentError{1, 0}};
  const Text* template_text = args[0].as_text();
  if (template_text == nullptr) return Err{kind_error(kExpectedFirstString, args[0])};
  const std::string_view text = template_text->view();
  const ValueTexts values(args.subspan(1));

  std::string out;
  out.reserve(text.size() + values.total_size());
  WorkBudget& budget = WorkBudget::current();
  std::size_t copied = 0;
  for (auto placeholder = next_placeholder(text, 0, budget); placeholder;
       placeholder = next_placeholder(text, placeholder->end, budget)) {
    // An escape keeps its extra opening brace here and its extra closing brace with the text
    // after it; only the placeholder's own braces are dropped.
    budget.spend_bytes(placeholder->end - copied);
    out.append(text, copied, placeholder->start - copied);
    copied = placeholder->end;
    const std::string_view digits = placeholder->digits(text);
    if (is_escaped(text, *placeholder)) {
      out += digits;
      continue;
    }
    auto index = parse_index(digits);
    if (!index) return Err{std::move(index).error()};
    if (*index >= values.size()) {
      // Counted in a full-width word: the largest indices must not wrap around.
      return Err{EvalError::ArgumentError{std::size_t{*index} + 2, args.size()}};
    }
    budget.spend_bytes(values[*index].size());
    out += values[*index];
  }
  out.append(text, copied);
  return Value::owned_string(std::move(out));
}

}  // namespace tovrin::functions
