#include "normal_hir.hpp"

#include <algorithm>
#include <utility>

#include "tovrin/utils/utf8.hpp"

namespace tovrin::regex {

namespace {

using Kind = NormalHir::Kind;
NormalHir node_of(Kind kind) {
  NormalHir node;
  node.kind = kind;
  return node;
}

// Takes over the summaries of the children of a concatenation or an alternation.
void summarize_children(NormalHir& node) {
  for (const NormalHir& child : node.children) {
    node.only_empty = node.only_empty && child.only_empty;
    node.has_capture = node.has_capture || child.has_capture;
    node.has_look = node.has_look || child.has_look;
  }
}

// A pointer to a set that the caller keeps alive.
std::shared_ptr<const CodepointSet> borrowed(const CodepointSet& set) {
  return std::shared_ptr<const CodepointSet>(std::shared_ptr<const CodepointSet>(), &set);
}

NormalHir never_matches() {
  static const CodepointSet kNone;
  NormalHir node = node_of(Kind::Class);
  node.set = borrowed(kNone);
  node.byte_class = true;
  node.only_empty = false;
  return node;
}

NormalHir literal(std::string bytes) {
  if (bytes.empty()) return node_of(Kind::Empty);
  NormalHir node = node_of(Kind::Literal);
  node.only_empty = false;
  node.literal = std::move(bytes);
  return node;
}

NormalHir char_class(std::shared_ptr<const CodepointSet> set, bool byte_class) {
  if (set->empty()) return never_matches();
  if (set->is_single()) {
    std::string bytes;
    utf8::append(bytes, set->ranges()[0].lo);
    return literal(std::move(bytes));
  }
  NormalHir node = node_of(Kind::Class);
  node.only_empty = false;
  node.set = std::move(set);
  node.byte_class = byte_class;
  return node;
}

NormalHir look(Look which) {
  NormalHir node = node_of(Kind::Look);
  node.look = which;
  node.has_look = true;
  return node;
}

NormalHir repetition(NormalHir sub, std::uint32_t min, std::optional<std::uint32_t> max,
                     bool greedy) {
  if (sub.only_empty) {
    min = std::min<std::uint32_t>(min, 1);
    max = std::min<std::uint32_t>(max.value_or(1), 1);
  }
  if (min == 0 && max == 0u) return node_of(Kind::Empty);
  if (min == 1 && max == 1u) return sub;
  NormalHir node = node_of(Kind::Repeat);
  node.min = min;
  node.max = max;
  node.greedy = greedy;
  node.only_empty = sub.only_empty;
  node.has_capture = sub.has_capture;
  node.has_look = sub.has_look;
  node.children.push_back(std::move(sub));
  return node;
}

NormalHir capture(NormalHir sub) {
  NormalHir node = node_of(Kind::Capture);
  node.only_empty = sub.only_empty;
  node.has_capture = true;
  node.has_look = sub.has_look;
  node.children.push_back(std::move(sub));
  return node;
}

NormalHir concatenation(std::vector<NormalHir> subs) {
  std::vector<NormalHir> items;
  std::optional<std::string> pending_literal;
  auto take = [&](NormalHir&& item) {
    if (item.kind == Kind::Literal) {
      if (!pending_literal) pending_literal.emplace();
      *pending_literal += item.literal;
      return;
    }
    if (pending_literal) items.push_back(literal(*std::exchange(pending_literal, std::nullopt)));
    items.push_back(std::move(item));
  };
  for (NormalHir& sub : subs) {
    if (sub.kind == Kind::Empty) continue;
    if (sub.kind == Kind::Concat) {
      for (NormalHir& item : sub.children)
        take(std::move(item));
    } else {
      take(std::move(sub));
    }
  }
  if (pending_literal) items.push_back(literal(std::move(*pending_literal)));
  if (items.empty()) return node_of(Kind::Empty);
  if (items.size() == 1) return std::move(items[0]);
  NormalHir node = node_of(Kind::Concat);
  node.children = std::move(items);
  summarize_children(node);
  return node;
}

NormalHir alternation(std::vector<NormalHir> subs);

// A literal of exactly one char: that char.
std::optional<char32_t> single_char(const NormalHir& node) {
  if (node.kind != Kind::Literal) return std::nullopt;
  std::size_t pos = 0;
  char32_t c = utf8::decode_next(node.literal, pos);
  if (pos != node.literal.size()) return std::nullopt;
  return c;
}

NormalHir merged_class(CodepointSetBuilder chars) {
  return char_class(std::make_shared<const CodepointSet>(std::move(chars).build()), false);
}

// Branches that are all single chars, or all classes, are one class.
std::optional<NormalHir> as_one_class(const std::vector<NormalHir>& branches) {
  CodepointSetBuilder chars;
  bool all_chars = std::all_of(branches.begin(), branches.end(), [&](const NormalHir& branch) {
    auto c = single_char(branch);
    if (c) chars.add(*c, *c);
    return c.has_value();
  });
  if (all_chars) return merged_class(std::move(chars));
  CodepointSetBuilder merged;
  for (const NormalHir& branch : branches) {
    if (branch.kind != Kind::Class) return std::nullopt;
    merged.add(*branch.set);
  }
  return merged_class(std::move(merged));
}

// Branches that are all concatenations beginning with the same items: those items followed by
// an alternation of the rests.
std::optional<NormalHir> factor_common_prefix(std::vector<NormalHir>& branches) {
  const NormalHir& first = branches[0];
  if (first.kind != Kind::Concat) return std::nullopt;
  std::size_t common = first.children.size();
  for (std::size_t i = 1; i < branches.size(); ++i) {
    const NormalHir& branch = branches[i];
    if (branch.kind != Kind::Concat) return std::nullopt;
    std::size_t n = std::min(common, branch.children.size());
    std::size_t same = 0;
    while (same < n && same_shape(first.children[same], branch.children[same]))
      ++same;
    common = same;
    if (common == 0) return std::nullopt;
  }
  std::vector<NormalHir> items(std::make_move_iterator(branches[0].children.begin()),
                               std::make_move_iterator(branches[0].children.begin() + common));
  std::vector<NormalHir> rests;
  for (NormalHir& branch : branches) {
    std::vector<NormalHir> rest(std::make_move_iterator(branch.children.begin() + common),
                                std::make_move_iterator(branch.children.end()));
    rests.push_back(concatenation(std::move(rest)));
  }
  items.push_back(alternation(std::move(rests)));
  return concatenation(std::move(items));
}

NormalHir alternation(std::vector<NormalHir> subs) {
  std::vector<NormalHir> branches;
  for (NormalHir& sub : subs) {
    if (sub.kind == Kind::Alternate) {
      for (NormalHir& branch : sub.children)
        branches.push_back(std::move(branch));
    } else {
      branches.push_back(std::move(sub));
    }
  }
  if (branches.empty()) return never_matches();
  if (branches.size() == 1) return std::move(branches[0]);
  if (auto one_class = as_one_class(branches)) return std::move(*one_class);
  if (auto factored = factor_common_prefix(branches)) return std::move(*factored);
  NormalHir node = node_of(Kind::Alternate);
  node.children = std::move(branches);
  summarize_children(node);
  return node;
}

std::vector<NormalHir> normalize_all(const std::vector<Hir>& children) {
  std::vector<NormalHir> out;
  out.reserve(children.size());
  for (const Hir& child : children)
    out.push_back(normalize(child));
  return out;
}

}  // namespace

bool same_shape(const NormalHir& a, const NormalHir& b) {
  if (a.kind != b.kind) return false;
  switch (a.kind) {
    case Kind::Empty:
      return true;
    case Kind::Literal:
      return a.literal == b.literal;
    case Kind::Class:
      return a.byte_class == b.byte_class && (a.set == b.set || *a.set == *b.set);
    case Kind::Look:
      return a.look == b.look;
    case Kind::Capture:
      return false;
    case Kind::Repeat:
      if (a.min != b.min || a.max != b.max || a.greedy != b.greedy) return false;
      break;
    case Kind::Concat:
    case Kind::Alternate:
      if (a.children.size() != b.children.size()) return false;
      break;
  }
  return std::equal(a.children.begin(), a.children.end(), b.children.begin(), same_shape);
}

NormalHir normalize(const Hir& hir) {
  switch (hir.kind) {
    case Hir::Kind::Empty:
      return node_of(Kind::Empty);
    case Hir::Kind::Class:
      return char_class(borrowed(hir.set), hir.byte_class);
    case Hir::Kind::Look:
      return look(hir.look);
    case Hir::Kind::Repeat:
      return repetition(normalize(hir.children[0]), hir.min,
                        hir.unbounded ? std::nullopt : std::optional<std::uint32_t>(hir.max),
                        hir.greedy);
    case Hir::Kind::Capture:
      return capture(normalize(hir.children[0]));
    case Hir::Kind::Concat:
      return concatenation(normalize_all(hir.children));
    case Hir::Kind::Alternate:
      return alternation(normalize_all(hir.children));
  }
  return node_of(Kind::Empty);
}

}  // namespace tovrin::regex
