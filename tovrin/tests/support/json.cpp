#include "support/json.hpp"

#include <cctype>
#include <charconv>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>

namespace tovrin::testing {

namespace {

class Reader {
 public:
  explicit Reader(std::string_view text) : rest_(text) {}

  HostValue document() {
    HostValue value = read();
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

  HostValue read() {
    skip_blanks();
    if (take("null")) return HostValue::Null();
    if (take("true")) return HostValue::Bool(true);
    if (take("false")) return HostValue::Bool(false);
    if (take("NaN")) return HostValue::Float(std::nan(""));
    if (take("Infinity")) return HostValue::Float(std::numeric_limits<double>::infinity());
    if (take("[")) {
      HostArray elements;
      if (take("]")) return HostValue::Array(std::move(elements));
      do {
        elements.push_back(read());
      } while (take(","));
      expect("]");
      return HostValue::Array(std::move(elements));
    }
    if (take("{")) {
      HostEntries entries;
      if (take("}")) return HostValue::Object(std::move(entries));
      do {
        skip_blanks();
        std::string key = string();
        expect(":");
        entries.emplace_back(std::move(key), read());
      } while (take(","));
      expect("}");
      return HostValue::Object(std::move(entries));
    }
    if (!rest_.empty() && rest_.front() == '"') return HostValue::String(string());
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

  HostValue number() {
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
      return HostValue::Float(d);
    }
    if (digits.front() == '-') {
      std::int64_t i = 0;
      if (std::from_chars(first, last, i).ptr != last) fail("bad int");
      return HostValue::Int(i);
    }
    std::uint64_t u = 0;
    if (std::from_chars(first, last, u).ptr != last) fail("bad uint");
    return HostValue::UInt(u);
  }

  std::string_view rest_;
};

}  // namespace

HostValue json(std::string_view text) {
  return Reader(text).document();
}

}  // namespace tovrin::testing
