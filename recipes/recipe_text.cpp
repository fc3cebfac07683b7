// The recipe text: writing and reading face, edge and vertex recipes.
//
// Both directions work on the stream buffer rather than through formatted stream operations, as
// the tag text does: a recipe text is a long run of tiny items, and a formatted operation per item
// (with its sentry and locale lookups) costs more than the item. The writer gathers items in a
// local buffer and hands them to the stream in blocks; the reader takes items the way the standard
// extractions of a word and of a 32-bit int take them (same characters consumed, same value or
// failure, same stream state afterwards), with the C locale's white space and plain decimal
// numbers whatever the stream's locale, flags and width. The tag lists inside are written and read
// by tag_info itself on the same stream, so the two readers share the stream's position and state.
// to_string and from_string run the same code over a stream on an in-memory buffer.
#include <tagtrack/recipes/recipe_text.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <tagtrack/recipes/internal/recipe_text_reading.h>
#include <tagtrack/tagging/internal/item_buffer.h>
#include <tagtrack/tagging/internal/stream_number.h>

namespace TPI_TAGGING_TRACKING {

namespace {

using stream_number::is_space;

// The items of a recipe text; the tag lists inside are written by tag_info on the same stream.
class text_writer : public item_buffer<256> {
 public:
  using item_buffer::item_buffer;

  // The type word and its blank, "F ", "E " or "V ".
  void type_word(char type) { put(type, ' '); }
  void blank() { put(' '); }
  void tags(const tag_info& tags) {
    flush();
    tags.write_text(out());
  }
};

// Takes the words and numbers of a recipe text from the stream buffer. Each item behaves as the
// standard extraction would: nothing is read from a stream that is not good (the item fails),
// white space is skipped first, reaching the end of the text sets eofbit, and an item that cannot
// be read sets failbit. The state goes to the stream after each item, so that the tag text reader
// (tag_info::read_text), which reads from the same stream, sees it.
class text_reader {
 public:
  explicit text_reader(std::istream& in) : m_in(in), m_buffer(in.rdbuf()) {
    if (in.good() && in.tie() != nullptr) in.tie()->flush();
  }
  text_reader(const text_reader&) = delete;
  text_reader& operator=(const text_reader&) = delete;

  // Once this is false, every further item fails.
  bool good() const { return m_in.good(); }

  // Skips one word, of any length; like extracting a std::string, without keeping it.
  void skip_word() {
    std::ios_base::iostate state = std::ios_base::goodbit;
    if (skip_space(state)) {
      for (;;) {
        m_buffer->sbumpc();
        const int c = m_buffer->sgetc();
        if (traits::eq_int_type(c, traits::eof())) {
          state |= std::ios_base::eofbit;
          break;
        }
        if (is_space(c)) break;
      }
    }
    finish(state);
  }

  // Reads a decimal 32-bit int: an optional sign and at least one digit, every digit consumed even
  // when the value no longer fits. `value` changes only when the item is read; an item out of
  // range fails like a non-numeric one.
  void read_int(std::int32_t& value) {
    std::ios_base::iostate state = std::ios_base::goodbit;
    if (skip_space(state)) stream_number::read_int32(*m_buffer, state, value);
    finish(state);
  }

  void read_tags(tag_info& tags, std::int32_t version) { tags.read_text(m_in, version); }

 private:
  using traits = std::char_traits<char>;

  // Skips white space up to the item; false (the item fails) when the stream is not good or the
  // text ends first.
  bool skip_space(std::ios_base::iostate& state) {
    if (!m_in.good()) {
      state |= std::ios_base::failbit;
      return false;
    }
    return stream_number::skip_space(*m_buffer, state);
  }

  void finish(std::ios_base::iostate state) {
    if (state != std::ios_base::goodbit) m_in.setstate(state);
  }

  std::istream& m_in;
  std::streambuf* m_buffer;
};

// A read-only view of a text as a stream buffer: from_string reads the caller's text in place.
class text_view_buffer : public std::streambuf {
 public:
  text_view_buffer(const char* text, std::size_t length) {
    // The get area is only ever read: nothing writes back into a view (putting back a character
    // other than the one just read fails).
    char* begin = const_cast<char*>(text);
    setg(begin, begin, begin + length);
  }
  // How many characters have been read.
  std::size_t taken() const { return static_cast<std::size_t>(gptr() - eback()); }
};

// A stream buffer that appends everything written to a string.
class string_sink_buffer : public std::streambuf {
 public:
  explicit string_sink_buffer(std::string& text) noexcept : m_text(text) {}

