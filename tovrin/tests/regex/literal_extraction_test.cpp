#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "regex/literal_search.hpp"
#include "regex/translated.hpp"

namespace tovrin::regex {
namespace {

using test::translated;

// "E(abc) I(ab)" for exact and inexact literals, "inf" for an infinite sequence.
std::string show(const LiteralSeq& seq) {
  if (!seq.is_finite()) return "inf";
  std::string out;
  for (const PrefixLiteral& literal : *seq.literals()) {
    if (!out.empty()) out += ' ';
    out += (literal.exact ? "E(" : "I(") + literal.bytes + ")";
  }
  return out;
}

std::string prefixes_of(const std::string& pattern) {
  return show(extract_prefixes(normalize(translated(pattern))));
}

TEST(RegexLiteralExtraction, TheSetIsTheLanguage) {
  EXPECT_EQ(literal_search_set(translated("foo|bar")), (std::vector<std::string>{"foo", "bar"}));
  EXPECT_EQ(literal_search_set(translated("(?i)k")),
            (std::vector<std::string>{"K", "k", "\u212A"}));
  EXPECT_EQ(literal_search_set(translated("a|ab+")), (std::vector<std::string>{"a"}));
  EXPECT_EQ(literal_search_set(translated("[é1]x")), (std::vector<std::string>{"1x", "éx"}));
  EXPECT_EQ(literal_search_set(translated("a+")), std::nullopt);
  EXPECT_EQ(literal_search_set(translated("")), std::nullopt);
}

TEST(RegexLiteralExtraction, PrefixLiterals) {
  const struct {
    std::string pattern;
    std::string expected;
  } cases[] = {
      {"a", "E(a)"},
      {"(?i-u)ab", "E(AB) E(Ab) E(aB) E(ab)"},
      {"ab(?i-u)c", "E(abC) E(abc)"},
      {"(?i)Δ", "E(Δ) E(δ)"},
      {"a[123]b", "E(a1b) E(a2b) E(a3b)"},
      {"a\\Ab", "E(ab)"},
      {"a\\bb", "E(ab)"},
      {"a?", "E(a) E()"},
      {"a??", "E() E(a)"},
      {"a*", "I(a) E()"},
      {"a*?", "E() I(a)"},
      {"a+", "I(a)"},
      {"aZ{0}b", "E(ab)"},
      {"aZ?b", "E(aZb) E(ab)"},
      {"aZ??b", "E(ab) E(aZb)"},
      {"aZ*b", "I(aZ) E(ab)"},
      {"aZ{2,3}b", "I(aZZ)"},
      {"[ab]{3}", "E(aaa) E(aab) E(aba) E(abb) E(baa) E(bab) E(bba) E(bbb)"},
      {"(abc)??", "E() E(abc)"},
      {"a*b+c*", "I(a) I(b)"},
      {"z*azb", "I(z) E(azb)"},
      {"abc()mno()xyz", "E(abcmnoxyz)"},
      {"abc[a&&b]xyz", ""},
      {"abc[a&&b]*xyz", "E(abcxyz)"},
      {"abc|M[a&&b]N|xyz", "E(abc) E(xyz)"},
      {"abc|M[a&&b]*N|xyz", "E(abc) E(MN) E(xyz)"},
      {"abc|mZ*o|xyz", "E(abc) I(mZ) E(mo) E(xyz)"},
      {"(?:|aa)aaa", "E(aaa) E(aaaaa)"},
      {"(?:|aa)(?:aaa)*", "I(aaa) E() I(aaaaa) E(aa)"},
      {"a|(?:b|c*)", "E(a) E(b) I(c) E()"},
      {"(a|b)*c|(a|ab)*c", "I(a) I(b) E(c) I(a) I(ab) E(c)"},
      {"(ab|cd)(ef|gh)", "E(abef) E(abgh) E(cdef) E(cdgh)"},
      {"(ab){2,3}", "I(abab)"},
      {"[a&&b]*", "E()"},
      {".", "inf"},
      {"[A-Z]{0}", "E()"},
      {"[A-Z]?", "inf"},
      {"1[A-Z]", "I(1)"},
      {"1|[A-Z]|3", "inf"},
      {"1|2[A-Z]|3", "E(1) I(2) E(3)"},
      {"(?:|1)[A-Z]2", "inf"},
      {"a.z", "I(a)"},
      {"fn is_([A-Z]+)|fn as_([A-Z]+)", "I(fn is_) I(fn as_)"},
      {"foo[A-Z]+bar[A-Z]+quux", "I(foo)"},
      {"(?m)^Sherlock Holmes|Sherlock Holmes$", "E(Sherlock Holmes)"},
      {"\\bs(?:[ab])", "E(sa) E(sb)"},
      {"M[ou]'?am+[ae]r .*([AEae]l[- ])?[GKQ]h?[aeu]+([dtz][dhz]?)+af[iy]",
       "I(Mo'am) I(Moam) I(Mu'am) I(Muam)"},
      {"(?:){4294967295}", "E()"},
      {"(?:){64}{64}{64}{64}{64}{64}", "E()"},
      {"x{0}{4294967295}", "E()"},
      {"a{8}{8}{8}{8}{8}{8}{8}{8}{8}{8}{8}{8}{8}{8}", "I(" + std::string(100, 'a') + ")"},
  };
  for (const auto& c : cases)
    EXPECT_EQ(prefixes_of(c.pattern), c.expected) << c.pattern;
}

LiteralSeq exact_seq(const std::vector<std::string>& literals) {
  std::vector<PrefixLiteral> out;
  for (const std::string& literal : literals)
    out.push_back({literal, true});
  return LiteralSeq::of(out);
}

TEST(RegexLiteralExtraction, OptimizingForAPrefixSearch) {
  const struct {
    std::vector<std::string> literals;
    std::string expected;
  } cases[] = {
      {{"samantha", "sam", "samwise", "frodo"}, "E(samantha) E(sam) E(frodo)"},
      {{"samantha", "", "sam", "samwise", "frodo"}, "inf"},
      {{"samantha", " ", "sam", "frodo"}, "E(samantha) E( ) E(sam) E(frodo)"},
      {{"foo", "bar", "", "quux"}, "inf"},
      // A rare first byte shared by short prefixes is searched alone.
      {{"Qa", "Q"}, "I(Q)"},
      {{"Q", "Qa"}, "E(Q)"},
      {{"Qab", "Qb"}, "I(Q)"},
      // A common prefix of five bytes is searched alone, one of four only among many literals.
      {{"hello1", "hello2"}, "I(hello)"},
      {{"hell1", "hell2"}, "E(hell1) E(hell2)"},
      // Shortening many literals is undone when it leaves short or poisonous ones.
      {{"ax", "bx", "cx", "dx", "ex", "fx", "gx", "hx", "ix", "jx", "kx"},
       "E(ax) E(bx) E(cx) E(dx) E(ex) E(fx) E(gx) E(hx) E(ix) E(jx) E(kx)"},
      {{"abcdef1", "bbcdef2", "cbcdef3", "dbcdef4", "ebcdef5", "fbcdef6", "gbcdef7", "hbcdef8",
        "ibcdef9", "jbcdefa", "kbcdefb"},
       "I(abcd) I(bbcd) I(cbcd) I(dbcd) I(ebcd) I(fbcd) I(gbcd) I(hbcd) I(ibcd) I(jbcd) "
       "I(kbcd)"},
      {{}, ""},
  };
  for (const auto& c : cases) {
    LiteralSeq seq = exact_seq(c.literals);
    seq.optimize_for_prefix_by_preference();
    EXPECT_EQ(show(seq), c.expected) << show(exact_seq(c.literals));
  }
}

}  // namespace
}  // namespace tovrin::regex
