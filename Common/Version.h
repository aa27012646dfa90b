#pragma once
// The build's version string: "<major>.<minor>.<patch>-<10 hex digits of the
// git commit>". Defined in a file generated at build time.

namespace vexo::Common {
extern const char kVersionString[];
}
