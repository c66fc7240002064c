#pragma once

#include "capi/ref.hpp"

#include <string>
#include <string_view>

namespace tovrin::capi {

// The error side of a Result whose Python exception is already set on the calling thread.
struct Raised {};

// Sets a new exception of `type` whose only argument is the message.
Raised raise(PyObject* type, std::string_view message);

// "'int' object is not an instance of 'str'", or "'None' is not an instance of 'str'".
std::string type_test_message(PyObject* object, std::string_view required_type);

// Raises the TypeError of a failed type test.
Raised raise_type_test_failure(PyObject* object, std::string_view required_type);

// Rewords the pending error of a failed argument conversion: a TypeError (exactly that type)
// becomes TypeError("argument '<parameter>': <message>") carrying the same cause; any other
// exception stays as it is.
Raised reword_argument_error(std::string_view parameter);

}  // namespace tovrin::capi
