// Recipe texts: the exact text written, every reading path, the bounds on damaged texts, round
// trips, the library's reader and writer checked against the same rules carried out with nothing
// but standard stream extractions and insertions, and the problems of malformed texts found exactly
// where the reader refuses them; and whole recipe trees: sameness, operation ids, id rewriting and
// what survives the text.
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <iomanip>
#include <ios>
#include <iterator>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tagtrack/kernel/heap.h>
#include <tagtrack/recipes/internal/recipe_text_reading.h>
#include <tagtrack/recipes/recipe_text.h>
#include <tagtrack/recipes/recipe_text_problem.h>

#include "support/recipes.h"
#include "support/tags.h"

using namespace test_support;
using namespace TPI_TAGGING_TRACKING;

namespace {

std::unique_ptr<IRecipe> restore(const std::string& text) {
  IRecipe* recipe = nullptr;
  return std::unique_ptr<IRecipe>(restore_from_string(text.c_str(), recipe) ? recipe : nullptr);
}

// The text that `text` reads back into, or "<false>".
std::string reread(const std::string& text) {
  const std::unique_ptr<IRecipe> recipe = restore(text);
  return recipe ? text_of(recipe.get()) : "<false>";
}

// The rules carried out with plain stream extractions and insertions, tags included: the
// reference that the library's reader and writer (and so the tag text's) are held to.
namespace plain {

// Every number starts at 0 and keeps it when it cannot be read.
std::int32_t number(std::istream& in) {
  int value = 0;
  return in >> value ? value : 0;
}

// A tag: from version 2 on the length of its primary id (below 0, the text ends there) and that
// many characters, white space before each skipped; in version 1 a number that is the id's digits.
// Then the secondary id, the number of operation ids and the ids, and in version 1 one more number,
// dropped. The tag keeps what was read before its first item that fails.
void read_tag(std::istream& in, tag_data& tag, std::int32_t version) {
  std::string id;
  if (version == 1) {
    std::uint64_t digits = 0;
    if (!(in >> digits)) return;
    id = std::to_string(digits);
  } else {
    std::int32_t length = 0;
    if (!(in >> length)) return;
    if (length < 0) return in.setstate(std::ios_base::failbit);
    for (char c = 0; static_cast<std::int32_t>(id.size()) < length && in >> c;) id += c;
  }
  tag.m_primary_id = TPK::tpk_array<char>(id.data(), id.size());
  std::int32_t secondary = 0, count = 0;
  if (!(in >> secondary)) return;
  tag.m_secondary_id = secondary;
  if (!(in >> count)) return;
  for (std::int32_t i = 0, op = 0; i < count && in >> op; ++i) tag.m_operation_ids.push_back(op);
  if (version == 1) number(in);
}

// The number of tags (unsigned; above the bound, the text ends there), then the tags; those
// announced but not read are default tags.
tag_info read_tags(std::istream& in, std::int32_t version) {
  std::uint64_t count = 0;
  if (!(in >> count) || count > tag_info::max_text_tags) {
    in.setstate(std::ios_base::failbit);
    count = 0;
  }
  tag_info tags;
  for (std::uint64_t i = 0; i < count; ++i) {
    tag_data tag;
    read_tag(in, tag, version);
    tags.append(tag);
  }
  return tags;
}

void write_tags(std::ostream& out, const tag_info& tags) {
  out << ' ' << tags.size();
  for (const tag_data& tag : tags) {
    out << "  " << tag.m_primary_id.size();
    for (const char c : tag.m_primary_id) out << ' ' << c;
    out << ' ' << tag.m_secondary_id << ' ' << tag.m_operation_ids.size();
    for (const int id : tag.m_operation_ids) out << ' ' << id;
  }
}

// The type word (skipped, never compared), then the version, which decides the tag layout.
std::int32_t read_head(std::istream& in, tag_info& tags) {
  std::string word;
  in >> word;
  const std::int32_t version = number(in);
  tags = read_tags(in, version);
  return version;
}

FACE_RECIPE read_face(std::istream& in) {
  tag_info tags;
  const std::int32_t version = read_head(in, tags);
  FACE_RECIPE face(tags);
  face.set_version(version);
  return face;
}

template <class Recipe>
std::vector<Recipe> read_list(std::istream& in, Recipe (*read_one)(std::istream&)) {
  const std::int32_t count = number(in);
  if (count > 0 && static_cast<std::size_t>(count) > max_nested_recipes)
    throw std::length_error("too many");
  std::vector<Recipe> recipes;
  for (std::int32_t i = 0; i < count; ++i) recipes.push_back(read_one(in));
  return recipes;
}

VERTEX_RECIPE read_vertex(std::istream& in) {
  tag_info tags;
  const std::int32_t version = read_head(in, tags);
  const std::vector<FACE_RECIPE> faces = read_list(in, read_face);
  VERTEX_RECIPE::uv_orders uv;
  for (std::int32_t i = 0, count = version > 2 ? number(in) : 0; i < count; ++i) {
    if (!in.good()) {  // from here on every entry reads as key 0 with all fields 0
      uv[0] = uv_order_data();
      break;
    }
    const std::int32_t key = number(in);
    std::vector<int> fields(7);
    for (int& field : fields) field = number(in);
    uv[key] = uv_of(fields);
  }
  return VERTEX_RECIPE(tags, faces, uv);
}

EDGE_RECIPE read_edge(std::istream& in) {
  tag_info tags;
  const std::int32_t version = read_head(in, tags);
  const std::vector<FACE_RECIPE> faces = read_list(in, read_face);
  EDGE_RECIPE edge(tags, faces, read_list(in, read_vertex));
  edge.set_version(version);
  return edge;
}

// Null when the first word is not a type word.
std::unique_ptr<IRecipe> restore(const std::string& text) {
  std::istringstream in(text);
  std::string first;
  std::istringstream(text) >> first;
  if (first == "F") return std::make_unique<FACE_RECIPE>(read_face(in));
  if (first == "E") return std::make_unique<EDGE_RECIPE>(read_edge(in));
  if (first == "V") return std::make_unique<VERTEX_RECIPE>(read_vertex(in));
  return nullptr;
}

// The text as written; with `as_held`, every version as the recipe holds it, which makes the text
// a complete description of the recipe for comparisons.
void write(std::ostream& out, const IRecipe& recipe, bool as_held);

template <class Recipe>
void write_list(std::ostream& out, const std::vector<Recipe>& recipes, bool as_held) {
  out << ' ' << static_cast<int>(recipes.size());
  for (const Recipe& recipe : recipes) write(out << ' ', recipe, as_held);
}

void write(std::ostream& out, const IRecipe& recipe, bool as_held) {
  const auto* face = dynamic_cast<const FACE_RECIPE*>(&recipe);
  const auto* vertex = dynamic_cast<const VERTEX_RECIPE*>(&recipe);
  const auto* edge = dynamic_cast<const EDGE_RECIPE*>(&recipe);
  const std::int32_t held = recipe.get_version();
  out << (face ? "F " : vertex ? "V " : "E ") << (as_held ? held : vertex || held == 1 ? 3 : held);
  if (face != nullptr) {
    write_tags(out, face->tags());
  } else if (vertex != nullptr) {
    write_tags(out, *vertex->get_tags());
    write_list(out, *vertex->get_face_recipes(), as_held);
    out << ' ' << static_cast<int>(vertex->get_uv_orders()->size());
    for (const auto& [key, uv] : *vertex->get_uv_orders()) {
      out << ' ' << key << ' ';
      for (const int field : fields_of(uv)) out << ' ' << field;
    }
  } else {
    write_tags(out, *edge->get_tags());
    write_list(out, *edge->get_face_recipes(), as_held);
    write_list(out, *edge->get_vertex_recipes(), as_held);
  }
}

std::string text(const IRecipe* recipe, bool as_held = false) {
  if (recipe == nullptr) return "<none>";
  std::ostringstream out;
  write(out, *recipe, as_held);
  return out.str();
}

}  // namespace plain

// Everything a recipe holds: recipes are alike exactly when these are equal.
std::string dump(const IRecipe* recipe) {
  return plain::text(recipe, true);
}

// Random recipes, and random or damaged recipe texts.
class generator {
 public:
  explicit generator(unsigned seed) : m_random(seed) {}

