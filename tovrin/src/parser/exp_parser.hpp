#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "parser/combinators.hpp"
#include "tovrin/parser/parse_result.hpp"
#include "tovrin/types/exp.hpp"
#include "tovrin/types/value.hpp"

namespace tovrin::parser::grammar {

// A number, `true`, `false`, `null` or a string literal, without the blanks after it.
ParseResult<Value> parse_literal_value(std::string_view input);

// The expression grammar, run on explicit stacks instead of the call stack, so that no input can
// exhaust the thread's stack and an operator chain of any length costs no recursion.
//
// Every step either finishes at once or starts a child step (an expression inside a bracket, an
// atom inside an expression) and later resumes with the child's outcome. Trees that wait for
// their parent node live on `operands_`; a successful step leaves exactly one tree on top of it,
// a failed one leaves the stack as it found it.
class ExpParser {
 public:
  enum class Start : std::uint8_t { Exp, Atom };

  // The operator levels, loosest first. Or, And and Comparison group to the left; Equality and
  // Inequality take one or two operands.
  enum Level : std::uint8_t { Or, And, Equality, Inequality, Comparison, kLevelCount };

  ExpParser() {
    // Room for everyday expressions, so that the stacks seldom grow.
    frames_.reserve(8);
    operands_.reserve(16);
  }

  ParseResult<Exp> run(std::string_view input, Start start);

 private:
  using MakeNode = Exp (*)(std::unique_ptr<Exp>, std::unique_ptr<Exp>);

  // The next step to start at `at`, or the outcome of a finished one: on success the rest begins
  // at `at` and the step's tree is on top of the stack; on failure `at` is where it failed. Every
  // position lies in the one text, so a pointer names it, and a step fits in two registers.
  struct Step {
    enum class Kind : std::uint8_t { Exp, Atom, Done };
    const char* at;
    Kind kind;
    bool failed = false;
    Severity severity = Severity::Recoverable;
    ErrorKind error = ErrorKind::Char;
  };
  static Step start_exp(std::string_view at) { return {at.data(), Step::Kind::Exp}; }
  static Step start_atom(std::string_view at) { return {at.data(), Step::Kind::Atom}; }
  static Step succeed(std::string_view rest) { return {rest.data(), Step::Kind::Done}; }
  static Step fail(const ParseError& error) {
    return {error.input.data(), Step::Kind::Done, true, error.severity, error.kind};
  }
  static Step fail(ErrorKind kind, std::string_view at) {
    return fail(combinators::recoverable(kind, at));
  }
  static bool fails_hard(Step step) { return step.failed && step.severity == Severity::Hard; }

  // The rest of the text from a position inside it.
  std::string_view rest_from(const char* position) const {
    return std::string_view(position, static_cast<std::size_t>(end_ - position));
  }
  ParseError error_of(Step step) const { return {step.severity, step.error, rest_from(step.at)}; }

  struct LevelState {
    // Left-grouping levels: whether a left tree is on the stack. Equality and Inequality: the
    // operands of the run so far, counted up to 3.
    std::uint8_t operands = 0;
    std::uint8_t pending = 0;  // the index of the operator whose right operand is being read
    std::uint32_t height = 0;  // the operand stack where the awaited operand began
    const char* before_operator = nullptr;  // Equality, Inequality: where the last operator is
  };
  // One full expression: the state of every level, and whether the atom being read has a `!`.
  struct ExpFrame {
    // Each level is set when its first operand starts (start_operand), so nothing is cleared
    // here: clearing every level up front costs more than the rest of a small expression.
    explicit ExpFrame(std::size_t base) : base(base) {}

    std::array<LevelState, kLevelCount> levels;
    bool negate = false;
    std::size_t base;
  };

  enum class Bracket : std::uint8_t { Array, Object, Call, Paren };
  // An atom in brackets, braces or parentheses, waiting for the expressions inside it.
  struct BracketFrame {
    Bracket kind = Bracket::Paren;
    std::string_view atom{};          // where the atom began
    std::string_view name{};          // Call: the function name
    std::string_view first{};         // where the first element began
    std::string_view comma{};         // the rest at the last comma read
    std::size_t base = 0;             // the operand stack when the bracket opened
    std::size_t count = 0;            // elements read
    std::vector<std::string> keys{};  // Object: the keys of the entries read so far
  };

  // Takes one step: starts an expression or an atom, or hands a finished step's outcome to the
  // frame that waits for it.
  Step advance(Step step);
  ParseResult<Exp> result_of(Step outcome);

  // Operator levels (expression.cpp), named after the grammar's rules there.
  Step begin_exp(std::string_view input);
  Step start_operand(ExpFrame& frame, Level level, std::string_view at);
  void clear_levels_inside(ExpFrame& frame, Level level);
  Step settle(ExpFrame& frame, Step outcome);
  template <Level L>
  Step settle_level(ExpFrame& frame, Step operand);
  template <Level L>
  Step settle_chain(ExpFrame& frame, Step operand);
  template <Level L>
  Step settle_pair(ExpFrame& frame, Step operand);
  template <Level L>
  Step end_pair(ExpFrame& frame, Step end);
  template <Level L>
  Step next_operand_or(ExpFrame& frame, Step operand);
  Step finish_exp(ExpFrame& frame, Step outcome);
  void combine(MakeNode make);
  void negate_top();

  // Atoms (atom.cpp).
  Step begin_atom(std::string_view input);
  Step unbracketed_atom(std::string_view input);
  std::optional<BracketFrame> bracket_at(std::string_view input);
  Step open_bracket(BracketFrame frame);
  Step start_element(BracketFrame& frame, std::string_view at);
  Step resume_bracket(BracketFrame& frame, Step outcome);
  Step element_failed(BracketFrame& frame, Step failure);
  Step end_list(BracketFrame& frame, std::string_view rest);
  Step close_array(BracketFrame& frame, std::string_view rest);
  Step close_object(BracketFrame& frame, std::string_view rest);
  Step close_call(BracketFrame& frame, std::string_view rest);
  Step close_bracket(Step outcome);
  Step variable_or_fail(std::string_view input);

  // Puts the tree of a finished atom on the stack; the atom ends after the blanks that follow.
  template <class Payload>
  Step leaf(std::string_view rest, Payload&& payload) {
    operands_.emplace_back(std::forward<Payload>(payload));
    return succeed(combinators::skip_ascii_blanks(rest));
  }

  void truncate(std::size_t height) { operands_.resize(height); }
  Exp pop() {
    Exp tree = std::move(operands_.back());
    operands_.pop_back();
    return tree;
  }
  // The trees from `height` up, taken off the stack as one list.
  ExpList pop_list(std::size_t height) {
    ExpList trees = ExpList::moved_from(std::span<Exp>(operands_).subspan(height));
    truncate(height);
    return trees;
  }
  std::unique_ptr<Exp> pop_child() {
    auto child = std::make_unique<Exp>(std::move(operands_.back()));
    operands_.pop_back();
    return child;
  }

  std::vector<std::variant<ExpFrame, BracketFrame>> frames_;
  std::vector<Exp> operands_;
  int open_brackets_ = 0;
  const char* end_ = nullptr;  // the end of the text being parsed
};

}  // namespace tovrin::parser::grammar
