// Model files: exact round trips of bodies, their orders and their custom attributes; the choice of
// save/restore factory; and refusal of malformed text with position and reason, leaving memory and
// the history as they were (allocation failure at every point of a restore is held in the
// hardening tests).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/models.h"

using namespace test_support;
using TPI_CUSTOM_ENTITY::entity_def;
using TPI_CUSTOM_ENTITY::restore_context;
using TPI_CUSTOM_ENTITY::save_context;

namespace {

// A test annotation: the shared string, then an int, a double and a string.
class note_def : public TPI_ANNO::tag_attrib_def {
 public:
  note_def(std::int32_t i = 0, double d = 0.0, std::string s = "", std::int32_t version = 3)
      : i(i), d(d), s(std::move(s)) {
    set_def_version(version);
  }
  const char* type_name() const override { return "note_def"; }
  entity_def* copy_for_backup() const override { return new note_def(*this); }
  entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context&) const override {
    return new note_def(*this);
  }
  bool save(const save_context& ctx) override {
    tag_attrib_def::save(ctx);
    ctx.write_int(i);
    ctx.write_double(d);
    ctx.write_string(s.c_str());
    return true;
  }
  bool restore(const restore_context& ctx) override {
    tag_attrib_def::restore(ctx);
    i = ctx.read_int();
    d = ctx.read_double();
    s = ctx.read_string();
    return get_shared_string() == nullptr || std::strcmp(get_shared_string(), "refuse") != 0;
  }
  void set_version(std::int32_t version) { set_def_version(version); }
  void share(const char* text) { set_shared_string(text); }

  std::int32_t i;
  double d;
  std::string s;
};

// Saves note_defs only; restores them with the recorded definition version.
class note_factory : public TPI_CUSTOM_ENTITY::save_restore_def {
 public:
  bool save(const save_context& ctx, entity_def* def) override {
    auto* note = dynamic_cast<note_def*>(def);
    return note != nullptr && note->save(ctx);
  }
  bool restore(const restore_context& ctx, entity_def*& def) override {
    auto note = std::make_unique<note_def>();
    note->set_version(ctx.entity_def_version());
    if (ctx.entity() == nullptr || !note->restore(ctx)) return false;
    def = note.release();
    return true;
  }
};

// Writes an item, then refuses everything.
class greedy_factory : public TPI_CUSTOM_ENTITY::save_restore_def {
 public:
  bool save(const save_context& ctx, entity_def*) override {
    ctx.write_int(999);
    return false;
  }
  bool restore(const restore_context&, entity_def*&) override { return false; }
};

// A definition no factory handles, or one that may not be saved.
class loose_def : public TPI_CUSTOM_ENTITY::attrib_def {
 public:
  explicit loose_def(bool savable) : m_savable(savable) {}
  const char* type_name() const override { return m_savable ? "loose_def" : "private_def"; }
  entity_def* copy_for_backup() const override { return new loose_def(*this); }
  entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context&) const override {
    return new loose_def(*this);
  }
  bool savable() const override { return m_savable; }

 private:
  bool m_savable;
};

// Registers a factory for the life of the object.
class registration {
 public:
  registration(const char* name, TPI_CUSTOM_ENTITY::save_restore_def* factory) : m_name(name) {
    TPI_CUSTOM_ENTITY::set_save_restore_def(name, factory);
  }
  ~registration() { TPI_CUSTOM_ENTITY::set_save_restore_def(m_name, nullptr); }

 private:
  const char* m_name;
};

std::string save(const std::vector<BODY*>& bodies) {
  std::string text;
  const outcome r = TPI_FILE::save_bodies(bodies, text);
  EXPECT_TRUE(r.ok()) << r.message();
  return text;
}

std::vector<body_ptr> restore(const std::string& text) {
  std::vector<BODY*> made;
  const outcome r = TPI_FILE::restore_bodies(text, made);
  EXPECT_TRUE(r.ok()) << r.message();
  std::vector<body_ptr> owned;
  for (BODY* b : made) owned.emplace_back(b);
  return owned;
}

std::vector<BODY*> raw(const std::vector<body_ptr>& bodies) {
  std::vector<BODY*> result;
  for (const body_ptr& b : bodies) result.push_back(b.get());
  return result;
}

