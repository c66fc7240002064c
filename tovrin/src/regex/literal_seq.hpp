#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace tovrin::regex {

// A literal string that a match may begin with. An exact literal is a whole match (it reaches the
// end of the pattern); an inexact one is only a prefix of matches and is never extended.
struct PrefixLiteral {
  std::string bytes;
  bool exact = true;

  friend bool operator==(const PrefixLiteral&, const PrefixLiteral&) = default;
};

// An ordered sequence of prefix literals, in the order a leftmost-first search prefers them, or
// "infinite": too many to list, any string may begin a match. A finite empty sequence means the
// pattern never matches.
class LiteralSeq {
 public:
  static LiteralSeq empty() { return LiteralSeq(std::vector<PrefixLiteral>{}); }
  static LiteralSeq infinite() { return LiteralSeq(std::nullopt); }
  static LiteralSeq of(std::vector<PrefixLiteral> literals);

  bool is_finite() const { return literals_.has_value(); }
  // The literals; null when infinite.
  const std::vector<PrefixLiteral>* literals() const { return literals_ ? &*literals_ : nullptr; }
  std::optional<std::size_t> size() const;
  // Finite with every literal exact (an empty sequence included).
  bool is_exact() const;
  // Infinite, or every literal inexact (an empty sequence included).
  bool is_inexact() const;
  // The length of the shortest literal; none when infinite or empty.
  std::optional<std::size_t> min_literal_len() const;

  // Adds a literal unless it equals the last one.
  void push(PrefixLiteral literal);
  void make_inexact();
  void make_infinite() { literals_.reset(); }
  // Cuts every literal to its first `len` bytes; a literal that loses bytes becomes inexact.
  void keep_first_bytes(std::size_t len);
  // Merges adjacent literals of equal bytes; if their exactness differs, the one kept is inexact.
  void dedup();

  // Extends every exact literal by every literal of `other` (in order), then dedups. An infinite
  // `other` makes this infinite when it holds an empty literal and all inexact otherwise.
  void cross_forward(const LiteralSeq& other);
  // Appends the literals of `other`, then dedups; infinite if either is.
  void append(const LiteralSeq& other);

  // Drops every literal that a literal before it is a prefix of (or equal to): a leftmost-first
  // search never reports it. Exactness is kept, which is right once extraction is complete.
  void minimize_by_preference();
  // Shapes a complete prefix sequence for a prefix search: it may be cut down to common or short
  // prefixes (making literals inexact), made infinite when it would find too many candidates, or
  // kept exact as it is.
  void optimize_for_prefix_by_preference();

  friend bool operator==(const LiteralSeq&, const LiteralSeq&) = default;

 private:
  explicit LiteralSeq(std::optional<std::vector<PrefixLiteral>> literals)
      : literals_(std::move(literals)) {}

  std::optional<std::string> longest_common_prefix() const;

  std::optional<std::vector<PrefixLiteral>> literals_;
};

}  // namespace tovrin::regex