  int below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(m_random); }

  std::int32_t any_int() {
    const int kind = below(4);
    if (kind == 0)
      return std::uniform_int_distribution<std::int32_t>(INT32_MIN, INT32_MAX)(m_random);
    return kind == 1 ? (below(2) ? INT32_MIN : INT32_MAX) : below(21) - 10;
  }

  // Primary ids of any bytes but white space and NUL, which texts cannot carry.
  tag_info tags() {
    tag_info result;
    for (int n = below(4); n > 0; --n) {
      std::string id;  // sometimes longer than the blocks the reader gathers ids in
      const auto length = static_cast<std::size_t>(below(8) ? below(5) : 60 + below(80));
      while (id.size() < length) {
        const char c = static_cast<char>(below(256));
        if (c != '\0' && c != ' ' && (c < '\t' || c > '\r')) id += c;
      }
      tag_data tag(TPK::tpk_array<char>(id.data(), id.size()));
      tag.m_secondary_id = any_int();
      for (int op = below(8) ? below(4) : 30 + below(40); op > 0; --op)
        tag.m_operation_ids.push_back(any_int());
      result.append(tag);
    }
    return result;
  }

  FACE_RECIPE face() {
    FACE_RECIPE face(tags());
    face.set_version(version());
    return face;
  }

  VERTEX_RECIPE vertex() {
    VERTEX_RECIPE::uv_orders uv;
    for (int n = below(4); n > 0; --n) {
      const std::int32_t key = below(3) ? below(4) : any_int();
      std::vector<int> fields(7);
      for (int& field : fields) field = any_int();
      uv[key] = uv_of(fields);
    }
    return VERTEX_RECIPE(tags(), faces(), uv);
  }