// Restores `text`, checks the copies against `originals`, and saves them to the same text.
void expect_exact_round_trip(const std::vector<BODY*>& originals, const std::string& text) {
  std::vector<body_ptr> copies = restore(text);
  ASSERT_EQ(copies.size(), originals.size());
  for (std::size_t i = 0; i < copies.size(); ++i) {
    EXPECT_VALID(copies[i].get());
    EXPECT_EQ(describe(copies[i].get(), true), describe(originals[i], true)) << "body " << i;
  }
  EXPECT_EQ(save(raw(copies)), text);
}

// The notes on `owner`, each as "version int double string shared;", the double in hexadecimal
// so that every bit shows.
std::string notes_on(ENTITY* owner) {
  std::string text;
  for (ATTRIB* a = owner->first_attrib(); a != nullptr; a = a->next()) {
    const auto* note = dynamic_cast<const note_def*>(TPK::ATTRIB_CUSTOM_const_xs(a).get_def());
    const char* shared = note->get_shared_string();
    text += strf("%d %d %a ", note->version(), note->i, note->d) + note->s + " " +
            (shared ? shared : "-") + ";";
  }
  return text;
}

class ModelFile : public ::testing::Test {
 protected:
  note_factory m_notes;
  registration m_registered{"note_def", &m_notes};
};

TEST_F(ModelFile, PrimitivesSheetsAndMovedBodiesRoundTripExactly) {
  std::vector<body_ptr> bodies;
  bodies.push_back(block(1, 2, 3));
  bodies.push_back(cylinder());
  bodies.push_back(cone(2, 1, 3));
  bodies.push_back(cone(2, 0, 3));  // with an apex vertex
  bodies.push_back(sphere());
  bodies.push_back(torus());
  bodies.push_back(grid_sheet(3, 2));
  bodies.push_back(torus(5, 2));
  // Moved: every number of the geometry becomes one that needs all 17 digits.
  const TPK::transf motion = TPK::transf::rotate({0.3, -1.7, 2.9}, {1, 2, 3}, 0.7);
  ASSERT_TRUE(TPI_MODEL::transform_body(bodies.back().get(), motion).ok());
  const std::string text = save(raw(bodies));
  EXPECT_EQ(text.rfind("tagtrack-model 1\nbodies 8\nbody\n", 0), 0u);
  expect_exact_round_trip(raw(bodies), text);
}

// Deleting a face moves the last face and edge into the freed places of the body's lists, so the
// lists are no longer in the order of making (the random sequences hold restored copies of such
// bodies to their originals, list by list). The drum loses a cap after its seam is split: its side
// face, which meets each seam vertex at two corners, comes first in the list, so which of them
// starts the fan there shows in the fan's order, and is decided by walking the side's loop from its
// first coedge.
TEST_F(ModelFile, OrdersLeftByEditsAreKept) {
  body_ptr drum = cylinder();
  VERTEX* middle = nullptr;
  EDGE* piece = nullptr;
  ASSERT_TRUE(TPI_MODEL::split_edge(drum->edges()[2], {1, 0, 1}, middle, piece).ok());
  ASSERT_TRUE(TPI_MODEL::delete_face(drum->faces()[0]).ok());
  // A fan that starts at a face with a second corner in it, and holds another face too.
  bool fan_start_shows = false;
  for (VERTEX* v : drum->vertices()) {
    for (const std::vector<std::size_t>& fan : fans_at(v))
      fan_start_shows |= fan.size() > 2 && std::count(fan.begin(), fan.end(), fan.front()) == 2;
  }
  ASSERT_TRUE(fan_start_shows) << "the drum no longer tests the fan's start";
  expect_exact_round_trip({drum.get()}, save({drum.get()}));
}

