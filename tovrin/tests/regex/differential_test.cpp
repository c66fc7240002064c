// Random patterns and texts run through RE2, the Pike VM and a plain backtracking matcher over
// the same intermediate form: wherever RE2 is used the three must agree, and the VM must agree
// with the backtracker everywhere.
#include <gtest/gtest.h>
#include <re2/re2.h>

#include <functional>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "regex/literal_search.hpp"
#include "regex/look_matcher.hpp"
#include "regex/parser.hpp"
#include "regex/pike_vm.hpp"
#include "regex/re2_emit.hpp"
#include "regex/regex.hpp"
#include "regex/size_estimate.hpp"
#include "regex/translate.hpp"
#include "tovrin/utils/utf8.hpp"

namespace tovrin::regex {
namespace {

const char* const kAtoms[] = {
    // literals
    "a", "b", "é", "1", "٣", " ", "\\n", "\\r", "_", "-", "\\x{301}", "λ", "(?i)a", "(?i:é)",
    // classes
    "\\w", "\\W", "\\d", "\\s", ".", "[a-c]", "[^a]", "[é1]", "\\pL", "(?s:.)", "(?R:.)",
    "(?-u:\\w)", "(?i:[^A])",
    // assertions
    "^", "$", "\\A", "\\z", "\\b", "\\B", "\\<", "\\>", "\\b{start-half}", "\\b{end-half}",
    "(?m:^)", "(?m:$)", "(?mR:^)", "(?mR:$)", "(?-u:\\b)", "(?-u:\\B)", "(?-u:\\<)",
    "(?-u:\\b{end-half})"};

const char* const kRepetitions[] = {"*", "+", "?", "{0,2}", "{2}", "{1,}", "{2,3}", "{0}", "*?"};

const char* const kTextChars[] = {"a",  "b", "é", "1",      "٣", " ", "\n",
                                  "\r", "_", "-", "\u0301", "λ", "A", "Ä"};

// Patterns built from the pieces of a language: atoms, repetition operators and the chars of
// texts.
struct Language {
  std::span<const char* const> atoms;
  std::span<const char* const> repetitions;
  std::span<const char* const> text_chars;
};

const Language kEverything{kAtoms, kRepetitions, kTextChars};

class Generator {
 public:
  explicit Generator(std::uint32_t seed, const Language& language = kEverything)
      : rng_(seed), language_(language) {}

  std::string pattern(int depth = 0) {
    int choice = pick(20);
    if (depth >= 3 || choice < 9) return any_of(language_.atoms);
    if (choice < 13) return pattern(depth + 1) + pattern(depth + 1) + pattern(depth + 1);
    if (choice < 15) return "(?:" + pattern(depth + 1) + "|" + pattern(depth + 1) + ")";
    if (choice < 19) return "(?:" + pattern(depth + 1) + ")" + any_of(language_.repetitions);
    // A char, not a one-character literal: g++ 12 at -O3 reports a false -Wrestrict for that.
    return '(' + pattern(depth + 1) + ")";
  }

  std::string text(bool ascii_only) {
    std::string out;
    int length = pick(9);
    for (int i = 0; i < length; ++i) {
      const char* c = any_of(language_.text_chars);
      if (ascii_only && static_cast<unsigned char>(c[0]) >= 0x80) c = "a";
      out += c;
    }
    return out;
  }

 private:
  int pick(std::size_t n) {
    return std::uniform_int_distribution<int>(0, static_cast<int>(n) - 1)(rng_);
  }

  const char* any_of(std::span<const char* const> choices) { return choices[pick(choices.size())]; }

  std::mt19937 rng_;
  Language language_;
};

// Exhaustive backtracking over the intermediate form: slow, but simple enough to trust.
class Backtracker {
 public:
  Backtracker(const Hir& hir, std::string_view text) : hir_(hir) {
    for (std::size_t i = 0; i < text.size(); i += utf8::encoded_length(chars_.back()))
      chars_.push_back(utf8::decode_valid_at(text, i));
  }

  bool is_match() {
    for (std::size_t start = 0; start <= chars_.size(); ++start) {
      if (match(hir_, start, [](std::size_t) { return true; })) return true;
    }
    return false;
  }

 private:
  using Next = std::function<bool(std::size_t)>;

  Surroundings at(std::size_t pos) const {
    return {pos > 0 ? chars_[pos - 1] : Surroundings::kNone,
            pos < chars_.size() ? chars_[pos] : Surroundings::kNone};
  }

  bool match(const Hir& h, std::size_t pos, const Next& next) {
    switch (h.kind) {
      case Hir::Kind::Empty:
        return next(pos);
      case Hir::Kind::Class:
        return pos < chars_.size() && h.set.contains(chars_[pos]) && next(pos + 1);
      case Hir::Kind::Look:
        return look_holds(h.look, at(pos)) && next(pos);
      case Hir::Kind::Capture:
        return match(h.children[0], pos, next);
      case Hir::Kind::Concat:
        return concat(h, 0, pos, next);
      case Hir::Kind::Alternate:
        for (const Hir& child : h.children) {
          if (match(child, pos, next)) return true;
        }
        return false;
      case Hir::Kind::Repeat:
        return repeat(h, 0, pos, next);
    }
    return false;
  }

