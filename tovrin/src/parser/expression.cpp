// The expression grammar. The operator levels come loosest first; each reads its operands with
// the level below it. `blanks` are the ASCII blanks (space, TAB, LF, CR): every operator, comma
// and atom consumes those after itself, so an operator is looked for exactly where its left
// operand ended. Only an `exp` begins by skipping Unicode whitespace.
//
//   exp        = unicode_whitespace* and ("||" blanks and)*        Or, grouped to the left
//   and        = equality ("&&" blanks equality)*                 And, grouped to the left
//   equality   = inequality ("==" blanks inequality)*             Eq of at most two operands
//   inequality = comparison ("!=" blanks comparison)*             Neq of at most two operands
//   comparison = not ((">=" | "<=" | ">" | "<") blanks not)*      Geq, Leq, Gt, Lt, to the left
//   not        = "!" blanks atom | atom                           Not
//
//   atom       = literal | array | object | call | variable | paren     the first that matches
//   literal    = (float | integer | "true" | "false" | "null" | string) blanks
//   array      = "[" blanks exp_list "]" blanks
//   object     = "{" blanks (entry ("," blanks entry)*)? "}" blanks
//   entry      = string ":" blanks exp
//   call       = name unicode_whitespace* "(" unicode_whitespace* exp_list ("," blanks)?
//                unicode_whitespace* ")" blanks
//   variable   = accessor blanks
//   paren      = "(" blanks exp ")" blanks
//   exp_list   = (exp ("," blanks exp)*)?
//
// A failed operand after "||", "&&", a comparison or "!" fails the whole expression. A run of
// "==" (or of "!=") operands is read to its end: one operand stands for itself, two make the node,
// three or more fail with `Count`; an operand after the operator that fails recoverably ends the
// run before that operator, which stays in the rest. A list element or object entry that fails
// recoverably ends its list before the comma, and the closing character must then stand there.
// An atom that matches no alternative fails as `paren` does. Brackets, braces and parentheses
// nest at most kMaxNestingDepth deep; one more fails hard with `TooLarge`. Tokens are in
// lexical.cpp and literal.cpp, accessors in accessor.cpp.
//
// ExpParser runs these rules on explicit stacks instead of the call stack (exp_parser.hpp): the
// levels here, the atoms in atom.cpp. An `exp` is a frame that keeps the state of every level.
// Each operand starts as an atom; when the atom's outcome comes back, settle() hands it up the
// levels, comparison first, until a level finds its operator and waits for its next operand, or
// `exp` completes.
#include "tovrin/parser/expression.hpp"

#include <span>
#include <utility>

#include "parser/combinators.hpp"
#include "parser/exp_parser.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/parser/lexical.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::parser {

