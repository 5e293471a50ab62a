#pragma once
// The console lines of loaders, analyses and writers ("3 frame loaded", "error; open file").
// They go to standard output unless the program chose another stream (the batch tool keeps
// standard output for its product), and a watcher may see each line as well (the viewer
// shows them where a user without a terminal looks).
#include <cstdio>
#include <functional>
#include <string>

namespace qv {

// One line (or more) in printf form, printed in full and flushed at once: a console that is
// a file or a pipe must not hold a message back until the program ends.
[[gnu::format(printf, 1, 2)]] void ConsolePrint(const char* format, ...);
// The same on standard error (diagnostics beside the format's own lines).
[[gnu::format(printf, 1, 2)]] void ConsoleError(const char* format, ...);

// Where ConsolePrint writes; null means standard output. Returns the previous choice.
std::FILE* SetConsoleStream(std::FILE* stream);

// Sees the text of every console line (its trailing newline removed) with whether it went
// to standard error. Returns the previous watcher.
using ConsoleWatcher = std::function<void(const std::string& text, bool error)>;
ConsoleWatcher SetConsoleWatcher(ConsoleWatcher watcher);

}  // namespace qv
