#include <optional>
#include <type_traits>
#include <utility>

#include "interpreter/operators.hpp"
#include "interpreter/task.hpp"
#include "tovrin/internal_failure.hpp"
#include "tovrin/interpreter.hpp"
#include "tovrin/utils/inline_stack.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::interpreter {

namespace {

using Entry = MaybeOwned<Value>;

// A value that a container or a call may keep: an owned entry is moved. A borrowed entry is a
// literal of the tree, which outlives the evaluation, so its copy may keep borrowing the
// literal's text instead of duplicating it.
Value take_value(Entry& entry) {
  if (!entry.is_borrowed()) return std::move(entry).into_owned();
  const Value& literal = entry.get();
  if (literal.kind() == Value::Kind::String) return Value::borrowed_string(literal.string_view());
  return literal;
}

const Exp* operand(const std::unique_ptr<Exp>& child) {
  if (!child) TOVRIN_INTERNAL_FAILURE("Expression node without operand");
  return child.get();
}

// The state of one evaluation: the work stack, the value stack and the key stack, plus a buffer
// for call arguments. All of them start inside the object, so small expressions allocate only
// for the values they make.
class Machine {
 public:
  Machine(const FunctionTable& functions, const VariableReader& read)
      : functions_(functions),
        builtins_only_(DEFAULT_VTABLE.if_built() == &functions),
        read_(read) {}

  EvalResult run(const Exp& root) {
    work_.push(task::Evaluate{&root});
    while (!work_.empty()) {
      const Task task = work_.pop();
      if (!std::visit([this](const auto& t) { return apply(t); }, task)) {
        return Err{std::move(*error_)};
      }
    }
    if (values_.empty()) return Err{EvalError::ValueError{"No value on stack after evaluation"}};
    return values_.pop();
  }

 private:
  bool fail(EvalError error) {
    error_.emplace(std::move(error));
    return false;
  }

  void require_values(std::size_t count) const {
    if (values_.size() < count) TOVRIN_INTERNAL_FAILURE("Value stack underflow");
  }
  Entry& top_value() {
    require_values(1);
    return values_.top();
  }
  // Puts `value` in place of the top entry.
  void replace_top(Value&& value) {
    Entry& top = top_value();
    if (Value* owned = top.owned_ptr()) {
      *owned = std::move(value);
    } else {
      std::destroy_at(&top);
      std::construct_at(&top, std::in_place, std::move(value));
    }
  }

  bool apply(const task::PushKey& t) {
    keys_.push(t.key);
    return true;
  }

  bool apply(const task::Evaluate& t) { return evaluate(t.node); }

