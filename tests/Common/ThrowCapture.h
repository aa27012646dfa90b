#pragma once
// Captures the exception an action throws, so tests can compare its parts.

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "Common/Exception.h"

namespace vexo::test {

// The exception of type E that `action` throws; empty when it throws none.
template <class E, class F>
std::optional<E> Thrown(F&& action) {
  try {
    action();
  } catch (const E& e) {
    return e;
  }
  return std::nullopt;
}

// The texts a throw site is expected to pass.
struct ExpectedFailure {
  const char* condition;
  const char* function;
  const char* message;
  const char* filename;
};

inline void ExpectFailure(const std::optional<Common::Exception>& e, const ExpectedFailure& want) {
  ASSERT_TRUE(e.has_value()) << "nothing was thrown";
  EXPECT_EQ(e->Condition(), want.condition);
  EXPECT_EQ(e->Function(), want.function);
  EXPECT_EQ(e->Message(), want.message);
  EXPECT_EQ(e->Filename(), want.filename);
  EXPECT_GT(e->Linenumber(), 0);
}

}  // namespace vexo::test