  bool concat(const Hir& h, std::size_t i, std::size_t pos, const Next& next) {
    if (i == h.children.size()) return next(pos);
    return match(h.children[i], pos, [&](std::size_t p) { return concat(h, i + 1, p, next); });
  }

  bool repeat(const Hir& h, std::uint32_t count, std::size_t pos, const Next& next) {
    if (count >= h.min && next(pos)) return true;
    if (!h.unbounded && count >= h.max) return false;
    return match(h.children[0], pos, [&](std::size_t p) {
      // Another empty iteration changes nothing once the minimum is reached.
      if (p == pos && count >= h.min) return false;
      return repeat(h, count + 1, p, next);
    });
  }

  const Hir& hir_;
  std::vector<char32_t> chars_;
};

bool re2_answers(const TextNeeds& needs, const std::string& text) {
  bool ascii = std::all_of(text.begin(), text.end(),
                           [](char c) { return static_cast<unsigned char>(c) < 0x80; });
  return (!needs.ascii || ascii) && (!needs.no_carriage_return || text.find('\r') == text.npos);
}

TEST(RegexDifferential, EnginesAgreeOnRandomPatterns) {
  Generator generator(20240611);
  int compared_with_re2 = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string pattern = generator.pattern();
    auto ast = parse(pattern);
    if (!ast) continue;
    auto hir = translate(*ast);
    if (!hir) continue;
    auto matcher = compile(pattern);
    ASSERT_TRUE(matcher) << pattern;
    PikeVm vm(*hir);
    Re2Pattern emitted = emit_re2(*hir);
    re2::RE2::Options options;
    options.set_log_errors(false);
    re2::RE2 re2(emitted.unsupported.empty() ? emitted.pattern : "", options);
    bool re2_usable = emitted.unsupported.empty() && re2.ok();
    for (int t = 0; t < 24; ++t) {
      std::string text = generator.text(t % 3 == 0);
      bool expected = Backtracker(*hir, text).is_match();
      ASSERT_EQ(vm.is_match(text), expected) << "pattern: " << pattern << "\ntext: " << text;
      ASSERT_EQ((*matcher)->is_match(text), expected)
          << "pattern: " << pattern << "\ntext: " << text;
      if (re2_usable && re2_answers(emitted.needs, text)) {
        ++compared_with_re2;
        ASSERT_EQ(re2::RE2::PartialMatch(text, re2), expected)
            << "pattern: " << pattern << "\nRE2: " << emitted.pattern << "\ntext: " << text;
      }
    }
  }
  EXPECT_GT(compared_with_re2, 10000);
}

// Pieces that often make small literal sets: few chars, small classes, classes that never match,
// case folding, counts around the limit of 10 copies, lazy and greedy operators.
const char* const kLiteralAtoms[] = {"a",         "b",         "Q",          "é",      "ab",
                                     "(?i)k",     "[ab]",      "[a-j]",      "[a-k]",  "[a&&b]",
                                     "[^\\s\\S]", "(?i)[a-e]", "(?-u:[ab])", "(?U)a?", "\\d"};
const char* const kLiteralRepetitions[] = {"?",     "??",  "{2}", "{10}", "{11}",
                                           "{0,2}", "{0}", "*",   "+"};
const char* const kLiteralTextChars[] = {"a", "b", "c", "j", "k", "K", "\u212A", "Q", "é", "1"};

// Where a literal search answers a pattern, its literal set must match exactly the texts the
// pattern matches.
TEST(RegexDifferential, LiteralSetsAnswerLikeTheirPatterns) {
  Generator generator(20260114, Language{kLiteralAtoms, kLiteralRepetitions, kLiteralTextChars});
  int literal_sets = 0;
  for (int round = 0; round < 3000; ++round) {
    std::string pattern = generator.pattern();
    auto ast = parse(pattern);
    ASSERT_TRUE(ast) << pattern;
    auto hir = translate(*ast);
    ASSERT_TRUE(hir) << pattern;
    if (!literal_search_set(*hir)) continue;
    ++literal_sets;
    auto matcher = compile(pattern);
    ASSERT_TRUE(matcher) << pattern;
    for (int t = 0; t < 24; ++t) {
      std::string text = generator.text(false);
      ASSERT_EQ((*matcher)->is_match(text), Backtracker(*hir, text).is_match())
          << "pattern: " << pattern << "\ntext: " << text;
    }
  }
  EXPECT_GT(literal_sets, 500);
}

}  // namespace
}  // namespace tovrin::regex
