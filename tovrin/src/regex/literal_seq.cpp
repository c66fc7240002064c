#include "literal_seq.hpp"

#include <algorithm>
#include <cstdint>
#include <utility>

namespace tovrin::regex {

namespace {

// How common each byte is in typical text, from 0 (rarest) to 255 (most common). Prefix
// optimisation uses it to tell rare leading bytes from ones that would find too many candidates.
constexpr std::uint8_t kByteRank[256] = {
    55,  52,  51,  50,  49,  48,  47,  46,  45,  103, 242, 66,  67,  229, 44,  43,   // 0x00
    42,  41,  40,  39,  38,  37,  36,  35,  34,  33,  56,  32,  31,  30,  29,  28,   // 0x10
    255, 148, 164, 149, 136, 160, 155, 173, 221, 222, 134, 122, 232, 202, 215, 224,  // 0x20
    208, 220, 204, 187, 183, 179, 177, 168, 178, 200, 226, 195, 154, 184, 174, 126,  // 0x30
    120, 191, 157, 194, 170, 189, 162, 161, 150, 193, 142, 137, 171, 176, 185, 167,  // 0x40
    186, 112, 175, 192, 188, 156, 140, 143, 123, 133, 128, 147, 138, 146, 114, 223,  // 0x50
    151, 249, 216, 238, 236, 253, 227, 218, 230, 247, 135, 180, 241, 233, 246, 244,  // 0x60
    231, 139, 245, 243, 251, 235, 201, 196, 240, 214, 152, 182, 205, 181, 127, 27,   // 0x70
    212, 211, 210, 213, 228, 197, 169, 159, 131, 172, 105, 80,  98,  96,  97,  81,   // 0x80
    207, 145, 116, 115, 144, 130, 153, 121, 107, 132, 109, 110, 124, 111, 82,  108,  // 0x90
    118, 141, 113, 129, 119, 125, 165, 117, 92,  106, 83,  72,  99,  93,  65,  79,   // 0xA0
    166, 237, 163, 199, 190, 225, 209, 203, 198, 217, 219, 206, 234, 248, 158, 239,  // 0xB0
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 0xC0
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 0xD0
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 0xE0
    255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255,  // 0xF0
};

std::uint8_t rank(char byte) {
  return kByteRank[static_cast<unsigned char>(byte)];
}

// A literal that would report a candidate almost everywhere.
bool is_poisonous(const PrefixLiteral& literal) {
  return literal.bytes.empty() || (literal.bytes.size() == 1 && rank(literal.bytes[0]) >= 250);
}

// A trie of the literals accepted so far: a literal is refused when an accepted one is a prefix
// of it (or equal to it).
class PreferenceTrie {
 public:
  PreferenceTrie() : states_(1) {}

  bool insert(const std::string& bytes) {
    std::uint32_t at = 0;
    if (states_[at].accepts) return false;
    for (char byte : bytes) {
      std::vector<Edge>& edges = states_[at].edges;
      auto it = std::lower_bound(edges.begin(), edges.end(), byte,
                                 [](const Edge& e, char b) { return e.byte < b; });
      if (it != edges.end() && it->byte == byte) {
        at = it->to;
        if (states_[at].accepts) return false;
        continue;
      }
      auto next = static_cast<std::uint32_t>(states_.size());
      edges.insert(it, Edge{byte, next});
      states_.emplace_back();
      at = next;
    }
    states_[at].accepts = true;
    return true;
  }

 private:
  struct Edge {
    char byte;
    std::uint32_t to;
  };
  struct State {
    std::vector<Edge> edges;  // sorted by byte
    bool accepts = false;
  };

