// The guard between C++ and the interpreter cannot be reached from Python by design (no input
// breaks an internal rule), so it is tested here with an embedded interpreter.
#include "capi/boundary.hpp"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

#include "capi/ref.hpp"
#include "capi/text.hpp"
#include "interrupt.hpp"

namespace tovrin::capi {
namespace {

class EmbeddedInterpreter : public ::testing::Environment {
 public:
  void SetUp() override { Py_InitializeEx(0); }
  void TearDown() override { Py_FinalizeEx(); }
};

const auto* const kInterpreter = ::testing::AddGlobalTestEnvironment(new EmbeddedInterpreter);

// Takes the pending exception, leaving none behind.
Ref take_exception() {
  PyObject* type = nullptr;
  PyObject* value = nullptr;
  PyObject* traceback = nullptr;
  PyErr_Fetch(&type, &value, &traceback);
  PyErr_NormalizeException(&type, &value, &traceback);
  Py_XDECREF(type);
  Py_XDECREF(traceback);
  return Ref::steal(value);
}

std::string text_attribute(PyObject* object, const char* name) {
  Ref attribute = Ref::steal(PyObject_GetAttrString(object, name));
  return attribute ? lossy_text(attribute.get()) : "<missing>";
}

TEST(Guarded, ReturnsTheBodysResult) {
  EXPECT_EQ(guarded(-1, [] { return 7; }), 7);
  EXPECT_FALSE(PyErr_Occurred());
}

TEST(Guarded, InternalFailureIsReportedAndRaisedAsPanicException) {
  ::testing::internal::CaptureStderr();
  int line = 0;
  PyObject* result = guarded<PyObject*>(nullptr, [&]() -> PyObject* {
    line = __LINE__ + 1;
    TOVRIN_INTERNAL_FAILURE("a broken rule");
  });
  const std::string report = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(result, nullptr);

  Ref exception = take_exception();
  ASSERT_TRUE(exception);
  PyObject* type = reinterpret_cast<PyObject*>(Py_TYPE(exception.get()));
  EXPECT_EQ(type, panic_exception_type());
  EXPECT_EQ(text_attribute(type, "__qualname__"), "PanicException");
  EXPECT_EQ(text_attribute(type, "__module__"), "pyo3_runtime");
  EXPECT_EQ(PyObject_IsSubclass(type, PyExc_BaseException), 1);
  EXPECT_EQ(PyObject_IsSubclass(type, PyExc_Exception), 0);
  EXPECT_EQ(display_text(exception.get()), "a broken rule");

  EXPECT_NE(report.find("thread '"), std::string::npos) << report;
  EXPECT_NE(report.find("tovrin-py/tests/capi/boundary_test.cpp:" + std::to_string(line)),
            std::string::npos)
      << report;
  EXPECT_NE(report.find("a broken rule"), std::string::npos) << report;
}

TEST(Guarded, OtherExceptionsAreRaisedAsPanicExceptionToo) {
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(guarded(-1, []() -> int { throw std::runtime_error("unexpected"); }), -1);
  EXPECT_NE(::testing::internal::GetCapturedStderr().find("unexpected"), std::string::npos);
  Ref exception = take_exception();
  ASSERT_TRUE(exception);
  EXPECT_EQ(reinterpret_cast<PyObject*>(Py_TYPE(exception.get())), panic_exception_type());
  EXPECT_EQ(display_text(exception.get()), "unexpected");
}

TEST(Guarded, ExhaustedMemoryIsRaisedAsMemoryError) {
  EXPECT_EQ(guarded(-1, []() -> int { throw std::bad_alloc(); }), -1);
  EXPECT_TRUE(PyErr_ExceptionMatches(PyExc_MemoryError));
  PyErr_Clear();
}

TEST(Guarded, LongWorkStopsWithTheExceptionOfASignalHandler) {
  interrupt_as_ctrl_c();
  std::size_t spent = 0;
  EXPECT_EQ(guarded(-1,
                    [&] {
                      for (; spent < 10 * WorkBudget::kUnitsPerCheck; ++spent)
                        spend_work();
                      return 0;
                    }),
            -1);
  EXPECT_LE(spent, WorkBudget::kUnitsPerCheck);
  EXPECT_TRUE(PyErr_ExceptionMatches(PyExc_KeyboardInterrupt));
  PyErr_Clear();
  // Without a signal the same work runs to its end.
  EXPECT_EQ(guarded(-1, [] { return (spend_work(10 * WorkBudget::kUnitsPerCheck), 0); }), 0);
}

TEST(PanicExceptionType, IsCreatedOncePerProcess) {
  PyObject* first = panic_exception_type();
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(panic_exception_type(), first);
}

}  // namespace
}  // namespace tovrin::capi
