#include "in_place/reading.hpp"

#include "convert_in.hpp"
#include "in_place/fit_check.hpp"
#include "in_place/object_reader.hpp"

namespace tovrin::py {

namespace {

// The part found, converted as the conversion of the whole value would have converted it.
std::optional<PyJsonValue> found_part(const VarAccess& access, const SegmentKeys& keys,
                                      PyObject* root) {
  PyObject* found = find_in_place(root, access.names(), keys.find(access));
  if (found == nullptr) return std::nullopt;
  auto part = json_from_python(found);
  if (!part) {
    PyErr_Clear();
    return std::nullopt;
  }
  return std::move(*part);
}

}  // namespace

std::optional<MaybeOwned<Value>> evaluate_in_place(const Exp& tree, const SegmentKeys& keys,
                                                   PyObject* bindings) {
  if (!bindings_fit_in_place(bindings)) return std::nullopt;
  const InPlaceBindings read_from{bindings, &keys};
  auto result =
      interpreter::eval_reading(tree, DEFAULT_VTABLE.get(), &read_variable_in_place, &read_from);
  if (!result) return std::nullopt;
  // Making a list or dict of the result can collect garbage, and a finalizer could then change
  // the bindings and release strings that the result borrows: a container is made to own its
  // text first. Making a str, int or float collects nothing.
  if (Value* owned = result->owned_ptr();
      owned != nullptr && (owned->as_array() != nullptr || owned->as_object() != nullptr)) {
    owned->make_owned();
  }
  return std::move(*result);
}

std::optional<PyJsonValue> part_in_place(const VarAccess& access, const SegmentKeys& keys,
                                         PyObject* value) {
  if (!value_fits_in_place(value)) return std::nullopt;
  return found_part(access, keys, value);
}

std::optional<PyJsonValue> bound_part_in_place(const VarAccess& access, const SegmentKeys& keys,
                                               PyObject* bindings) {
  if (!bindings_fit_in_place(bindings)) return std::nullopt;
  return found_part(access, keys, bindings);
}

}  // namespace tovrin::py
