#pragma once

#include "capi/ref.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace tovrin::capi {

// The UTF-8 bytes of a `str` (a subclass included), borrowed from the object, which caches them.
// A string with a lone surrogate has no UTF-8 form: the interpreter's encoding error is set and
// nothing is returned. Inline because it is on the path of every key and string converted: the
// bytes of a compact ASCII string are its characters, read in place.
inline std::optional<std::string_view> utf8_view(PyObject* str) {
  if (PyUnicode_IS_COMPACT_ASCII(str)) {
    return std::string_view(static_cast<const char*>(PyUnicode_DATA(str)),
                            static_cast<std::size_t>(PyUnicode_GET_LENGTH(str)));
  }
  Py_ssize_t size = 0;
  const char* bytes = PyUnicode_AsUTF8AndSize(str, &size);
  if (bytes == nullptr) return std::nullopt;
  return std::string_view(bytes, static_cast<std::size_t>(size));
}

// The text of a `str` for a message: lone surrogates become U+FFFD instead of failing.
std::string lossy_text(PyObject* str);

// str(object) for a message; "<exception str() failed>" when that raises (the error is cleared).
std::string display_text(PyObject* object);

// The qualified name of a type, as messages show it.
std::string type_qualname(PyTypeObject* type);

// A new `str` from UTF-8 bytes; an internal failure when the interpreter cannot make it.
Ref new_str(std::string_view utf8);

// The interned `str` of UTF-8 bytes, for a text used again and again (its hash is computed once,
// and dicts keyed by the same string find it by pointer comparison); null, with no error set,
// when the bytes are not UTF-8 or the string cannot be made.
Ref interned_str(std::string_view utf8);

}  // namespace tovrin::capi
