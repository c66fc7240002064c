// What one call allocates, counted where every allocation passes: C++ operator new (the engine,
// the binding and the C++ runtime) and the interpreter's three allocator domains. The module is
// linked into this program and imported from it, so that both counters see all of its work.
#include "capi/ref.hpp"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

extern "C" PyObject* PyInit_tovrin(void);

namespace {

std::atomic<bool> counting{false};
std::atomic<long> cxx_allocations{0};
std::atomic<long> python_allocations{0};

void* counted_new(std::size_t size) {
  if (counting.load(std::memory_order_relaxed)) ++cxx_allocations;
  if (void* memory = std::malloc(size == 0 ? 1 : size)) return memory;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) {
  return counted_new(size);
}
void* operator new[](std::size_t size) {
  return counted_new(size);
}
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  try {
    return counted_new(size);
  } catch (const std::bad_alloc&) {
    return nullptr;
  }
}
void* operator new[](std::size_t size, const std::nothrow_t& tag) noexcept {
  return operator new(size, tag);
}
void operator delete(void* memory) noexcept {
  std::free(memory);
}
void operator delete[](void* memory) noexcept {
  std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept {
  std::free(memory);
}
void operator delete[](void* memory, std::size_t) noexcept {
  std::free(memory);
}

namespace tovrin::py {
namespace {

using capi::Ref;

// The interpreter's allocators, each wrapped by one that counts the allocations it passes on.
struct CountingDomain {
  PyMemAllocatorEx wrapped;
};
CountingDomain domains[3];

void* count_malloc(void* context, std::size_t size) {
  auto* domain = static_cast<CountingDomain*>(context);
  if (counting.load(std::memory_order_relaxed)) ++python_allocations;
  return domain->wrapped.malloc(domain->wrapped.ctx, size);
}
void* count_calloc(void* context, std::size_t count, std::size_t size) {
  auto* domain = static_cast<CountingDomain*>(context);
  if (counting.load(std::memory_order_relaxed)) ++python_allocations;
  return domain->wrapped.calloc(domain->wrapped.ctx, count, size);
}
void* count_realloc(void* context, void* memory, std::size_t size) {
  auto* domain = static_cast<CountingDomain*>(context);
  if (counting.load(std::memory_order_relaxed)) ++python_allocations;
  return domain->wrapped.realloc(domain->wrapped.ctx, memory, size);
}
void pass_free(void* context, void* memory) {
  auto* domain = static_cast<CountingDomain*>(context);
  domain->wrapped.free(domain->wrapped.ctx, memory);
}

void hook_python_allocators() {
  const PyMemAllocatorDomain kinds[] = {PYMEM_DOMAIN_RAW, PYMEM_DOMAIN_MEM, PYMEM_DOMAIN_OBJ};
  for (int i = 0; i < 3; ++i) {
    PyMem_GetAllocator(kinds[i], &domains[i].wrapped);
    PyMemAllocatorEx counting_allocator{&domains[i], count_malloc, count_calloc, count_realloc,
                                        pass_free};
    PyMem_SetAllocator(kinds[i], &counting_allocator);
  }
}

class EmbeddedInterpreter : public ::testing::Environment {
 public:
  void SetUp() override {
    ASSERT_EQ(PyImport_AppendInittab("tovrin", &PyInit_tovrin), 0);
    Py_InitializeEx(0);
    hook_python_allocators();
  }
  void TearDown() override { Py_FinalizeEx(); }
};

const auto* const kInterpreter = ::testing::AddGlobalTestEnvironment(new EmbeddedInterpreter);

// Runs `setup` in a fresh namespace and gives back the names `call` and `argument` it binds.
struct Prepared {
  Ref call;
  Ref argument;
};
Prepared prepare(const std::string& setup) {
  Ref globals = Ref::steal(PyDict_New());
  PyDict_SetItemString(globals.get(), "__builtins__", PyEval_GetBuiltins());
  Ref ran = Ref::steal(PyRun_String(setup.c_str(), Py_file_input, globals.get(), globals.get()));
  if (!ran) PyErr_Print();
  return {Ref::borrow(PyDict_GetItemString(globals.get(), "call")),
          Ref::borrow(PyDict_GetItemString(globals.get(), "argument"))};
}

struct Counts {
  long cxx;
  long python;
};

// The allocations of `calls` calls after a first one, which makes what an expression keeps.
Counts allocations_of_calls(const Prepared& prepared, int calls) {
  PyObject* arguments[] = {prepared.argument.get()};
  Ref first = Ref::steal(PyObject_Vectorcall(prepared.call.get(), arguments, 1, nullptr));
  cxx_allocations = 0;
  python_allocations = 0;
  counting = true;
  for (int i = 0; i < calls; ++i) {
    Ref result = Ref::steal(PyObject_Vectorcall(prepared.call.get(), arguments, 1, nullptr));
    if (!result) break;
  }
  counting = false;
  EXPECT_FALSE(PyErr_Occurred());
  PyErr_Clear();
  return {cxx_allocations.load(), python_allocations.load()};
}

constexpr const char* kRule =
    "from tovrin import Exp, VarAccess\n"
    "class Converted(dict):\n"
    "    pass\n"
    "rule = Exp(\"user.age >= limit && startsWith(user.name, 'A') && region == 'eu'\")\n"
    "data = {'user': {'age': 30, 'name': 'Alice', 'tags': ['a', 'b', 'c']}, 'limit': 18,"
    " 'region': 'eu'}\n";

TEST(Allocations, CallsThatReadTheirBindingsInPlaceAllocateNothing) {
  const struct {
    const char* name;
    const char* setup;
  } cases[] = {
      {"the W1 rule", "call = rule.eval\nargument = data\n"},
      // Results are new Python objects; small integers are the interpreter's own.
      {"a read among a thousand bindings",
       "call = Exp('v7').eval\nargument = {f'v{i}': i for i in range(1000)}\n"},
      {"a nested read through an accessor",
       "call = VarAccess('user.tags[1]').access_from_bindings\nargument = data\n"},
  };
  for (const auto& c : cases) {
    const Prepared prepared = prepare(std::string(kRule) + c.setup);
    ASSERT_TRUE(prepared.call && prepared.argument) << c.name;
    const Counts counts = allocations_of_calls(prepared, 1000);
    EXPECT_EQ(counts.cxx, 0) << c.name;
    EXPECT_EQ(counts.python, 0) << c.name;
  }
}

TEST(Allocations, TheCountersSeeTheConvertingPath) {
  const Prepared prepared =
      prepare(std::string(kRule) + "call = rule.eval\nargument = Converted(data)\n");
  ASSERT_TRUE(prepared.call && prepared.argument);
  EXPECT_GE(allocations_of_calls(prepared, 10).cxx, 10);
}

}  // namespace
}  // namespace tovrin::py
