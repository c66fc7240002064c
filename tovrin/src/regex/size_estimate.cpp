#include "size_estimate.hpp"

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

#include "hir_props.hpp"
#include "tovrin/utils/utf8.hpp"
#include "tovrin/work_budget.hpp"
#include "utf8_sequences.hpp"

// The estimate replays how the automaton is built, state by state, and counts memory the way its
// builder does: every state takes 32 bytes, a union 4 more per alternative, a byte-set state 8
// more per byte range. Two automata are built, one for forward and one for reverse searches, and
// each must stay within the limit. Non-ASCII classes are compiled into UTF-8 byte automata that
// share common suffixes (forward) or common leading bytes (reverse) through small hash tables;
// collisions in those tables duplicate states, so the tables are replayed too, with the same
// capacities, hash function and state numbering.

namespace tovrin::regex {

namespace {

using StateId = std::uint32_t;

constexpr std::uint64_t kStateBytes = 32;
constexpr std::uint64_t kAlternativeBytes = 4;
constexpr std::uint64_t kTransitionBytes = 8;
constexpr std::size_t kSuffixTableSize = 10000;  // forward UTF-8 compilation
constexpr std::size_t kPrefixTableSize = 1000;   // reverse UTF-8 compilation

constexpr std::uint64_t kFnvInit = 14695981039346656037ull;
constexpr std::uint64_t kFnvPrime = 1099511628211ull;

std::uint64_t fnv(std::uint64_t h, std::uint64_t v) {
  return (h ^ v) * kFnvPrime;
}

struct Transition {
  std::uint8_t lo;
  std::uint8_t hi;
  StateId next;
  friend bool operator==(const Transition&, const Transition&) = default;
};

// A compiled fragment: where it starts and whether its end state is a union (patching out of a
// union adds an alternative, and memory).
struct Fragment {
  StateId start;
  StateId end;
  bool end_is_union;
};

// The view of the pattern the automaton is built from: runs of empty pieces vanish, repeated
// empty-only pieces are kept once, and alternations of single chars or of classes become one
// class.
bool vanishes(const Hir& h);

struct Repetition {
  std::uint32_t min;
  std::optional<std::uint32_t> max;
};

Repetition effective_repetition(const Hir& h) {
  Repetition r{h.min, h.unbounded ? std::nullopt : std::optional<std::uint32_t>(h.max)};
  if (matches_only_empty(h.children[0])) {
    r.min = std::min<std::uint32_t>(r.min, 1);
    r.max = std::min<std::uint32_t>(r.max.value_or(1), 1);
  }
  return r;
}

bool vanishes(const Hir& h) {
  switch (h.kind) {
    case Hir::Kind::Empty:
      return true;
    case Hir::Kind::Repeat: {
      Repetition r = effective_repetition(h);
      if (r.min == 0 && r.max == 0u) return true;
      return r.min == 1 && r.max == 1u && vanishes(h.children[0]);
    }
    case Hir::Kind::Concat:
      return std::all_of(h.children.begin(), h.children.end(), vanishes);
    case Hir::Kind::Alternate:
      return h.children.size() == 1 && vanishes(h.children[0]);
    default:
      return false;
  }
}

// The shortest match in bytes; nullopt when nothing can match.
std::optional<std::uint64_t> min_len(const Hir& h) {
  switch (h.kind) {
    case Hir::Kind::Empty:
    case Hir::Kind::Look:
      return 0;
    case Hir::Kind::Class:
      if (h.set.empty()) return std::nullopt;
      return utf8::encoded_length(h.set.ranges()[0].lo);
    case Hir::Kind::Repeat: {
      Repetition r = effective_repetition(h);
      if (r.max == 0u) return 0;
      auto child = min_len(h.children[0]);
      if (!child) return std::nullopt;
      return *child * r.min;
    }
    case Hir::Kind::Capture:
      return min_len(h.children[0]);
    case Hir::Kind::Concat: {
      std::uint64_t total = 0;
      for (const Hir& child : h.children) {
        auto len = min_len(child);
        if (!len) return std::nullopt;
        total += *len;
      }
      return total;
    }
    case Hir::Kind::Alternate: {
      std::optional<std::uint64_t> best;
      for (const Hir& child : h.children) {
        auto len = min_len(child);
        if (!len) return std::nullopt;
        best = best ? std::min(*best, *len) : *len;
      }
      return best;
    }
  }
  return std::nullopt;
}

void flatten_alternation(const Hir& h, std::vector<const Hir*>& out) {
  for (const Hir& child : h.children) {
    if (child.kind == Hir::Kind::Alternate) {
      flatten_alternation(child, out);
    } else {
      out.push_back(&child);
    }
  }
}

void flatten_concat(const Hir& h, std::vector<const Hir*>& out) {
  for (const Hir& child : h.children) {
    if (vanishes(child)) continue;
    if (child.kind == Hir::Kind::Concat) {
      flatten_concat(child, out);
    } else {
      out.push_back(&child);
    }
  }
}

class NfaSizer {
 public:
  NfaSizer(bool reverse, const Hir& root) : reverse_(reverse), root_(root) {}

