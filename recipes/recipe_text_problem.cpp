// Where a recipe text goes wrong: the text walked item by item in the order the reader takes its
// items (recipe_text.cpp for recipes, tag_text.cpp for tag lists), with the reader's rules for
// white space, numbers and bounds, stopping at the first item the reader could not take.
#include <tagtrack/recipes/recipe_text_problem.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include <tagtrack/recipes/recipe_text.h>
#include <tagtrack/tagging/internal/printable.h>
#include <tagtrack/tagging/internal/stream_number.h>
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

// Walks the text. Every member that takes an item gives false once a problem is found; the first
// problem is kept and nothing more is read.
class text_walk {
 public:
  explicit text_walk(std::string_view text)
      : m_whole(text), m_text(text.substr(0, text.find('\0'))) {}

  std::optional<recipe_text_fault> run() {
    if (recipe() && !trailing()) return std::nullopt;
    return m_fault;
  }

 private:
  // Where the item being read belongs, as "vertex 1 of the edge", "tag 2"; it prefixes reasons.
  class place {
   public:
    place(text_walk& walk, std::string name) : m_walk(walk) {
      m_walk.m_places.push_back(std::move(name));
    }
    ~place() { m_walk.m_places.pop_back(); }
    place(const place&) = delete;
    place& operator=(const place&) = delete;

   private:
    text_walk& m_walk;
  };

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

  // Skips white space up to the next item; false at the end of the text.
  bool item(const std::string& what) {
    while (m_at < m_text.size() && is_space(static_cast<unsigned char>(m_text[m_at]))) ++m_at;
    if (m_at < m_text.size()) return true;
    return fail(m_at, (m_text.size() < m_whole.size() ? "a NUL character ends the text before "
                                                      : "the text ends before ") +
                          what);
  }

  // The word from `at` to the next white space, for quoting what was found.
  std::string_view word_at(std::size_t at) const {
    std::size_t end = at;
    while (end < m_text.size() && !is_space(static_cast<unsigned char>(m_text[end]))) ++end;
    return m_text.substr(at, end - at);
  }

