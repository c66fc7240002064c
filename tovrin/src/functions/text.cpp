// The built-ins on text and collections: len, startsWith, endsWith, contains, replace, split and
// join.
#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "functions/arguments.hpp"
#include "functions/substring_search.hpp"
#include "tovrin/utils/text_form.hpp"
#include "tovrin/utils/utf8.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::functions {

namespace {

constexpr std::string_view kExpectedSized = "Expected a string, array, or object, got: '";
constexpr std::string_view kExpectedArray = "Expected an array argument, got: '";

bool is_char_start(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

EvalError contains_kind_error(const Value& container, const Value& item) {
  std::string message =
      "Expected (string, string), (array, value), or (object, string) arguments, got: ('";
  message += type_text(container.get_type());
  message += "', '";
  message += type_text(item.get_type());
  message += "')";
  return EvalError::TypeError{std::move(message)};
}

bool text_contains(std::string_view text, std::string_view item) {
  if (item.empty()) return true;
  if (item.size() >= text.size()) return item == text;
  return SubstringSearcher(item).find(text) != std::string_view::npos;
}

// `to` before every character of `text` and once more after the last one.
std::string insert_between_characters(std::string_view text, std::string_view to) {
  const std::size_t boundaries = utf8::count_scalars(text) + 1;
  std::string out;
  out.reserve(text.size() + boundaries * to.size());
  WorkBudget& budget = WorkBudget::current();
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (is_char_start(text[i])) {
      budget.spend_bytes(to.size() + WorkBudget::kBytesPerUnit);
      out += to;
    }
    out += text[i];
  }
  out += to;
  return out;
}

// An empty piece, each character as a piece of its own, and an empty piece.
Array split_into_characters(std::string_view text) {
  Array pieces;
  pieces.reserve(utf8::count_scalars(text) + 2);
  pieces.push_back(Value::copied_string({}));
  WorkBudget& budget = WorkBudget::current();
  std::size_t start = 0;
  for (std::size_t i = 1; i <= text.size(); ++i) {
    if (i == text.size() || is_char_start(text[i])) {
      budget.spend(1);
      pieces.push_back(Value::copied_string(text.substr(start, i - start)));
      start = i;
    }
  }
  pieces.push_back(Value::copied_string({}));
  return pieces;
}

}  // namespace

BuiltinResult len(Args args) {
  if (auto error = count_error(args, 1)) return Err{std::move(*error)};
  const Value& subject = args[0];
  std::size_t length;
  if (const Text* text = subject.as_text()) {
    length = utf8::count_scalars(text->view());
  } else if (const Array* array = subject.as_array()) {
    length = array->size();
  } else if (const Object* object = subject.as_object()) {
    length = object->size();
  } else {
    return Err{kind_error(kExpectedSized, subject)};
  }
  return Value::Int(static_cast<std::int64_t>(length));
}

BuiltinResult starts_with(Args args) {
  auto texts = string_arguments<2>(args);
  if (!texts) return Err{std::move(texts).error()};
  const auto [text, prefix] = *texts;
  return Value::Bool(text.size() >= prefix.size() && text.substr(0, prefix.size()) == prefix);
}

BuiltinResult ends_with(Args args) {
  auto texts = string_arguments<2>(args);
  if (!texts) return Err{std::move(texts).error()};
  const auto [text, suffix] = *texts;
  return Value::Bool(text.size() >= suffix.size() &&
                     text.substr(text.size() - suffix.size()) == suffix);
}

BuiltinResult contains(Args args) {
  if (auto error = count_error(args, 2)) return Err{std::move(*error)};
  const Value& container = args[0];
  const Value& item = args[1];
  if (const Text* text = container.as_text()) {
    const Text* needle = item.as_text();
    if (needle == nullptr) return Err{contains_kind_error(container, item)};
    return Value::Bool(text_contains(text->view(), needle->view()));
  }
  if (const Array* array = container.as_array()) {
    WorkBudget& budget = WorkBudget::current();
    for (const auto& element : *array) {
      budget.spend(1);
      if (element == item) return Value::Bool(true);
    }
    return Value::Bool(false);
  }
  if (const Object* object = container.as_object()) {
    const Text* key = item.as_text();
    if (key == nullptr) return Err{contains_kind_error(container, item)};
    return Value::Bool(object->find(key->view()) != nullptr);
  }
  return Err{contains_kind_error(container, item)};
}

