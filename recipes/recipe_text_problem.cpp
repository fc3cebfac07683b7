// Where a recipe text goes wrong: the recipe grammar walked over a source that takes the items as
// the reader does (same white space, numbers and bounds) and, at the first item the reader could
// not take, says what was expected there, what was found, and in which nested part it stands.
#include <tagtrack/recipes/recipe_text_problem.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <tagtrack/recipes/internal/recipe_grammar.h>
#include <tagtrack/recipes/recipe_text.h>
#include <tagtrack/tagging/internal/printable.h>
#include <tagtrack/tagging/internal/stream_number.h>
#include <tagtrack/tagging/internal/text_items.h>
#include <tagtrack/tagging/tag_info.h>

namespace TPI_TAGGING_TRACKING {

namespace {

using stream_number::is_space;

// A piece of the text as a person would want it quoted: up to 24 bytes, printable ones as they
// are, others as \xHH.
std::string quoted(std::string_view text) {
  return "'" + printable(text.data(), text.size(), 24) + "'";
}

std::string numbered(const char* what, std::int64_t i, std::int64_t count) {
  return std::string(what) + " " + std::to_string(i) + " of " + std::to_string(count);
}

// The words for an item, as the problem's sentence names it.
std::string item_words(const item_name& item) {
  switch (item.what) {
    case text_item::type_word:
      return "its type word";
    case text_item::version:
      return "the version";
    case text_item::tag_count:
      return "the number of tags";
    case text_item::numeric_primary_id:
      return "the primary id (a number in a version 1 text)";
    case text_item::primary_id_length:
      return "the length of the primary id";
    case text_item::primary_id_character:
      return numbered("character", item.index, item.count) + " of the primary id";
    case text_item::secondary_id:
      return "the secondary id";
    case text_item::operation_count:
      return "the number of operation ids";
    case text_item::operation_id:
      return numbered("operation id", item.index, item.count);
    case text_item::dropped_number:
      return "the last number of a version 1 tag (read and dropped)";
    case text_item::faces_around_vertex:
      return "the number of faces around the vertex";
    case text_item::faces_along_edge:
      return "the number of faces along the edge";
    case text_item::vertices_of_edge:
      return "the number of vertices of the edge";
    case text_item::uv_order_count:
      return "the number of uv order entries";
    case text_item::uv_order_key:
      return "the face position";
    case text_item::uv_order_vertices:
      return "the number of vertices";
    case text_item::uv_order_u_rank:
      return "the u rank";
    case text_item::uv_order_u_first:
      return "the first u tie";
    case text_item::uv_order_u_last:
      return "the last u tie";
    case text_item::uv_order_v_rank:
      return "the v rank";
    case text_item::uv_order_v_first:
      return "the first v tie";
    case text_item::uv_order_v_last:
      return "the last v tie";
  }
  return "an item";
}

std::string place_words(text_place place, std::int64_t i, std::int64_t count) {
  switch (place) {
    case text_place::tag:
      return numbered("tag", i, count);
    case text_place::face_around_vertex:
      return numbered("face", i, count) + " around the vertex";
    case text_place::face_along_edge:
      return numbered("face", i, count) + " along the edge";
    case text_place::vertex_of_edge:
      return numbered("vertex", i, count) + " of the edge";
    case text_place::uv_order_entry:
      return numbered("uv order entry", i, count);
  }
  return "a part";
}

// The checking source. It reads the text up to its first NUL, as the reader does, from a view of
// the text. Once it has found a problem, every further item fails and nothing more is read.
class checked_items {
 public:
  // Where the items being read stand while it lives, as "vertex 1 of 2 of the edge".
  class place {
   public:
    place(checked_items& items, std::string name) : m_items(items) {
      m_items.m_places.push_back(std::move(name));
    }
    ~place() { m_items.m_places.pop_back(); }
    place(const place&) = delete;
    place& operator=(const place&) = delete;

   private:
    checked_items& m_items;
  };

  explicit checked_items(std::string_view text)
      : m_whole(text),
        m_text(text.substr(0, text.find('\0'))),
        m_buffer(m_text.data(), m_text.size()) {}

  const std::optional<recipe_text_fault>& fault() const { return m_fault; }

  bool good() const noexcept { return !m_fault; }
  void stop() noexcept {}  // a text that stops without a problem found has none

  place enter(text_place where, std::int64_t i, std::int64_t count) {
    return place(*this, good() ? place_words(where, i, count) : std::string());
  }

  // The outermost type word, which restore_from_string insists on: 'F', 'E', 'V', or 0 after a
  // problem.
  char first_word() {
    if (!skip_space()) {
      fail(at(), m_text.size() < m_whole.size()
                     ? "a NUL character ends the text before its type word"
                     : "the text is empty: a recipe text starts with F, E or V");
      return 0;
    }
    const std::string_view word = word_at(at());
    if (word == "F" || word == "E" || word == "V") {
      m_buffer.sbumpc();
      return word[0];
    }
    fail(at(), "unknown recipe type word " + quoted(word) +
                   ": a recipe text starts with F (a face), E (an edge) or V (a vertex)");
    return 0;
  }

  void word(item_name item) {
    if (!item_ahead(item)) return;
    while (!at_end() && !is_space(m_buffer.sgetc())) m_buffer.sbumpc();
  }

