#include "tovrin/types/func.hpp"

#include "tovrin/functions.hpp"

namespace tovrin {

namespace {

namespace f = tovrin::functions;

// The built-ins in the order of registration.
constexpr std::pair<std::string_view, f::Builtin> kBuiltins[] = {
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

FunctionTable build_default_vtable() {
  FunctionTable table;
  table.reserve(std::size(kBuiltins));
  for (const auto& [name, fn] : kBuiltins)
    table.insert_or_assign(std::string(name), FnCallback::sync(fn));
  return table;
}

}  // namespace

namespace functions {

Builtin find_builtin(std::string_view name) noexcept {
  for (const auto& [builtin_name, fn] : kBuiltins) {
    if (builtin_name == name) return fn;
  }
  return nullptr;
}

}  // namespace functions

constinit const OnceBuilt<FunctionTable> DEFAULT_VTABLE{&build_default_vtable};

}  // namespace tovrin
