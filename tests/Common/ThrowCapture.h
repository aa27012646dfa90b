#pragma once
// Runs an action and compares the parts of the exception it throws.

#include <gtest/gtest.h>

#include "Common/Exception.h"

namespace vexo::test {

// The texts a throw site is expected to pass.
struct ExpectedFailure {
  const char* condition;
  const char* function;
  const char* message;
  const char* filename;
};

// Checks that `action` throws E with the expected texts; returns its aux value.
template <class E, class F>
UInt32 ExpectThrows(F&& action, const ExpectedFailure& want) {
  try {
    action();
  } catch (const E& e) {
    EXPECT_EQ(e.Condition(), want.condition);
    EXPECT_EQ(e.Function(), want.function);
    EXPECT_EQ(e.Message(), want.message);
    EXPECT_EQ(e.Filename(), want.filename);
    EXPECT_GT(e.Linenumber(), 0);
    return e.AuxValue();
  }
  ADD_FAILURE() << "nothing was thrown";
  return 0;
}

}  // namespace vexo::test
