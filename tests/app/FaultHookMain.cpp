// The worker with a test hook: a first argument "--fault=<kind>" raises that
// fault inside the fault guard, so the tests can watch the guard report it.
// Any other command line runs the worker as usual.
#include <fenv.h>
#include <sys/mman.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "app/FaultGuard.h"
#include "app/RunDriver.h"
#include "tests/wrapper/ScriptedEngine.h"

namespace {

// Faults are raised on purpose here; the sanitizers must not step in first.
#define VELMORA_RAW_FAULT __attribute__((noinline, no_sanitize("address", "undefined")))

VELMORA_RAW_FAULT void WriteToProtectedPage() {
  void* page = mmap(nullptr, 4096, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (page == MAP_FAILED) std::abort();
  *static_cast<volatile int*>(page) = 1;
}

// Volatile operands: the compiler may neither fold the operations nor replace
// the division by something that cannot trap.
volatile int gOne = 1;
volatile int gZero = 0;
volatile double gZeroDouble = 0.0;
volatile int gSink = 0;

VELMORA_RAW_FAULT void DivideByZero() { gSink = gOne / gZero; }

VELMORA_RAW_FAULT void DivideFloatByZero() {
  feenableexcept(FE_DIVBYZERO);
  gSink = static_cast<int>(1.0 / gZeroDouble);
}

// Each frame keeps a buffer alive across the call, so the recursion can be
// neither folded into a loop nor optimized away.
VELMORA_RAW_FAULT int Recurse(int depth) {
  volatile char frame[512];
  frame[depth % sizeof frame] = static_cast<char>(depth);
  if (depth == -1) return 0;
  return Recurse(depth + 1) + frame[0];
}

void IllegalInstruction() { __builtin_trap(); }

void Breakpoint() {
#if defined(__x86_64__) || defined(__i386__)
  __asm__ volatile("int3");
#else
  __builtin_debugtrap();
#endif
}

// An engine whose decoding step writes to a protected page: a fault deep
// inside a real run.
class FaultingEngine : public vexo::test::ScriptedEngine {
 public:
  vexo::EngineStatus DecodeImageToBitmap(const void*, vexo::EngineBitmap*, vexo::UInt32,
                                         vexo::UInt32, vexo::UInt32, vexo::UInt64, const void*,
                                         const void*) override {
    WriteToProtectedPage();
    return vexo::kEngineSuccess;
  }
};

int RunWithHook(int argc, char** argv) {
  if (argc < 2 || std::strncmp(argv[1], "--fault=", 8) != 0) return vexo::RunModule(argc, argv);
  const std::string_view kind = argv[1] + 8;
  if (kind == "segv") WriteToProtectedPage();
  if (kind == "intdiv") DivideByZero();
  if (kind == "fpe-flt") DivideFloatByZero();
  if (kind == "stack") gSink = Recurse(0);
  if (kind == "ill") IllegalInstruction();
  if (kind == "trap") Breakpoint();
  if (kind == "abort") std::abort();
  if (kind == "engine") {
    // The remaining arguments are the worker's; this one stands for the
    // program name.
    return vexo::RunModuleWith(argc - 1, argv + 1,
                               [] { return std::make_unique<FaultingEngine>(); });
  }
  return 3;  // unknown kind: the guard passes the result through
}

}  // namespace

int main(int argc, char** argv) { return vexo::RunGuarded(argc, argv, RunWithHook); }