TEST_F(ModelFile, AttributesOfEveryOwnerKindComeBackInOrderWithAnyBytes) {
  body_ptr b = cylinder();
  FACE* side = b->faces()[2];
  LOOP* loop = side->loops()[0];
  COEDGE* coedge = loop->first()->next();
  const std::string odd = "two words\nnext line\t\xff 12:34 ";
  attach(b.get(), new note_def(1, 0.5, "body"));
  attach(side, new note_def(-2147483647 - 1, -0.0, odd));
  attach(side, new note_def(2147483647, 1e-310, ""));
  attach(loop, new note_def(4, std::nan(""), "loop"));
  attach(coedge, new note_def(5, -INFINITY, "coedge"));
  attach(b->edges()[1], new note_def(6, 0.1, "edge"));
  auto* shared = new note_def(7, 1.0 / 3, "vertex");
  shared->share("shared string");
  attach(b->vertices()[1], shared);

  const std::string text = save({b.get()});
  std::vector<body_ptr> copies = restore(text);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(save({copies[0].get()}), text);
  // Every value is back on its owner bit for bit, also those that a lossy writer and reader would
  // write again alike.
  const auto owners = [](BODY* body) {
    FACE* side = body->faces()[2];
    return std::vector<ENTITY*>{body,
                                side,
                                side->loops()[0],
                                side->loops()[0]->first()->next(),
                                body->edges()[1],
                                body->vertices()[1]};
  };
  const std::vector<ENTITY*> from = owners(b.get()), to = owners(copies[0].get());
  for (std::size_t i = 0; i < from.size(); ++i) EXPECT_EQ(notes_on(to[i]), notes_on(from[i])) << i;

  // A record written by hand keeps its definition version and any bytes.
  std::string hand = save({b.get()});
  const std::string bytes("a\0b\nc d", 7);
  hand.replace(hand.rfind("attributes "), std::string::npos,
               "attributes 1\nface 2 1\n8:note_def 1 4 s 0: i 42 d 1.5 s 7:" + bytes + "\n");
  copies = restore(hand);
  ASSERT_EQ(copies.size(), 1u);
  EXPECT_EQ(notes_on(copies[0]->faces()[2]), "1 42 0x1.8p+0 " + bytes + " -;");
}

TEST_F(ModelFile, FactoryRegistrationChoiceAndAttributesLeftOut) {
  greedy_factory greedy;
  note_factory other_notes;
  // Registered by name, replaced, and removed; a factory needs a name.
  EXPECT_FALSE(TPI_CUSTOM_ENTITY::set_save_restore_def(nullptr, &greedy).ok());
  ASSERT_TRUE(TPI_CUSTOM_ENTITY::set_save_restore_def("test_factory", &greedy).ok());
  TPI_CUSTOM_ENTITY::set_save_restore_def("test_factory", &other_notes);
  EXPECT_EQ(TPI_CUSTOM_ENTITY::find_save_restore_def("test_factory"), &other_notes);
  EXPECT_EQ(greedy.pre_save_hint(), 0);
  TPI_CUSTOM_ENTITY::set_save_restore_def("test_factory", nullptr);
  EXPECT_EQ(TPI_CUSTOM_ENTITY::find_save_restore_def("test_factory"), nullptr);

  body_ptr b = block();
  attach(b->faces()[0], new note_def(1, 1, "kept"));
  attach(b->faces()[0], new loose_def(true));
  attach(b->faces()[0], new loose_def(false));
  attach(b->faces()[0], new note_def(2, 2, "also kept"));
  {
    // Registered before the named factory: asked first when the name finds none.
    registration first("greedy", &greedy);
    registration second("notes", &other_notes);
    std::string text;
    const outcome r = TPI_FILE::save_bodies({b.get()}, text);
    ASSERT_TRUE(r.ok()) << r.message();
    // The named factory wins; a refusing factory leaves nothing behind.
    EXPECT_NE(text.find("face 0 2\n8:note_def 3 4 s 0: i 1 d 1 s 4:kept\n"), std::string::npos);
    EXPECT_EQ(text.find("999"), std::string::npos);
    EXPECT_NE(r.warnings().find("face 0: attribute 'loose_def' left out"), std::string::npos);
    EXPECT_NE(r.warnings().find("attribute 'private_def' left out: its definition is not savable"),
              std::string::npos);
    std::vector<body_ptr> copies = restore(text);
    ASSERT_EQ(copies.size(), 1u);
    EXPECT_EQ(notes_on(copies[0]->faces()[0]), "3 1 0x1p+0 kept -;3 2 0x1p+1 also kept -;");

    // Without the named factory, the first registered one that accepts writes the record.
    TPI_CUSTOM_ENTITY::set_save_restore_def("note_def", nullptr);
    EXPECT_NE(save({b.get()}).find("\n5:notes 3 4 s 0: i 1"), std::string::npos);
    TPI_CUSTOM_ENTITY::set_save_restore_def("note_def", &m_notes);
  }
}

