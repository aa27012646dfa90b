#pragma once
// Turns processor faults in the run into one report line and exit code 1.

#include "Common/Types.h"

namespace vexo {

// Platform exception codes that POSIX fault signals are translated into.
inline constexpr UInt32 kCodeDatatypeMisalignment = 0x80000002u;
inline constexpr UInt32 kCodeBreakpoint = 0x80000003u;
inline constexpr UInt32 kCodeSingleStep = 0x80000004u;
inline constexpr UInt32 kCodeAccessViolation = 0xC0000005u;
inline constexpr UInt32 kCodeIllegalInstruction = 0xC000001Du;
inline constexpr UInt32 kCodeArrayBoundsExceeded = 0xC000008Cu;
inline constexpr UInt32 kCodeFltDivideByZero = 0xC000008Eu;
inline constexpr UInt32 kCodeFltInexactResult = 0xC000008Fu;
inline constexpr UInt32 kCodeFltInvalidOperation = 0xC0000090u;
inline constexpr UInt32 kCodeFltOverflow = 0xC0000091u;
inline constexpr UInt32 kCodeFltUnderflow = 0xC0000093u;
inline constexpr UInt32 kCodeIntDivideByZero = 0xC0000094u;
inline constexpr UInt32 kCodeIntOverflow = 0xC0000095u;
inline constexpr UInt32 kCodePrivInstruction = 0xC0000096u;
inline constexpr UInt32 kCodeStackOverflow = 0xC00000FDu;
// Stands for a fault no code describes; not in the table.
inline constexpr UInt32 kCodeUnknown = 0u;

// The description of a platform exception code; "Unknown exception" for codes
// not in the table. Safe to call from a signal handler.
const char* DescribeExceptionCode(UInt32 code);

using RunFunction = int (*)(int argc, char** argv);
// Calls run(argc, argv) with faults trapped; returns its result. A fault is
// reported as "<identity prefix>, ERROR: <description>" and ends the process
// with exit code 1.
int RunGuarded(int argc, char** argv, RunFunction run);

#ifndef _WIN32
// The exception code of a fault signal: `signalCode` is its si_code, and
// `onStackGuard` says the faulting address lies in the main thread's stack
// guard region. Signals that are no processor fault give kCodeUnknown.
UInt32 ExceptionCodeForSignal(int signalNumber, int signalCode, bool onStackGuard);
#endif

}  // namespace vexo
