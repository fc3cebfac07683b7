#include <tagtrack/kernel/print.h>

#include <cstdarg>

int tpk_printf(const char* format, ...) {
  if (format == nullptr) return -1;
  va_list args;
  va_start(args, format);
  const int written = std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
  return written;
}

int tpk_fprintf(FILE* stream, const char* format, ...) {
  if (stream == nullptr || format == nullptr) return -1;
  va_list args;
  va_start(args, format);
  const int written = std::vfprintf(stream, format, args);
  va_end(args);
  return written;
}