namespace grammar {

using combinators::skip_ascii_blanks;

namespace {

// Builds the node from children already in place, so that no tree moves more than it must.
template <Exp::Kind K>
Exp node(std::unique_ptr<Exp> left, std::unique_ptr<Exp> right) {
  return Exp(Exp::Binary<K>{std::move(left), std::move(right)});
}

struct Operator {
  std::string_view text;
  Exp (*make)(std::unique_ptr<Exp>, std::unique_ptr<Exp>);
};

// Two-character operators come first so that `>=` is never read as `>` before `= b`.
constexpr Operator kComparisons[] = {{">=", &node<Exp::Kind::Geq>},
                                     {"<=", &node<Exp::Kind::Leq>},
                                     {">", &node<Exp::Kind::Gt>},
                                     {"<", &node<Exp::Kind::Lt>}};
constexpr Operator kInequality[] = {{"!=", &node<Exp::Kind::Neq>}};
constexpr Operator kEquality[] = {{"==", &node<Exp::Kind::Eq>}};
constexpr Operator kAnd[] = {{"&&", &node<Exp::Kind::And>}};
constexpr Operator kOr[] = {{"||", &node<Exp::Kind::Or>}};

// How a level groups its operands: a chain of any length to the left, or a pair at most.
enum class Grouping : std::uint8_t { Chain, Pair };

struct LevelRule {
  std::span<const Operator> operators;
  Grouping grouping;
};

// The levels of the grammar above, in the order of ExpParser::Level.
constexpr LevelRule kLevels[ExpParser::kLevelCount] = {
    {kOr, Grouping::Chain},           // exp
    {kAnd, Grouping::Chain},          // and
    {kEquality, Grouping::Pair},      // equality
    {kInequality, Grouping::Pair},    // inequality
    {kComparisons, Grouping::Chain},  // comparison
};

// The operator of level L, looked for exactly where the operand ended: operands consume the ASCII
// blanks after them.
template <ExpParser::Level L>
const Operator* operator_at(std::string_view input) {
  if (input.empty()) return nullptr;
  for (const auto& op : kLevels[L].operators) {
    // Operators are one or two characters long.
    if (input[0] != op.text[0]) continue;
    if (op.text.size() == 1 || (input.size() > 1 && input[1] == op.text[1])) return &op;
  }
  return nullptr;
}

// Every operator begins with one of these characters.
bool may_begin_operator(std::string_view rest) {
  return !rest.empty() && std::string_view("|&=!<>").find(rest.front()) != std::string_view::npos;
}

}  // namespace

ParseResult<Exp> ExpParser::run(std::string_view input, Start start) {
  end_ = input.data() + input.size();
  Step step = start == Start::Exp ? start_exp(input) : start_atom(input);
  WorkBudget& budget = WorkBudget::current();
  while (true) {
    budget.spend(1);
    if (step.kind == Step::Kind::Done && frames_.empty()) return result_of(step);
    step = advance(step);
  }
}

inline ExpParser::Step ExpParser::advance(Step step) {
  switch (step.kind) {
    case Step::Kind::Exp:
      return begin_exp(rest_from(step.at));
    case Step::Kind::Atom:
      return begin_atom(rest_from(step.at));
    case Step::Kind::Done:
      break;
  }
  auto& waiting = frames_.back();
  if (auto* exp = std::get_if<ExpFrame>(&waiting)) return settle(*exp, step);
  return resume_bracket(std::get<BracketFrame>(waiting), step);
}

ParseResult<Exp> ExpParser::result_of(Step outcome) {
  // Success leaves exactly the result on the operand stack; failure leaves nothing.
  if (operands_.size() != (outcome.failed ? 0u : 1u)) {
    TOVRIN_INTERNAL_FAILURE("expression parser left an unbalanced operand stack");
  }
  if (outcome.failed) return Err{error_of(outcome)};
  return Parsed<Exp>{rest_from(outcome.at), pop()};
}

// exp: the Unicode whitespace, then the first operand of every level at once.
ExpParser::Step ExpParser::begin_exp(std::string_view input) {
  const std::string_view at = skip_unicode_whitespace(input).rest;
  auto& frame =
      std::get<ExpFrame>(frames_.emplace_back(std::in_place_type<ExpFrame>, operands_.size()));
  frame.levels[Or] = LevelState{};
  if (combinators::starts_with(at, '!')) return start_operand(frame, Or, at);
  if (auto bracket = bracket_at(at)) {
    clear_levels_inside(frame, Or);
    return open_bracket(std::move(*bracket));
  }
  // A lone literal or variable with nothing after it that could begin an operator is the whole
  // expression. Most list elements and call arguments are such, and they need no levels.
  const Step atom = unbracketed_atom(at);
  if (!atom.failed && !may_begin_operator(rest_from(atom.at))) {
    frames_.pop_back();
    return atom;
  }
  clear_levels_inside(frame, Or);
  return settle(frame, atom);
}

// `level` waits for an operand at `at`; every level inside it starts afresh. Every operand begins
// with `not`: an atom, which a `!` may precede.
ExpParser::Step ExpParser::start_operand(ExpFrame& frame, Level level, std::string_view at) {
  clear_levels_inside(frame, level);
  frame.negate = combinators::starts_with(at, '!');
  if (frame.negate) at = skip_ascii_blanks(at.substr(1));
  return start_atom(at);
}

void ExpParser::clear_levels_inside(ExpFrame& frame, Level level) {
  frame.levels[level].height = static_cast<std::uint32_t>(operands_.size());
  for (int inner = level + 1; inner < kLevelCount; ++inner)
    frame.levels[inner] = LevelState{};
}

// Hands the outcome of an atom (negated where the operand began with `!`) to the comparison
// level. From there each level that completes hands its own outcome to the level around it, until
// a level reads its operator and waits for its next operand, or `exp` completes.
ExpParser::Step ExpParser::settle(ExpFrame& frame, Step outcome) {
  if (!outcome.failed && frame.negate) negate_top();
  return settle_level<Comparison>(frame, outcome);
}

template <ExpParser::Level L>
ExpParser::Step ExpParser::settle_level(ExpFrame& frame, Step operand) {
  const Step outcome = kLevels[L].grouping == Grouping::Chain ? settle_chain<L>(frame, operand)
                                                              : settle_pair<L>(frame, operand);
  if (outcome.kind != Step::Kind::Done) return outcome;  // the level waits for an operand
  if constexpr (L == Or) {
    return finish_exp(frame, outcome);
  } else {
    return settle_level<static_cast<Level>(L - 1)>(frame, outcome);
  }
}

// exp, and, comparison: each further operand becomes the right child of a node whose left child
// is the tree so far. The failure of an operand is the level's own.
template <ExpParser::Level L>
ExpParser::Step ExpParser::settle_chain(ExpFrame& frame, Step operand) {
  if (operand.failed) return operand;
  LevelState& state = frame.levels[L];
  if (state.operands != 0) combine(kLevels[L].operators[state.pending].make);
  state.operands = 1;
  return next_operand_or<L>(frame, operand);
}

// equality, inequality: the run of operands is read to its end, then end_pair() decides. An
// operand after the operator that fails recoverably ends the run before that operator; any other
// failure is the level's own.
template <ExpParser::Level L>
ExpParser::Step ExpParser::settle_pair(ExpFrame& frame, Step operand) {
  LevelState& state = frame.levels[L];
  if (operand.failed) {
    if (state.operands == 0 || fails_hard(operand)) return operand;
    truncate(state.height);
    return end_pair<L>(frame, succeed(rest_from(state.before_operator)));
  }
  // Operands beyond the second are read only to find where the run ends.
  if (++state.operands > 2) {
    operands_.pop_back();
    state.operands = 3;
  }
  return next_operand_or<L>(frame, operand);
}

// One operand stands for itself, two make the node, more are an error.
template <ExpParser::Level L>
ExpParser::Step ExpParser::end_pair(ExpFrame& frame, Step end) {
  const LevelState& state = frame.levels[L];
  if (state.operands >= 3) return fail(ErrorKind::Count, rest_from(end.at));
  if (state.operands == 2) combine(kLevels[L].operators[state.pending].make);
  return end;
}

// Where the level's operator follows the operand just read, the level waits for its next operand
// after the operator and its blanks. Otherwise the level is complete: a chain as it stands, a
// pair through end_pair().
template <ExpParser::Level L>
ExpParser::Step ExpParser::next_operand_or(ExpFrame& frame, Step operand) {
  const std::string_view rest = rest_from(operand.at);
  if (const Operator* op = operator_at<L>(rest)) {
    LevelState& state = frame.levels[L];
    state.pending = static_cast<std::uint8_t>(op - kLevels[L].operators.data());
    state.before_operator = rest.data();
    return start_operand(frame, L, skip_ascii_blanks(rest.substr(op->text.size())));
  }
  if constexpr (kLevels[L].grouping == Grouping::Pair) {
    return end_pair<L>(frame, operand);
  } else {
    return operand;
  }
}

ExpParser::Step ExpParser::finish_exp(ExpFrame& frame, Step outcome) {
  if (outcome.failed) truncate(frame.base);
  frames_.pop_back();
  return outcome;
}

void ExpParser::combine(MakeNode make) {
  auto right = pop_child();
  auto left = pop_child();
  operands_.push_back(make(std::move(left), std::move(right)));
}

void ExpParser::negate_top() {
  auto child = pop_child();
  operands_.emplace_back(Exp::Not{std::move(child)});
}

}  // namespace grammar

ParseResult<Exp> parse_exp(std::string_view input) {
  return grammar::ExpParser().run(input, grammar::ExpParser::Start::Exp);
}

ParseResult<Exp> parse_atom(std::string_view input) {
  return grammar::ExpParser().run(input, grammar::ExpParser::Start::Atom);
}

Result<Exp, ParseError> parse_whole_exp(std::string_view text) {
  auto parsed = parse_exp(text);
  if (!parsed) return Err{parsed.error()};
  // Whitespace may stand on either end; anything else after the expression is left over.
  if (!skip_unicode_whitespace(parsed->rest).rest.empty()) {
    return Err{combinators::recoverable(ErrorKind::Eof, parsed->rest)};
  }
  return std::move(parsed->value);
}

}  // namespace tovrin::parser