  std::vector<State> states_;
};

}  // namespace

LiteralSeq LiteralSeq::of(std::vector<PrefixLiteral> literals) {
  LiteralSeq seq = empty();
  for (PrefixLiteral& literal : literals)
    seq.push(std::move(literal));
  return seq;
}

std::optional<std::size_t> LiteralSeq::size() const {
  if (!literals_) return std::nullopt;
  return literals_->size();
}

bool LiteralSeq::is_exact() const {
  return literals_ && std::all_of(literals_->begin(), literals_->end(),
                                  [](const PrefixLiteral& literal) { return literal.exact; });
}

bool LiteralSeq::is_inexact() const {
  return !literals_ || std::none_of(literals_->begin(), literals_->end(),
                                    [](const PrefixLiteral& literal) { return literal.exact; });
}

std::optional<std::size_t> LiteralSeq::min_literal_len() const {
  if (!literals_ || literals_->empty()) return std::nullopt;
  std::size_t shortest = literals_->front().bytes.size();
  for (const PrefixLiteral& literal : *literals_)
    shortest = std::min(shortest, literal.bytes.size());
  return shortest;
}

void LiteralSeq::push(PrefixLiteral literal) {
  if (!literals_) return;
  if (!literals_->empty() && literals_->back() == literal) return;
  literals_->push_back(std::move(literal));
}

void LiteralSeq::make_inexact() {
  if (!literals_) return;
  for (PrefixLiteral& literal : *literals_)
    literal.exact = false;
}

void LiteralSeq::keep_first_bytes(std::size_t len) {
  if (!literals_) return;
  for (PrefixLiteral& literal : *literals_) {
    if (len >= literal.bytes.size()) continue;
    literal.exact = false;
    literal.bytes.resize(len);
  }
}

void LiteralSeq::dedup() {
  if (!literals_) return;
  std::vector<PrefixLiteral>& literals = *literals_;
  std::size_t kept = 0;
  for (std::size_t i = 0; i < literals.size(); ++i) {
    if (kept > 0 && literals[kept - 1].bytes == literals[i].bytes) {
      if (literals[kept - 1].exact != literals[i].exact) literals[kept - 1].exact = false;
      continue;
    }
    if (kept != i) literals[kept] = std::move(literals[i]);
    ++kept;
  }
  literals.resize(kept);
}

void LiteralSeq::cross_forward(const LiteralSeq& other) {
  if (!other.literals_) {
    if (min_literal_len() == std::size_t{0}) {
      make_infinite();
    } else {
      make_inexact();
    }
    return;
  }
  if (!literals_) return;
  // Extending by the empty string alone changes no literal.
  if (other.literals_->size() == 1 && other.literals_->front() == PrefixLiteral{"", true}) {
    dedup();
    return;
  }
  std::vector<PrefixLiteral> crossed;
  crossed.reserve(literals_->size() * other.literals_->size());
  for (PrefixLiteral& mine : *literals_) {
    if (!mine.exact) {
      crossed.push_back(std::move(mine));
      continue;
    }
    for (const PrefixLiteral& theirs : *other.literals_)
      crossed.push_back({mine.bytes + theirs.bytes, theirs.exact});
  }
  literals_ = std::move(crossed);
  dedup();
}

void LiteralSeq::append(const LiteralSeq& other) {
  if (!other.literals_) {
    make_infinite();
    return;
  }
  if (!literals_) return;
  literals_->insert(literals_->end(), other.literals_->begin(), other.literals_->end());
  dedup();
}

void LiteralSeq::minimize_by_preference() {
  if (!literals_) return;
  PreferenceTrie trie;
  std::vector<PrefixLiteral> kept;
  for (PrefixLiteral& literal : *literals_) {
    if (trie.insert(literal.bytes)) kept.push_back(std::move(literal));
  }
  literals_ = std::move(kept);
}

std::optional<std::string> LiteralSeq::longest_common_prefix() const {
  if (!literals_ || literals_->empty()) return std::nullopt;
  const std::string& base = literals_->front().bytes;
  std::size_t len = base.size();
  for (const PrefixLiteral& literal : *literals_) {
    auto [differs, unused] =
        std::mismatch(base.begin(), base.begin() + static_cast<std::ptrdiff_t>(len),
                      literal.bytes.begin(), literal.bytes.end());
    len = static_cast<std::size_t>(differs - base.begin());
  }
  return base.substr(0, len);
}

void LiteralSeq::optimize_for_prefix_by_preference() {
  if (!literals_) return;
  std::size_t original_size = literals_->size();
  // An empty literal would report a candidate at every position.
  if (min_literal_len() == std::size_t{0}) {
    make_infinite();
    return;
  }
  minimize_by_preference();

  if (std::optional<std::string> prefix = longest_common_prefix()) {
    std::size_t len = prefix->size();
    // A short common prefix that starts with a rare byte: search for that byte alone.
    if (original_size > 1 && len >= 1 && len <= 3 && rank((*prefix)[0]) < 200) {
      keep_first_bytes(1);
      dedup();
      return;
    }
    // A long common prefix, or one of two bytes or more among many literals: search for it alone.
    bool few_and_exact = is_exact() && literals_->size() <= 16;
    if (len > 4 || (len > 1 && !few_and_exact)) {
      keep_first_bytes(len);
      dedup();
    }
  }

  // Too many literals: cut them shorter, step by step. When that leaves a sequence worse than an
  // exact one (infinite, short literals or still many), the exact one is kept.
  std::optional<LiteralSeq> exact_before;
  if (is_exact()) exact_before = *this;
  constexpr std::pair<std::size_t, std::size_t> kShortenings[] = {
      {5, 10}, {4, 10}, {3, 64}, {2, 64}, {1, 10}};
  for (auto [keep, above] : kShortenings) {
    if (!literals_ || literals_->size() <= above) break;
    keep_first_bytes(keep);
    minimize_by_preference();
  }
  if (literals_ && std::any_of(literals_->begin(), literals_->end(), is_poisonous)) {
    make_infinite();
  }
  if (exact_before) {
    std::optional<std::size_t> shortest = min_literal_len();
    if (!literals_ || !shortest || *shortest <= 2 || literals_->size() > 64) {
      *this = std::move(*exact_before);
    }
  }
}

}  // namespace tovrin::regex
