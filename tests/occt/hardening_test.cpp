// The hardening runs on Open CASCADE bodies: allocation failure at every step of its operations and
// model files, and random operation sequences against roll back.
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <BRepBuilderAPI_MakeFace.hxx>
#include <gp_Pln.hxx>
#include <gp_Trsf.hxx>

#include <tagtrack/kernel/file/model_file.h>
#include <tagtrack/occt/operations.h>

#include "occt/shapes.h"
#include "support/failure_points.h"
#include "support/random_sequence.h"
#include "support/tags.h"

namespace {

using namespace occt_test;
using namespace test_support;
namespace TT = TPI_TAGGING_TRACKING;

// Allocation failure at every step of the Open CASCADE operations on tagged bodies, the tag
// manager off and on, and of model files holding their shapes: after each failure std::bad_alloc,
// and the bodies, their tags and the history as they were (see failure_point_checks).

// A tagged block, a tagged boss standing on it and a tagged square sheet, in their own stream.
struct OcctFailurePoints : tag_test {
  void SetUp() override {
    TT::generic_tag_attrib_def_savres::set_savres_def(TT::generic_tag_attrib_def::name());
    block = body_of(box(0, 0, 0, 4, 4, 2));
    boss = body_of(cylinder(2, 2, 2, 1, 2));
    sheet = body_of(BRepBuilderAPI_MakeFace(gp_Pln(), 0, 1, 0, 1).Shape());
    for (BODY* body : {block, boss, sheet}) tag_faces(body, "F");
    scratch.stream->note_state();
  }

  occt_stream scratch;
  BODY* block = nullptr;
  BODY* boss = nullptr;
  BODY* sheet = nullptr;
  failure_point_checks checks{[this] { return std::vector<BODY*>{block, boss, sheet}; }};
};

TEST_F(OcctFailurePoints, OperationsLeaveTheBodiesAsTheyWere) {
  const auto ok = [](const outcome& r) { EXPECT_TRUE(r.ok()) << r.message(); };
  const auto top_edge = [&] { return edge_at(block, {2, 0, 2}); };
  gp_Trsf lift;
  lift.SetTranslation(gp_Vec(0, 0, 5));
  // Chamfer and unify carry their results over as fillet and transform do. The tag manager hears
  // what the carry-over sends, so its run takes an operation that splits and merges. Open
  // CASCADE's sweep does not free what it holds when a general-heap allocation of its own throws
  // part way, so the prism fails on the kernel heap only.
  struct operation {
    const char* name;
    bool with_manager;
    bool general_heap;
    std::function<void()> run;
  };
  const operation operations[] = {
      {"fuse", true, true, [&] { ok(TPI_OCCT::fuse(block, boss)); }},
      {"cut", false, true, [&] { ok(TPI_OCCT::cut(block, boss)); }},
      {"fillet", false, true, [&] { ok(TPI_OCCT::fillet({top_edge()}, 0.3)); }},
      {"prism", false, false,
       [&] {
         ok(TPI_OCCT::prism(sheet->faces()[0], {0, 0, 1}));
       }},
      {"transform", false, true, [&] { ok(TPI_OCCT::transform(block, lift)); }},
  };
  for (const bool manager : {false, true}) {
    TT::activateTagManager(manager);
    for (const operation& op : operations) {
      if (manager && !op.with_manager) continue;
      SCOPED_TRACE(std::string(op.name) + (manager ? ", tag manager on" : ""));
      checks.at_every_point(
          [&] {
            op.run();
            scratch.stream->note_state();
          },
          [] { return true; }, [&] { ASSERT_TRUE(scratch.stream->roll_back(1).ok()); },
          op.general_heap ? std::initializer_list<heap>{heap::kernel, heap::general}
                          : std::initializer_list<heap>{heap::kernel});
    }
  }
  TT::activateTagManager(false);
}

TEST_F(OcctFailurePoints, ImportAndModelFilesGiveNothingHalfMade) {
  const TopoDS_Shape drum = cylinder(0, 0, 0, 1, 1);
  BODY* made = nullptr;
  checks.at_every_point([&] { TPI_OCCT::import_shape(drum, made); },
                        [&] { return made == nullptr; },
                        [&] {
                          TPI_MODEL::delete_body(made);
                          made = nullptr;
                        });
  std::string text;
  checks.at_every_point(
      [&] {
        TPI_FILE::save_bodies({block, boss}, text);
      },
      [&] { return text.empty(); }, [&] { text.clear(); });
  ASSERT_TRUE(TPI_FILE::save_bodies({block, boss}, text).ok());
  std::vector<BODY*> restored;
  checks.at_every_point([&] { TPI_FILE::restore_bodies(text, restored); },
                        [&] { return restored.empty(); },
                        [&] {
                          for (BODY* b : restored) TPI_MODEL::delete_body(b);
                          restored.clear();
                        });
}

// Random sequences of Open CASCADE operations against roll back: a tagged block under fuses, cuts
// and commons with tools dropped at random (some missing the part), fillets, chamfers, unification,
// motions and tag edits, with noted states, roll backs, roll forwards and clears, and kernel
// allocations failing now and then (Open CASCADE's own algorithms keep what they allocated when a
// general-heap allocation fails part way). The checks are random_sequence's: valid bodies, model
// files that restore and save again to the same text, and rolling to a noted state gives the same
// entity objects, links, tags and model file as then.

// With `more`, commons and unification join the operations; without, the sequences are those the
// regression below was found in, seed for seed.
class occt_sequence : public random_sequence {
 public:
  explicit occt_sequence(unsigned seed, bool more = true)
      : random_sequence(seed, {heap::kernel}), m_more(more) {
    BODY* block = made(occt_test::box(0, 0, 0, 4, 4, 2));
    for (std::size_t i = 0; i < block->faces().size(); ++i) {
      set_tags(block->faces()[i], "F" + std::to_string(i) + "[1]");
    }
    start();
  }

