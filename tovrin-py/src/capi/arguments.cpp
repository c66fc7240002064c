#include "capi/arguments.hpp"

#include <vector>

#include "capi/text.hpp"

namespace tovrin::capi {

std::string FunctionDescription::full_name() const {
  std::string name(class_name);
  name += '.';
  name += function_name;
  name += "()";
  return name;
}

namespace {

// 'a', 'a' and 'b', 'a', 'b', and 'c'
void append_name_list(std::string& out, std::span<const std::string_view> names) {
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (i != 0) {
      if (names.size() > 2) out += ',';
      out += i + 1 == names.size() ? " and " : " ";
    }
    out += '\'';
    out += names[i];
    out += '\'';
  }
}

Raised raise_with_name(const FunctionDescription& function, std::string_view message) {
  return raise(PyExc_TypeError, function.full_name() + std::string(message));
}

// Fills the parameter slots in the order the checks must run: positional arguments, then each
// keyword as given, then the completeness check.
class ArgumentSorter {
 public:
  ArgumentSorter(const FunctionDescription& function, std::span<PyObject*> out)
      : function_(function), out_(out) {
    for (auto& slot : out_)
      slot = nullptr;
  }

  Status<Raised> take_positional(PyObject* const* args, std::size_t count) {
    positional_given_ = count;
    const std::size_t parameters = function_.parameters.size();
    if (count > parameters) {
      return Err{raise_with_name(
          function_, " takes " + std::to_string(parameters) + " positional arguments but " +
                         std::to_string(count) + (count == 1 ? " was" : " were") + " given")};
    }
    for (std::size_t i = 0; i < count; ++i)
      out_[i] = args[i];
    return Ok{};
  }

  Status<Raised> take_keyword(PyObject* name, PyObject* value) {
    const bool is_text = PyUnicode_Check(name);
    for (std::size_t i = 0; is_text && i < function_.parameters.size(); ++i) {
      const char* parameter = function_.parameters[i];
      if (PyUnicode_CompareWithASCIIString(name, parameter) != 0) continue;
      if (i < function_.positional_only) {
        positional_only_by_keyword_.push_back(parameter);
      } else if (out_[i] != nullptr) {
        return Err{raise_with_name(
            function_, " got multiple values for argument '" + std::string(parameter) + "'")};
      } else {
        out_[i] = value;
      }
      return Ok{};
    }
    return Err{raise_with_name(function_,
                               " got an unexpected keyword argument '" + display_text(name) + "'")};
  }

  Status<Raised> finish() {
    if (!positional_only_by_keyword_.empty()) {
      std::string message = " got some positional-only arguments passed as keyword arguments: ";
      append_name_list(message, positional_only_by_keyword_);
      return Err{raise_with_name(function_, message)};
    }
    std::vector<std::string_view> missing;
    for (std::size_t i = positional_given_; i < out_.size(); ++i) {
      if (out_[i] == nullptr) missing.push_back(function_.parameters[i]);
    }
    if (!missing.empty()) {
      std::string message = " missing " + std::to_string(missing.size()) + " required positional " +
                            (missing.size() == 1 ? "argument: " : "arguments: ");
      append_name_list(message, missing);
      return Err{raise_with_name(function_, message)};
    }
    return Ok{};
  }

 private:
  const FunctionDescription& function_;
  std::span<PyObject*> out_;
  std::size_t positional_given_ = 0;
  std::vector<std::string_view> positional_only_by_keyword_;
};

}  // namespace

Status<Raised> sort_arguments(const FunctionDescription& function, PyObject* const* args,
                              Py_ssize_t nargs, PyObject* kwnames, std::span<PyObject*> out) {
  ArgumentSorter sorter(function, out);
  if (auto status = sorter.take_positional(args, static_cast<std::size_t>(nargs)); !status) {
    return status;
  }
  if (kwnames != nullptr) {
    const Py_ssize_t count = PyTuple_GET_SIZE(kwnames);
    for (Py_ssize_t i = 0; i < count; ++i) {
      if (auto status = sorter.take_keyword(PyTuple_GET_ITEM(kwnames, i), args[nargs + i]);
          !status) {
        return status;
      }
    }
  }
  return sorter.finish();
}

Status<Raised> sort_arguments(const FunctionDescription& function, PyObject* args, PyObject* kwargs,
                              std::span<PyObject*> out) {
  ArgumentSorter sorter(function, out);
  if (auto status = sorter.take_positional(&PyTuple_GET_ITEM(args, 0),
                                           static_cast<std::size_t>(PyTuple_GET_SIZE(args)));
      !status) {
    return status;
  }
  if (kwargs != nullptr) {
    Py_ssize_t position = 0;
    PyObject* name = nullptr;
    PyObject* value = nullptr;
    while (PyDict_Next(kwargs, &position, &name, &value)) {
      if (auto status = sorter.take_keyword(name, value); !status) return status;
    }
  }
  return sorter.finish();
}

Result<std::string_view, Raised> str_argument(PyObject* object, std::string_view parameter) {
  if (!PyUnicode_Check(object)) {
    raise_type_test_failure(object, "str");
    return Err{reword_argument_error(parameter)};
  }
  if (auto text = utf8_view(object)) return *text;
  return Err{reword_argument_error(parameter)};
}

}  // namespace tovrin::capi