BuiltinResult replace(Args args) {
  auto texts = string_arguments<3>(args);
  if (!texts) return Err{std::move(texts).error()};
  const auto [text, from, to] = *texts;
  if (from.empty()) return Value::owned_string(insert_between_characters(text, to));
  const SubstringSearcher searcher(from);
  std::string out;
  out.reserve(text.size());
  WorkBudget& budget = WorkBudget::current();
  std::size_t copied = 0;
  for (std::size_t found = searcher.find(text); found != std::string_view::npos;
       found = searcher.find(text, copied)) {
    budget.spend_bytes(found - copied + to.size() + WorkBudget::kBytesPerUnit);
    out.append(text, copied, found - copied);
    out += to;
    copied = found + from.size();
  }
  out.append(text, copied);
  return Value::owned_string(std::move(out));
}

BuiltinResult split(Args args) {
  auto texts = string_arguments<2>(args);
  if (!texts) return Err{std::move(texts).error()};
  // Named apart, so that the lambda below can capture them.
  const std::string_view text = (*texts)[0];
  const std::string_view separator = (*texts)[1];
  if (separator.empty()) return Value::Array(split_into_characters(text));
  const SubstringSearcher searcher(separator);
  // One search finds the pieces, so that the array is made once at its final size: the ends of
  // the first kKept pieces are kept, the ends of any further ones are found again.
  constexpr std::size_t kKept = 64;
  std::size_t ends[kKept];
  WorkBudget& budget = WorkBudget::current();
  std::size_t count = 1;
  for (std::size_t found = searcher.find(text); found != std::string_view::npos;
       found = searcher.find(text, found + separator.size())) {
    budget.spend(1);
    if (count <= kKept) ends[count - 1] = found;
    ++count;
  }
  Array pieces;
  pieces.reserve(count);
  std::size_t start = 0;
  const auto add_piece = [&](std::size_t end) {
    budget.spend(1);
    pieces.push_back(Value::copied_string(text.substr(start, end - start)));
    start = end + separator.size();
  };
  for (std::size_t i = 0; i < std::min(count - 1, kKept); ++i)
    add_piece(ends[i]);
  for (std::size_t i = kKept; i + 1 < count; ++i)
    add_piece(searcher.find(text, start));
  pieces.push_back(Value::copied_string(text.substr(start)));
  return Value::Array(std::move(pieces));
}

namespace {

// Texts joined into a result of the `size` their bytes and separators add up to, copied into
// place: the most common join, which needs no rendering.
Value joined_texts(const Array& texts, std::string_view between, std::size_t size,
                   WorkBudget& budget) {
  std::string out(size, '\0');
  char* at = out.data();
  const auto put = [&](std::string_view bytes) {
    std::memcpy(at, bytes.data(), bytes.size());
    at += bytes.size();
  };
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const std::string_view text = texts[i].string_view();
    if (i != 0) put(between);
    put(text);
    budget.spend_bytes(between.size() + text.size() + WorkBudget::kBytesPerUnit);
  }
  return Value::owned_string(std::move(out));
}

}  // namespace

BuiltinResult join(Args args) {
  if (auto error = count_error(args, 2)) return Err{std::move(*error)};
  const Array* items = args[0].as_array();
  if (items == nullptr) return Err{kind_error(kExpectedArray, args[0])};
  const Text* separator = args[1].as_text();
  if (separator == nullptr) return Err{kind_error(kExpectedString, args[1])};
  // Rendering cannot fail, so writing each element straight into the result gives the same text
  // as rendering all of them first.
  const std::string_view between = separator->view();
  std::size_t size = items->empty() ? 0 : between.size() * (items->size() - 1);
  bool only_texts = true;
  for (const auto& item : *items) {
    if (const Text* text = item.as_text()) {
      size += text->view().size();
    } else {
      only_texts = false;
    }
  }
  WorkBudget& budget = WorkBudget::current();
  if (only_texts) return joined_texts(*items, between, size, budget);
  std::string out;
  out.reserve(size);
  bool first = true;
  for (const auto& item : *items) {
    const std::size_t before = out.size();
    if (!first) out += separator->view();
    first = false;
    text_form_to(out, item);
    budget.spend_bytes(out.size() - before + WorkBudget::kBytesPerUnit);
  }
  return Value::owned_string(std::move(out));
}

}  // namespace tovrin::functions