 private:
  BODY* made(const TopoDS_Shape& shape) {
    BODY* body = nullptr;
    reserve_body();
    if (TPI_OCCT::import_shape(shape, body).ok()) add_body(body);
    return body;
  }

  // A coordinate in [0, 4] in quarters.
  double at() { return 0.25 * static_cast<double>(pick(17)); }

  void operation() override {
    const std::vector<BODY*> bodies = live();
    if (bodies.empty()) return;
    BODY* body = bodies[pick(bodies.size())];
    switch (pick(m_more ? 8 : 6)) {
      case 0:
      case 1:
      case 6: {            // a tool dropped on the part: a fuse, a cut or (with more) a common
        m_atomic = false;  // the tool's import, then the boolean
        const bool round = pick(2) == 0;
        m_last = round ? "cylinder tool" : "box tool";
        BODY* tool = made(round ? occt_test::cylinder(at(), at(), at() - 1, 0.5 + at() / 4, 2)
                                : occt_test::box(at(), at(), at() - 1, 1 + at(), 1, 2));
        if (tool == nullptr || tool == body) return;
        if (m_more && pick(3) == 0) {
          m_last += ", common";
          TPI_OCCT::common(body, tool);
        } else if (pick(2) == 0) {
          m_last += ", fuse";
          TPI_OCCT::fuse(body, tool);
        } else {
          m_last += ", cut";
          TPI_OCCT::cut(body, tool);
        }
        return;
      }
      case 2: {
        m_last = "fillet or chamfer";
        if (body->edges().empty()) return;
        EDGE* edge = body->edges()[pick(body->edges().size())];
        const double size = 0.05 + 0.05 * static_cast<double>(pick(3));
        pick(2) == 0 ? TPI_OCCT::fillet({edge}, size) : TPI_OCCT::chamfer({edge}, size);
        return;
      }
      case 7:
        m_last = "unify";
        TPI_OCCT::unify(body);
        return;
      case 3: {
        m_last = "transform";
        gp_Trsf motion;
        motion.SetTranslation(gp_Vec(at(), at(), at()));
        TPI_OCCT::transform(body, motion);
        return;
      }
      default: {  // a tag edit, through the kernel
        m_last = "tag edit";
        if (body->faces().empty()) return;
        ATTRIB_CUSTOM* a = tag_attrib_of(body->faces()[pick(body->faces().size())]);
        if (a != nullptr) TT::update_secondary_id_for_attrib(a, static_cast<int>(pick(3)));
        return;
      }
    }
  }

  bool m_more;
};

struct original_occt_sequence final : occt_sequence {
  explicit original_occt_sequence(unsigned seed) : occt_sequence(seed, false) {}
};

TEST(OcctRandomSequences, RollingBackGivesTheSavedModelAndEveryStepLeavesAValidModel) {
  run_random_sequences<occt_sequence>(12, 30);
}

// Found by longer runs: a fillet left an edge whose range, restored from a model file, differed
// from the curve's in the last digits, and the restored body failed the validity check.
TEST(OcctRandomSequences, FoundByLongerRuns) {
  run_random_sequences_from<original_occt_sequence>(290, 1, 17);
}

}  // namespace