  // The builder's memory for the whole pattern, or a value above the limit as soon as it
  // passes it.
  std::uint64_t run() {
    bool anchored = reverse_ ? anchored_at_end(root_) : anchored_at_start(root_);
    Fragment prefix = anchored ? empty() : any_byte_loop();
    Fragment body = compile_root_capture();
    StateId match = add(0);
    patch(body, match);
    patch(prefix, body.start);
    return bytes_;
  }

 private:
  bool over() const { return bytes_ > kCompiledSizeLimit; }

  StateId add(std::uint64_t extra) {
    budget_.spend(1);
    bytes_ += kStateBytes + extra;
    return states_++;
  }
  Fragment single(std::uint64_t extra = 0) {
    StateId id = add(extra);
    return {id, id, false};
  }
  Fragment union_state() {
    StateId id = add(0);
    return {id, id, true};
  }
  Fragment empty() { return single(); }
  void patch(const Fragment& from, StateId) {
    if (from.end_is_union) bytes_ += kAlternativeBytes;
  }
  void add_alternative() { bytes_ += kAlternativeBytes; }

  Fragment any_byte_loop() {
    Fragment loop = union_state();
    Fragment any = byte_class(1);
    add_alternative();
    patch(any, loop.start);
    return loop;
  }

  Fragment compile_root_capture() {
    if (reverse_) return compile(root_);
    StateId open = add(0);
    Fragment inner = compile(root_);
    StateId close = add(0);
    patch({open, open, false}, inner.start);
    patch(inner, close);
    return {open, close, false};
  }

  Fragment compile(const Hir& h) {
    if (over()) return {0, 0, false};
    switch (h.kind) {
      case Hir::Kind::Empty:
      case Hir::Kind::Look:
        return single();
      case Hir::Kind::Class:
        return compile_class(h.set);
      case Hir::Kind::Capture: {
        if (reverse_) return compile(h.children[0]);
        StateId open = add(0);
        Fragment inner = compile(h.children[0]);
        StateId close = add(0);
        patch(inner, close);
        return {open, close, false};
      }
      case Hir::Kind::Concat: {
        std::vector<const Hir*> items;
        flatten_concat(h, items);
        if (reverse_) std::reverse(items.begin(), items.end());
        return concat(items.size(), [&](std::size_t i) { return compile(*items[i]); });
      }
      case Hir::Kind::Alternate:
        return compile_alternation(h);
      case Hir::Kind::Repeat:
        return compile_repeat(h);
    }
    return single();
  }

  template <class Compile>
  Fragment concat(std::size_t count, Compile&& compile_item) {
    if (count == 0) return empty();
    Fragment first = compile_item(0);
    Fragment last = first;
    for (std::size_t i = 1; i < count && !over(); ++i) {
      Fragment next = compile_item(i);
      patch(last, next.start);
      last = next;
    }
    return {first.start, last.end, last.end_is_union};
  }

  Fragment compile_alternation(const Hir& h) {
    std::vector<const Hir*> items;
    flatten_alternation(h, items);
    bool all_single = std::all_of(items.begin(), items.end(), [](const Hir* item) {
      return item->kind == Hir::Kind::Class && item->set.is_single();
    });
    bool all_sets = std::all_of(items.begin(), items.end(), [](const Hir* item) {
      return item->kind == Hir::Kind::Class && !item->set.is_single();
    });
    if (all_single || all_sets) {
      CodepointSet& merged = merged_sets_[&h];
      if (merged.empty()) {
        CodepointSetBuilder all;
        for (const Hir* item : items)
          all.add(item->set);
        merged = std::move(all).build();
      }
      return compile_class(merged);
    }
    if (items.size() == 1) return compile(*items[0]);
    Fragment first = compile(*items[0]);
    Fragment second = compile(*items[1]);
    Fragment split = union_state();
    StateId end = add(0);
    add_alternative();
    patch(first, end);
    add_alternative();
    patch(second, end);
    for (std::size_t i = 2; i < items.size() && !over(); ++i) {
      Fragment next = compile(*items[i]);
      add_alternative();
      patch(next, end);
    }
    return {split.start, end, false};
  }

