#pragma once

#include "capi/ref.hpp"

#include <optional>
#include <string>
#include <string_view>

namespace tovrin::capi {

// The UTF-8 bytes of a `str` (a subclass included), borrowed from the object, which caches them.
// A string with a lone surrogate has no UTF-8 form: the interpreter's encoding error is set and
// nothing is returned.
std::optional<std::string_view> utf8_view(PyObject* str);

// The text of a `str` for a message: lone surrogates become U+FFFD instead of failing.
std::string lossy_text(PyObject* str);

// str(object) for a message; "<exception str() failed>" when that raises (the error is cleared).
std::string display_text(PyObject* object);

// The qualified name of a type, as messages show it.
std::string type_qualname(PyTypeObject* type);

// A new `str` from UTF-8 bytes; an internal failure when the interpreter cannot make it.
Ref new_str(std::string_view utf8);

}  // namespace tovrin::capi