  bool character(item_name item, char& c) {
    if (!item_ahead(item)) return false;
    c = static_cast<char>(m_buffer.sbumpc());
    return true;
  }

  bool int32(item_name item, std::int32_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!decimal(item, negative, magnitude)) return false;
    const std::uint64_t limit =
        negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
    if (magnitude > limit)
      return fail(m_start,
                  item_words(item) + " " + quoted(taken()) + " does not fit a 32-bit integer");
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
  }

  bool uint64(item_name item, std::uint64_t& value) {
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!decimal(item, negative, magnitude)) return false;
    value = negative ? 0 - magnitude : magnitude;
    m_unsigned = value;
    return true;
  }

  // The count just read is refused; the problem stands where the count begins.
  void refuse(text_refusal refusal, item_name item, std::int64_t value) {
    switch (refusal) {
      case text_refusal::too_many_tags:
        if (taken().front() == '-') {
          fail(m_start, "the number of tags " + quoted(taken()) + " is negative");
        } else {
          fail(m_start, "the number of tags is " + std::to_string(m_unsigned) + ", more than the " +
                            std::to_string(tag_info::max_text_tags) + " a list may hold");
        }
        return;
      case text_refusal::negative_length:
        fail(m_start, item_words(item) + " is " + std::to_string(value) + ", below 0");
        return;
      case text_refusal::too_many_nested:
        fail(m_start, item_words(item) + " is " + std::to_string(value) + ", more than the " +
                          std::to_string(max_nested_recipes) + " a list may hold");
        return;
    }
  }

  // After the recipe, white space only; otherwise the problem is what follows.
  void trailing() {
    if (!good()) return;
    if (skip_space()) {
      fail(at(), "more text after the end of the recipe: " + quoted(m_text.substr(at())));
    } else if (m_text.size() < m_whole.size()) {
      fail(at(), "a NUL character after the recipe, where reading stops");
    }
  }

 private:
  std::size_t at() const { return m_buffer.taken(); }
  bool at_end() const { return at() == m_text.size(); }
  // The item read last, from where it began.
  std::string_view taken() const { return m_text.substr(m_start, at() - m_start); }

  // The word from `from` to the next white space, for quoting what was found.
  std::string_view word_at(std::size_t from) const {
    std::size_t end = from;
    while (end < m_text.size() && !is_space(static_cast<unsigned char>(m_text[end]))) ++end;
    return m_text.substr(from, end - from);
  }

  bool skip_space() {
    std::ios_base::iostate ignored = std::ios_base::goodbit;
    return stream_number::skip_space(m_buffer, ignored);
  }

  // Skips white space up to the item; a problem when the text ends first.
  bool item_ahead(const item_name& item) {
    if (!good()) return false;
    if (skip_space()) {
      m_start = at();
      return true;
    }
    return fail(at(), (m_text.size() < m_whole.size() ? "a NUL character ends the text before "
                                                      : "the text ends before ") +
                          item_words(item));
  }

  // A decimal number as the reader takes it (stream_number::read_decimal), told apart when it
  // fails: no digit at all, or more digits than 64 bits hold.
  bool decimal(const item_name& item, bool& negative, std::uint64_t& magnitude) {
    if (!item_ahead(item)) return false;
    std::ios_base::iostate state = std::ios_base::goodbit;
    if (stream_number::read_decimal(m_buffer, state, negative, magnitude)) return true;
    const std::string_view digits = taken();
    if (digits.find_first_of("0123456789") == std::string_view::npos) {
      return fail(m_start, "expected " + item_words(item) + " (a whole number), found " +
                               quoted(word_at(m_start)));
    }
    return fail(m_start, item_words(item) + " " + quoted(digits) + " is too large to read");
  }

  bool fail(std::size_t offset, const std::string& what) {
    recipe_text_fault fault;
    fault.offset = offset;
    for (std::size_t i = 0; i < offset; ++i) {
      if (m_whole[i] == '\n') {
        ++fault.line;
        fault.column = 1;
      } else {
        ++fault.column;
      }
    }
    for (const std::string& p : m_places) {
      fault.reason += (fault.reason.empty() ? "" : ", ") + p;
    }
    fault.reason += (fault.reason.empty() ? "" : ": ") + what;
    m_fault = std::move(fault);
    return false;
  }

  std::string_view m_whole;  // the text as given
  std::string_view m_text;   // what the reader reads: the text up to its first NUL
  text_cursor m_buffer;
  std::size_t m_start = 0;       // where the item read last begins
  std::uint64_t m_unsigned = 0;  // the unsigned number read last
  std::vector<std::string> m_places;
  std::optional<recipe_text_fault> m_fault;
};

template <class Recipe>
void check_body(checked_items& items) {
  Recipe read;
  recipe_grammar::body(items, read);
}

}  // namespace

std::optional<recipe_text_fault> recipe_text_problem(std::string_view text) {
  checked_items items(text);
  switch (items.first_word()) {
    case 'F':
      check_body<FACE_RECIPE>(items);
      break;
    case 'E':
      check_body<EDGE_RECIPE>(items);
      break;
    case 'V':
      check_body<VERTEX_RECIPE>(items);
      break;
    default:
      return items.fault();
  }
  items.trailing();
  return items.fault();
}

}  // namespace TPI_TAGGING_TRACKING
