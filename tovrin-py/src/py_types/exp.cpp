#include "py_types/exp.hpp"

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
#include "tovrin/interpreter.hpp"
#include "tovrin/parser/expression.hpp"
#include "tovrin/types/env.hpp"

namespace tovrin::py {

namespace {

using ExpObject = capi::NativeObject<PyExp>;

constexpr const char* kClassDoc = "Exp(exp, /)\n--\n\n";
constexpr const char* kEvalDoc =
    "eval($self, bindings)\n--\n\nEvaluate the expression with the given variable bindings.\n\n"
    "# Arguments\n\n- `bindings`: A mapping containing variable bindings, where keys are variable "
    "names and values are their corresponding JSON values.\n\n# Returns\n\nThe result of "
    "evaluating the expression, represented as a `PyJsonValue`.\n\n# Errors\n\nIf there is an "
    "error during evaluation (e.g., undefined variable, type error), a `ValueError` will be "
    "raised with a message describing the evaluation error.";

constexpr const char* kNewParameters[] = {"exp"};
constexpr capi::FunctionDescription kNew{"Exp", "__new__", kNewParameters, 1};
constexpr const char* kEvalParameters[] = {"bindings"};
constexpr capi::FunctionDescription kEval{"Exp", "eval", kEvalParameters, 0};

// The whole text must be one expression; the tree is detached from the text before it is kept.
Result<Exp, PyTovrinError> compile(std::string_view text) {
  auto parsed = parser::parse_whole_exp(text);
  if (!parsed) return Err{PyTovrinError::from_parse_error(parsed.error())};
  return std::move(*parsed).into_owned();
}

// Evaluates over the bindings read in place where they allow it; otherwise against a fresh
// environment that owns the bindings, every one of them converted before the evaluation starts.
// The result, which may borrow from the tree and the bindings, becomes a Python object before
// the environment goes; null with the Python error set on failure.
capi::Ref evaluate(PyExp& exp, PyObject* bindings) {
  const Exp& tree = exp.inner;
  if (!exp.segment_keys)
    exp.segment_keys = std::make_unique<SegmentKeys>(SegmentKeys::of_tree(tree));
  auto in_place = attempt_in_place(
      [&] { return evaluate_in_place(tree, *exp.segment_keys, exp.keys, bindings); });
  if (in_place) return std::move(*in_place);

  EnvBuilder<PyJsonValue> builder;
  if (!bind_arguments(bindings, "bindings", builder)) return nullptr;
  const Env<PyJsonValue> env = std::move(builder).build();
  auto result = interpreter::eval(tree, env);
  if (!result) {
    raise(PyTovrinError(std::move(result).error()));
    return nullptr;
  }
  return value_to_python(result->get(), &exp.keys);
}

PyObject* exp_new(PyTypeObject* type, PyObject* args, PyObject* kwargs) {
  return capi::guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    PyObject* arguments[1];
    if (!capi::sort_arguments(kNew, args, kwargs, arguments)) return nullptr;
    auto text = capi::str_argument(arguments[0], "exp");
    if (!text) return nullptr;
    auto tree = compile(*text);
    if (!tree) {
      raise(tree.error());
      return nullptr;
    }
    // An object literal needs a brace in the text; most expressions have none to look for.
    KnownStrings keys = text->find('{') == std::string_view::npos
                            ? KnownStrings()
                            : KnownStrings::object_keys_of(*tree);
    return ExpObject::create(type, PyExp{std::move(*tree), std::move(keys), nullptr}).release();
  });
}

PyObject* exp_eval(PyObject* self, PyObject* const* args, Py_ssize_t nargs, PyObject* kwnames) {
  return capi::guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    // The bindings by position, as nearly every call passes them, need no sorting.
    if (nargs == 1 && kwnames == nullptr) return evaluate(ExpObject::of(self), args[0]).release();
    PyObject* arguments[1];
    if (!capi::sort_arguments(kEval, args, nargs, kwnames, arguments)) return nullptr;
    return evaluate(ExpObject::of(self), arguments[0]).release();
  });
}

// == and != compare trees; ordering and other types are left to Python.
PyObject* exp_richcompare(PyObject* self, PyObject* other, int op) {
  return capi::guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    if ((op != Py_EQ && op != Py_NE) || !ExpObject::is_instance(other, Py_TYPE(self))) {
      Py_RETURN_NOTIMPLEMENTED;
    }
    const bool equal = ExpObject::of(self).inner == ExpObject::of(other).inner;
    return PyBool_FromLong((op == Py_EQ) == equal);
  });
}

PyMethodDef kMethods[] = {
    {"eval", capi::fastcall_method(exp_eval), METH_FASTCALL | METH_KEYWORDS, kEvalDoc},
    {nullptr, nullptr, 0, nullptr},
};

PyType_Slot kSlots[] = {
    {Py_tp_doc, const_cast<char*>(kClassDoc)},
    {Py_tp_new, capi::slot_function(exp_new)},
    {Py_tp_dealloc, capi::slot_function(ExpObject::dealloc)},
    {Py_tp_richcompare, capi::slot_function(exp_richcompare)},
    {Py_tp_hash, capi::slot_function(PyObject_HashNotImplemented)},
    {Py_tp_methods, kMethods},
    {0, nullptr},
};

// No base-type flag: the class cannot be subclassed.
PyType_Spec kSpec = {"builtins.Exp", ExpObject::kBasicSize, 0, Py_TPFLAGS_DEFAULT, kSlots};

}  // namespace

PyTypeObject* exp_type() {
  static capi::HeapType type(kSpec);
  return type.get();
}

}  // namespace tovrin::py