  std::unique_ptr<IRecipe> recipe() {
    const int kind = below(3);
    if (kind == 0) return std::make_unique<FACE_RECIPE>(face());
    if (kind == 1) return std::make_unique<VERTEX_RECIPE>(vertex());
    std::vector<VERTEX_RECIPE> vertices;
    for (int n = below(3); n > 0; --n) vertices.push_back(vertex());
    auto edge = std::make_unique<EDGE_RECIPE>(tags(), faces(), vertices);
    edge->set_version(version());
    return edge;
  }

  // Token soups; recipe texts with words changed, inserted or removed, joined by any white space;
  // and recipe texts with a few bytes changed, put in or taken out (NUL among them); some cut
  // short.
  std::string text() {
    static const char* const separators[] = {" ", " ", " ", "  ", "\t", "\n", "\r\n", "\v", "\f"};
    std::string result;
    const int kind = below(4);
    if (kind == 0) {
      for (int n = below(40); n > 0; --n) result += separators[below(9)] + token();
    } else if (kind == 3) {
      result = text_of(recipe().get());
      static const char bytes[] = " \n0123-+xFEV\0";
      for (int edits = below(3); edits > 0; --edits) {
        const auto at = static_cast<std::size_t>(below(static_cast<int>(result.size()) + 1));
        const char byte = bytes[below(sizeof bytes - 1)];
        const int edit = at == result.size() ? 1 : below(3);
        if (edit == 0) result[at] = byte;
        if (edit == 1) result.insert(at, 1, byte);
        if (edit == 2) result.erase(at, 1);
      }
    } else {
      std::istringstream in(text_of(recipe().get()));
      std::vector<std::string> words(std::istream_iterator<std::string>(in), {});
      for (int edits = below(4); edits > 0 && !words.empty(); --edits) {
        const auto at = words.begin() + below(static_cast<int>(words.size()));
        const int edit = below(3);
        if (edit == 0)
          *at = token();
        else if (edit == 1)
          words.insert(at, token());
        else
          words.erase(at);
      }
      for (const std::string& word : words)
        result += (result.empty() && below(4) ? "" : separators[below(9)]) + word;
    }
    if (below(3) == 0)
      result.resize(static_cast<std::size_t>(below(static_cast<int>(result.size()) + 1)));
    return below(5) == 0 ? result + separators[below(9)] : result;
  }

 private:
  std::int32_t version() {
    const std::int32_t versions[] = {3, 3, 2, 0, -5, 7, INT32_MIN};
    return versions[below(7)];
  }

  std::vector<FACE_RECIPE> faces() {
    std::vector<FACE_RECIPE> result;
    for (int n = below(4); n > 0; --n) result.push_back(face());
    return result;
  }

  // Type words and other words, numbers around every bound, malformed numbers.
  std::string token() {
    static const std::vector<std::string> tokens = [] {
      std::istringstream in(
          "F E V F E V X f FF Vx e 0 0 0 1 1 1 2 2 3 3 3 4 5 7 -1 -2 +3 - + +-1 a b ab x9 9x 0x1 "
          "1.5 . 00012 \xE9 2147483647 2147483648 -2147483648 -2147483649 4294967296 4294967299 "
          "99999999999999999999 18446744073709551615 18446744073709551616 2000000000 -2000000000 "
          "100001");
      return std::vector<std::string>(std::istream_iterator<std::string>(in), {});
    }();
    if (below(1000) == 0)  // the largest accepted counts: costly, so rare
      return below(2) ? "100000" : "99999";
    return tokens[static_cast<std::size_t>(below(static_cast<int>(tokens.size())))];
  }

  std::mt19937 m_random;
};

// What a read gave: its result, or the exception that ended it.
template <class Read>
std::string outcome(Read read) {
  try {
    return read();
  } catch (const std::length_error&) {
    return "<length_error>";
  }
}

