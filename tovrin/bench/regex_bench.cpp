// The cost of `matches`: compiling a pattern anew on every call against taking it from the
// per-thread cache, and the search alone on each engine. Run: build/tovrin/bench/tovrin_regex_bench
#include <benchmark/benchmark.h>

#include <string>

#include "regex/pattern_cache.hpp"
#include "regex/regex.hpp"
#include "tovrin/utils/utf8.hpp"

namespace {

struct Case {
  const char* name;
  std::string pattern;
  std::string text;
};

std::string long_text() {
  std::string text;
  for (int i = 0; i < 40; ++i)
    text += "Grüße aus Köln, Zimmer 42; contact ops@example.com ";
  return text;
}

// `count` CJK chars, no two of them neighbours in code point order, joined by `separator`: a
// class or an alternation whose set is built from thousands of pieces.
std::string separate_chars(int count, const char* separator) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    if (i > 0) out += separator;
    tovrin::utf8::append(out, static_cast<char32_t>(0x4E00 + 2 * i));
  }
  return out;
}

const Case kCases[] = {
    {"re2/email", "[a-z]+@[a-z]+\\.com$", "mail ops@example.com"},
    {"re2/ascii_word", "\\bexample\\b", "mail ops@example.com"},
    {"vm/unicode_word", "\\bKöln\\b", "Grüße aus Köln"},
    {"vm/word_start", "\\<\\d{2}\\>", "Zimmer 42"},
    {"vm/crlf_lines", "(?mR)^end$", "a\r\nb\r\nend\r\n"},
    {"re2/long_text", "[a-z]+@[a-z]+\\.org", long_text()},
    {"vm/long_text", "\\bZimmer\\s+\\d+\\b;\\s+nope", long_text()},
    {"vm/large_repeat", "\\w{100}", long_text()},
    // Chars, not one-character literals: g++ 12 at -O3 reports a false -Wrestrict for those.
    {"large/char_class", '[' + separate_chars(8000, "") + ']', long_text()},
    {"large/char_alternation", separate_chars(8000, "|"), long_text()},
};

void CompileEachCall(benchmark::State& state) {
  const Case& c = kCases[state.range(0)];
  state.SetLabel(c.name);
  for (auto _ : state) {
    auto compiled = tovrin::regex::compile(c.pattern);
    benchmark::DoNotOptimize((*compiled)->is_match(c.text));
  }
}

void CompileCached(benchmark::State& state) {
  const Case& c = kCases[state.range(0)];
  state.SetLabel(c.name);
  for (auto _ : state) {
    auto compiled = tovrin::regex::compile_cached(c.pattern);
    benchmark::DoNotOptimize((*compiled)->is_match(c.text));
  }
}

void SearchOnly(benchmark::State& state) {
  const Case& c = kCases[state.range(0)];
  state.SetLabel(c.name);
  auto compiled = tovrin::regex::compile(c.pattern);
  for (auto _ : state)
    benchmark::DoNotOptimize((*compiled)->is_match(c.text));
}

void CompileOnly(benchmark::State& state) {
  const Case& c = kCases[state.range(0)];
  state.SetLabel(c.name);
  for (auto _ : state)
    benchmark::DoNotOptimize(tovrin::regex::compile(c.pattern));
}

constexpr int kCaseCount = static_cast<int>(std::size(kCases));

BENCHMARK(CompileEachCall)->DenseRange(0, kCaseCount - 1);
BENCHMARK(CompileCached)->DenseRange(0, kCaseCount - 1);
BENCHMARK(SearchOnly)->DenseRange(0, kCaseCount - 1);
BENCHMARK(CompileOnly)->DenseRange(0, kCaseCount - 1);

}  // namespace

BENCHMARK_MAIN();