  // A decimal number as the reader takes it: an optional sign and every digit after it; the next
  // character is left for the next item. `start` is where the number begins.
  bool decimal(const std::string& what, std::size_t& start, bool& negative,
               std::uint64_t& magnitude) {
    if (!item(what)) return false;
    start = m_at;
    negative = false;
    magnitude = 0;
    if (m_text[m_at] == '-' || m_text[m_at] == '+') negative = m_text[m_at++] == '-';
    bool any_digit = false, too_large = false;
    while (m_at < m_text.size() && m_text[m_at] >= '0' && m_text[m_at] <= '9') {
      const unsigned digit = static_cast<unsigned>(m_text[m_at++] - '0');
      any_digit = true;
      if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) too_large = true;
      magnitude = magnitude * 10 + digit;
    }
    if (!any_digit)
      return fail(start, "expected " + what + " (a whole number), found " + quoted(word_at(start)));
    if (too_large)
      return fail(
          start, what + " " + quoted(m_text.substr(start, m_at - start)) + " is too large to read");
    return true;
  }

  bool int32(const std::string& what, std::int32_t& value) {
    std::size_t start = 0;
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!decimal(what, start, negative, magnitude)) return false;
    const std::uint64_t limit =
        negative ? std::uint64_t{1} << 31 : std::uint64_t{std::numeric_limits<std::int32_t>::max()};
    if (magnitude > limit) {
      return fail(start, what + " " + quoted(m_text.substr(start, m_at - start)) +
                             " does not fit a 32-bit integer");
    }
    value = negative ? static_cast<std::int32_t>(-static_cast<std::int64_t>(magnitude))
                     : static_cast<std::int32_t>(magnitude);
    return true;
  }

  // A count of nested recipes: above max_nested_recipes the reader refuses the text.
  bool nested_count(const std::string& what, std::int32_t& count) {
    while (m_at < m_text.size() && is_space(static_cast<unsigned char>(m_text[m_at]))) ++m_at;
    const std::size_t start = m_at;
    if (!int32(what, count)) return false;
    if (count > 0 && static_cast<std::size_t>(count) > max_nested_recipes) {
      return fail(start, what + " is " + std::to_string(count) + ", more than the " +
                             std::to_string(max_nested_recipes) + " a list may hold");
    }
    return true;
  }

  // The reader skips a nested recipe's type word, whatever it holds.
  bool type_word(const std::string& what) {
    if (!item(what)) return false;
    while (m_at < m_text.size() && !is_space(static_cast<unsigned char>(m_text[m_at]))) ++m_at;
    return true;
  }

  // The outermost type word, which restore_from_string insists on.
  bool first_word() {
    while (m_at < m_text.size() && is_space(static_cast<unsigned char>(m_text[m_at]))) ++m_at;
    if (m_at == m_text.size()) {
      return fail(m_at, m_text.size() < m_whole.size()
                            ? "a NUL character ends the text before its type word"
                            : "the text is empty: a recipe text starts with F, E or V");
    }
    const std::string_view word = word_at(m_at);
    if (word == "F" || word == "E" || word == "V") {
      m_at += 1;
      return true;
    }
    return fail(m_at, "unknown recipe type word " + quoted(word) +
                          ": a recipe text starts with F (a face), E (an edge) or V (a vertex)");
  }

  bool recipe() {
    if (!first_word()) return false;
    const char type = m_text[m_at - 1];
    if (type == 'F') return face();
    if (type == 'V') return vertex();
    return edge();
  }

  bool face() {
    std::int32_t version = 0;
    return int32("the version", version) && tags(version);
  }

  bool vertex() {
    std::int32_t version = 0, faces = 0;
    if (!int32("the version", version) || !tags(version)) return false;
    if (!nested_count("the number of faces around the vertex", faces)) return false;
    for (std::int32_t i = 1; i <= faces; ++i) {
      const place here(*this, numbered("face", i, faces) + " around the vertex");
      if (!type_word("its type word") || !face()) return false;
    }
    return version <= 2 || uv_orders();
  }

  bool edge() {
    std::int32_t version = 0, faces = 0, vertices = 0;
    if (!int32("the version", version) || !tags(version)) return false;
    if (!nested_count("the number of faces along the edge", faces)) return false;
    for (std::int32_t i = 1; i <= faces; ++i) {
      const place here(*this, numbered("face", i, faces) + " along the edge");
      if (!type_word("its type word") || !face()) return false;
    }
    if (!nested_count("the number of vertices of the edge", vertices)) return false;
    for (std::int32_t i = 1; i <= vertices; ++i) {
      const place here(*this, numbered("vertex", i, vertices) + " of the edge");
      if (!type_word("its type word") || !vertex()) return false;
    }
    return true;
  }

  bool uv_orders() {
    std::int32_t count = 0;
    if (!int32("the number of uv order entries", count)) return false;
    static const char* const fields[] = {"the number of vertices", "the u rank", "the first u tie",
                                         "the last u tie",         "the v rank", "the first v tie",
                                         "the last v tie"};
    for (std::int32_t i = 1; i <= count; ++i) {
      const place here(*this, numbered("uv order entry", i, count));
      std::int32_t value = 0;
      if (!int32("the face position", value)) return false;
      for (const char* field : fields) {
        if (!int32(field, value)) return false;
      }
    }
    return true;
  }

  // The tag list: its count, an unsigned 64-bit number that a minus sign wraps round (so "-1" is
  // far above the bound), and its tags.
  bool tags(std::int32_t version) {
    std::size_t start = 0;
    bool negative = false;
    std::uint64_t magnitude = 0;
    if (!decimal("the number of tags", start, negative, magnitude)) return false;
    const std::uint64_t value = negative ? 0 - magnitude : magnitude;
    if (value > tag_info::max_text_tags) {
      return fail(start,
                  negative ? "the number of tags " + quoted(m_text.substr(start, m_at - start)) +
                                 " is negative"
                           : "the number of tags is " + std::to_string(value) + ", more than the " +
                                 std::to_string(tag_info::max_text_tags) + " a list may hold");
    }
    const auto count = static_cast<std::int64_t>(value);
    for (std::int64_t i = 1; i <= count; ++i) {
      const place here(*this, numbered("tag", i, count));
      if (!tag(version)) return false;
    }
    return true;
  }

  bool tag(std::int32_t version) {
    if (version == 1) {
      std::size_t start = 0;
      bool negative = false;
      std::uint64_t number = 0;
      if (!decimal("the primary id (a number in a version 1 text)", start, negative, number))
        return false;
    } else {
      std::int32_t length = 0;
      while (m_at < m_text.size() && is_space(static_cast<unsigned char>(m_text[m_at]))) ++m_at;
      const std::size_t start = m_at;
      if (!int32("the length of the primary id", length)) return false;
      if (length < 0) {
        return fail(start,
                    "the length of the primary id is " + std::to_string(length) + ", below 0");
      }
      for (std::int32_t i = 1; i <= length; ++i) {
        if (!item(numbered("character", i, length) + " of the primary id")) return false;
        ++m_at;
      }
    }
    std::int32_t value = 0, operations = 0;
    if (!int32("the secondary id", value) || !int32("the number of operation ids", operations)) {
      return false;
    }
    for (std::int32_t i = 1; i <= operations; ++i) {
      if (!int32(numbered("operation id", i, operations), value)) return false;
    }
    return version != 1 || int32("the last number of a version 1 tag (read and dropped)", value);
  }

  // After the recipe, white space only; true when something else follows (the problem is kept).
  bool trailing() {
    while (m_at < m_text.size() && is_space(static_cast<unsigned char>(m_text[m_at]))) ++m_at;
    if (m_at < m_text.size()) {
      return !fail(m_at, "more text after the end of the recipe: " + quoted(m_text.substr(m_at)));
    }
    if (m_text.size() < m_whole.size()) {
      return !fail(m_at, "a NUL character after the recipe, where reading stops");
    }
    return false;
  }

  std::string_view m_whole;  // the text as given
  std::string_view m_text;   // what the reader reads: the text up to its first NUL
  std::size_t m_at = 0;
  std::vector<std::string> m_places;
  std::optional<recipe_text_fault> m_fault;
};

}  // namespace

std::optional<recipe_text_fault> recipe_text_problem(std::string_view text) {
  return text_walk(text).run();
}

}  // namespace TPI_TAGGING_TRACKING
