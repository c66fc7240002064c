#include "py_types/var.hpp"

#include <span>
#include <utility>

#include "capi/arguments.hpp"
#include "capi/boundary.hpp"
#include "capi/heap_type.hpp"
#include "capi/native_object.hpp"
#include "capi/type_slots.hpp"
#include "convert_in.hpp"
#include "convert_out.hpp"
#include "errors.hpp"
#include "in_place/attempt.hpp"
#include "in_place/reading.hpp"
#include "py_types/jsonobj.hpp"
#include "tovrin/parser/accessor.hpp"
#include "tovrin/types/env.hpp"
#include "tovrin/types/var_walk.hpp"
#include "tovrin/utils/siphash.hpp"

namespace tovrin::py {

namespace {

using capi::Ref;
using VarAccessObject = capi::NativeObject<PyVarAccess>;

constexpr const char* kClassDoc = "VarAccess(accessor, /)\n--\n\n";
constexpr const char* kAccessDoc =
    "access($self, value, /)\n--\n\nAccess the variable specified by this `PyVarAccess` from the "
    "given JSON value.\n\n# Arguments\n\n- `value`: The JSON value from which to access the "
    "variable specified by this `PyVarAccess`.\n\n# Returns\n\n- A `PyJsonValue` representing "
    "the value accessed from the provided JSON value according to the variable access specified "
    "by this `PyVarAccess`.\n\n# Errors\n\n- If there is an error during the variable access "
    "(e.g., variable not found, type mismatch), a `ValueError` will be raised with a message "
    "describing the error.";
constexpr const char* kReplaceDoc =
    "replace($self, value, replacement, /)\n--\n\nReplace the variable specified by this "
    "`PyVarAccess` in the given JSON value with a new value.\n\n# Arguments\n\n- `value`: The "
    "JSON value in which to replace the variable specified by this `PyVarAccess`.\n- "
    "`replacement`: The new value to replace the variable with.\n\n# Returns\n\nThe updated "
    "mapping after the replacement has been made, represented as a `PyJsonValue`.\n\n# "
    "Errors\n\nIf the variable access failed, a `ValueError` will be raised with a message "
    "describing the error.";
constexpr const char* kAccessFromBindingsDoc =
    "access_from_bindings($self, bindings, /)\n--\n\nAccess the variable specified by this "
    "`PyVarAccess` from the given variable bindings.\n\n# Arguments\n\n- `bindings`: A mapping "
    "containing variable bindings, where keys are variable names and values are their "
    "corresponding JSON values.\n\n# Returns\n\n- A `PyJsonValue` representing the value "
    "accessed from the provided variable bindings according to the variable access specified "
    "by this `PyVarAccess`.\n\n# Errors\n\n- If there is an error during the variable access "
    "(e.g., variable not found, type mismatch), a `ValueError` will be raised with a message "
    "describing the error.";

constexpr const char* kNewParameters[] = {"accessor"};
constexpr capi::FunctionDescription kNew{"VarAccess", "__new__", kNewParameters, 1};
constexpr const char* kAccessParameters[] = {"value"};
constexpr capi::FunctionDescription kAccess{"VarAccess", "access", kAccessParameters, 1};
constexpr const char* kReplaceParameters[] = {"value", "replacement"};
constexpr capi::FunctionDescription kReplace{"VarAccess", "replace", kReplaceParameters, 2};
constexpr const char* kAccessFromBindingsParameters[] = {"bindings"};
constexpr capi::FunctionDescription kAccessFromBindings{"VarAccess", "access_from_bindings",
                                                        kAccessFromBindingsParameters, 1};

// The walks lend out the part they find, read-only. Every value they walk here belongs to the
// call and is dropped right after it, so the part is moved out instead of copied.
PyJsonValue take(const PyJsonValue& part_of_owned_value) {
  return std::move(const_cast<PyJsonValue&>(part_of_owned_value));
}

// The part of `whole` that the accessor names, every segment (the first included) being a key.
Result<PyJsonValue, VarAccessError> part_of(const VarAccess& accessor, PyJsonValue whole) {
  auto found = VarAccess::access_names(std::span<const VarName>(accessor.names()), whole, false);
  if (!found) return Err{std::move(found).error()};
  return take(**found);
}

// `whole` with the part that the accessor names replaced; a replaced entry keeps its place.
Result<PyJsonValue, VarAccessError> replaced(const VarAccess& accessor, PyJsonValue whole,
                                             PyJsonValue replacement) {
  auto status = accessor.replace_in(whole, std::move(replacement));
  if (!status) return Err{std::move(status).error()};
  return whole;
}

// The part that the accessor names, its first segment naming a variable of an environment
// built as evaluation builds it (which also builds the built-in function table).
Result<PyJsonValue, VarAccessError> part_of_bindings(const VarAccess& accessor,
                                                     BoundValues bindings) {
  EnvBuilder<PyJsonValue> builder;
  builder.bind_multiple(std::move(bindings));
  Env<PyJsonValue> env = std::move(builder).build();  // not const: the part found is moved out
  auto found = accessor.access_from_bindings(env);
  if (!found) return Err{std::move(found).error()};
  return take(found->get());
}

// A failed walk reaches Python as the error that the same walk inside an expression gives.
PyObject* result_to_python(Result<PyJsonValue, VarAccessError> result) {
  if (!result) {
    raise(PyTovrinError(EvalError::VariableAccess{std::move(result).error()}));
    return nullptr;
  }
  return json_to_python(std::move(*result)).release();
}

const VarAccess& accessor_of(PyObject* self) {
  return VarAccessObject::of(self).inner;
}

PyObject* var_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return capi::guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    PyObject* arguments[1];
    if (!capi::sort_arguments(kNew, args, kwargs, arguments)) return nullptr;
    auto text = capi::str_argument(arguments[0], "accessor");
    if (!text) return nullptr;
    // Nothing may follow the accessor, not even a blank.
    auto accessor = parser::parse_whole_variable_name(*text);
    if (!accessor) {
      const parser::ParseError& error = accessor.error();
      capi::raise(PyExc_ValueError, parse_failure_message(error.kind, error.input));
      return nullptr;
    }
    Ref object = VarAccessObject::create(type, PyVarAccess{std::move(*accessor), {}});
    if (object) {
      // Found by the accessor's address, which is final only now.
      PyVarAccess& created = VarAccessObject::of(object.get());
      created.keys = SegmentKeys::of_accessor(created.inner);
    }
    return object.release();
  });
}

