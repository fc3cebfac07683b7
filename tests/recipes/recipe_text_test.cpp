// Recipe texts: the exact text written, every reading path, the bounds on damaged texts, round
// trips, the library's reader and writer checked against the same rules carried out with nothing
// but standard stream extractions and insertions, and the problems of malformed texts found exactly
// where the reader refuses them.
#include <algorithm>
#include <chrono>
#include <cstdint>
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

// The rules carried out with plain stream extractions and insertions: the reference that the
// library's reader and writer are held to.
namespace plain {

// Every number starts at 0 and keeps it when it cannot be read.
std::int32_t number(std::istream& in) {
  int value = 0;
  return in >> value ? value : 0;
}

// The type word (skipped, never compared), then the version, which decides the tag layout.
std::int32_t read_head(std::istream& in, tag_info& tags) {
  std::string word;
  in >> word;
  const std::int32_t version = number(in);
  tags.read_text(in, version);
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
    face->tags().write_text(out);
  } else if (vertex != nullptr) {
    vertex->get_tags()->write_text(out);
    write_list(out, *vertex->get_face_recipes(), as_held);
    out << ' ' << static_cast<int>(vertex->get_uv_orders()->size());
    for (const auto& [key, uv] : *vertex->get_uv_orders()) {
      out << ' ' << key << ' ';
      for (const int field : fields_of(uv)) out << ' ' << field;
    }
  } else {
    edge->get_tags()->write_text(out);
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
      std::string id;
      const std::size_t length = static_cast<std::size_t>(below(5));
      while (id.size() < length) {
        const char c = static_cast<char>(below(256));
        if (c != '\0' && c != ' ' && (c < '\t' || c > '\r')) id += c;
      }
      tag_data tag(TPK::tpk_array<char>(id.data(), id.size()));
      tag.m_secondary_id = any_int();
      for (int op = below(4); op > 0; --op) tag.m_operation_ids.push_back(any_int());
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

  // Token soups, and recipe texts truncated or with words changed, inserted or removed, joined by
  // any white space.
  std::string text() {
    std::vector<std::string> words;
    if (below(3) == 0) {
      for (int n = below(40); n > 0; --n) words.push_back(token());
    } else {
      std::istringstream in(text_of(recipe().get()));
      words.assign(std::istream_iterator<std::string>(in), {});
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
    }
    static const char* const separators[] = {" ", " ", " ", "  ", "\t", "\n", "\r\n", "\v", "\f"};
    std::string result;
    for (const std::string& word : words)
      result += (result.empty() && below(4) ? "" : separators[below(9)]) + word;
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
    SCOPED_TRACE(text);
    EXPECT_EQ(outcome([&] { return dump(restore(text).get()); }),
              outcome([&] { return dump(plain::restore(text).get()); }));
    EXPECT_EQ(outcome([&] {
                EDGE_RECIPE edge;
                edge.from_string(text.c_str());
                return dump(&edge);
              }),
              outcome([&] {
                std::istringstream in(text);
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
    const std::unique_ptr<IRecipe> first = restore(text);
    if (first == nullptr) return false;
    std::unique_ptr<IRecipe> fresh;
    if (dynamic_cast<EDGE_RECIPE*>(first.get()) != nullptr)
      fresh = std::make_unique<EDGE_RECIPE>();
    else if (dynamic_cast<VERTEX_RECIPE*>(first.get()) != nullptr)
      fresh = std::make_unique<VERTEX_RECIPE>();
    else
      fresh = std::make_unique<FACE_RECIPE>();
    const text_reading read = read_recipe_text(std::string(text.c_str()) + " ", *fresh);
    if ((read.state & std::ios_base::failbit) != 0) return false;
    return text.find_first_not_of(" \t\n\v\f\r", read.stopped_at) == std::string::npos;
  } catch (const std::length_error&) {
    return false;
  }
}

// A written recipe text with a few bytes changed, put in or taken out, or cut short.
std::string damaged(generator& random) {
  std::string text = text_of(random.recipe().get());
  static const char bytes[] = " \n0123-+xFEV\0";
  for (int edits = random.below(3); edits > 0; --edits) {
    const auto at = static_cast<std::size_t>(random.below(static_cast<int>(text.size()) + 1));
    const char byte = bytes[random.below(sizeof bytes - 1)];
    const int edit = at == text.size() ? 1 : random.below(3);
    if (edit == 0) text[at] = byte;
    if (edit == 1) text.insert(at, 1, byte);
    if (edit == 2) text.erase(at, 1);
  }
  if (random.below(4) == 0)
    text.resize(static_cast<std::size_t>(random.below(static_cast<int>(text.size()) + 1)));
  return text;
}

// recipe_text_problem finds a problem exactly when the reader does not accept the text, among
// random, damaged and cut texts, and places it inside the text.
TEST(RecipeTextTest, ProblemsFoundExactlyWhereTheReaderRefuses) {
  generator random(19);
  int well_formed = 0;
  for (int i = 0; i < 20000; ++i) {
    const std::string text = i % 2 == 0 ? random.text() : damaged(random);
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

}  // namespace
