#pragma once
// GL error reporting on the console, as the drawing code does after each draw call.

namespace qvgl {
// Text of a GL error code ("invalid enumerant", ...); "unknown error" for other codes.
const char* ErrorString(unsigned error);
// Reads the error state; when set, prints its text with "%s\n" and flushes. True when an
// error was pending.
bool ReportGLError();
}  // namespace qvgl