// The stream's state after a read, and the text it left unread.
std::string state_and_rest(std::istream& in) {
  const std::ios_base::iostate state = in.rdstate();
  in.clear();
  return std::to_string(state) + "|" +
         std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(RecipeTextTest, ExampleTextsBothWays) {
  FACE_RECIPE face(tags_from("ab/0[5]"));
  EDGE_RECIPE edge(tag_info(), {face}, {});
  VERTEX_RECIPE vertex(tag_info(), {face}, {{0, uv_of({4, 1, 1, 2, 3, 3, 3})}});
  const char* const vertex_text = "V 3 0 1 F 3 1  2 a b 0 1 5 1 0  4 1 1 2 3 3 3";
  const std::pair<IRecipe*, const char*> examples[] = {{&face, "F 3 1  2 a b 0 1 5"},
                                                       {&edge, "E 3 0 1 F 3 1  2 a b 0 1 5 0"},
                                                       {&vertex, vertex_text}};
  for (const auto& [recipe, text] : examples) {
    EXPECT_EQ(text_of(recipe), text);
    EXPECT_EQ(dump(restore(text).get()), dump(recipe)) << text;
  }
  EXPECT_STREQ(restore("E 3 0 0 0")->type_name(), "edge_recipe");

  char* text = nullptr;
  vertex.to_string(text);
  EXPECT_STREQ(text, vertex_text);
  delete[] text;
  text = const_cast<char*>("not freed");
  EXPECT_FALSE(save_to_string(text, nullptr));
  EXPECT_EQ(text, nullptr);
}

// A text that is refused, or whose counts pass the bound, builds nothing and leaves the caller's
// pointer as it was; a member read that throws leaves the recipe as it was. (Which texts are
// refused or throw is held to the plain reader below.)
TEST(RecipeTextTest, RefusedAndUnboundedTextsLeaveEverythingAsItWas) {
  IRecipe* const untouched = reinterpret_cast<IRecipe*>(0x10);
  for (const char* text : {static_cast<const char*>(nullptr), "", "f 3 0", "3 F 3 0"}) {
    IRecipe* recipe = untouched;
    EXPECT_FALSE(restore_from_string(text, recipe)) << (text ? text : "null");
    EXPECT_EQ(recipe, untouched) << (text ? text : "null");
  }
  for (const char* text : {"E 3 0 2000000000", "E 3 0 1 F 3 1  1 a 0 0 2 V 3 0 0 0 V 3 0 100001"}) {
    IRecipe* recipe = untouched;
    EXPECT_THROW(restore_from_string(text, recipe), std::length_error) << text;
    EXPECT_EQ(recipe, untouched) << text;
  }
  EDGE_RECIPE edge(tags_from("e"), {FACE_RECIPE(tags_from("keep/1[2]"))}, {VERTEX_RECIPE()});
  edge.set_version(2);
  const std::string before = dump(&edge);
  EXPECT_THROW(edge.from_string("E 3 1  1 z 0 0 1 F 3 0 1 V 3 0 100001"), std::length_error);
  EXPECT_EQ(dump(&edge), before);

  // The bound itself is accepted; a uv count far beyond the text stores one entry, fast.
  const std::unique_ptr<IRecipe> many = restore("E 3 0 100000");
  EXPECT_EQ(dynamic_cast<const EDGE_RECIPE&>(*many).get_face_recipes()->size(), 100000u);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(reread("V 3 0 0 2147483647 5  1 2 3 4 5 6 7"),
            "V 3 0 0 2 0  0 0 0 0 0 0 0 5  1 2 3 4 5 6 7");
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}

// Pinned examples of the reading rules; the plain reader below holds every other text to them.
// Reading is cut short at the first number that cannot be read: from there every number is 0,
// loops whose count was read still run, and nothing after the recipe is read.
TEST(RecipeTextTest, ReadingRulesByExample) {
  // Version 1: numeric primary ids and one dropped item per tag; held as 1, written as 3.
  const std::unique_ptr<IRecipe> legacy = restore("E 1 1 77 2 0 55 1 F 1 1 12345 7 1 9 0 0");
  EXPECT_EQ(legacy->get_version(), 1);
  EXPECT_EQ(text_of(legacy.get()), "E 3 1  2 7 7 2 0 1 F 3 1  5 1 2 3 4 5 7 1 9 0");
  // A later uv key replaces an earlier one; a text that ends early; a word for a number.
  EXPECT_EQ(reread("V 3 0 0 2 7  1 1 1 1 1 1 1 7  2 2 2 2 2 2 2"), "V 3 0 0 1 7  2 2 2 2 2 2 2");
  EXPECT_EQ(reread("E 3 0 2 F 3 0"), "E 3 0 2 F 3 0 F 0 0 0");
  EXPECT_EQ(reread("E 3 0 x 1 F 3 0"), "E 3 0 0 0");

  // Reading into a recipe in use replaces its tags and version and appends to its lists.
  VERTEX_RECIPE vertex;
  vertex.from_string("V 3 1  1 a 0 0 1 F 3 0 2 1  1 1 1 1 1 1 1 2  2 2 2 2 2 2 2");
  vertex.from_string("V 3 1  1 b 0 0 1 F 2 0 1 2  3 3 3 3 3 3 3");
  EXPECT_EQ(text_of(&vertex), "V 3 1  1 b 0 0 2 F 3 0 F 2 0 2 1  1 1 1 1 1 1 1 2  3 3 3 3 3 3 3");
  EDGE_RECIPE edge;
  edge.from_string("E 3 0 1 F 3 0 1 V 3 0 0 0");
  edge.from_string("E 2 0 1 F 4 0 0");
  edge.from_string(nullptr);  // nothing to read
  EXPECT_EQ(text_of(&edge), "E 2 0 2 F 3 0 F 4 0 1 V 3 0 0 0");
}

TEST(RecipeTextTest, StreamMembersWritePlainTextAndReadAFailedStreamAsEmpty) {
  FACE_RECIPE face(tags_from("a"));
  VERTEX_RECIPE vertex(tag_info(), {FACE_RECIPE()}, {});
  std::ostringstream out;  // formatting flags do not reach the text
  out << std::hex << std::showpos << std::left << std::setfill('*');
  out.width(12);
  face.write_to_stream(out);
  out.width(12);
  vertex.write_to_stream(out);
  EXPECT_EQ(out.str(), "F 3 1  1 a 0 0V 3 0 1 F 3 0 0");

  std::istringstream failed("F 3 1  1 a 0 0");  // a failed stream reads as a text cut short
  failed.setstate(std::ios_base::failbit);
  face.read_from_stream(failed);
  EXPECT_EQ(dump(&face), "F 0 0");
}

// Damaged and random texts read into the same recipes, or end with the same exception, as with
// plain stream extractions; the stream members leave the same stream state and unread text.
TEST(RecipeTextTest, ReaderMatchesPlainStreamExtraction) {
  generator random(11);
  for (int i = 0; i < 10000; ++i) {
    const std::string text = random.text();
    const std::string to_nul = text.c_str();  // what the readers of C strings see
    SCOPED_TRACE(text);
    EXPECT_EQ(outcome([&] { return dump(restore(text).get()); }),
              outcome([&] { return dump(plain::restore(to_nul).get()); }));
    EXPECT_EQ(outcome([&] {
                EDGE_RECIPE edge;
                edge.from_string(text.c_str());
                return dump(&edge);
              }),
              outcome([&] {
                std::istringstream in(to_nul);
                const EDGE_RECIPE edge = plain::read_edge(in);
                return dump(&edge);
              }));
    std::istringstream face_in(text), vertex_in(text), plain_face_in(text), plain_vertex_in(text);
    FACE_RECIPE face;
    face.read_from_stream(face_in);
    const FACE_RECIPE plain_face = plain::read_face(plain_face_in);
    EXPECT_EQ(dump(&face) + state_and_rest(face_in),
              dump(&plain_face) + state_and_rest(plain_face_in));
    EXPECT_EQ(outcome([&] {
                VERTEX_RECIPE vertex;
                vertex.read_from_stream(vertex_in);
                return dump(&vertex) + state_and_rest(vertex_in);
              }),
              outcome([&] {
                const VERTEX_RECIPE vertex = plain::read_vertex(plain_vertex_in);
                return dump(&vertex) + state_and_rest(plain_vertex_in);
              }));
  }
}

// The reader's own verdict on a text: it takes the first word, then reads every item without one
// failing or a bound being exceeded, and leaves only white space. It reads the text (up to its
// first NUL, as restore_from_string does) followed by a blank, so that an item the text announces
// but lacks fails even where the reader stops quietly at the end of the text (uv entries).
bool reader_accepts(const std::string& text) {
  try {
    if (restore(text) == nullptr) return false;
    std::string type;
    std::istringstream(text) >> type;
    const std::unique_ptr<IRecipe> fresh = restore(type);  // an empty recipe of the text's type
    const text_reading read = read_recipe_text(std::string(text.c_str()) + " ", *fresh);
    if ((read.state & std::ios_base::failbit) != 0) return false;
    return text.find_first_not_of(" \t\n\v\f\r", read.stopped_at) == std::string::npos;
  } catch (const std::length_error&) {
    return false;
  }
}

// recipe_text_problem finds a problem exactly when the reader does not accept the text, among
// random, damaged and cut texts, and places it inside the text.
TEST(RecipeTextTest, ProblemsFoundExactlyWhereTheReaderRefuses) {
  generator random(19);
  int well_formed = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string text = random.text();
    SCOPED_TRACE(text);
    const std::optional<recipe_text_fault> problem = recipe_text_problem(text);
    ASSERT_EQ(!problem.has_value(), reader_accepts(text)) << (problem ? problem->reason : "");
    if (!problem) {
      ++well_formed;
      continue;
    }
    EXPECT_LE(problem->offset, text.size());
    const std::string before = text.substr(0, problem->offset);
    const std::size_t line_start = before.rfind('\n');
    EXPECT_EQ(problem->line,
              1 + static_cast<std::size_t>(std::count(before.begin(), before.end(), '\n')));
    EXPECT_EQ(problem->column,
              line_start == std::string::npos ? before.size() + 1 : before.size() - line_start);
  }
  // Both verdicts are common enough for the agreement to mean something.
  EXPECT_GT(well_formed, 2000);
  EXPECT_LT(well_formed, 18000);
}