 protected:
  std::streamsize xsputn(const char* items, std::streamsize count) override {
    m_text.append(items, static_cast<std::size_t>(count));
    return count;
  }
  int_type overflow(int_type c) override {
    if (!traits_type::eq_int_type(c, traits_type::eof()))
      m_text.push_back(traits_type::to_char_type(c));
    return traits_type::not_eof(c);
  }

 private:
  std::string& m_text;
};

// Runs `write` on a stream over a string and hands the text out in a new array of exactly its
// length plus the terminating NUL.
template <class Write>
void write_to_new_array(char*& text, Write write) {
  std::string written;
  string_sink_buffer buffer(written);
  std::ostream out(&buffer);
  out.exceptions(std::ios_base::badbit);  // an allocation failure passes out, not a cut text
  write(out);
  char* result = new char[written.size() + 1];
  std::memcpy(result, written.c_str(), written.size() + 1);
  text = result;
}

// Runs `read` on a stream over the caller's text; a null text reads nothing.
template <class Read>
void read_from_text(const char* text, Read read) {
  if (text == nullptr) return;
  text_view_buffer buffer(text, std::strlen(text));
  std::istream in(&buffer);
  read(in);
}

// The version a face or edge recipe is written with: version 1 texts carry numeric primary ids
// that the current tag form cannot express, so such recipes are written as the current version.
std::int32_t written_version(std::int32_t version) {
  return version == 1 ? current_recipe_version : version;
}

// Appends the items read into a recipe's list; a fresh recipe takes the list as it is.
template <class T>
void append_items(std::vector<T>& target, std::vector<T>& items) {
  if (target.empty())
    target.swap(items);
  else
    target.insert(target.end(), items.begin(), items.end());
}

}  // namespace

// The writers and readers of each kind. Readers gather a recipe in locals and store it only once
// its text is read, so a reader that throws (a bound exceeded) leaves the recipe unchanged.
struct recipe_text {
  static void write(text_writer& out, const FACE_RECIPE& face) {
    out.type_word('F');
    out.number(written_version(face.m_version));
    out.tags(face.m_tags);
  }

  static void write(text_writer& out, const VERTEX_RECIPE& vertex) {
    out.type_word('V');
    out.number(current_recipe_version);
    out.tags(vertex.m_tags);
    out.blank_count(vertex.m_face_recipes.size());
    for (const FACE_RECIPE& face : vertex.m_face_recipes) {
      out.blank();
      write(out, face);
    }
    out.blank_count(vertex.m_uv_orders.size());
    for (const auto& [key, uv] : vertex.m_uv_orders) {
      out.blank_number(key);
      out.blank();
      out.blank_number(uv.m_num_vertices);
      out.blank_number(uv.m_u_rank);
      out.blank_number(uv.m_u_first);
      out.blank_number(uv.m_u_last);
      out.blank_number(uv.m_v_rank);
      out.blank_number(uv.m_v_first);
      out.blank_number(uv.m_v_last);
    }
  }

  static void write(text_writer& out, const EDGE_RECIPE& edge) {
    out.type_word('E');
    out.number(written_version(edge.m_version));
    out.tags(edge.m_tags);
    out.blank_count(edge.m_face_recipes.size());
    for (const FACE_RECIPE& face : edge.m_face_recipes) {
      out.blank();
      write(out, face);
    }
    out.blank_count(edge.m_vertex_recipes.size());
    for (const VERTEX_RECIPE& vertex : edge.m_vertex_recipes) {
      out.blank();
      write(out, vertex);
    }
  }

  // The type word is skipped whatever it holds; the version read decides the tag layout.
  static void read(text_reader& in, FACE_RECIPE& face) {
    in.skip_word();
    std::int32_t version = 0;
    in.read_int(version);
    tag_info tags;
    in.read_tags(tags, version);
    face.m_version = version;
    face.m_tags = std::move(tags);
  }

