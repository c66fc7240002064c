#pragma once

#include "capi/ref.hpp"

namespace tovrin::capi {

// A function as the untyped pointer that a PyType_Slot or PyModuleDef_Slot holds.
template <class F>
void* slot_function(F* function) noexcept {
  return reinterpret_cast<void*>(function);
}

// A vectorcall method with keywords as PyMethodDef holds it (the METH_FASTCALL | METH_KEYWORDS
// flags tell the interpreter its real signature).
inline PyCFunction fastcall_method(_PyCFunctionFastWithKeywords function) noexcept {
  return reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(function));
}

}  // namespace tovrin::capi
