#include "app/FaultGuard.h"

#include "app/Messages.h"

namespace vexo {
namespace {

struct FaultDescription {
  UInt32 code;
  const char* text;
};

// The platform's documented wording for its exception codes.
constexpr FaultDescription kFaultDescriptions[] = {
    {0x80000001u,  // EXCEPTION_GUARD_PAGE
     "The thread accessed memory allocated with the PAGE_GUARD modifier."},
    {kCodeDatatypeMisalignment,
     "The thread attempts to read or write data that is misaligned on hardware that does not "
     "provide alignment. For example, 16-bit values must be aligned on 2-byte boundaries, 32-bit "
     "values on 4-byte boundaries, and so on."},
    {kCodeBreakpoint, "A breakpoint is encountered."},
    {kCodeSingleStep,
     "A trace trap or other single instruction mechanism signals that one instruction is "
     "executed."},
    {0x80000029u,  // STATUS_UNWIND_CONSOLIDATE
     "A frame consolidation has been executed."},
    {kCodeAccessViolation,
     "The thread attempts to read from or write to a virtual address for which it does not have "
     "access."},
    {0xC0000006u,  // EXCEPTION_IN_PAGE_ERROR
     "The thread tries to access a page that is not present, and the system is unable to load "
     "the page. For example, this exception might occur if a network connection is lost while "
     "running a program over a network."},
    {0xC0000008u,  // EXCEPTION_INVALID_HANDLE
     "The thread used a handle to a kernel object that was invalid (probably because it had been "
     "closed.)"},
    {kCodeIllegalInstruction, "The thread tries to execute an invalid instruction."},
    {0xC0000025u,  // EXCEPTION_NONCONTINUABLE_EXCEPTION
     "The thread attempts to continue execution after a non-continuable exception occurs."},
    {0xC0000026u,  // EXCEPTION_INVALID_DISPOSITION
     "An exception handler returns an invalid disposition to the exception dispatcher. "
     "Programmers using a high-level language such as C should never encounter this exception."},
    {kCodeArrayBoundsExceeded,
     "The thread attempts to access an array element that is out of bounds, and the underlying "
     "hardware supports bounds checking."},
    {0xC000008Du,  // EXCEPTION_FLT_DENORMAL_OPERAND
     "One of the operands in a floating point operation is denormal. A denormal value is one "
     "that is too small to represent as a standard floating point value."},
    {kCodeFltDivideByZero,
     "The thread attempts to divide a floating point value by a floating point divisor of 0 "
     "(zero)."},
    {kCodeFltInexactResult,
     "The result of a floating point operation cannot be represented exactly as a decimal "
     "fraction."},
    {kCodeFltInvalidOperation, "A floating point exception that is not included in this list."},
    {kCodeFltOverflow,
     "The exponent of a floating point operation is greater than the magnitude allowed by the "
     "corresponding type."},
    {0xC0000092u,  // EXCEPTION_FLT_STACK_CHECK
     "The stack has overflowed or underflowed, because of a floating point operation."},
    {kCodeFltUnderflow,
     "The exponent of a floating point operation is less than the magnitude allowed by the "
     "corresponding type."},
    {kCodeIntDivideByZero,
     "The thread attempts to divide an integer value by an integer divisor of 0 (zero)."},
    {kCodeIntOverflow,
     "The result of an integer operation creates a value that is too large to be held by the "
     "destination register. In some cases, this will result in a carry out of the most "
     "significant bit of the result. Some operations do not set the carry flag."},
    {kCodePrivInstruction,
     "The thread attempts to execute an instruction with an operation that is not allowed in the "
     "current computer mode."},
    {kCodeStackOverflow, "The thread uses up its stack."},
};

}  // namespace

const char* DescribeExceptionCode(UInt32 code) {
  for (const FaultDescription& entry : kFaultDescriptions) {
    if (entry.code == code) return entry.text;
  }
  return msg::kUnknownException;
}

}  // namespace vexo
