// Bytes from a user's text quoted in a message: printable ones as they are, others as \xHH, at
// most `limit` of them and "..." when there were more; a message never carries raw control bytes.
#pragma once

#include <cstddef>
#include <string>

namespace TPI_TAGGING_TRACKING {

inline std::string printable(const char* bytes, std::size_t size, std::size_t limit) {
  std::string out;
  for (std::size_t i = 0; i < size && i < limit; ++i) {
    const auto c = static_cast<unsigned char>(bytes[i]);
    if (c >= 0x20 && c < 0x7f) {
      out += static_cast<char>(c);
    } else {
      static const char digits[] = "0123456789abcdef";
      out += "\\x";
      out += digits[c >> 4];
      out += digits[c & 15];
    }
  }
  if (size > limit) out += "...";
  return out;
}

}  // namespace TPI_TAGGING_TRACKING
