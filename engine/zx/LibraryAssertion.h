#pragma once
// zxing-cpp 1.4 is built with its assertions on, and some of them fail on
// ordinary pages: two linear symbols with the same content in one view (a
// label printed twice, say) end its multi-symbol search in a failed assertion,
// which would abort the whole process and lose every result. While a read is
// inside the library, a failed assertion throws LibraryAssertion instead, so
// that only that read fails and the caller can read the view another way.
// Anywhere else a failed assertion reports and aborts as it always does.

namespace vexo::engine {

struct LibraryAssertion {};

// Marks the calling thread as inside the library for its lifetime.
class LibraryCall {
 public:
  LibraryCall();
  ~LibraryCall();
  LibraryCall(const LibraryCall&) = delete;
  LibraryCall& operator=(const LibraryCall&) = delete;
};

}  // namespace vexo::engine