  // A vertex recipe keeps its own version; the version read decides the tag layout and whether
  // uv entries follow (3 and above).
  static void read(text_reader& in, VERTEX_RECIPE& vertex) {
    in.skip_word();
    std::int32_t version = 0;
    in.read_int(version);
    tag_info tags;
    in.read_tags(tags, version);
    std::vector<FACE_RECIPE> faces;
    read_list(in, faces);
    VERTEX_RECIPE::uv_orders uv;
    if (version > 2) read_uv_orders(in, uv);

    vertex.m_tags = std::move(tags);
    append_items(vertex.m_face_recipes, faces);
    if (vertex.m_uv_orders.empty()) {
      vertex.m_uv_orders.swap(uv);
    } else {
      for (const auto& [key, data] : uv) vertex.m_uv_orders[key] = data;
    }
  }

  static void read(text_reader& in, EDGE_RECIPE& edge) {
    in.skip_word();
    std::int32_t version = 0;
    in.read_int(version);
    tag_info tags;
    in.read_tags(tags, version);
    std::vector<FACE_RECIPE> faces;
    read_list(in, faces);
    std::vector<VERTEX_RECIPE> vertices;
    read_list(in, vertices);

    edge.m_version = version;
    edge.m_tags = std::move(tags);
    append_items(edge.m_face_recipes, faces);
    append_items(edge.m_vertex_recipes, vertices);
  }

  // A count and that many nested recipes, each read into a fresh recipe. Once the text has ended
  // or failed the remaining ones are still made, empty (a face recipe then has version 0), as the
  // count announced; the bound keeps a damaged count from asking for unbounded work and memory.
  template <class Recipe>
  static void read_list(text_reader& in, std::vector<Recipe>& recipes) {
    std::int32_t count = 0;
    in.read_int(count);
    if (count <= 0) return;
    if (static_cast<std::size_t>(count) > max_nested_recipes)
      throw std::length_error("recipe text: a list announces more nested recipes than allowed");
    recipes.reserve(static_cast<std::size_t>(count));
    for (std::int32_t i = 0; i < count; ++i) {
      recipes.emplace_back();
      read(in, recipes.back());
    }
  }

  // A count and that many entries of a key and seven fields; a later key replaces an earlier one.
  // Once the text has ended or failed, every remaining entry would read as key 0 with all fields
  // 0, so that entry is stored once and reading stops: the work follows the text, not the count.
  static void read_uv_orders(text_reader& in, VERTEX_RECIPE::uv_orders& uv) {
    std::int32_t count = 0;
    in.read_int(count);
    for (std::int32_t i = 0; i < count; ++i) {
      if (!in.good()) {
        uv[0] = uv_order_data();
        return;
      }
      std::int32_t key = 0;
      in.read_int(key);
      uv_order_data data;
      in.read_int(data.m_num_vertices);
      in.read_int(data.m_u_rank);
      in.read_int(data.m_u_first);
      in.read_int(data.m_u_last);
      in.read_int(data.m_v_rank);
      in.read_int(data.m_v_first);
      in.read_int(data.m_v_last);
      uv[key] = data;
    }
  }

  template <class Recipe>
  static void write_to_stream(std::ostream& out, const Recipe& recipe) {
    text_writer writer(out);
    write(writer, recipe);
    writer.flush();
  }

