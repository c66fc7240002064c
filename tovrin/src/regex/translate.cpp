#include "translate.hpp"

#include <optional>
#include <utility>

#include "tovrin/work_budget.hpp"
#include "unicode_classes.hpp"
#include "unicode_sets.hpp"

namespace tovrin::regex {

namespace {

struct Flags {
  bool case_insensitive = false;
  bool multi_line = false;
  bool dot_matches_new_line = false;
  bool swap_greed = false;
  bool unicode = true;
  bool crlf = false;
};

void apply_flags(Flags& flags, const std::vector<FlagItem>& items) {
  bool negated = false;
  for (const FlagItem& item : items) {
    if (item.is_negation) {
      negated = true;
      continue;
    }
    bool on = !negated;
    switch (item.flag) {
      case Flag::CaseInsensitive:
        flags.case_insensitive = on;
        break;
      case Flag::MultiLine:
        flags.multi_line = on;
        break;
      case Flag::DotMatchesNewLine:
        flags.dot_matches_new_line = on;
        break;
      case Flag::Unicode:
        flags.unicode = on;
        break;
      case Flag::Crlf:
        flags.crlf = on;
        break;
      case Flag::SwapGreed:
        flags.swap_greed = on;
        break;
      case Flag::IgnoreWhitespace:
        break;
    }
  }
}

Hir class_hir(CodepointSet set, bool unicode) {
  Hir h;
  h.kind = Hir::Kind::Class;
  h.set = std::move(set);
  h.byte_class = !unicode;
  return h;
}

Hir look_hir(Look look) {
  Hir h;
  h.kind = Hir::Kind::Look;
  h.look = look;
  return h;
}

class Translator {
 public:
  explicit Translator(const Ast& ast) : ast_(ast) {}

  Result<Hir, SyntaxError> run() {
    Hir out;
    if (!expr(ast_.root, out)) return Err{*error_};
    return out;
  }

 private:
  bool fail(ErrorKind kind, Span span) {
    error_ = SyntaxError{kind, span, std::nullopt};
    return false;
  }

  // Case folding (if on) and then negation, in the current mode.
  void fold_and_negate(CodepointSet& set, bool negated) const {
    if (flags_.case_insensitive) fold(set);
    if (negated) set.negate();
  }

  void fold(CodepointSet& set) const {
    if (flags_.unicode) {
      add_simple_case_folds(set);
    } else {
      add_ascii_case_folds(set);
    }
  }

  // With Unicode mode off, a class may only hold ASCII chars (the text is UTF-8).
  bool check_ascii(const CodepointSet& set, Span span) {
    if (!flags_.unicode && !set.is_ascii()) return fail(ErrorKind::InvalidUtf8, span);
    return true;
  }

  bool expr(NodeId id, Hir& out) {
    spend_work(1);
    const AstNode& node = ast_[id];
    switch (node.kind) {
      case AstKind::Empty:
        out = Hir{};
        return true;
      case AstKind::Flags:
        apply_flags(flags_, node.flags);
        out = Hir{};
        return true;
      case AstKind::Literal:
        return literal(node, out);
      case AstKind::Dot:
        return dot(node, out);
      case AstKind::Assertion:
        out = look_hir(assertion(node.assertion));
        return true;
      case AstKind::UnicodeClass:
      case AstKind::PerlClass:
      case AstKind::Bracketed: {
        CodepointSet set;
        if (!class_item(id, set)) return false;
        out = class_hir(std::move(set), flags_.unicode);
        return true;
      }
      case AstKind::Repetition: {
        Hir child;
        if (!expr(node.children[0], child)) return false;
        out = Hir{};
        out.kind = Hir::Kind::Repeat;
        out.min = node.min;
        out.max = node.max;
        out.unbounded = node.unbounded;
        out.greedy = node.lazy == flags_.swap_greed;
        out.children.push_back(std::move(child));
        return true;
      }
      case AstKind::Group: {
        Flags saved = flags_;
        if (node.group == GroupKind::NonCapturing) apply_flags(flags_, node.flags);
        Hir inner;
        bool ok = expr(node.children[0], inner);
        flags_ = saved;
        if (node.group == GroupKind::NonCapturing) {
          out = std::move(inner);
        } else {
          out = Hir{};
          out.kind = Hir::Kind::Capture;
          out.children.push_back(std::move(inner));
        }
        return ok;
      }
      case AstKind::Alternation:
      case AstKind::Concat: {
        out = Hir{};
        out.kind = node.kind == AstKind::Concat ? Hir::Kind::Concat : Hir::Kind::Alternate;
        out.children.resize(node.children.size());
        for (std::size_t i = 0; i < node.children.size(); ++i) {
          if (!expr(node.children[i], out.children[i])) return false;
        }
        return true;
      }
      default:
        break;
    }
    // Class-only nodes never appear outside a bracketed class.
    out = Hir{};
    return true;
  }

  bool literal(const AstNode& node, Hir& out) {
    char32_t c = node.c;
    if (!flags_.unicode && node.is_byte_escape && c > 0x7F) {
      return fail(ErrorKind::InvalidUtf8, node.span);
    }
    CodepointSet set = CodepointSet::single(c);
    if (flags_.case_insensitive) {
      if (flags_.unicode && has_simple_case_folds(c)) {
        add_simple_case_folds(set);
      } else if (!flags_.unicode && c < 0x80) {
        add_ascii_case_folds(set);
      }
    }
    out = class_hir(std::move(set), flags_.unicode);
    return true;
  }