  Fragment exactly(const Hir& child, std::uint32_t n) {
    return concat(n, [&](std::size_t) { return compile(child); });
  }

  Fragment compile_repeat(const Hir& h) {
    const Hir& child = h.children[0];
    Repetition r = effective_repetition(h);
    if (r.min == 0 && r.max == 0u) return empty();
    if (r.min == 1 && r.max == 1u) return compile(child);
    if (r.min == 0 && r.max == 1u) {
      Fragment split = union_state();
      Fragment inner = compile(child);
      StateId end = add(0);
      add_alternative();
      add_alternative();
      patch(inner, end);
      return {split.start, end, false};
    }
    if (!r.max) return at_least(child, r.min);
    Fragment prefix = exactly(child, r.min);
    if (r.min == *r.max) return prefix;
    StateId end = add(0);
    Fragment previous = prefix;
    for (std::uint32_t i = r.min; i < *r.max && !over(); ++i) {
      Fragment split = union_state();
      Fragment inner = compile(child);
      patch(previous, split.start);
      add_alternative();
      add_alternative();
      previous = inner;
    }
    patch(previous, end);
    return {prefix.start, end, false};
  }

  Fragment at_least(const Hir& child, std::uint32_t n) {
    if (n == 0) {
      auto len = min_len(child);
      if (len && *len > 0) {
        Fragment loop = union_state();
        Fragment inner = compile(child);
        add_alternative();
        patch(inner, loop.start);
        return loop;
      }
      // Written as (x+)?, which keeps the preference order when x can match the empty string.
      Fragment inner = compile(child);
      Fragment plus = union_state();
      patch(inner, plus.start);
      add_alternative();
      Fragment question = union_state();
      StateId end = add(0);
      add_alternative();
      add_alternative();
      add_alternative();
      return {question.start, end, false};
    }
    Fragment prefix = n == 1 ? Fragment{0, 0, false} : exactly(child, n - 1);
    Fragment last = compile(child);
    if (n > 1) patch(prefix, last.start);
    Fragment loop = union_state();
    patch(last, loop.start);
    add_alternative();
    return {n == 1 ? last.start : prefix.start, loop.end, true};
  }

  Fragment byte_class(std::size_t ranges) {
    StateId end = add(0);
    StateId start = add(kTransitionBytes * ranges);
    return {start, end, false};
  }

  Fragment compile_class(const CodepointSet& set) {
    if (set.empty()) return single();  // a state that never matches
    if (set.is_single()) {
      std::size_t n = utf8::encoded_length(set.ranges()[0].lo);
      Fragment first = single();
      for (std::size_t i = 1; i < n; ++i)
        first.end = add(0);
      return first;
    }
    if (set.is_ascii()) return byte_class(set.ranges().size());
    const std::vector<Utf8Sequence>& sequences = sequences_of(set);
    return reverse_ ? reverse_utf8_class(sequences) : forward_utf8_class(sequences);
  }

  const std::vector<Utf8Sequence>& sequences_of(const CodepointSet& set) {
    auto [it, inserted] = sequences_.try_emplace(&set);
    if (inserted) it->second = utf8_sequences(set);
    return it->second;
  }

  // Reverse: a chain of byte states per sequence, sharing chains that begin with the same
  // bytes, all joined by one union.
  Fragment reverse_utf8_class(const std::vector<Utf8Sequence>& sequences) {
    prefix_table_.resize(kPrefixTableSize);
    ++table_version_;
    Fragment split = union_state();
    StateId end = add(0);
    for (const Utf8Sequence& seq : sequences) {
      if (over()) break;
      StateId next = end;
      for (std::size_t i = 0; i < seq.length; ++i) {
        Utf8ByteRange r = seq.ranges[i];
        std::uint64_t h = fnv(fnv(fnv(kFnvInit, next), r.lo), r.hi) % kPrefixTableSize;
        PrefixEntry& entry = prefix_table_[h];
        if (entry.version == table_version_ && entry.from == next && entry.lo == r.lo &&
            entry.hi == r.hi) {
          next = entry.state;
          continue;
        }
        StateId state = add(0);
        entry = {table_version_, next, r.lo, r.hi, state};
        next = state;
      }
      add_alternative();
    }
    return {split.start, end, false};
  }