// A problem names the item the text lacks, what stands there instead and the nested part it is
// in, at the offset where that item begins.
TEST(RecipeTextTest, ProblemsSayWhatWasExpectedWhereAndInWhichPart) {
  const struct {
    const char* text;
    std::size_t offset;
    const char* reason;
  } cases[] = {
      {"", 0, "the text is empty: a recipe text starts with F, E or V"},
      {" X 3 0", 1,
       "unknown recipe type word 'X': a recipe text starts with F (a face), E (an edge) or V (a "
       "vertex)"},
      {"F 3", 3, "the text ends before the number of tags"},
      {"F 3 1  2 ab x", 12, "tag 1 of 1: expected the secondary id (a whole number), found 'x'"},
      {"F 3 -1", 4, "the number of tags '-1' is negative"},
      {"E 3 0 1 F 3 1 -2", 14,
       "face 1 of 1 along the edge, tag 1 of 1: the length of the primary id is -2, below 0"},
      {"V 3 0 0 1 5 1 2 3 4 5 6 4294967296", 24,
       "uv order entry 1 of 1: the last v tie '4294967296' does not fit a 32-bit integer"},
      {"E 3 0 0 200000", 8,
       "the number of vertices of the edge is 200000, more than the 100000 a list may hold"},
      {"F 3 0\n x", 7, "more text after the end of the recipe: 'x'"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const std::optional<recipe_text_fault> problem = recipe_text_problem(c.text);
    ASSERT_TRUE(problem.has_value());
    EXPECT_EQ(problem->offset, c.offset);
    EXPECT_EQ(problem->reason, c.reason);
  }
}

// The text written is the plain insertion's, and reads back into the same text and, but for the
// versions of vertex recipes and version 1 (which are not kept), the same recipe.
TEST(RecipeTextTest, WriterMatchesPlainStreamInsertionAndTextsRoundTrip) {
  generator random(13);
  for (int i = 0; i < 3000; ++i) {
    std::unique_ptr<IRecipe> recipe = random.recipe();
    const bool legacy = random.below(4) == 0;
    if (legacy) recipe->set_version(1);
    const std::string expected = plain::text(recipe.get());
    EXPECT_EQ(text_of(recipe.get()), expected);
    const std::unique_ptr<IRecipe> back = restore(expected);
    ASSERT_NE(back, nullptr) << expected;
    EXPECT_EQ(text_of(back.get()), expected);
    if (!legacy && dynamic_cast<VERTEX_RECIPE*>(recipe.get()) == nullptr) {
      EXPECT_EQ(dump(back.get()), dump(recipe.get())) << expected;
    }
    // The stream members append the same text to a caller's stream.
    auto* face = dynamic_cast<FACE_RECIPE*>(recipe.get());
    auto* vertex = dynamic_cast<VERTEX_RECIPE*>(recipe.get());
    if (face == nullptr && vertex == nullptr) continue;
    std::ostringstream out("prefix", std::ios_base::ate);
    face != nullptr ? face->write_to_stream(out) : vertex->write_to_stream(out);
    EXPECT_EQ(out.str(), "prefix" + expected);
  }
}

// Tags inside recipes live on the kernel heap: all of it comes back, also from reads that end
// with an exception (the general heap is checked by the runs under valgrind).
TEST(RecipeTextTest, ReadsAndWritesReturnAllKernelMemory) {
  const TPK::heap_counts before = TPK::get_heap_counts();
  {
    generator random(17);
    for (int i = 0; i < 500; ++i) {
      IRecipe* recipe = nullptr;
      try {
        if (restore_from_string(random.text().c_str(), recipe)) delete recipe;
      } catch (const std::length_error&) {
      }
      EXPECT_NE(text_of(random.recipe().get()), "<null>");
    }
    EDGE_RECIPE edge;
    EXPECT_THROW(edge.from_string("E 3 2  1 a 0 1 4  2 b c 1 0 1 F 3 1  1 f 0 0 1 V 3 1  1 v 0 0 "
                                  "100001"),
                 std::length_error);
  }
  EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks);
  EXPECT_EQ(TPK::get_heap_counts().live_bytes, before.live_bytes);
}

