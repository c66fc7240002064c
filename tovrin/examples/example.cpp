// Builds a few values and expression trees with the engine and prints what it knows about them.
#include <iostream>

#include "tovrin/errors.hpp"
#include "tovrin/types/exp.hpp"

using tovrin::Exp;
using tovrin::Value;

int main() {
  const Value user = Value::Object(tovrin::Object::from_entries({
      {"name", Value::owned_string("Ada")},
      {"age", Value::Int(36)},
      {"tags", Value::Array({Value::owned_string("math"), Value::owned_string("caf\u00e9")})},
      {"score", Value::Float(1e16)},
  }));
  std::cout << "value:  " << user.debug() << '\n';
  std::cout << "truthy: " << std::boolalpha << tovrin::truthy(user) << '\n';

  auto age_check = [] {
    return Exp::geq(Exp(Exp::Var{tovrin::VarAccess({{"user", {}}, {"age", {}}})}),
                    Exp::literal(Value::Int(18)));
  };
  const Exp first = age_check();
  const Exp second = age_check();
  std::cout << "equal trees: " << (first == second) << '\n';
  std::cout << "error text:  "
            << tovrin::EvalError(tovrin::EvalError::TypeError{
                                     "Cannot compare values of different types: int and string"})
                   .to_string()
            << '\n';
  return 0;
}
