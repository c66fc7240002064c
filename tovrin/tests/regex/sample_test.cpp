#include <gtest/gtest.h>

#include "tovrin/utils/utf8.hpp"

#include <sstream>
#include <string>
#include <vector>

#include "regex/regex.hpp"
#include "regex/sample_table.hpp"

namespace tovrin::regex {
namespace {

struct Sample {
  std::string pattern;
  std::string text;
  std::string expected;  // "true", "false" or "error:" + text
};

std::string unescape(const std::string& field) {
  std::string out;
  for (std::size_t i = 0; i < field.size(); ++i) {
    if (field[i] != '\\' || i + 1 == field.size()) {
      out += field[i];
      continue;
    }
    char next = field[++i];
    switch (next) {
      case 'n':
        out += '\n';
        break;
      case 't':
        out += '\t';
        break;
      case 'r':
        out += '\r';
        break;
      case 'u': {
        std::size_t close = field.find('}', i);
        utf8::append(out, static_cast<char32_t>(
                              std::stoul(field.substr(i + 2, close - i - 2), nullptr, 16)));
        i = close;
        break;
      }
      default:
        out += next;
        break;
    }
  }
  return out;
}

std::vector<Sample> load_samples() {
  std::vector<Sample> samples;
  std::istringstream lines(kRegexSamples);
  std::string line;
  while (std::getline(lines, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::size_t tab1 = line.find('\t');
    std::size_t tab2 = line.find('\t', tab1 + 1);
    samples.push_back({unescape(line.substr(0, tab1)),
                       unescape(line.substr(tab1 + 1, tab2 - tab1 - 1)),
                       unescape(line.substr(tab2 + 1))});
  }
  // The two nest-limit rows: 251 nested empty groups, and `a` with 251 `+`.
  std::string carets(4 + 250, ' ');
  std::string groups = std::string(251, '(') + std::string(251, ')');
  samples.push_back({groups, "",
                     "error:regex parse error:\n    " + groups + "\n" + carets +
                         "^^\nerror: exceed the maximum number of nested parentheses/brackets "
                         "(250)"});
  std::string pluses = "a" + std::string(251, '+');
  samples.push_back({pluses, "",
                     "error:regex parse error:\n    " + pluses +
                         "\n    ^^\nerror: exceed the maximum number of nested "
                         "parentheses/brackets (250)"});
  return samples;
}

std::string outcome(const std::string& pattern, const std::string& text) {
  auto compiled = compile(pattern);
  if (!compiled) return "error:" + compiled.error();
  return (*compiled)->is_match(text) ? "true" : "false";
}

TEST(RegexSamples, ReproduceReferenceOutputs) {
  for (const Sample& sample : load_samples()) {
    EXPECT_EQ(outcome(sample.pattern, sample.text), sample.expected)
        << "pattern: " << sample.pattern << "\ntext: " << sample.text;
  }
}

}  // namespace
}  // namespace tovrin::regex
