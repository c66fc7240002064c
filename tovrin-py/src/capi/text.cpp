#include "capi/text.hpp"

#include "tovrin/internal_failure.hpp"

namespace tovrin::capi {

std::string lossy_text(PyObject* str) {
  if (auto view = utf8_view(str)) return std::string(*view);
  PyErr_Clear();
  // Lone surrogates are encoded as they are and then decoded with replacement characters.
  Ref encoded = Ref::steal(PyUnicode_AsEncodedString(str, "utf-8", "surrogatepass"));
  Ref decoded = encoded
                    ? Ref::steal(PyUnicode_DecodeUTF8(PyBytes_AS_STRING(encoded.get()),
                                                      PyBytes_GET_SIZE(encoded.get()), "replace"))
                    : nullptr;
  if (auto view = decoded ? utf8_view(decoded.get()) : std::nullopt) return std::string(*view);
  PyErr_Clear();
  return "<text not representable>";
}

namespace {

// The text of a str just made for a message, or the fallback when making it failed.
std::string text_or(Ref str, const char* fallback) {
  if (str) return lossy_text(str.get());
  PyErr_Clear();
  return fallback;
}

}  // namespace

std::string display_text(PyObject* object) {
  return text_or(Ref::steal(PyObject_Str(object)), "<exception str() failed>");
}

std::string type_qualname(PyTypeObject* type) {
  return text_or(Ref::steal(PyType_GetQualName(type)), "<failed to extract type name>");
}

Ref new_str(std::string_view utf8) {
  Ref str =
      Ref::steal(PyUnicode_FromStringAndSize(utf8.data(), static_cast<Py_ssize_t>(utf8.size())));
  if (!str) TOVRIN_INTERNAL_FAILURE("Failed to create a Python string");
  return str;
}

Ref interned_str(std::string_view utf8) {
  PyObject* str = PyUnicode_DecodeUTF8(utf8.data(), static_cast<Py_ssize_t>(utf8.size()), nullptr);
  if (str == nullptr) {
    PyErr_Clear();
    return nullptr;
  }
  PyUnicode_InternInPlace(&str);
  return Ref::steal(str);
}

}  // namespace tovrin::capi
