#include "literal_search.hpp"

#include <algorithm>
#include <cstdint>

#include "tovrin/utils/utf8.hpp"

namespace tovrin::regex {

namespace {

constexpr std::size_t kClassLimit = 10;
constexpr std::uint32_t kRepeatLimit = 10;
constexpr std::size_t kLiteralLenLimit = 100;
constexpr std::size_t kTotalLimit = 250;
// When a union would pass the total limit, literals are first cut to this many bytes in the hope
// that merging equal ones makes room.
constexpr std::size_t kUnionCutLen = 4;

using Kind = NormalHir::Kind;

LiteralSeq only_empty_literal() {
  return LiteralSeq::of({{"", true}});
}

void enforce_literal_len(LiteralSeq& seq) {
  seq.keep_first_bytes(kLiteralLenLimit);
}

bool over_total(std::optional<std::uint64_t> combined) {
  return combined && *combined > kTotalLimit;
}

std::optional<std::uint64_t> cross_size(const LiteralSeq& a, const LiteralSeq& b) {
  if (!a.size() || !b.size()) return std::nullopt;
  return std::uint64_t{*a.size()} * *b.size();
}

std::optional<std::uint64_t> union_size(const LiteralSeq& a, const LiteralSeq& b) {
  if (!a.size() || !b.size()) return std::nullopt;
  return std::uint64_t{*a.size()} + *b.size();
}

// The literals of `a` followed by those of `b`; if that would be too many, `b` counts as
// infinite.
LiteralSeq cross(LiteralSeq a, LiteralSeq b) {
  if (over_total(cross_size(a, b))) b.make_infinite();
  a.cross_forward(b);
  enforce_literal_len(a);
  return a;
}

// The literals of `a` or those of `b`; if that would be too many, both are cut short first, and
// if still too many `b` counts as infinite.
LiteralSeq either(LiteralSeq a, LiteralSeq b) {
  if (over_total(union_size(a, b))) {
    a.keep_first_bytes(kUnionCutLen);
    b.keep_first_bytes(kUnionCutLen);
    a.dedup();
    b.dedup();
    if (over_total(union_size(a, b))) b.make_infinite();
  }
  a.append(b);
  return a;
}

std::uint64_t class_count(const CodepointSet& set) {
  std::uint64_t count = 0;
  for (const CodepointRange& r : set.ranges())
    count += r.hi - r.lo + 1;
  return count;
}

LiteralSeq extract_class(const CodepointSet& set) {
  if (class_count(set) > kClassLimit) return LiteralSeq::infinite();
  LiteralSeq seq = LiteralSeq::empty();
  for (const CodepointRange& r : set.ranges()) {
    for (char32_t c = r.lo; c <= r.hi; ++c) {
      std::string bytes;
      utf8::append(bytes, c);
      seq.push({std::move(bytes), true});
    }
  }
  return seq;
}

LiteralSeq repeated(const LiteralSeq& once, std::uint32_t count) {
  LiteralSeq seq = only_empty_literal();
  for (std::uint32_t i = 0; i < std::min(count, kRepeatLimit); ++i) {
    if (seq.is_inexact()) break;
    seq = cross(std::move(seq), once);
  }
  return seq;
}

LiteralSeq extract_repeat(const NormalHir& h) {
  LiteralSeq sub = extract_prefixes(h.children[0]);
  if (h.min == 0) {
    // `x?` is `x|` and keeps exactness; more copies cannot be listed.
    if (h.max != 1u) sub.make_inexact();
    if (h.greedy) return either(std::move(sub), only_empty_literal());
    return either(only_empty_literal(), std::move(sub));
  }
  LiteralSeq seq = repeated(sub, h.min);
  if (h.min > kRepeatLimit || h.max != h.min) seq.make_inexact();
  return seq;
}

}  // namespace

LiteralSeq extract_prefixes(const NormalHir& h) {
  switch (h.kind) {
    case Kind::Empty:
    case Kind::Look:
      return only_empty_literal();
    case Kind::Literal: {
      LiteralSeq seq = LiteralSeq::of({{h.literal, true}});
      enforce_literal_len(seq);
      return seq;
    }
    case Kind::Class:
      return extract_class(*h.set);
    case Kind::Repeat:
      return extract_repeat(h);
    case Kind::Capture:
      return extract_prefixes(h.children[0]);
    case Kind::Concat: {
      LiteralSeq seq = only_empty_literal();
      for (const NormalHir& child : h.children) {
        // Nothing more can be added once every literal is inexact.
        if (seq.is_inexact()) break;
        seq = cross(std::move(seq), extract_prefixes(child));
      }
      return seq;
    }
    case Kind::Alternate: {
      LiteralSeq seq = LiteralSeq::empty();
      for (const NormalHir& child : h.children) {
        if (!seq.is_finite()) break;
        seq = either(std::move(seq), extract_prefixes(child));
      }
      return seq;
    }
  }
  return LiteralSeq::infinite();
}

std::optional<std::vector<std::string>> literal_search_set(const Hir& hir) {
  NormalHir normal = normalize(hir);
  // A literal found next to a failing assertion is no match, and groups must be resolved by the
  // automaton.
  if (normal.has_capture || normal.has_look) return std::nullopt;
  LiteralSeq prefixes = extract_prefixes(normal);
  prefixes.optimize_for_prefix_by_preference();
  if (!prefixes.is_exact() || prefixes.literals()->empty()) return std::nullopt;
  std::vector<std::string> out;
  for (const PrefixLiteral& literal : *prefixes.literals()) {
    if (literal.bytes.empty()) return std::nullopt;
    out.push_back(literal.bytes);
  }
  return out;
}

Hir alternation_of_literals(const std::vector<std::string>& literals) {
  Hir out;
  out.kind = Hir::Kind::Alternate;
  for (const std::string& literal : literals) {
    Hir& branch = out.children.emplace_back();
    branch.kind = Hir::Kind::Concat;
    for (std::size_t pos = 0; pos < literal.size();) {
      Hir& c = branch.children.emplace_back();
      c.kind = Hir::Kind::Class;
      c.set = CodepointSet::single(utf8::decode_next(literal, pos));
    }
  }
  return out;
}

}  // namespace tovrin::regex
