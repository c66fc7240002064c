#include "capi/exceptions.hpp"

#include "capi/text.hpp"

namespace tovrin::capi {

Raised raise(PyObject* type, std::string_view message) {
  Ref text = new_str(message);
  PyErr_SetObject(type, text.get());
  return {};
}

std::string type_test_message(PyObject* object, std::string_view required_type) {
  std::string message;
  if (object == Py_None) {
    message = "'None' is not an instance of '";
  } else {
    // A char, not a one-character literal: g++ 12 at -O3 reports a false -Wrestrict for that.
    message = '\'';
    message += type_qualname(Py_TYPE(object));
    message += "' object is not an instance of '";
  }
  message += required_type;
  message += '\'';
  return message;
}

Raised raise_type_test_failure(PyObject* object, std::string_view required_type) {
  return raise(PyExc_TypeError, type_test_message(object, required_type));
}

Raised reword_argument_error(std::string_view parameter) {
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  if (value == nullptr || Py_TYPE(value) != reinterpret_cast<PyTypeObject*>(PyExc_TypeError)) {
    PyErr_Restore(type, value, traceback);
    return {};
  }
  Ref original = Ref::steal(value);
  Py_XDECREF(type);
  Py_XDECREF(traceback);

  std::string message = "argument '";
  message += parameter;
  message += "': ";
  message += display_text(original.get());
  Ref text = new_str(message);
  Ref reworded = Ref::steal(PyObject_CallOneArg(PyExc_TypeError, text.get()));
  if (!reworded) return {};
  // SetCause takes over the reference; a missing cause leaves __cause__ None.
  PyException_SetCause(reworded.get(), PyException_GetCause(original.get()));
  PyErr_Restore(Py_NewRef(PyExc_TypeError), reworded.release(), nullptr);
  return {};
}

}  // namespace tovrin::capi
