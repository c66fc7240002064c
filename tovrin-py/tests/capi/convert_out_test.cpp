// Making a large result can be stopped by a signal; it needs the interpreter, which the
// boundary tests embed.
#include "convert_out.hpp"

#include <gtest/gtest.h>

#include <functional>

#include "capi/boundary.hpp"
#include "interrupt.hpp"
#include "tovrin/work_budget.hpp"

namespace tovrin::py {
namespace {

TEST(ConvertOut, MakingALargeResultStopsOnASignal) {
  constexpr std::size_t kCount = 10 * WorkBudget::kUnitsPerCheck;
  const Value value = Value::Array(Array(kCount, Value::Object({})));
  const auto json = [] { return PyJsonValue::Array(PyJsonArray(kCount, PyJsonValue::Object({}))); };
  for (const auto& make : {std::function<capi::Ref()>([&] { return value_to_python(value); }),
                           std::function<capi::Ref()>([&] { return json_to_python(json()); })}) {
    capi::interrupt_as_ctrl_c();
    EXPECT_EQ(capi::guarded<PyObject*>(nullptr, [&] { return make().release(); }), nullptr);
    EXPECT_TRUE(PyErr_ExceptionMatches(PyExc_KeyboardInterrupt));
    PyErr_Clear();
    capi::Ref made =
        capi::Ref::steal(capi::guarded<PyObject*>(nullptr, [&] { return make().release(); }));
    ASSERT_TRUE(made);
    EXPECT_EQ(PyList_GET_SIZE(made.get()), static_cast<Py_ssize_t>(kCount));
  }
}

}  // namespace
}  // namespace tovrin::py
