#include "tovrin/types/func.hpp"

#include "tovrin/functions.hpp"

namespace tovrin {

namespace {

FunctionTable build_default_vtable() {
  namespace f = tovrin::functions;
  const std::pair<const char*, f::BuiltinResult (*)(f::Args)> builtins[] = {
      {"matches", f::matches},
      {"len", f::len},
      {"startsWith", f::starts_with},
      {"endsWith", f::ends_with},
      {"contains", f::contains},
      {"bool", f::to_bool},
      {"string", f::to_string},
      {"int", f::into_int},
      {"float", f::into_float},
      {"base64Encode", f::base64_encode},
      {"base64Decode", f::base64_decode},
      {"replace", f::replace},
      {"format", f::format},
      {"join", f::join},
      {"split", f::split},
  };
  FunctionTable table;
  table.reserve(std::size(builtins));
  for (const auto& [name, fn] : builtins)
    table.insert_or_assign(name, FnCallback::sync(fn));
  return table;
}

}  // namespace

constinit const OnceBuilt<FunctionTable> DEFAULT_VTABLE{&build_default_vtable};

}  // namespace tovrin