  template <class Recipe>
  static void read_from_stream(std::istream& in, Recipe& recipe) {
    text_reader reader(in);
    read(reader, recipe);
  }
};

void FACE_RECIPE::write_to_stream(std::ostream& out) {
  recipe_text::write_to_stream(out, *this);
}

void FACE_RECIPE::read_from_stream(std::istream& in) {
  recipe_text::read_from_stream(in, *this);
}

void FACE_RECIPE::to_string(char*& text) {
  write_to_new_array(text, [this](std::ostream& out) { write_to_stream(out); });
}

void FACE_RECIPE::from_string(const char* text) {
  read_from_text(text, [this](std::istream& in) { read_from_stream(in); });
}

void VERTEX_RECIPE::write_to_stream(std::ostream& out) {
  recipe_text::write_to_stream(out, *this);
}

void VERTEX_RECIPE::read_from_stream(std::istream& in) {
  recipe_text::read_from_stream(in, *this);
}

void VERTEX_RECIPE::to_string(char*& text) {
  write_to_new_array(text, [this](std::ostream& out) { write_to_stream(out); });
}

void VERTEX_RECIPE::from_string(const char* text) {
  read_from_text(text, [this](std::istream& in) { read_from_stream(in); });
}

void EDGE_RECIPE::to_string(char*& text) {
  write_to_new_array(text, [this](std::ostream& out) { recipe_text::write_to_stream(out, *this); });
}

void EDGE_RECIPE::from_string(const char* text) {
  read_from_text(text, [this](std::istream& in) { recipe_text::read_from_stream(in, *this); });
}

text_reading read_recipe_text(std::string_view text, IRecipe& recipe) {
  text_view_buffer buffer(text.data(), text.size());
  std::istream in(&buffer);
  if (auto* edge = dynamic_cast<EDGE_RECIPE*>(&recipe)) {
    recipe_text::read_from_stream(in, *edge);
  } else if (auto* vertex = dynamic_cast<VERTEX_RECIPE*>(&recipe)) {
    recipe_text::read_from_stream(in, *vertex);
  } else if (auto* face = dynamic_cast<FACE_RECIPE*>(&recipe)) {
    recipe_text::read_from_stream(in, *face);
  }
  return {in.rdstate(), buffer.taken()};
}

bool save_to_string(char*& text, IRecipe* recipe) {
  text = nullptr;  // stays null for a recipe kind that writes no text
  if (recipe == nullptr) return false;
  recipe->to_string(text);
  return true;
}

bool restore_from_string(const char* text, IRecipe*& recipe) {
  if (text == nullptr) return false;
  const char* word = text;
  while (is_space(static_cast<unsigned char>(*word))) ++word;
  if (*word == '\0' || (word[1] != '\0' && !is_space(static_cast<unsigned char>(word[1]))))
    return false;
  std::unique_ptr<IRecipe> made;
  switch (*word) {
    case 'F':
      made.reset(new FACE_RECIPE());
      break;
    case 'E':
      made.reset(new EDGE_RECIPE());
      break;
    case 'V':
      made.reset(new VERTEX_RECIPE());
      break;
    default:
      return false;
  }
  made->from_string(text);
  recipe = made.release();
  return true;
}

namespace {

bool tags_survive(const tag_info& tags, const char* whose, std::string* reason) {
  if (survives_tag_text(tags, reason)) return true;
  if (reason != nullptr) *reason = std::string(whose) + ": " + *reason;
  return false;
}

bool face_survives(const FACE_RECIPE& face, const char* whose, std::string* reason) {
  return tags_survive(face.tags(), whose, reason);
}

// A longer list of nested recipes is written in full, but its count makes the reader refuse the
// whole text.
template <class List>
bool count_survives(const List& recipes, const char* what, std::string* reason) {
  if (recipes.size() <= max_nested_recipes) return true;
  if (reason != nullptr) {
    *reason = std::string(what) + ": " + std::to_string(recipes.size()) +
              " nested recipes, more than the " + std::to_string(max_nested_recipes) +
              " a list may announce";
  }
  return false;
}

bool vertex_survives(const VERTEX_RECIPE& vertex, std::string* reason) {
  if (!tags_survive(*vertex.get_tags(), "a vertex's own tags", reason)) return false;
  if (!count_survives(*vertex.get_face_recipes(), "the faces around a vertex", reason)) {
    return false;
  }
  for (const FACE_RECIPE& face : *vertex.get_face_recipes()) {
    if (!face_survives(face, "a face around a vertex", reason)) return false;
  }
  return true;
}

}  // namespace

bool survives_recipe_text(const IRecipe* recipe, std::string* reason) {
  if (const auto* face = dynamic_cast<const FACE_RECIPE*>(recipe)) {
    return face_survives(*face, "the face", reason);
  }
  if (const auto* vertex = dynamic_cast<const VERTEX_RECIPE*>(recipe)) {
    return vertex_survives(*vertex, reason);
  }
  if (const auto* edge = dynamic_cast<const EDGE_RECIPE*>(recipe)) {
    if (!tags_survive(*edge->get_tags(), "the edge's own tags", reason)) return false;
    if (!count_survives(*edge->get_face_recipes(), "the faces along the edge", reason) ||
        !count_survives(*edge->get_vertex_recipes(), "the edge's vertices", reason)) {
      return false;
    }
    for (const FACE_RECIPE& face : *edge->get_face_recipes()) {
      if (!face_survives(face, "a face along the edge", reason)) return false;
    }
    for (const VERTEX_RECIPE& vertex : *edge->get_vertex_recipes()) {
      if (!vertex_survives(vertex, reason)) return false;
    }
    return true;
  }
  if (reason != nullptr) *reason = "there is no recipe";
  return false;
}

}  // namespace TPI_TAGGING_TRACKING
