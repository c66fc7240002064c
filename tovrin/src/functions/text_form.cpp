#include "tovrin/utils/text_form.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>

#include "tovrin/utils/float_format.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin {

namespace {

// A direct byte scan over the five escaped characters replaces a compiled pattern: same output,
// no one-time state. Maps each byte to the letter after the backslash of its escape, or 0.
constexpr std::array<char, 256> kJsonEscapeLetter = [] {
  std::array<char, 256> letters{};
  letters['\t'] = 't';
  letters['\n'] = 'n';
  letters['\r'] = 'r';
  letters['"'] = '"';
  letters['\\'] = '\\';
  return letters;
}();

char escape_letter(char byte) {
  return kJsonEscapeLetter[static_cast<unsigned char>(byte)];
}

// Escaping spends its work a slice of text at a time.
constexpr std::size_t kEscapeSlice = 4096;

std::size_t find_escaped(std::string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (escape_letter(text[i]) != 0) return i;
  }
  return std::string_view::npos;
}

// Appends the whole text escaped; `scan_from` may skip a prefix known to need no escape.
void append_escaped(std::string& out, std::string_view text, std::size_t scan_from = 0) {
  std::size_t copied = 0;
  for (std::size_t i = scan_from; i < text.size(); ++i) {
    // The budget is looked up only when a slice is spent: most texts are shorter than one.
    if ((i + 1) % kEscapeSlice == 0) WorkBudget::current().spend_bytes(kEscapeSlice);
    const char letter = escape_letter(text[i]);
    if (letter == 0) continue;
    out.append(text, copied, i - copied);
    out += '\\';
    out += letter;
    copied = i + 1;
  }
  out.append(text, copied);
}

void append_int(std::string& out, std::int64_t value) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
  out.append(buffer, result.ptr);
}

// A value inside an array or object: strings quoted and escaped, anything else as at top level.
void append_nested(std::string& out, const Value& value) {
  if (const Text* text = value.as_text()) {
    out += '"';
    append_escaped(out, text->view());
    out += '"';
  } else {
    text_form_to(out, value);
  }
}

}  // namespace

Text escape_str_for_json(std::string_view text) {
  const std::size_t first = find_escaped(text);
  if (first == std::string_view::npos) return Text::borrowed(text);
  std::string escaped;
  std::size_t extra = 0;
  for (std::size_t i = first; i < text.size(); ++i) {
    extra += escape_letter(text[i]) != 0;
  }
  escaped.reserve(text.size() + extra);
  append_escaped(escaped, text, first);
  return Text::owned(std::move(escaped));
}

void text_form_to(std::string& out, const Value& value) {
  switch (value.kind()) {
    case Value::Kind::Int:
      append_int(out, *value.as_int());
      return;
    case Value::Kind::Float:
      append_float(out, *value.as_float(), FloatStyle::Text);
      return;
    case Value::Kind::Bool:
      out += *value.as_bool() ? "true" : "false";
      return;
    case Value::Kind::String:
      out += value.string_view();
      return;
    case Value::Kind::Array: {
      out += '[';
      bool first = true;
      WorkBudget& budget = WorkBudget::current();
      for (const auto& element : *value.as_array()) {
        budget.spend(1);
        if (!first) out += ", ";
        first = false;
        append_nested(out, element);
      }
      out += ']';
      return;
    }
    case Value::Kind::Object: {
      out += '{';
      bool first = true;
      WorkBudget& budget = WorkBudget::current();
      for (const auto& [key, entry] : *value.as_object()) {
        budget.spend(1);
        if (!first) out += ", ";
        first = false;
        out += '"';
        out += key;
        out += "\": ";
        append_nested(out, entry);
      }
      out += '}';
      return;
    }
    case Value::Kind::Null:
      out += "null";
      return;
  }
}

std::string text_form(const Value& value) {
  std::string out;
  text_form_to(out, value);
  return out;
}

}  // namespace tovrin
