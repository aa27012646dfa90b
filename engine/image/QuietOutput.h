#pragma once
// Keeps the image libraries silent. Leptonica's own messages are switched off
// once per process; the codec libraries under it (libpng, libjpeg) write their
// warnings straight to the error stream, so that stream is pointed at the null
// device while a decoder runs. Standard output is never touched.

namespace vexo::engine {

// Switches Leptonica's messages off; safe to call any number of times.
void SilenceLeptonica();

// While alive, file descriptor 2 goes to the null device. Does nothing if the
// redirection cannot be set up. One thread: the worker decodes on its only one.
class StderrMute {
 public:
  StderrMute();
  ~StderrMute();
  StderrMute(const StderrMute&) = delete;
  StderrMute& operator=(const StderrMute&) = delete;

 private:
  int savedFd_ = -1;
};

}  // namespace vexo::engine