// Whole recipe trees: sameness (tags as multisets seen from one side, edges as sets, vertices by
// position), operation ids and id rewriting, and the check of what survives the recipe text.
FACE_RECIPE face(const std::string& tags) {
  return FACE_RECIPE(tags_from(tags));
}

TEST(RecipeComparison, FaceTagsAreComparedWithoutOrderButNotSymmetrically) {
  const FACE_RECIPE xy = face("x y"), yx = face("y x"), xx = face("x x");
  EXPECT_TRUE(is_same_Recipe(&xy, &xy));
  EXPECT_TRUE(is_same_Recipe(&xx, &xx));
  EXPECT_TRUE(is_same_Recipe(&xy, &yx));
  EXPECT_TRUE(is_same_Recipe(&xy, &xx));   // both tags of b find x in a
  EXPECT_FALSE(is_same_Recipe(&xx, &xy));  // y finds nothing in a
  const FACE_RECIPE secondary = face("x/1"), ops = face("x[1,2]"), swapped = face("x[2,1]");
  EXPECT_FALSE(is_same_Recipe(&secondary, &xx));
  EXPECT_FALSE(is_same_Recipe(&ops, &swapped));
  FACE_RECIPE old = face("x y");
  old.set_version(2);
  EXPECT_TRUE(is_same_Recipe(&old, &xy));
}

TEST(RecipeComparison, ClassesMustAgreeAndNullIsNeverTheSame) {
  const FACE_RECIPE f;
  const EDGE_RECIPE e;
  const VERTEX_RECIPE v;
  const IRecipe* const all[] = {&f, &e, &v, nullptr};
  for (const IRecipe* a : all) {
    for (const IRecipe* b : all) {
      EXPECT_EQ(is_same_Recipe(a, b), a == b && a != nullptr);
    }
  }
}

