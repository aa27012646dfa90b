#pragma once
// The two kinds of JSON scalar the result document holds, appended to a text
// buffer: quoted strings and doubles.

#include <cstddef>
#include <string>

namespace vexo {

// Appends `bytes` as a quoted JSON string, escaped the way RapidJSON's Writer
// escapes: \" and \\, the short escapes \b \t \n \f \r, \u00XX (upper-case
// hex) for the other bytes below 0x20, everything else unchanged.
void AppendJsonString(std::string& out, const char* bytes, std::size_t length);

// Appends `value` as a JSON number: the shortest digits that read back as the
// same double (the closest such digits on a tie), always with a fractional
// part ("72.0", "-0.25"), plain decimals from 1e-6 up to below 1e21 and the
// exponent form outside that range ("1e-7", "1.5e21"). A value that is not
// finite has no JSON number and is written as null.
void AppendJsonDouble(std::string& out, double value);

}  // namespace vexo
