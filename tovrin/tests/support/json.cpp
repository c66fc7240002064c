#include "support/json.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tovrin::testing {

namespace {

using py::PyJsonValue;

class Reader {
 public:
  explicit Reader(std::string_view text) : rest_(text) {}

  PyJsonValue document() {
    PyJsonValue value = read();
    skip_blanks();
    if (!rest_.empty()) fail("text after the value");
    return value;
  }

 private:
  [[noreturn]] void fail(const char* what) const {
    throw std::invalid_argument(std::string("bad test JSON: ") + what +
                                " at: " + std::string(rest_));
  }
  void skip_blanks() {
    while (!rest_.empty() && std::isspace(static_cast<unsigned char>(rest_.front())))
      rest_.remove_prefix(1);
  }
  bool take(std::string_view token) {
    skip_blanks();
    if (rest_.substr(0, token.size()) != token) return false;
    rest_.remove_prefix(token.size());
    return true;
  }
  void expect(std::string_view token) {
    if (!take(token)) fail("unexpected character");
  }

  PyJsonValue read() {
    skip_blanks();
    if (take("null")) return PyJsonValue::Null();
    if (take("true")) return PyJsonValue::Bool(true);
    if (take("false")) return PyJsonValue::Bool(false);
    if (take("NaN")) return PyJsonValue::Float(std::nan(""));
    if (take("Infinity")) return PyJsonValue::Float(std::numeric_limits<double>::infinity());
    if (take("[")) {
      py::PyJsonArray elements;
      if (take("]")) return PyJsonValue::Array(std::move(elements));
      do {
        elements.push_back(read());
      } while (take(","));
      expect("]");
      return PyJsonValue::Array(std::move(elements));
    }
    if (take("{")) {
      py::PyJsonObject entries;
      if (take("}")) return PyJsonValue::Object(std::move(entries));
      do {
        skip_blanks();
        std::string key = string();
        expect(":");
        entries.insert_or_assign(std::move(key), read());
      } while (take(","));
      expect("}");
      return PyJsonValue::Object(std::move(entries));
    }
    if (!rest_.empty() && rest_.front() == '"') return PyJsonValue::String(string());
    return number();
  }

  // Only the escapes the tests need: \" \\ \n.
  std::string string() {
    if (rest_.empty() || rest_.front() != '"') fail("expected a string");
    rest_.remove_prefix(1);
    std::string out;
    while (!rest_.empty() && rest_.front() != '"') {
      char c = rest_.front();
      rest_.remove_prefix(1);
      if (c == '\\' && !rest_.empty()) {
        c = rest_.front() == 'n' ? '\n' : rest_.front();
        rest_.remove_prefix(1);
      }
      out += c;
    }
    expect("\"");
    return out;
  }

  PyJsonValue number() {
    std::size_t length = 0;
    while (length < rest_.size() &&
           std::string_view("+-.eE0123456789").find(rest_[length]) != std::string_view::npos)
      ++length;
    const std::string_view digits = rest_.substr(0, length);
    if (digits.empty()) fail("expected a value");
    rest_.remove_prefix(length);
    const char* first = digits.data();
    const char* last = first + digits.size();
    if (digits.find_first_of(".eE") != std::string_view::npos) {
      double d = 0;
      if (std::from_chars(first, last, d).ptr != last) fail("bad float");
      return PyJsonValue::Float(d);
    }
    if (digits.front() == '-') {
      std::int64_t i = 0;
      if (std::from_chars(first, last, i).ptr != last) fail("bad int");
      return PyJsonValue::Int(i);
    }
    std::uint64_t u = 0;
    if (std::from_chars(first, last, u).ptr != last) fail("bad uint");
    return PyJsonValue::UInt(u);
  }

  std::string_view rest_;
};

}  // namespace

py::PyJsonValue json(std::string_view text) {
  return Reader(text).document();
}

}  // namespace tovrin::testing