TEST(RecipeComparison, EdgesCompareNestedRecipesAsSetsVerticesByPosition) {
  const FACE_RECIPE f1 = face("f1"), f2 = face("f2"), f3 = face("f3");
  const VERTEX_RECIPE v123(tags_from(""), {f1, f2, f3}, {});
  const VERTEX_RECIPE v231(tags_from(""), {f2, f3, f1}, {});
  VERTEX_RECIPE::uv_orders uv;
  uv[0].m_u_rank = 1;
  const VERTEX_RECIPE v123_uv(tags_from(""), {f1, f2, f3}, uv);
  EXPECT_FALSE(is_same_Recipe(&v123, &v231));    // rotated
  EXPECT_TRUE(is_same_Recipe(&v123, &v123_uv));  // uv data are not compared

  const EDGE_RECIPE e12(tags_from("e"), {f1, f2}, {v123});
  const EDGE_RECIPE e21(tags_from("e"), {f2, f1}, {v123_uv});
  EXPECT_TRUE(is_same_Recipe(&e12, &e21));
  const EDGE_RECIPE e11(tags_from("e"), {f1, f1}, {v123});
  EXPECT_TRUE(is_same_Recipe(&e11, &e12));  // not one to one
  EXPECT_FALSE(is_same_Recipe(&e12, &e11));
  const EDGE_RECIPE two_vertices(tags_from("e"), {f1, f2}, {v123, v123});
  EXPECT_FALSE(is_same_Recipe(&e12, &two_vertices));
  const EDGE_RECIPE rotated_vertex(tags_from("e"), {f1, f2}, {v231});
  EXPECT_FALSE(is_same_Recipe(&e12, &rotated_vertex));
}

// A short text that announces many nested recipes and tags reads into long runs of default ones;
// comparing two such recipes costs in proportion to the runs, not to the square of their lengths.
TEST(RecipeComparison, AnnouncedButMissingItemsCompareInOneStep) {
  const char* text = "E 3 0 100000 F 3 100000";
  IRecipe* a = nullptr;
  IRecipe* b = nullptr;
  ASSERT_TRUE(restore_from_string(text, a));
  std::unique_ptr<IRecipe> owned_a(a);
  ASSERT_TRUE(restore_from_string(text, b));
  std::unique_ptr<IRecipe> owned_b(b);
  EXPECT_TRUE(is_same_Recipe(a, b));
}

// Classification, operation ids and id rewriting over whole recipe trees.
std::vector<int> ids_of(IRecipe* recipe) {
  TPK::tpk_array<int> ids;
  ids.push_back(42);
  EXPECT_TRUE(get_operation_ids_from_recipe(recipe, ids));
  return std::vector<int>(ids.begin(), ids.end());
}

TEST(RecipeQueries, OperationIdsOfTheWholeTreeOnceAscending) {
  const VERTEX_RECIPE v(tags_from(""), {FACE_RECIPE(tags_from("q[9]"))}, {});
  EDGE_RECIPE e(tags_from("e[7,3]"),
                {FACE_RECIPE(tags_from("a[3,9]")), FACE_RECIPE(tags_from("b[1]"))}, {v});
  EXPECT_EQ(ids_of(&e), (std::vector<int>{1, 3, 7, 9}));
  FACE_RECIPE negative(tags_from("n[4,-2]"));
  EXPECT_EQ(ids_of(&negative), (std::vector<int>{-2, 4}));
  EDGE_RECIPE none;
  EXPECT_TRUE(ids_of(&none).empty());
  TPK::tpk_array<int> untouched;
  untouched.push_back(1);
  EXPECT_FALSE(get_operation_ids_from_recipe(nullptr, untouched));
  EXPECT_EQ(untouched.size(), 1u);
  // Directly: a face recipe replaces the array, edge and vertex recipes append to it.
  TPK::tpk_array<int> raw;
  raw.push_back(100);
  negative.get_operation_ids(raw);
  EXPECT_EQ(std::vector<int>(raw.begin(), raw.end()), (std::vector<int>{4, -2}));
  raw.clear();
  raw.push_back(100);
  e.get_operation_ids(raw);
  EXPECT_EQ(std::vector<int>(raw.begin(), raw.end()), (std::vector<int>{100, 7, 3, 3, 9, 1, 9}));
}

TEST(RecipeQueries, IdUpdatesReachEveryLevelAndOnlyWholeIds) {
  const FACE_RECIPE f(tags_from("ab[5,7,5] abc a"));
  const VERTEX_RECIPE v(tags_from("ab"), {f}, {});
  EDGE_RECIPE e(tags_from("ab"), {f}, {v});
  e.set_version(2);
  update_primary_id(&e, "ab", "cd");
  update_operation_id(&e, 5, 7);
  EXPECT_EQ(describe(*e.get_tags()), "cd/0[]");
  EXPECT_EQ(describe((*e.get_face_recipes())[0].tags()), "cd/0[7,7,7] abc/0[] a/0[]");
  const VERTEX_RECIPE& nested = (*e.get_vertex_recipes())[0];
  EXPECT_EQ(describe(*nested.get_tags()), "cd/0[]");
  EXPECT_EQ(describe((*nested.get_face_recipes())[0].tags()), "cd/0[7,7,7] abc/0[] a/0[]");
  EXPECT_EQ(e.get_version(), 2);
  update_operation_id(&e, 7, 7);
  EXPECT_EQ(describe((*e.get_face_recipes())[0].tags()), "cd/0[7,7,7] abc/0[] a/0[]");
  FACE_RECIPE empty_id(tags_from("x"));
  empty_id.replace_primary_id(TPK::tpk_array<char>(), id("named"));
  EXPECT_EQ(describe(empty_id.tags()), "x/0[]");
}