// A one-face sheet; the malformed cases below edit it.
const char* const sheet_text =
    "tagtrack-model 1\n"
    "bodies 1\n"
    "body\n"
    "vertices 4\n"
    "0 0 0\n"
    "1 0 0\n"
    "1 1 0\n"
    "0 1 0\n"
    "edges 4\n"
    "0 1 0 1 straight 6 0 0 0 1 0 0\n"
    "1 2 0 1 straight 6 1 0 0 0 1 0\n"
    "2 3 0 1 straight 6 1 1 0 -1 0 0\n"
    "3 0 0 1 straight 6 0 1 0 0 -1 0\n"
    "faces 1\n"
    "0 plane 9 0 0 0 0 0 1 1 0 0 1\n"
    "4 0 0 1 0 2 0 3 0\n"
    "edge-rings\n"
    "1 0\n"
    "1 1\n"
    "1 2\n"
    "1 3\n"
    "vertex-edges\n"
    "2 0 3\n"
    "2 0 1\n"
    "2 1 2\n"
    "2 2 3\n"
    "attributes 0\n";

TEST_F(ModelFile, SheetTextIsWhatTheWriterWrites) {
  body_ptr sheet = polyhedron({{0, 0, 0}, {1, 0, 0}, {1, 1, 0}, {0, 1, 0}}, {{0, 1, 2, 3}});
  EXPECT_EQ(save({sheet.get()}), sheet_text);
}

struct malformed_case {
  const char* name;
  const char* from;  // replaced, once, in sheet_text; null: `to` is the whole text
  std::string to;
  const char* reason;
  const char* where;  // "line:column: "
};

std::string record(const std::string& text) {
  return "attributes 1\nface 0 1\n" + text;
}

