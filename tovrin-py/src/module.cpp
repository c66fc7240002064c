// The extension module `tovrin`: multi-phase initialisation whose one execution step publishes
// the two classes.
#include "capi/boundary.hpp"
#include "capi/exceptions.hpp"
#include "capi/ref.hpp"
#include "capi/text.hpp"
#include "capi/type_slots.hpp"
#include "py_types/exp.hpp"
#include "py_types/var.hpp"

namespace tovrin::py {

namespace {

using capi::Ref;

// The module's __all__, made an empty list first when the module has none.
Ref all_list(PyObject* module) {
  Ref all = Ref::steal(PyObject_GetAttrString(module, "__all__"));
  if (all) {
    if (PyList_Check(all.get())) return all;
    capi::raise_type_test_failure(all.get(), "list");
    return nullptr;
  }
  if (!PyErr_ExceptionMatches(PyExc_AttributeError)) return nullptr;
  PyErr_Clear();
  all = Ref::steal(PyList_New(0));
  if (!all || PyObject_SetAttrString(module, "__all__", all.get()) < 0) return nullptr;
  return all;
}

bool add_class(PyObject* module, const char* name, PyTypeObject* type) {
  if (type == nullptr) return false;
  Ref all = all_list(module);
  if (!all) return false;
  Ref text = capi::new_str(name);
  if (PyList_Append(all.get(), text.get()) < 0) return false;
  return PyObject_SetAttrString(module, name, reinterpret_cast<PyObject*>(type)) == 0;
}

int module_exec(PyObject* module) {
  return capi::guarded(-1, [&] {
    const bool added =
        add_class(module, "Exp", exp_type()) && add_class(module, "VarAccess", var_access_type());
    return added ? 0 : -1;
  });
}

PyModuleDef_Slot kModuleSlots[] = {
    {Py_mod_exec, capi::slot_function(module_exec)},
    {0, nullptr},
};

PyModuleDef kModuleDef = {
    PyModuleDef_HEAD_INIT,
    "tovrin",
    "",       // the module doc is the empty text
    0,        // no per-module state
    nullptr,  // no module-level functions
    kModuleSlots,
    nullptr,
    nullptr,
    nullptr,
};

}  // namespace

}  // namespace tovrin::py

PyMODINIT_FUNC PyInit_tovrin(void) {
  return PyModuleDef_Init(&tovrin::py::kModuleDef);
}
