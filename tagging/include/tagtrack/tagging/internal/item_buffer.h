// Writing a text of many tiny items (characters and decimal numbers): the items are gathered in a
// local buffer and handed to the stream in blocks, since one unformatted write per block costs less
// than a formatted insertion (with its sentry and locale lookups) per item. Numbers are written in
// plain decimal whatever the stream's flags, width and locale. Used by the tag text and recipe text
// writers.
#pragma once

#include <charconv>
#include <cstddef>
#include <cstdint>
#include <ostream>

namespace TPI_TAGGING_TRACKING {

template <std::size_t Size>
class item_buffer {
 public:
  explicit item_buffer(std::ostream& out) noexcept : m_out(out) {}
  item_buffer(const item_buffer&) = delete;
  item_buffer& operator=(const item_buffer&) = delete;

  void put(char c) {
    make_room(1);
    *m_end++ = c;
  }
  void put(char first, char second) {
    make_room(2);
    m_end[0] = first;
    m_end[1] = second;
    m_end += 2;
  }
  void number(std::int32_t value) {
    make_room(max_digits);
    m_end = std::to_chars(m_end, m_buffer + Size, value).ptr;
  }
  void blank_number(std::int32_t value) {
    make_room(1 + max_digits);
    *m_end++ = ' ';
    m_end = std::to_chars(m_end, m_buffer + Size, value).ptr;
  }
  // Counts of lists are written as 32-bit ints, as the readers take them.
  void blank_count(std::size_t count) { blank_number(static_cast<std::int32_t>(count)); }

  // Hands what is gathered to the stream; a writer that adds to the stream itself (out()) flushes
  // first.
  void flush() {
    if (m_end != m_buffer) m_out.write(m_buffer, m_end - m_buffer);
    m_end = m_buffer;
  }
  std::ostream& out() const noexcept { return m_out; }

 private:
  static constexpr std::size_t max_digits = 11;  // "-2147483648"
  static_assert(Size > max_digits, "a blank and a number fit in the buffer");

  void make_room(std::size_t bytes) {
    if (static_cast<std::size_t>(m_buffer + Size - m_end) < bytes) flush();
  }

  std::ostream& m_out;
  char m_buffer[Size];
  char* m_end = m_buffer;
};

}  // namespace TPI_TAGGING_TRACKING
