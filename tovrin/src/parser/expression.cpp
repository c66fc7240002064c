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

std::span<const Operator> operators_of(int level) {
  switch (level) {
    case ExpParser::Or:
      return kOr;
    case ExpParser::And:
      return kAnd;
    case ExpParser::Equality:
      return kEquality;
    case ExpParser::Inequality:
      return kInequality;
    default:
      return kComparisons;
  }
}

// The operator is looked for exactly where the operand ended: operands consume the ASCII
// blanks after them.
const Operator* operator_at(std::string_view input, std::span<const Operator> operators) {
  if (input.empty()) return nullptr;
  for (const auto& op : operators) {
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
    switch (step.kind) {
      case Step::Kind::Exp:
        step = begin_exp(rest_from(step.at));
        break;
      case Step::Kind::Atom:
        step = begin_atom(rest_from(step.at));
        break;
      case Step::Kind::Done:
        if (frames_.empty()) {
          // Success leaves exactly the result on the operand stack; failure leaves nothing.
          if (operands_.size() != (step.failed ? 0u : 1u)) {
            TOVRIN_INTERNAL_FAILURE("expression parser left an unbalanced operand stack");
          }
          if (step.failed) return Err{error_of(step)};
          return Parsed<Exp>{rest_from(step.at), pop()};
        }
        step = resume(step);
        break;
    }
  }
}

ExpParser::Step ExpParser::resume(Step outcome) {
  auto& top = frames_.back();
  if (auto* exp = std::get_if<ExpFrame>(&top)) return settle(*exp, outcome);
  return resume_bracket(std::get<BracketFrame>(top), outcome);
}

ExpParser::Step ExpParser::begin_exp(std::string_view input) {
  const std::string_view at = skip_unicode_whitespace(input).rest;
  auto& frame =
      std::get<ExpFrame>(frames_.emplace_back(std::in_place_type<ExpFrame>, operands_.size()));
  frame.levels[Or] = LevelState{};
  if (combinators::starts_with(at, '!') || bracket_at(at)) return start_operand(frame, Or, at);
  // A lone literal or variable with nothing after it that could begin an operator is the whole
  // expression. Most list elements and call arguments are such, and they need no levels.
  const Step atom = begin_atom(at);
  if (!atom.failed && !may_begin_operator(rest_from(atom.at))) {
    frames_.pop_back();
    return atom;
  }
  clear_levels_inside(frame, Or);
  frame.negate = false;
  return settle(frame, atom);
}

// `level` waits for an operand at `at`; every level inside it starts afresh. Every operand begins
// with an atom, which a `!` may precede.
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

// Hands the outcome of an atom to the comparison level and, as each level completes, its tree to
// the level around it, until some level reads an operator and waits for its next operand.
ExpParser::Step ExpParser::settle(ExpFrame& frame, Step outcome) {
  if (!outcome.failed && frame.negate) negate_top();
  for (int level = Comparison;; --level) {
    LevelState& state = frame.levels[level];
    const std::span<const Operator> operators = operators_of(level);
    const bool run = level == Equality || level == Inequality;
    if (outcome.failed) {
      // A recoverable failure after `==` or `!=` only ends the run, leaving the operator unread.
      // Any other failure is the level's own.
      if (!run || state.operands == 0 || fails_hard(outcome)) {
        if (level == Or) return finish_exp(frame, outcome);
        continue;
      }
      truncate(state.height);
      outcome = succeed(rest_from(state.before_operator));
    } else {
      const std::string_view rest = rest_from(outcome.at);
      if (run) {
        // Operands beyond the second are read only to find where the run ends.
        if (++state.operands > 2) {
          operands_.pop_back();
          state.operands = 3;
        }
      } else {
        if (state.operands != 0) combine(operators[state.pending].make);
        state.operands = 1;
      }
      if (const Operator* op = operator_at(rest, operators)) {
        state.pending = static_cast<std::uint8_t>(op - operators.data());
        state.before_operator = rest.data();
        return start_operand(frame, static_cast<Level>(level),
                             skip_ascii_blanks(rest.substr(op->text.size())));
      }
      if (!run) {
        if (level == Or) return finish_exp(frame, outcome);
        continue;
      }
    }
    // The run is complete: one operand stands for itself, two make a node, more are an error.
    if (state.operands >= 3) {
      outcome = fail(ErrorKind::Count, rest_from(outcome.at));
    } else if (state.operands == 2) {
      combine(operators[state.pending].make);
    }
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
