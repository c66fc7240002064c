#include "interpreter/eval_fixture.hpp"

namespace tovrin::testing {

EvalTest::EvalTest() {
  const auto add = [this](const char* name, auto fn) {
    functions_.insert_or_assign(name, FnCallback::sync(std::move(fn)));
  };
  add("count",
      [](FnArgs args) -> FnResult { return Value::Int(static_cast<std::int64_t>(args.size())); });
  add("one", [](FnArgs args) -> FnResult {
    if (args.size() != 1) return Err{EvalError::ArgumentError{1, args.size()}};
    return args.front();
  });
  add("echo", [](FnArgs args) -> FnResult { return Value::Array({args.begin(), args.end()}); });
  add("boom", [](FnArgs) -> FnResult { return Err{EvalError::Custom{"boom"}}; });
  functions_.insert_or_assign(
      "later", FnCallback::Async{std::make_shared<const AsyncFn::element_type>(
                   [this](FnArgs, std::function<void(FnResult)>) { async_called = true; })});
}

void EvalTest::bind(std::string name, std::string_view json_text) {
  bindings_.emplace_back(std::move(name), json(json_text));
}

Env<HostValue> EvalTest::env() const {
  EnvBuilder<HostValue> builder;
  std::vector<std::pair<std::string, HostValue>> copies;
  for (const auto& [name, value] : bindings_)
    copies.emplace_back(name, value.clone());
  builder.bind_multiple(std::move(copies));
  if (!use_builtins_) builder.with_functions(MaybeOwned<FunctionTable>::borrowed(functions_));
  return std::move(builder).build();
}

interpreter::EvalResult EvalTest::eval(const Exp& exp) const {
  envs_.push_back(env());
  return interpreter::eval(exp, envs_.back());
}

std::string EvalTest::outcome(const Exp& exp) const {
  auto result = eval(exp);
  if (!result) return result.error().to_string();
  return result->get().debug();
}

}  // namespace tovrin::testing