// What survives the recipe text: the check agrees with an actual write and read, and says why when
// it refuses.
tag_info one_tag(const std::string& primary_id) {
  tag_info tags;
  tags.add_unique(tag_data(id(primary_id)));
  return tags;
}

// Over random recipes of every kind whose ids hold any bytes (white space and NUL weighted in, and
// plain letters, so that refusals and acceptances are both common): the check accepts exactly the
// recipes whose text reads back into the same recipe writing the same text. An id of a million
// characters comes back (the reader takes the characters the text holds).
TEST(RoundTripCheck, AcceptsExactlyTheRecipesThatReadBackAsWritten) {
  std::mt19937 random(3);
  const auto pick = [&](unsigned n) { return static_cast<unsigned>(random() % n); };
  const auto tags = [&] {
    tag_info list;
    for (unsigned n = pick(3); n > 0; --n) {
      std::string primary;
      for (unsigned k = pick(4); k > 0; --k) {
        const unsigned kind = pick(16);
        primary += kind == 0   ? static_cast<char>(pick(256))
                   : kind == 1 ? " \t\n\v\f\r"[pick(7)]
                               : static_cast<char>('a' + pick(3));
      }
      tag_data tag(id(primary));
      tag.m_secondary_id = static_cast<std::int32_t>(random());
      list.append(tag);
    }
    return list;
  };
  const auto faces = [&] {
    std::vector<FACE_RECIPE> list;
    for (unsigned n = pick(3); n > 0; --n) list.emplace_back(tags());
    return list;
  };
  int refused = 0;
  for (int round = 0; round < 10000; ++round) {
    std::unique_ptr<IRecipe> recipe;
    switch (pick(3)) {
      case 0:
        recipe = std::make_unique<FACE_RECIPE>(tags());
        break;
      case 1:
        recipe = std::make_unique<VERTEX_RECIPE>(tags(), faces(), VERTEX_RECIPE::uv_orders());
        break;
      default:
        recipe = std::make_unique<EDGE_RECIPE>(
            tags(), faces(),
            std::vector<VERTEX_RECIPE>(pick(2), VERTEX_RECIPE(tags(), faces(), {})));
        break;
    }
    std::string reason;
    const bool survives = survives_recipe_text(recipe.get(), &reason);
    const std::string text = text_of(recipe.get());
    const std::unique_ptr<IRecipe> back = restore(text);
    EXPECT_EQ(survives, back != nullptr && is_same_Recipe(recipe.get(), back.get()) &&
                            is_same_Recipe(back.get(), recipe.get()) && text_of(back.get()) == text)
        << round << ": " << text;
    EXPECT_EQ(survives, reason.empty()) << reason;
    refused += survives ? 0 : 1;
  }
  EXPECT_GT(refused, 1000);
  EXPECT_LT(refused, 9000);
  FACE_RECIPE long_id(one_tag(std::string(1000001, 'x')));
  EXPECT_TRUE(survives_recipe_text(&long_id));
  EXPECT_EQ(reread(text_of(&long_id)), text_of(&long_id));
}

// A refusal names the id and the fault; lists longer than the reader's bounds are written in full
// but do not come back.
TEST(RoundTripCheck, ReasonsNameTheIdAndTheFault) {
  tag_info many;
  for (auto n = tag_info::max_text_tags + 1; n > 0; --n) many.append(tag_data());
  const FACE_RECIPE spaced(one_tag("Pad 1.top")), nul(one_tag(std::string("ab\0cd", 5))),
      crowded(many);
  VERTEX_RECIPE apex(tag_info(), std::vector<FACE_RECIPE>(max_nested_recipes + 1), {});
  const std::pair<const IRecipe*, const char*> cases[] = {
      {&spaced, "the face: the primary id \"Pad 1.top\" holds white space, which the text skips"},
      {&nul,
       "the face: the primary id \"ab\\x00cd\" holds a NUL character, where the text would "
       "end"},
      {nullptr, "there is no recipe"},
      {&crowded,
       "the face: the list holds 100001 tags, more than the 100000 a tag text may announce"},
      {&apex,
       "the faces around a vertex: 100001 nested recipes, more than the 100000 a list may "
       "announce"}};
  for (const auto& [recipe, words] : cases) {
    std::string reason;
    EXPECT_FALSE(survives_recipe_text(recipe, &reason)) << words;
    EXPECT_EQ(reason, words);
  }
  IRecipe* back = nullptr;
  EXPECT_THROW(restore_from_string(text_of(&apex).c_str(), back), std::length_error);
}

}  // namespace
