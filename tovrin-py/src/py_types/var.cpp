#include "py_types/var.hpp"

#include "capi/heap_type.hpp"
#include "capi/type_slots.hpp"

namespace tovrin::py {

namespace {

constexpr const char* kClassDoc = "VarAccess(accessor, /)\n--\n\n";

// For now the class only has its name and doc: instances cannot be created yet.
PyType_Slot kSlots[] = {
    {Py_tp_doc, const_cast<char*>(kClassDoc)},
    {0, nullptr},
};

PyType_Spec kSpec = {"builtins.VarAccess", sizeof(PyObject), 0,
                     Py_TPFLAGS_DEFAULT | Py_TPFLAGS_DISALLOW_INSTANTIATION, kSlots};

}  // namespace

PyTypeObject* var_access_type() {
  static capi::HeapType type(kSpec);
  return type.get();
}

}  // namespace tovrin::py