TEST_F(ModelFile, MalformedTextIsRefusedWithPositionAndReason) {
  const std::string sheet = sheet_text;
  const malformed_case cases[] = {
      {"truncated", nullptr, sheet.substr(0, sheet.find("faces")),
       "unexpected end of text: expected 'faces'", "14:1: "},
      {"newer version", "model 1", "model 2", "version 2 is not supported", "1:16: "},
      {"trailing text", "attributes 0\n", "attributes 0\nbody\n", "after the last body", "28:1: "},
      // Counts.
      {"huge count", "vertices 4", "vertices 2000000000", "more than the rest of the text",
       "4:10: "},
      {"count past 64 bits", "faces 1", "faces 99999999999999999999", "too large", "14:7: "},
      {"too many geometry numbers", "plane 9", "plane 70",
       "70 surface numbers are more than the 64 allowed", ""},
      // Numbers and indices.
      {"vertex index", "\n3 0 0 1", "\n3 9 0 1", "vertex index 9 is out of range", "13:3: "},
      {"NaN point", "\n1 1 0\n", "\n1 nan 0\n", "(a finite number), found 'nan'", "7:3: "},
      {"flag", "\n0 plane", "\n2 plane", "(0 or 1), found '2'", "15:1: "},
      // Geometry and topology.
      {"unknown surface", "plane 9", "blob 9", "unknown surface kind 'blob'", "15:3: "},
      {"zero normal", "plane 9 0 0 0 0 0 1", "plane 9 0 0 0 0 0 0", "valid plane surface", ""},
      {"empty range", "\n0 1 0 1", "\n0 1 1 1", "t_end is not above its t_start", ""},
      {"empty loop", "4 0 0 1 0 2 0 3 0", "0", "a loop needs at least one coedge", ""},
      {"ring of another edge", "rings\n1 0\n1 1", "rings\n1 1\n1 0",
       "coedge 1 in the ring of edge 0 belongs to edge 1", "18:3: "},
      {"vertex edge elsewhere", "edges\n2 0 3", "edges\n2 0 2", "edge 2 does not meet vertex 0",
       "23:5: "},
      {"invalid body", "\n1 1 0\n", "\n1 1 0.5\n", "body 0 is not valid: check_body", "3:1: "},
      // Attribute records.
      {"owner", "attributes 0", "attributes 1\nface 1 0", "face index 1 is out of range", ""},
      {"string past the end", "attributes 0", record("99:note_def"), "runs past the end", ""},
      {"unknown factory", "attributes 0", record("7:unknown 1 0"),
       "no save/restore factory is registered as 'unknown'", "29:1: "},
      {"read past the items", "attributes 0", record("8:note_def 1 1 s 0:"),
       "factory 'note_def' read past the end of the record (1 items)", "29:1: "},
      {"wrong item type", "attributes 0", record("8:note_def 1 4 i 5 i 1 d 2 s 0:"),
       "read item 1 as a string, but it is an integer", "29:16: "},
      {"items left unread", "attributes 0", record("8:note_def 1 5 s 0: i 1 d 2 s 0: i 9"),
       "left 1 of 5 items unread", "29:34: "},
      {"factory refuses", "attributes 0", record("8:note_def 1 4 s 6:refuse i 1 d 2 s 0:"),
       "could not restore the record", "29:1: "},
  };
  scratch_stream stream;
  body_ptr existing = block();
  for (const malformed_case& c : cases) {
    std::string text = c.to;
    if (c.from != nullptr) {
      text = sheet;
      const std::size_t at = text.find(c.from);
      ASSERT_NE(at, std::string::npos) << c.name;
      text.replace(at, std::strlen(c.from), c.to);
    }
    stream->clear();
    const TPK::heap_counts before = TPK::get_heap_counts();
    std::vector<BODY*> bodies{existing.get()};
    const outcome r = TPI_FILE::restore_bodies(text, bodies);
    EXPECT_FALSE(r.ok()) << c.name;
    EXPECT_NE(r.message().find(c.reason), std::string::npos) << c.name << ": " << r.message();
    EXPECT_EQ(r.message().rfind(std::string("restore_bodies: ") + c.where, 0), 0u)
        << c.name << ": " << r.message();
    EXPECT_EQ(bodies, std::vector<BODY*>{existing.get()}) << c.name;
    EXPECT_EQ(stream->states_behind(), 0u) << c.name;  // nothing of it is left to roll back
    stream->clear();
    EXPECT_EQ(TPK::get_heap_counts().live_blocks, before.live_blocks) << c.name;
    EXPECT_EQ(TPK::get_heap_counts().live_bytes, before.live_bytes) << c.name;
  }
  EXPECT_VALID(existing.get());
}

TEST_F(ModelFile, SavingRefusesMissingBodiesAndFilesRoundTrip) {
  std::string text = "untouched";
  EXPECT_FALSE(TPI_FILE::save_bodies({nullptr}, text).ok());
  body_ptr gone = block();
  BODY* deleted = gone.release();
  ASSERT_TRUE(TPI_MODEL::delete_body(deleted).ok());
  const outcome refused = TPI_FILE::save_bodies({deleted}, text);
  EXPECT_NE(refused.message().find("was deleted"), std::string::npos);
  EXPECT_EQ(text, "untouched");

  body_ptr torus_body = torus();
  const std::string path = ::testing::TempDir() + "model_file_test.txt";
  ASSERT_TRUE(TPI_FILE::save_bodies_to_file({torus_body.get()}, path.c_str()).ok());
  std::vector<BODY*> bodies;
  ASSERT_TRUE(TPI_FILE::restore_bodies_from_file(path.c_str(), bodies).ok());
  ASSERT_EQ(bodies.size(), 1u);
  body_ptr copy(bodies[0]);
  EXPECT_EQ(save({copy.get()}), save({torus_body.get()}));
  std::remove(path.c_str());
  const outcome missing = TPI_FILE::restore_bodies_from_file(path.c_str(), bodies);
  EXPECT_NE(missing.message().find("cannot open"), std::string::npos);
  EXPECT_EQ(bodies.size(), 1u);
}

}  // namespace
