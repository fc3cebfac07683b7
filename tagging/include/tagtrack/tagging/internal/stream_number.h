// Reading decimal numbers straight from a buffer (a stream's, or text_cursor) with the outcome of
// the standard integer extractions: the same characters consumed, the same value or failure, the
// same state bits. White space and digits are those of the C locale, whatever the stream's locale,
// flags and width. The callers (the tag text and recipe text readers) keep the state themselves;
// these functions only add bits to the state they are given.
#pragma once

#include <cstdint>
#include <ios>
#include <limits>
#include <streambuf>
#include <string>

namespace TPI_TAGGING_TRACKING {
namespace stream_number {

// White space as the C locale classifies it.
inline bool is_space(int c) noexcept {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Skips white space up to the next item; at the end of the text adds eofbit and failbit to
// `state` and gives false (the item fails).
template <class Buffer>
inline bool skip_space(Buffer& buffer, std::ios_base::iostate& state) {
  using traits = std::char_traits<char>;
  for (;;) {
    const int c = buffer.sgetc();
    if (traits::eq_int_type(c, traits::eof())) {
      state |= std::ios_base::eofbit | std::ios_base::failbit;
      return false;
    }
    if (!is_space(c)) return true;
    buffer.sbumpc();
  }
}

// Reads an optional sign and the decimal digits after it, starting at the current character (white
// space already skipped). Every digit is consumed, even once the value no longer fits, and the
// character after the number stays unread; reaching the end of the text adds eofbit. False, with
// failbit added, when there is no digit or the magnitude does not fit 64 bits.
// Always inlined: a text is mostly short numbers, and a call per number (with the outputs stored
// through references) costs about as much as reading it.
template <class Buffer>
[[gnu::always_inline]] inline bool read_decimal(Buffer& buffer, std::ios_base::iostate& state,
                                                bool& negative, std::uint64_t& magnitude) {
  using traits = std::char_traits<char>;
  const auto peek = [&] {
    const int c = buffer.sgetc();
    if (traits::eq_int_type(c, traits::eof())) state |= std::ios_base::eofbit;
    return c;
  };
  negative = false;
  magnitude = 0;
  int c = peek();
  if (c == '-' || c == '+') {
    negative = c == '-';
    buffer.sbumpc();
    c = peek();
  }
  bool any_digit = false;
  bool too_large = false;
  while (c >= '0' && c <= '9') {
    any_digit = true;
    const unsigned digit = static_cast<unsigned>(c - '0');
    if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) too_large = true;
    magnitude = magnitude * 10 + digit;
    buffer.sbumpc();
    c = peek();
  }
  if (any_digit && !too_large) return true;
  state |= std::ios_base::failbit;
  return false;
}

// Reads a 32-bit int as read_decimal reads a number; a value out of range fails like a missing
// number. `value` changes only when the number is read.
template <class Buffer>
inline bool read_int32(Buffer& buffer, std::ios_base::iostate& state, std::int32_t& value) {
  bool negative = false;
  std::uint64_t magnitude = 0;
  if (!read_decimal(buffer, state, negative, magnitude)) return false;
  const std::uint64_t limit =
      negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
  if (magnitude > limit) {
    state |= std::ios_base::failbit;
    return false;
  }
  value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                   : static_cast<std::int32_t>(magnitude);
  return true;
}

}  // namespace stream_number
}  // namespace TPI_TAGGING_TRACKING
