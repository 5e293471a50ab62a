#include "data/Console.h"

#include <cstdarg>
#include <vector>

namespace qv {
namespace {

std::FILE* chosenStream = nullptr;
ConsoleWatcher& Watcher() {
  static ConsoleWatcher w;
  return w;
}

void Emit(std::FILE* stream, bool error, const char* format, std::va_list args) {
  std::va_list copy;
  va_copy(copy, args);
  const int n = std::vsnprintf(nullptr, 0, format, copy);
  va_end(copy);
  if (n < 0) return;
  std::vector<char> text(static_cast<size_t>(n) + 1);
  std::vsnprintf(text.data(), text.size(), format, args);
  std::fwrite(text.data(), 1, static_cast<size_t>(n), stream);
  std::fflush(stream);
  if (const ConsoleWatcher& w = Watcher()) {
    std::string line(text.data(), static_cast<size_t>(n));
    while (!line.empty() && line.back() == '\n') line.pop_back();
    w(line, error);
  }
}

}  // namespace

void ConsolePrint(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  Emit(chosenStream ? chosenStream : stdout, false, format, args);
  va_end(args);
}

void ConsoleError(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  Emit(stderr, true, format, args);
  va_end(args);
}

std::FILE* SetConsoleStream(std::FILE* stream) {
  std::FILE* previous = chosenStream;
  chosenStream = stream;
  return previous;
}

ConsoleWatcher SetConsoleWatcher(ConsoleWatcher watcher) {
  ConsoleWatcher previous = std::move(Watcher());
  Watcher() = std::move(watcher);
  return previous;
}

}  // namespace qv