  // Evaluates a node by pushing its value, or the tasks that will compute it. The task that
  // would be pushed last, and so run next, is run at once instead: the loop continues with that
  // node, which saves a trip through the work stack and changes nothing in the order.
  bool evaluate(const Exp* node) {
    while (true) {
      budget_.spend(1);
      switch (node->kind()) {
        case Exp::Kind::Literal:
          values_.push(Entry::borrowed(node->get_if<Exp::Literal>()->value));
          return true;
        case Exp::Kind::Var:
          values_.emplace(std::in_place, read_.read(node->get_if<Exp::Var>()->access, error_));
          return !error_;
        case Exp::Kind::Call: {
          const auto& item = node->get_if<Exp::Call>()->item;
          work_.push(task::ApplyCall{&item});
          // The first argument runs first; the lookup waits for all of them.
          if (item.args.empty()) return true;
          for (auto arg = item.args.rbegin(); arg + 1 != item.args.rend(); ++arg)
            work_.push(task::Evaluate{&*arg});
          node = &item.args.front();
          continue;
        }
        case Exp::Kind::Not:
          work_.push(task::ApplyNot{});
          node = operand(node->get_if<Exp::Not>()->child);
          continue;
        case Exp::Kind::Or:
          node = schedule_left_operand<Exp::Or, task::ApplyOr>(*node);
          continue;
        case Exp::Kind::And:
          node = schedule_left_operand<Exp::And, task::ApplyAnd>(*node);
          continue;
        case Exp::Kind::Eq:
          node = schedule_operands<Exp::Eq>(*node, task::ApplyEq{});
          continue;
        case Exp::Kind::Neq:
          node = schedule_operands<Exp::Neq>(*node, task::ApplyNeq{});
          continue;
        case Exp::Kind::Gt:
          node = schedule_operands<Exp::Gt>(*node, task::ApplyCompare{CompareOp::Greater});
          continue;
        case Exp::Kind::Lt:
          node = schedule_operands<Exp::Lt>(*node, task::ApplyCompare{CompareOp::Less});
          continue;
        case Exp::Kind::Geq:
          node = schedule_operands<Exp::Geq>(*node, task::ApplyCompare{CompareOp::GreaterEq});
          continue;
        case Exp::Kind::Leq:
          node = schedule_operands<Exp::Leq>(*node, task::ApplyCompare{CompareOp::LessEq});
          continue;
        case Exp::Kind::ArrayLit: {
          const auto& elements = node->get_if<Exp::ArrayLit>()->elements;
          work_.push(task::BuildArray{elements.size()});
          // The last element runs first and the first element last.
          if (elements.empty()) return true;
          for (auto element = elements.begin(); element + 1 != elements.end(); ++element)
            work_.push(task::Evaluate{&*element});
          node = &elements.back();
          continue;
        }
        case Exp::Kind::ObjectLit: {
          const auto& entries = node->get_if<Exp::ObjectLit>()->entries;
          work_.push(task::BuildObject{entries.size()});
          // The entries run in descending key order, each key pushed just before its value
          // runs, so the smallest key and its value end up on top of the key and value stacks.
          if (entries.empty()) return true;
          auto last = entries.end() - 1;
          for (auto entry = entries.begin(); entry != last; ++entry) {
            work_.push(task::Evaluate{&entry->second});
            work_.push(task::PushKey{&entry->first});
          }
          keys_.push(&last->first);
          node = &last->second;
          continue;
        }
      }
      TOVRIN_INTERNAL_FAILURE("Unknown expression node");
    }
  }

  // Schedules the operator and the right operand; returns the left operand, which runs first.
  template <class Binary>
  const Exp* schedule_operands(const Exp& node, Task apply) {
    const auto& binary = *node.get_if<Binary>();
    work_.push(apply);
    work_.push(task::Evaluate{operand(binary.right)});
    return operand(binary.left);
  }

  // Schedules the decision only: it chooses whether the right operand runs at all. Returns the
  // left operand.
  template <class Binary, class Apply>
  const Exp* schedule_left_operand(const Exp& node) {
    const auto& binary = *node.get_if<Binary>();
    work_.push(Apply{operand(binary.right)});
    return operand(binary.left);
  }

  bool apply(const task::ApplyNot&) {
    replace_top(Value::Bool(!truthy(top_value().get())));
    return true;
  }

  // `||` passes a truthy left value through untouched, of whatever kind and however held.
  bool apply(const task::ApplyOr& t) {
    if (truthy(top_value().get())) return true;
    values_.drop(1);
    return evaluate(t.right);
  }

  // `&&` yields false itself for every falsy left value.
  bool apply(const task::ApplyAnd& t) {
    if (!truthy(top_value().get())) {
      replace_top(Value::Bool(false));
      return true;
    }
    values_.drop(1);
    return evaluate(t.right);
  }

  bool apply(const task::ApplyEq&) { return apply_equality(true); }
  bool apply(const task::ApplyNeq&) { return apply_equality(false); }
  bool apply_equality(bool equal) {
    require_values(2);
    const auto operands = values_.top_entries(2);
    const bool result = (operands[0].get() == operands[1].get()) == equal;
    values_.drop(1);
    replace_top(Value::Bool(result));
    return true;
  }

