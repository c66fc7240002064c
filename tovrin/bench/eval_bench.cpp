// Evaluation of representative expressions over bound host values, once against a prepared
// environment and once with the engine's part of an embedder's per-call work around it (binding
// the variables, building the environment, making the result owned).
#include <benchmark/benchmark.h>

#include <string>
#include <utility>
#include <vector>

#include "support/host_value.hpp"
#include "tovrin/interpreter.hpp"

namespace tovrin {
namespace {

using testing::HostValue;

Exp lit(Value v) {
  return Exp::literal(std::move(v));
}
Exp str(const char* text) {
  return lit(Value::owned_string(text));
}
Exp var(std::vector<VarName> names) {
  return Exp(Exp::Var{VarAccess(std::move(names))});
}
VarName seg(const char* name, std::optional<Index> index = std::nullopt) {
  return VarName{name, index};
}
template <Exp::Kind K>
Exp bin(Exp l, Exp r) {
  return Exp::binary<K>(std::move(l), std::move(r));
}
Exp call(const char* name, std::vector<Exp> args) {
  return Exp(Exp::Call{FunctionItem(name, std::move(args))});
}

std::vector<std::pair<std::string, HostValue>> bindings() {
  std::vector<std::pair<std::string, HostValue>> out;
  out.emplace_back(
      "user",
      HostValue::Object(
          {{"name", HostValue::String("Alexandra Example")},
           {"age", HostValue::UInt(42)},
           {"country", HostValue::String("NL")},
           {"tags", HostValue::Array({HostValue::String("admin"), HostValue::String("beta")})}}));
  out.emplace_back("limit", HostValue::UInt(10));
  return out;
}

// 1 < 2 && 'a' == 'a'
Exp literals_only() {
  return bin<Exp::Kind::And>(Exp::lt(lit(Value::Int(1)), lit(Value::Int(2))),
                             bin<Exp::Kind::Eq>(str("a"), str("a")));
}

// user.age >= 18 && user.country == 'NL' || user.tags[1] == 'beta'
Exp variables() {
  return bin<Exp::Kind::Or>(
      bin<Exp::Kind::And>(Exp::geq(var({seg("user"), seg("age")}), lit(Value::Int(18))),
                          bin<Exp::Kind::Eq>(var({seg("user"), seg("country")}), str("NL"))),
      bin<Exp::Kind::Eq>(var({seg("user"), seg("tags", 1)}), str("beta")));
}

// startsWith(user.name, 'Alex') && len(user.tags) < limit
Exp calls() {
  std::vector<Exp> starts;
  starts.push_back(var({seg("user"), seg("name")}));
  starts.push_back(str("Alex"));
  std::vector<Exp> length;
  length.push_back(var({seg("user"), seg("tags")}));
  return bin<Exp::Kind::And>(call("startsWith", std::move(starts)),
                             Exp::lt(call("len", std::move(length)), var({seg("limit")})));
}

// {'name': user.name, 'tags': [user.tags[0], 'x'], 'adult': user.age > 17}
Exp containers() {
  std::vector<std::pair<std::string, Exp>> entries;
  entries.emplace_back("name", var({seg("user"), seg("name")}));
  std::vector<Exp> tags;
  tags.push_back(var({seg("user"), seg("tags", 0)}));
  tags.push_back(str("x"));
  entries.emplace_back("tags", Exp(Exp::ArrayLit{std::move(tags)}));
  entries.emplace_back("adult", Exp::gt(var({seg("user"), seg("age")}), lit(Value::Int(17))));
  return Exp(Exp::ObjectLit{SortedMap<Exp>::from_entries(std::move(entries))});
}

void eval_prepared(benchmark::State& state, Exp (*make)()) {
  const Exp exp = make();
  EnvBuilder<HostValue> builder;
  builder.bind_multiple(bindings());
  const auto env = builder.build();
  for (auto _ : state) {
    auto result = interpreter::eval(exp, env);
    if (!result) state.SkipWithError(result.error().to_string().c_str());
    benchmark::DoNotOptimize(result);
  }
}

// What one evaluation of an embedder does besides converting its own values.
void eval_call_sequence(benchmark::State& state, Exp (*make)()) {
  const Exp exp = make();
  const auto prepared = bindings();
  for (auto _ : state) {
    std::vector<std::pair<std::string, HostValue>> bound;
    bound.reserve(prepared.size());
    for (const auto& [name, value] : prepared)
      bound.emplace_back(name, value.clone());
    EnvBuilder<HostValue> builder;
    builder.bind_multiple(std::move(bound));
    const auto env = std::move(builder).build();
    auto result = interpreter::eval(exp, env);
    if (!result) {
      state.SkipWithError(result.error().to_string().c_str());
      break;
    }
    auto out = std::move(*result).into_owned();
    benchmark::DoNotOptimize(out);
  }
}

// A left-leaning chain of `&&` over one variable, n operands deep.
void eval_deep_chain(benchmark::State& state) {
  const auto n = static_cast<int>(state.range(0));
  Exp chain = var({seg("limit")});
  for (int i = 1; i < n; ++i)
    chain = bin<Exp::Kind::And>(std::move(chain), var({seg("limit")}));
  EnvBuilder<HostValue> builder;
  builder.bind_multiple(bindings());
  const auto env = builder.build();
  for (auto _ : state) {
    auto result = interpreter::eval(chain, env);
    benchmark::DoNotOptimize(result);
  }
  state.SetItemsProcessed(state.iterations() * n);
}

BENCHMARK_CAPTURE(eval_prepared, literals_only, literals_only);
BENCHMARK_CAPTURE(eval_prepared, variables, variables);
BENCHMARK_CAPTURE(eval_prepared, calls, calls);
BENCHMARK_CAPTURE(eval_prepared, containers, containers);
BENCHMARK_CAPTURE(eval_call_sequence, variables, variables);
BENCHMARK_CAPTURE(eval_call_sequence, calls, calls);
BENCHMARK_CAPTURE(eval_call_sequence, containers, containers);
BENCHMARK(eval_deep_chain)->Arg(1000)->Arg(1000000);

}  // namespace
}  // namespace tovrin

BENCHMARK_MAIN();
