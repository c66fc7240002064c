#pragma once

#include "capi/ref.hpp"

#include <gtest/gtest.h>

namespace tovrin::capi {

// As Ctrl-C does: the default handler of SIGINT raises KeyboardInterrupt at the next check for
// signals.
inline void interrupt_as_ctrl_c() {
  ASSERT_EQ(PyRun_SimpleString("import signal\n"
                               "signal.signal(signal.SIGINT, signal.default_int_handler)\n"),
            0);
  PyErr_SetInterrupt();
}

}  // namespace tovrin::capi
