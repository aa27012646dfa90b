// The fault description table and the translation of fault signals.
#include "app/FaultGuard.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <string>

#include "tests/app/TestSupport.h"

namespace vexo {
namespace {

struct DescriptionCase {
  const char* name;
  UInt32 code;
  const char* text;
};

class Description : public testing::TestWithParam<DescriptionCase> {};

TEST_P(Description, MatchesTheTable) {
  EXPECT_STREQ(DescribeExceptionCode(GetParam().code), GetParam().text);
}

const DescriptionCase kDescriptions[] = {
    {"GuardPage", 0x80000001u,
     "The thread accessed memory allocated with the PAGE_GUARD modifier."},
    {"DatatypeMisalignment", 0x80000002u,
     "The thread attempts to read or write data that is misaligned on hardware that does not "
     "provide alignment. For example, 16-bit values must be aligned on 2-byte boundaries, 32-bit "
     "values on 4-byte boundaries, and so on."},
    {"Breakpoint", 0x80000003u, "A breakpoint is encountered."},
    {"SingleStep", 0x80000004u,
     "A trace trap or other single instruction mechanism signals that one instruction is "
     "executed."},
    {"UnwindConsolidate", 0x80000029u, "A frame consolidation has been executed."},
    {"AccessViolation", 0xC0000005u,
     "The thread attempts to read from or write to a virtual address for which it does not have "
     "access."},
    {"InPageError", 0xC0000006u,
     "The thread tries to access a page that is not present, and the system is unable to load the "
     "page. For example, this exception might occur if a network connection is lost while running "
     "a program over a network."},
    {"InvalidHandle", 0xC0000008u,
     "The thread used a handle to a kernel object that was invalid (probably because it had been "
     "closed.)"},
    {"IllegalInstruction", 0xC000001Du, "The thread tries to execute an invalid instruction."},
    {"NoncontinuableException", 0xC0000025u,
     "The thread attempts to continue execution after a non-continuable exception occurs."},
    {"InvalidDisposition", 0xC0000026u,
     "An exception handler returns an invalid disposition to the exception dispatcher. Programmers "
     "using a high-level language such as C should never encounter this exception."},
    {"ArrayBoundsExceeded", 0xC000008Cu,
     "The thread attempts to access an array element that is out of bounds, and the underlying "
     "hardware supports bounds checking."},
    {"FltDenormalOperand", 0xC000008Du,
     "One of the operands in a floating point operation is denormal. A denormal value is one that "
     "is too small to represent as a standard floating point value."},
    {"FltDivideByZero", 0xC000008Eu,
     "The thread attempts to divide a floating point value by a floating point divisor of 0 "
     "(zero)."},
    {"FltInexactResult", 0xC000008Fu,
     "The result of a floating point operation cannot be represented exactly as a decimal "
     "fraction."},
    {"FltInvalidOperation", 0xC0000090u,
     "A floating point exception that is not included in this list."},
    {"FltOverflow", 0xC0000091u,
     "The exponent of a floating point operation is greater than the magnitude allowed by the "
     "corresponding type."},
    {"FltStackCheck", 0xC0000092u,
     "The stack has overflowed or underflowed, because of a floating point operation."},
    {"FltUnderflow", 0xC0000093u,
     "The exponent of a floating point operation is less than the magnitude allowed by the "
     "corresponding type."},
    {"IntDivideByZero", 0xC0000094u,
     "The thread attempts to divide an integer value by an integer divisor of 0 (zero)."},
    {"IntOverflow", 0xC0000095u,
     "The result of an integer operation creates a value that is too large to be held by the "
     "destination register. In some cases, this will result in a carry out of the most significant "
     "bit of the result. Some operations do not set the carry flag."},
    {"PrivInstruction", 0xC0000096u,
     "The thread attempts to execute an instruction with an operation that is not allowed in the "
     "current computer mode."},
    {"StackOverflow", 0xC00000FDu, "The thread uses up its stack."},
    {"Zero", 0u, "Unknown exception"},
    {"BetweenListedCodes", 0xC0000007u, "Unknown exception"},
    {"AllBitsSet", 0xFFFFFFFFu, "Unknown exception"},
    {"ApplicationDefined", 0xE06D7363u, "Unknown exception"},
};

INSTANTIATE_TEST_SUITE_P(FaultGuard, Description, testing::ValuesIn(kDescriptions),
                         test::CaseName());

struct SignalCase {
  const char* name;
  int signalNumber;
  int signalCode;
  bool onStackGuard;
  UInt32 expected;
};

class SignalTranslation : public testing::TestWithParam<SignalCase> {};

TEST_P(SignalTranslation, GivesTheExceptionCode) {
  const SignalCase& c = GetParam();
  EXPECT_EQ(ExceptionCodeForSignal(c.signalNumber, c.signalCode, c.onStackGuard), c.expected);
}

const SignalCase kSignals[] = {
    {"SegvMapError", SIGSEGV, SEGV_MAPERR, false, 0xC0000005u},
    {"SegvAccessError", SIGSEGV, SEGV_ACCERR, false, 0xC0000005u},
    {"SegvOnStackGuard", SIGSEGV, SEGV_MAPERR, true, 0xC00000FDu},
    {"BusAlignment", SIGBUS, BUS_ADRALN, false, 0x80000002u},
    {"BusAddress", SIGBUS, BUS_ADRERR, false, 0xC0000005u},
    {"BusObject", SIGBUS, BUS_OBJERR, false, 0xC0000005u},
    {"IntDivide", SIGFPE, FPE_INTDIV, false, 0xC0000094u},
    {"IntOverflow", SIGFPE, FPE_INTOVF, false, 0xC0000095u},
    {"FltDivide", SIGFPE, FPE_FLTDIV, false, 0xC000008Eu},
    {"FltOverflow", SIGFPE, FPE_FLTOVF, false, 0xC0000091u},
    {"FltUnderflow", SIGFPE, FPE_FLTUND, false, 0xC0000093u},
    {"FltInexact", SIGFPE, FPE_FLTRES, false, 0xC000008Fu},
    {"FltInvalid", SIGFPE, FPE_FLTINV, false, 0xC0000090u},
    {"FltSubscript", SIGFPE, FPE_FLTSUB, false, 0xC000008Cu},
    {"FpeSentByProcess", SIGFPE, SI_USER, false, 0u},
    {"IllegalOpcode", SIGILL, ILL_ILLOPC, false, 0xC000001Du},
    {"IllegalOperand", SIGILL, ILL_ILLOPN, false, 0xC000001Du},
    {"PrivilegedOpcode", SIGILL, ILL_PRVOPC, false, 0xC0000096u},
    {"TrapBreakpoint", SIGTRAP, TRAP_BRKPT, false, 0x80000003u},
    {"TrapInstruction", SIGTRAP, SI_KERNEL, false, 0x80000003u},
    {"TrapTrace", SIGTRAP, TRAP_TRACE, false, 0x80000004u},
    {"Abort", SIGABRT, SI_TKILL, false, 0u},
    {"BadSystemCall", SIGSYS, 0, false, 0u},
};

INSTANTIATE_TEST_SUITE_P(FaultGuard, SignalTranslation, testing::ValuesIn(kSignals),
                         test::CaseName());

int ReturnsSeven(int, char**) { return 7; }
int ReturnsArgumentCount(int argc, char**) { return argc; }

TEST(RunGuarded, PassesTheRunResultThrough) {
  char program[] = "velmora-barcode";
  char* argv[] = {program, program, nullptr};
  EXPECT_EQ(RunGuarded(2, argv, ReturnsSeven), 7);
  EXPECT_EQ(RunGuarded(2, argv, ReturnsArgumentCount), 2);
}

TEST(RunGuarded, PutsThePreviousHandlersBack) {
  struct sigaction before {};
  sigaction(SIGSEGV, nullptr, &before);
  char program[] = "velmora-barcode";
  char* argv[] = {program, nullptr};
  RunGuarded(1, argv, ReturnsSeven);
  struct sigaction after {};
  sigaction(SIGSEGV, nullptr, &after);
  EXPECT_EQ(reinterpret_cast<void*>(after.sa_sigaction),
            reinterpret_cast<void*>(before.sa_sigaction));
}

}  // namespace
}  // namespace vexo
