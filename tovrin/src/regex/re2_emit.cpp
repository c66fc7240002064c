#include "re2_emit.hpp"

#include <cstdio>

#include "hir_props.hpp"

namespace tovrin::regex {

namespace {

// RE2 rejects counts above 1000, also as the product of nested counted repetitions.
constexpr std::uint64_t kRe2MaxRepeat = 1000;
// Beyond this the emitted text alone would be unreasonable; such patterns are far past the
// compile size limit anyway.
constexpr std::size_t kMaxPatternBytes = std::size_t{16} << 20;

void append_char(std::string& out, char32_t c) {
  if ((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) {
    out += static_cast<char>(c);
    return;
  }
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "\\x{%X}", static_cast<unsigned>(c));
  out += buffer;
}

void append_set(std::string& out, const CodepointSet& set) {
  if (set.empty()) {
    out += "[^\\x00-\\x{10FFFF}]";
    return;
  }
  if (set.is_single()) {
    append_char(out, set.ranges()[0].lo);
    return;
  }
  out += '[';
  for (const CodepointRange& r : set.ranges()) {
    append_char(out, r.lo);
    if (r.hi != r.lo) {
      out += '-';
      append_char(out, r.hi);
    }
  }
  out += ']';
}

class Emitter {
 public:
  Re2Pattern finish(const Hir& hir) {
    Re2Pattern result;
    emit(hir, 1, result.pattern);
    result.needs = needs_;
    result.unsupported = unsupported_;
    if (!unsupported_.empty()) result.pattern.clear();
    return result;
  }

 private:
  bool give_up(const char* why) {
    if (unsupported_.empty()) unsupported_ = why;
    return false;
  }

  // `product` is the product of the counts of the enclosing RE2 repetitions.
  bool emit(const Hir& h, std::uint64_t product, std::string& out) {
    if (out.size() > kMaxPatternBytes) return give_up("pattern too large for the RE2 path");
    switch (h.kind) {
      case Hir::Kind::Empty:
        out += "(?:)";
        return true;
      case Hir::Kind::Class:
        append_set(out, h.set);
        return true;
      case Hir::Kind::Look:
        return emit_look(h.look, out);
      case Hir::Kind::Repeat:
        return emit_repeat(h, product, out);
      case Hir::Kind::Capture:
        return emit(h.children[0], product, out);
      case Hir::Kind::Concat:
        for (const Hir& child : h.children) {
          out += "(?:";
          if (!emit(child, product, out)) return false;
          out += ')';
        }
        return true;
      case Hir::Kind::Alternate:
        out += "(?:";
        for (std::size_t i = 0; i < h.children.size(); ++i) {
          if (i > 0) out += '|';
          if (!emit(h.children[i], product, out)) return false;
        }
        out += ')';
        return true;
    }
    return true;
  }

  bool emit_look(Look look, std::string& out) {
    switch (look) {
      case Look::Start:
        out += "\\A";
        return true;
      case Look::End:
        out += "\\z";
        return true;
      case Look::StartCRLF:
        needs_.no_carriage_return = true;
        [[fallthrough]];
      case Look::StartLF:
        out += "(?m:^)";
        return true;
      case Look::EndCRLF:
        needs_.no_carriage_return = true;
        [[fallthrough]];
      case Look::EndLF:
        out += "(?m:$)";
        return true;
      case Look::WordAscii:
        out += "\\b";
        return true;
      case Look::WordUnicode:
        needs_.ascii = true;
        out += "\\b";
        return true;
      case Look::WordAsciiNegate:
      case Look::WordUnicodeNegate:
        needs_.ascii = true;
        out += "\\B";
        return true;
      default:
        return give_up("word start/end assertions are not expressible in RE2");
    }
  }

  bool emit_repeat(const Hir& h, std::uint64_t product, std::string& out) {
    const Hir& child = h.children[0];
    if (matches_only_empty(child)) {
      // Repeating an assertion changes nothing: it holds once or it does not.
      if (h.min == 0) {
        out += "(?:)";
        return true;
      }
      return emit(child, product, out);
    }
    std::uint64_t bound = h.unbounded ? h.min : h.max;
    std::uint64_t factor = bound == 0 ? 1 : bound;
    if (bound <= kRe2MaxRepeat && product * factor <= kRe2MaxRepeat) {
      out += "(?:";
      if (!emit(child, product * factor, out)) return false;
      out += ')';
      append_operator(h, out);
      return true;
    }
    // Too many for one RE2 repetition: spell out the copies (x{n,m} is n times x, then m-n
    // times x?, which accepts the same texts).
    std::string piece;
    if (!emit(child, product, piece)) return false;
    std::uint64_t copies = h.unbounded ? std::uint64_t{h.min} + 1 : h.max;
    if (copies * (piece.size() + 5) > kMaxPatternBytes - out.size()) {
      return give_up("counted repetition too large for the RE2 path");
    }
    for (std::uint32_t i = 0; i < h.min; ++i) {
      out += "(?:";
      out += piece;
      out += ')';
    }
    if (h.unbounded) {
      out += "(?:" + piece + ")*";
      return true;
    }
    for (std::uint32_t i = h.min; i < h.max; ++i) {
      out += "(?:";
      out += piece;
      out += ")?";
    }
    return true;
  }

  static void append_operator(const Hir& h, std::string& out) {
    if (h.unbounded) {
      if (h.min == 0) {
        out += '*';
      } else if (h.min == 1) {
        out += '+';
      } else {
        out += '{' + std::to_string(h.min) + ",}";
      }
      return;
    }
    if (h.min == 0 && h.max == 1) {
      out += '?';
    } else if (h.min == h.max) {
      out += '{' + std::to_string(h.min) + '}';
    } else {
      out += '{' + std::to_string(h.min) + ',' + std::to_string(h.max) + '}';
    }
  }

  TextNeeds needs_;
  std::string unsupported_;
};

}  // namespace

Re2Pattern emit_re2(const Hir& hir) {
  return Emitter().finish(hir);
}

}  // namespace tovrin::regex