  // Forward: the sequences, in order, built into a trie whose finished nodes are shared with
  // any equal node finished before (found through a hash table).
  Fragment forward_utf8_class(const std::vector<Utf8Sequence>& sequences) {
    suffix_table_.resize(kSuffixTableSize);
    ++table_version_;
    target_ = add(0);
    uncompiled_.clear();
    uncompiled_.push_back({});
    for (const Utf8Sequence& seq : sequences) {
      if (over()) break;
      std::size_t prefix = 0;
      while (prefix < seq.length && prefix < uncompiled_.size() && uncompiled_[prefix].has_last &&
             uncompiled_[prefix].last.lo == seq.ranges[prefix].lo &&
             uncompiled_[prefix].last.hi == seq.ranges[prefix].hi) {
        ++prefix;
      }
      compile_from(prefix);
      uncompiled_.back().has_last = true;
      uncompiled_.back().last = seq.ranges[prefix];
      for (std::size_t i = prefix + 1; i < seq.length; ++i)
        uncompiled_.push_back({{}, true, seq.ranges[i]});
    }
    compile_from(0);
    StateId start = compile_node(std::move(uncompiled_.back().trans));
    uncompiled_.pop_back();
    return {start, target_, false};
  }

  struct UncompiledNode {
    std::vector<Transition> trans;
    bool has_last = false;
    Utf8ByteRange last{};
  };

  static void freeze_last(UncompiledNode& node, StateId next) {
    if (!node.has_last) return;
    node.trans.push_back({node.last.lo, node.last.hi, next});
    node.has_last = false;
  }

  void compile_from(std::size_t from) {
    StateId next = target_;
    while (from + 1 < uncompiled_.size()) {
      UncompiledNode node = std::move(uncompiled_.back());
      uncompiled_.pop_back();
      freeze_last(node, next);
      next = compile_node(std::move(node.trans));
    }
    freeze_last(uncompiled_.back(), next);
  }

  StateId compile_node(std::vector<Transition> trans) {
    std::uint64_t h = kFnvInit;
    for (const Transition& t : trans)
      h = fnv(fnv(fnv(h, t.lo), t.hi), t.next);
    SuffixEntry& entry = suffix_table_[h % kSuffixTableSize];
    if (entry.version == table_version_ && entry.trans == trans) return entry.state;
    StateId state = add(kTransitionBytes * trans.size());
    entry.version = table_version_;
    entry.trans = std::move(trans);
    entry.state = state;
    return state;
  }

  struct PrefixEntry {
    std::uint64_t version = 0;
    StateId from = 0;
    std::uint8_t lo = 0;
    std::uint8_t hi = 0;
    StateId state = 0;
  };
  struct SuffixEntry {
    std::uint64_t version = 0;
    std::vector<Transition> trans;
    StateId state = 0;
  };

  const bool reverse_;
  const Hir& root_;
  std::uint64_t bytes_ = 0;
  StateId states_ = 0;
  // Every state sized spends a unit, so that sizing a large pattern can be stopped.
  WorkBudget& budget_ = WorkBudget::current();
  std::uint64_t table_version_ = 0;
  std::vector<PrefixEntry> prefix_table_;
  std::vector<SuffixEntry> suffix_table_;
  std::vector<UncompiledNode> uncompiled_;
  StateId target_ = 0;
  std::unordered_map<const CodepointSet*, std::vector<Utf8Sequence>> sequences_;
  std::unordered_map<const Hir*, CodepointSet> merged_sets_;
};

bool is_literal_string(const Hir& hir) {
  if (hir.kind == Hir::Kind::Class) return hir.set.is_single();
  if (hir.kind != Hir::Kind::Concat) return false;
  return std::all_of(hir.children.begin(), hir.children.end(), [](const Hir& child) {
    return child.kind == Hir::Kind::Empty ||
           (child.kind == Hir::Kind::Class && child.set.is_single());
  });
}

}  // namespace

bool is_literal_alternation(const Hir& hir) {
  return hir.kind == Hir::Kind::Alternate && hir.children.size() >= kLiteralSearcherBranches &&
         std::all_of(hir.children.begin(), hir.children.end(), is_literal_string);
}

std::uint64_t estimate_compiled_size(const Hir& hir) {
  // The reverse automaton is usually the larger one (it shares less); when it is already too
  // large the forward one need not be built.
  std::uint64_t reverse = NfaSizer(true, hir).run();
  if (reverse > kCompiledSizeLimit) return reverse;
  return std::max(reverse, NfaSizer(false, hir).run());
}

}  // namespace tovrin::regex
