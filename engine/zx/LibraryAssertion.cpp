#include "engine/zx/LibraryAssertion.h"

// No <cassert> here: the C library declares __assert_fail as non-throwing,
// and the definition below must throw.
#include <cstdio>
#include <cstdlib>

namespace vexo::engine {
namespace {

thread_local int insideLibrary = 0;

}  // namespace

LibraryCall::LibraryCall() { ++insideLibrary; }
LibraryCall::~LibraryCall() { --insideLibrary; }

}  // namespace vexo::engine

// Takes the place of the C library's handler for the whole process (the
// executable's definition comes first in symbol lookup). Outside a library
// read it does what the C library's does: report on standard error, abort.
extern "C" [[noreturn]] void __assert_fail(const char* assertion, const char* file,
                                           unsigned int line, const char* function) {
  if (vexo::engine::insideLibrary > 0) throw vexo::engine::LibraryAssertion{};
  std::fprintf(stderr, "%s:%u: %s: Assertion `%s' failed.\n", file, line,
               function != nullptr ? function : "?", assertion);
  std::abort();
}