  bool apply(const task::ApplyCompare& t) {
    require_values(2);
    const auto operands = values_.top_entries(2);
    auto result = compare(t.op, operands[0].get(), operands[1].get());
    if (!result) return fail(std::move(result).error());
    values_.drop(1);
    replace_top(Value::Bool(*result));
    return true;
  }

  bool apply(const task::ApplyCall& t) {
    const FunctionItem& call = *t.call;
    // Looked up only now, after every argument evaluated without error. The default table holds
    // exactly the built-ins, each found once when the call was made.
    if (builtins_only_) {
      if (call.builtin == nullptr) return fail(EvalError::UndefinedFunction{call.name.str()});
      return call_function(call, *call.builtin);
    }
    auto found = functions_.find(call.name);
    if (found == functions_.end()) return fail(EvalError::UndefinedFunction{call.name.str()});
    const auto* sync = found->second.as_sync();
    if (sync == nullptr) {
      require_values(call.args.size());
      values_.drop(call.args.size());
      return fail(
          EvalError::FunctionCall{FnCallError(call.name.str(), EvalError::AsyncInSyncContext{})});
    }
    return call_function(call, *sync->fn);
  }

  // Calls `fn` with the argument values on top of the value stack and pushes its result, which
  // is made to own all its text (the built-ins' results do already).
  template <class Fn>
  bool call_function(const FunctionItem& call, const Fn& fn) {
    const std::size_t count = call.args.size();
    require_values(count);
    for (Entry& entry : values_.top_entries(count))
      args_.push(take_value(entry));
    values_.drop(count);
    FnResult result = fn(FnArgs(args_.top_entries(args_.size())));
    args_.clear();
    if (!result) {
      return fail(EvalError::FunctionCall{FnCallError(call.name.str(), std::move(result).error())});
    }
    if constexpr (std::is_function_v<Fn>) {  // a built-in
      values_.emplace(std::in_place, std::move(*result));
    } else {
      values_.emplace(std::in_place, std::move(*result).into_owned());
    }
    return true;
  }

  bool apply(const task::BuildArray& t) {
    require_values(t.count);
    tovrin::Array elements;
    elements.reserve(t.count);
    // The first element was evaluated last, so it is on top.
    auto entries = values_.top_entries(t.count);
    for (auto entry = entries.rbegin(); entry != entries.rend(); ++entry)
      elements.push_back(take_value(*entry));
    values_.drop(t.count);
    values_.emplace(std::in_place, Value::Array(std::move(elements)));
    return true;
  }

  bool apply(const task::BuildObject& t) {
    tovrin::Object object;
    object.reserve(t.count);
    for (std::size_t i = 0; i < t.count; ++i) {
      if (keys_.empty()) TOVRIN_INTERNAL_FAILURE("Object key stack underflow");
      const std::string* key = keys_.pop();
      Value value = take_value(top_value());
      values_.drop(1);
      object.insert_or_assign(std::string_view(*key), std::move(value));
    }
    values_.emplace(std::in_place, Value::Object(std::move(object)));
    return true;
  }

  const FunctionTable& functions_;
  const bool builtins_only_;
  const VariableReader& read_;
  std::optional<EvalError> error_;
  // Every node evaluated spends a unit, so that a long evaluation can be stopped: every task
  // comes from evaluating a node, and the work of calls and comparisons, which grows with their
  // values, is spent by the functions and the value comparison themselves.
  WorkBudget& budget_ = WorkBudget::current();

  InlineStack<Task, 64> work_;
  InlineStack<Entry, 32> values_;
  InlineStack<const std::string*, 16> keys_;
  InlineStack<Value, 8> args_;
};

}  // namespace

EvalResult eval_reading(const Exp& root, const FunctionTable& functions,
                        const VariableReader& read) {
  Machine machine(functions, read);
  return machine.run(root);
}

}  // namespace tovrin::interpreter