  bool dot(const AstNode& node, Hir& out) {
    if (!flags_.unicode) return fail(ErrorKind::InvalidUtf8, node.span);
    CodepointSet set = CodepointSet::all();
    if (!flags_.dot_matches_new_line) {
      CodepointSet excluded{{'\n', '\n'}};
      if (flags_.crlf) excluded.add('\r', '\r');
      set.subtract(excluded);
    }
    out = class_hir(std::move(set), flags_.unicode);
    return true;
  }

  Look assertion(AssertionKind kind) const {
    bool u = flags_.unicode;
    switch (kind) {
      case AssertionKind::StartLine:
        if (!flags_.multi_line) return Look::Start;
        return flags_.crlf ? Look::StartCRLF : Look::StartLF;
      case AssertionKind::EndLine:
        if (!flags_.multi_line) return Look::End;
        return flags_.crlf ? Look::EndCRLF : Look::EndLF;
      case AssertionKind::StartText:
        return Look::Start;
      case AssertionKind::EndText:
        return Look::End;
      case AssertionKind::WordBoundary:
        return u ? Look::WordUnicode : Look::WordAscii;
      case AssertionKind::NotWordBoundary:
        return u ? Look::WordUnicodeNegate : Look::WordAsciiNegate;
      case AssertionKind::WordStart:
        return u ? Look::WordStartUnicode : Look::WordStartAscii;
      case AssertionKind::WordEnd:
        return u ? Look::WordEndUnicode : Look::WordEndAscii;
      case AssertionKind::WordStartHalf:
        return u ? Look::WordStartHalfUnicode : Look::WordStartHalfAscii;
      case AssertionKind::WordEndHalf:
        return u ? Look::WordEndHalfUnicode : Look::WordEndHalfAscii;
    }
    return Look::Start;
  }

  // A literal inside a bracketed class, as a char of the current mode.
  bool class_literal(const AstNode& node, char32_t& out) {
    out = node.c;
    if (flags_.unicode) return true;
    if (node.is_byte_escape && node.c > 0x7F) return fail(ErrorKind::InvalidUtf8, node.span);
    if (node.c > 0x7F) return fail(ErrorKind::UnicodeNotAllowed, node.span);
    return true;
  }

  bool unicode_class(const AstNode& node, CodepointSet& out) {
    if (!flags_.unicode) return fail(ErrorKind::UnicodeNotAllowed, node.span);
    auto resolved = resolve_unicode_class(node.name, node.value,
                                          node.unicode_form == UnicodeClassForm::NamedValue);
    if (!resolved) return fail(resolved.error(), node.span);
    out = **resolved;
    fold_and_negate(out, node.negated);
    return true;
  }

  bool perl_class(const AstNode& node, CodepointSet& out) {
    if (flags_.unicode) {
      // The Unicode Perl classes are closed under case folding already.
      out = node.perl == PerlKind::Digit   ? perl_digit_set()
            : node.perl == PerlKind::Space ? perl_space_set()
                                           : perl_word_set();
      if (node.negated) out.negate();
      return true;
    }
    out = ascii_class_set(node.perl == PerlKind::Digit   ? AsciiKind::Digit
                          : node.perl == PerlKind::Space ? AsciiKind::Space
                                                         : AsciiKind::Word);
    if (node.negated) out.negate();
    return check_ascii(out, node.span);
  }

  // One item of a bracketed class (or a class outside brackets), as a set.
  bool class_item(NodeId id, CodepointSet& out) {
    const AstNode& node = ast_[id];
    switch (node.kind) {
      case AstKind::Empty:
        out = CodepointSet{};
        return true;
      case AstKind::Literal: {
        char32_t c = 0;
        if (!class_literal(node, c)) return false;
        out = CodepointSet::single(c);
        return true;
      }
      case AstKind::ClassRange: {
        char32_t lo = 0;
        char32_t hi = 0;
        if (!class_literal(ast_[node.children[0]], lo)) return false;
        if (!class_literal(ast_[node.children[1]], hi)) return false;
        out = CodepointSet{{lo, hi}};
        return true;
      }
      case AstKind::AsciiClass:
        out = ascii_class_set(node.ascii);
        fold_and_negate(out, node.negated);
        return check_ascii(out, node.span);
      case AstKind::UnicodeClass:
        return unicode_class(node, out);
      case AstKind::PerlClass:
        return perl_class(node, out);
      case AstKind::Bracketed:
        if (!class_item(node.children[0], out)) return false;
        fold_and_negate(out, node.negated);
        return check_ascii(out, node.span);
      case AstKind::ClassUnion: {
        CodepointSetBuilder items;
        for (NodeId child : node.children) {
          CodepointSet item;
          if (!class_item(child, item)) return false;
          items.add(item);
        }
        out = std::move(items).build();
        return true;
      }
      case AstKind::ClassBinaryOp: {
        CodepointSet rhs;
        if (!class_item(node.children[0], out)) return false;
        if (!class_item(node.children[1], rhs)) return false;
        if (flags_.case_insensitive) {
          fold(out);
          fold(rhs);
        }
        switch (node.op) {
          case ClassOp::Intersection:
            out.intersect(rhs);
            break;
          case ClassOp::Difference:
            out.subtract(rhs);
            break;
          case ClassOp::SymmetricDifference:
            out.symmetric_difference(rhs);
            break;
        }
        return true;
      }
      default:
        out = CodepointSet{};
        return true;
    }
  }

  const Ast& ast_;
  Flags flags_;
  std::optional<SyntaxError> error_;
};

}  // namespace

Result<Hir, SyntaxError> translate(const Ast& ast) {
  return Translator(ast).run();
}

}  // namespace tovrin::regex
