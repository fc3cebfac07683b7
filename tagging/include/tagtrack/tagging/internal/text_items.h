// The items of the tag and recipe texts, and the sources that take them from a stream or from a
// text in memory.
//
// The texts have one grammar (tag_grammar.h for tag lists, recipe_grammar.h for recipes), walked
// over an item source. A source takes one item at a time and says whether it could; the grammar
// names each item and each nested place, so that a source which explains problems (the recipe text
// check) can say which item failed and where it stands, while the reading source ignores the names
// at no cost. Every source follows the same rules: white space is skipped before each item, a
// number ends at the first character that cannot continue it (left for the next item), and once an
// item fails every further item fails.
#pragma once

#include <cstddef>
#include <cstdint>
#include <ios>
#include <istream>
#include <stdexcept>
#include <streambuf>
#include <string>

#include <tagtrack/tagging/internal/stream_number.h>

namespace TPI_TAGGING_TRACKING {

// What the grammar expects at an item.
enum class text_item {
  type_word,             // a nested recipe's type word, taken whatever it holds
  version,               // a recipe's version
  tag_count,             // a tag list's number of tags
  numeric_primary_id,    // a version 1 tag's primary id, a number
  primary_id_length,     // the number of characters of a primary id
  primary_id_character,  // one of them
  secondary_id,          // a tag's secondary id
  operation_count,       // a tag's number of operation ids
  operation_id,          // one of them
  dropped_number,        // the number that ends a version 1 tag, read and dropped
  faces_around_vertex,   // a vertex recipe's number of face recipes
  faces_along_edge,      // an edge recipe's number of face recipes
  vertices_of_edge,      // an edge recipe's number of vertex recipes
  uv_order_count,        // a vertex recipe's number of uv order entries
  uv_order_key,          // an entry's face position
  uv_order_vertices,     // the seven fields of an entry, in their order
  uv_order_u_rank,
  uv_order_u_first,
  uv_order_u_last,
  uv_order_v_rank,
  uv_order_v_first,
  uv_order_v_last,
};

// An item and, for one of a counted run (a character, an operation id), its place in the run,
// counted from 1.
struct item_name {
  text_item what;
  std::int64_t index = 0;
  std::int64_t count = 0;
};

// A nested part of a text whose items follow: the i-th of n.
enum class text_place {
  tag,                 // a tag of a list
  face_around_vertex,  // a face recipe of a vertex recipe
  face_along_edge,     // a face recipe of an edge recipe
  vertex_of_edge,      // a vertex recipe of an edge recipe
  uv_order_entry,      // a uv order entry of a vertex recipe
};

// A count the grammar will not follow.
enum class text_refusal {
  too_many_tags,    // a tag list announcing more than tag_info::max_text_tags
  negative_length,  // a primary id shorter than no characters
  too_many_nested,  // a list announcing more nested recipes than the bound of recipe texts
};

// A text in memory read in place, with the two buffer operations the sources use: the next
// character (eof at the end) and taking it.
class text_cursor {
 public:
  text_cursor(const char* text, std::size_t length) noexcept
      : m_begin(text), m_next(text), m_end(text + length) {}

  int sgetc() const noexcept {
    return m_next == m_end ? traits::eof() : traits::to_int_type(*m_next);
  }
  int sbumpc() noexcept { return m_next == m_end ? traits::eof() : traits::to_int_type(*m_next++); }

  // How many characters have been taken.
  std::size_t taken() const noexcept { return static_cast<std::size_t>(m_next - m_begin); }

 private:
  using traits = std::char_traits<char>;
  const char* m_begin;
  const char* m_next;
  const char* m_end;
};

// The reading source over a buffer (a stream's, or a text_cursor): items with the outcome of the
// standard extractions (same characters consumed, same value or failure, same state bits after)
// but the C locale's white space and plain decimal numbers whatever a stream's locale, flags and
// width. A null buffer reads as a text that has failed.
template <class Buffer>
class item_source {
 public:
  // What enter() gives: the reading source keeps no places.
  struct no_place {};

  explicit item_source(Buffer* buffer) noexcept
      : m_buffer(buffer),
        m_state(buffer == nullptr ? std::ios_base::failbit : std::ios_base::goodbit) {}
  item_source(const item_source&) = delete;
  item_source& operator=(const item_source&) = delete;

  // Once this is false every further item fails.
  bool good() const noexcept { return m_state == std::ios_base::goodbit; }

  // The state bits the items so far have set, as the extractions would have set them.
  std::ios_base::iostate state() const noexcept { return m_state; }

  // Ends the text here: nothing more is read, as if the text had failed at this point.
  void stop() noexcept { m_state |= std::ios_base::failbit; }

  no_place enter(text_place, std::int64_t, std::int64_t) const noexcept { return {}; }

  // Skips one word of any length, like extracting a std::string without keeping it.
  void word(item_name) {
    if (!skip_space()) return;
    for (;;) {
      m_buffer->sbumpc();
      const int c = m_buffer->sgetc();
      if (traits::eq_int_type(c, traits::eof())) {
        m_state |= std::ios_base::eofbit;
        return;
      }
      if (stream_number::is_space(c)) return;
    }
  }

  bool character(item_name, char& c) {
    if (!skip_space()) return false;
    c = traits::to_char_type(m_buffer->sbumpc());
    return true;
  }

  // A decimal 32-bit int; `value` changes only when the item is read.
  bool int32(item_name, std::int32_t& value) {
    return skip_space() && stream_number::read_int32(*m_buffer, m_state, value);
  }

  // Like the standard unsigned extraction, a leading minus negates modulo 2^64.
  bool uint64(item_name, std::uint64_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!skip_space() || !stream_number::read_decimal(*m_buffer, m_state, negative, magnitude))
      return false;
    value = negative ? 0 - magnitude : magnitude;
    return true;
  }

  // A damaged count ends the text there; a list of nested recipes beyond its bound refuses the
  // whole read, as running out of memory would.
  void refuse(text_refusal refusal, item_name, std::int64_t) {
    if (refusal == text_refusal::too_many_nested)
      throw std::length_error("recipe text: a list announces more nested recipes than allowed");
    stop();
  }

 private:
  using traits = std::char_traits<char>;

  bool skip_space() {
    if (!good()) {
      m_state |= std::ios_base::failbit;
      return false;
    }
    return stream_number::skip_space(*m_buffer, m_state);
  }

  Buffer* m_buffer;
  std::ios_base::iostate m_state;
};

// The reading source over a text in memory.
using view_items = item_source<text_cursor>;

// The reading source over a stream: nothing is read from a stream that is not good, and the
// state reaches the stream in finish() (or, when an exception cuts reading short, in the
// destructor).
class stream_items : public item_source<std::streambuf> {
 public:
  explicit stream_items(std::istream& in) : item_source(usable_buffer(in)), m_in(in) {}
  stream_items(const stream_items&) = delete;
  stream_items& operator=(const stream_items&) = delete;
  ~stream_items() {
    if (m_finished) return;
    try {
      m_in.setstate(state());
    } catch (...) {  // the stream asked for exceptions, but one is already on its way
    }
  }

  // Hands the state to the stream, which throws if it asked to for that state.
  void finish() {
    m_finished = true;
    m_in.setstate(state());
  }

 private:
  static std::streambuf* usable_buffer(std::istream& in) {
    if (!in.good() || in.rdbuf() == nullptr) return nullptr;
    if (in.tie() != nullptr) in.tie()->flush();
    return in.rdbuf();
  }

  std::istream& m_in;
  bool m_finished = false;
};

}  // namespace TPI_TAGGING_TRACKING
