// The recipe text: writing and reading face, edge and vertex recipes.
//
// Both directions work on the stream buffer rather than through formatted stream operations, as
// the tag text does: a recipe text is a long run of tiny items, and a formatted operation per item
// (with its sentry and locale lookups) costs more than the item. The writer gathers items in a
// local buffer and hands them to the stream in blocks; the reader walks the recipe grammar
// (recipe_grammar.h) over the stream's items (text_items.h), which it takes the way the standard
// extractions of a word and of a 32-bit int take them. to_string and from_string run the same code
// over a stream on an in-memory buffer.
#include <tagtrack/recipes/recipe_text.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <istream>
#include <memory>
#include <ostream>
#include <streambuf>
#include <string>
#include <string_view>

#include <tagtrack/recipes/internal/recipe_grammar.h>
#include <tagtrack/recipes/internal/recipe_text_reading.h>
#include <tagtrack/tagging/internal/item_buffer.h>
#include <tagtrack/tagging/internal/stream_number.h>
#include <tagtrack/tagging/internal/text_items.h>

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

// The version a face or edge recipe is written with: version 1 texts carry numeric primary ids
// that the current tag form cannot express, so such recipes are written as the current version.
std::int32_t written_version(std::int32_t version) {
  return version == 1 ? current_recipe_version : version;
}

}  // namespace

// The writers of each kind, and the stream members' entry to the grammar.
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

  template <class Recipe>
  static void write_to_stream(std::ostream& out, const Recipe& recipe) {
    text_writer writer(out);
    write(writer, recipe);
    writer.flush();
  }

  // The recipe is read fresh and stored only once the stream has taken the reader's state, so a
  // read that throws (a bound exceeded, or a stream that asked for exceptions) leaves it unchanged.
  template <class Recipe>
  static void read_from_stream(std::istream& in, Recipe& recipe) {
    Recipe read;
    stream_items items(in);
    recipe_grammar::read(items, read);
    items.finish();
    recipe_grammar::merge(recipe, read);
  }

  // The same walk over a text read in place, as a stream over it would read it.
  template <class Recipe>
  static text_reading read_from_text(std::string_view text, Recipe& recipe) {
    Recipe read;
    text_cursor cursor(text.data(), text.size());
    view_items items(&cursor);
    recipe_grammar::read(items, read);
    recipe_grammar::merge(recipe, read);
    return {items.state(), cursor.taken()};
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
  if (text != nullptr) recipe_text::read_from_text(text, *this);
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
  if (text != nullptr) recipe_text::read_from_text(text, *this);
}

void EDGE_RECIPE::to_string(char*& text) {
  write_to_new_array(text, [this](std::ostream& out) { recipe_text::write_to_stream(out, *this); });
}

void EDGE_RECIPE::from_string(const char* text) {
  if (text != nullptr) recipe_text::read_from_text(text, *this);
}

text_reading read_recipe_text(std::string_view text, IRecipe& recipe) {
  if (auto* edge = dynamic_cast<EDGE_RECIPE*>(&recipe))
    return recipe_text::read_from_text(text, *edge);
  if (auto* vertex = dynamic_cast<VERTEX_RECIPE*>(&recipe))
    return recipe_text::read_from_text(text, *vertex);
  if (auto* face = dynamic_cast<FACE_RECIPE*>(&recipe))
    return recipe_text::read_from_text(text, *face);
  return {std::ios_base::goodbit, 0};
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
