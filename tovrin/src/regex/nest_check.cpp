#include "nest_check.hpp"

namespace tovrin::regex {

namespace {

bool adds_level(AstKind kind) {
  switch (kind) {
    case AstKind::Bracketed:
    case AstKind::Repetition:
    case AstKind::Group:
    case AstKind::Alternation:
    case AstKind::Concat:
    case AstKind::ClassUnion:
    case AstKind::ClassBinaryOp:
      return true;
    default:
      return false;
  }
}

class NestChecker {
 public:
  NestChecker(const Ast& ast, std::uint32_t limit) : ast_(ast), limit_(limit) {}

  std::optional<SyntaxError> visit(NodeId id, std::uint32_t depth) {
    const AstNode& node = ast_[id];
    if (!adds_level(node.kind)) return std::nullopt;
    if (depth + 1 > limit_) return SyntaxError{ErrorKind::NestLimitExceeded, node.span, {}};
    for (NodeId child : node.children) {
      if (auto error = visit(child, depth + 1)) return error;
    }
    return std::nullopt;
  }

 private:
  const Ast& ast_;
  std::uint32_t limit_;
};

}  // namespace

std::optional<SyntaxError> check_nest_limit(const Ast& ast, std::uint32_t limit) {
  return NestChecker(ast, limit).visit(ast.root, 0);
}

}  // namespace tovrin::regex