PyObject* var_access(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return capi::guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    PyObject* arguments[1];
    if (!capi::sort_arguments(kAccess, args, nargs, kwnames, arguments)) return nullptr;
    const PyVarAccess& native = VarAccessObject::of(self);
    if (auto part = attempt_in_place(
            [&] { return part_in_place(native.inner, native.keys, arguments[0]); })) {
      return json_to_python(std::move(*part)).release();
    }
    auto value = json_argument(arguments[0], "value");
    if (!value) return nullptr;
    return result_to_python(part_of(accessor_of(self), std::move(*value)));
  });
}

PyObject* var_replace(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return capi::guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    PyObject* arguments[2];
    if (!capi::sort_arguments(kReplace, args, nargs, kwnames, arguments)) return nullptr;
    // Both are converted before the walk, so a bad replacement fails even where the path would.
    auto value = json_argument(arguments[0], "value");
    if (!value) return nullptr;
    auto replacement = json_argument(arguments[1], "replacement");
    if (!replacement) return nullptr;
    return result_to_python(
        replaced(accessor_of(self), std::move(*value), std::move(*replacement)));
  });
}

PyObject* var_access_from_bindings(PyObject* self, PyObject* const* args, Py_ssize_t nargs,
                                   PyObject* kwnames) {
  return capi::guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    PyObject* arguments[1];
    if (!capi::sort_arguments(kAccessFromBindings, args, nargs, kwnames, arguments)) {
      return nullptr;
    }
    const PyVarAccess& native = VarAccessObject::of(self);
    if (auto part = attempt_in_place(
            [&] { return bound_part_in_place(native.inner, native.keys, arguments[0]); })) {
      return json_to_python(std::move(*part)).release();
    }
    auto bindings = bindings_argument(arguments[0], "bindings");
    if (!bindings) return nullptr;
    return result_to_python(part_of_bindings(accessor_of(self), std::move(*bindings)));
  });
}

// == and != compare segment lists; ordering and other types are left to Python.
PyObject* var_richcompare(PyObject* self, PyObject* other, int op) {
  if ((op != Py_EQ && op != Py_NE) || !VarAccessObject::is_instance(other, Py_TYPE(self))) {
    Py_RETURN_NOTIMPLEMENTED;
  }
  const bool equal = accessor_of(self) == accessor_of(other);
  return PyBool_FromLong((op == Py_EQ) == equal);
}

// SipHash-1-3 under the zero key over the segments, so that equal accessors hash equal on every
// run and every platform; -1 is the interpreter's error value.
Py_hash_t var_hash(PyObject* self) {
  SipHasher13 hasher;
  accessor_of(self).feed_hash(hasher);
  // Only the low bits survive where the interpreter's hash is narrower than 64 bits.
  const auto hash = static_cast<Py_hash_t>(hasher.finish());
  return hash == -1 ? -2 : hash;
}

PyMethodDef kMethods[] = {
    {"access", capi::fastcall_method(var_access), METH_FASTCALL | METH_KEYWORDS, kAccessDoc},
    {"replace", capi::fastcall_method(var_replace), METH_FASTCALL | METH_KEYWORDS, kReplaceDoc},
    {"access_from_bindings", capi::fastcall_method(var_access_from_bindings),
     METH_FASTCALL | METH_KEYWORDS, kAccessFromBindingsDoc},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot kSlots[] = {
    {Py_tp_doc, const_cast<char*>(kClassDoc)},
    {Py_tp_new, capi::slot_function(var_new)},
    {Py_tp_dealloc, capi::slot_function(VarAccessObject::dealloc)},
    {Py_tp_richcompare, capi::slot_function(var_richcompare)},
    {Py_tp_hash, capi::slot_function(var_hash)},
    {Py_tp_methods, kMethods},
    {0, nullptr},
};

// No base-type flag: the class cannot be subclassed.
PyType_Spec kSpec = {"builtins.VarAccess", VarAccessObject::kBasicSize, 0, Py_TPFLAGS_DEFAULT,
                     kSlots};

}  // namespace

PyTypeObject* var_access_type() {
  static capi::HeapType type(kSpec);
  return type.get();
}

}  // namespace tovrin::py
