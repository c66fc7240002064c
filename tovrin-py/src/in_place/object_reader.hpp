#pragma once

#include "capi/ref.hpp"

#include <optional>
#include <span>

#include "in_place/segment_keys.hpp"
#include "tovrin/errors.hpp"
#include "tovrin/interpreter/variable_reader.hpp"
#include "tovrin/types/value.hpp"
#include "tovrin/types/var.hpp"

namespace tovrin::py {

// Reading Python values in place, as the engine would read them once converted. Everything
// here is for values that passed the fit check (in_place/fit_check.hpp) and that no Python code
// has touched since; it answers nothing, without setting a Python error, wherever the
// conversion would have to say more (a key or an element that is not there, a value of another
// kind), so that the caller can leave the case to the conversion.

// The value that `keys` (one per segment of `names`, or null) name inside `root`: each segment's
// key is looked up in a dict, then its index applied to a list or tuple. Borrowed; null when a
// step finds nothing.
PyObject* find_in_place(PyObject* root, std::span<const VarName> names, PyObject* const* keys);

// The engine's value of a Python value, as the conversion and then the engine's reading of the
// converted value would make it. Its strings borrow the UTF-8 text of the str objects, so it must
// not outlive them. Nested containers are read level by level without recursion, each element
// spending a unit of work.
std::optional<Value> value_in_place(PyObject* object);

// The interpreter's reader of variables in place: from the bindings, through the keys of the
// expression's accessors. Any failure is reported as an error of no particular kind: the
// evaluation is then left to the conversion, which names it.
class InPlaceBindings final : public interpreter::VariableReader {
 public:
  InPlaceBindings(PyObject* bindings, const SegmentKeys& keys) noexcept
      : bindings_(bindings), keys_(keys) {}

  Value read(const VarAccess& access, std::optional<EvalError>& error) const override;

 private:
  PyObject* bindings_;
  const SegmentKeys& keys_;
};

}  // namespace tovrin::py
