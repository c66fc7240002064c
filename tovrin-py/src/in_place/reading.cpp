#include "in_place/reading.hpp"

#include "capi/collection_pause.hpp"
#include "convert_in.hpp"
#include "convert_out.hpp"
#include "in_place/fit_check.hpp"
#include "in_place/object_reader.hpp"
#include "tovrin/interpreter.hpp"

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

std::optional<capi::Ref> evaluate_in_place(const Exp& tree, const SegmentKeys& keys,
                                           const KnownStrings& result_keys, PyObject* bindings) {
  if (!bindings_fit_in_place(bindings)) return std::nullopt;
  auto result =
      interpreter::eval_reading(tree, DEFAULT_VTABLE.get(), InPlaceBindings(bindings, keys));
  if (!result) return std::nullopt;
  // The result may borrow text from bound strings. Making its lists and dicts could start a
  // collection whose finalizers change the bindings and release those strings; the collector
  // pauses until the result is made. Making a str, int or float starts none.
  const Value& value = result->get();
  std::optional<capi::CollectionPause> no_finalizers;
  if (value.as_array() != nullptr || value.as_object() != nullptr) no_finalizers.emplace();
  capi::Ref made = value_to_python(value, &result_keys);
  if (!made) {
    PyErr_Clear();
    return std::nullopt;
  }
  return made;
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
