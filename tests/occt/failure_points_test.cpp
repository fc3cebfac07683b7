// Allocation failure at every step of the Open CASCADE operations on tagged bodies, the tag
// manager off and on, and of model files holding their shapes: after each failure std::bad_alloc,
// and the bodies, their tags and the history as they were (see failure_point_checks).
#include <functional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <BRepBuilderAPI_MakeFace.hxx>
#include <gp_Pln.hxx>

#include <tagtrack/kernel/file/model_file.h>
#include <tagtrack/occt/operations.h>

#include "occt/shapes.h"
#include "support/failure_points.h"
#include "support/tags.h"

namespace {

using namespace occt_test;
using namespace test_support;
namespace TT = TPI_TAGGING_TRACKING;

// A tagged block, a tagged boss standing on it and a tagged square sheet, in their own stream.
struct OcctFailurePoints : tag_test {
  void SetUp() override {
    TT::generic_tag_attrib_def_savres::set_savres_def(TT::generic_tag_attrib_def::name());
    block = body_of(box(0, 0, 0, 4, 4, 2));
    boss = body_of(cylinder(2, 2, 2, 1, 2));
    sheet = body_of(BRepBuilderAPI_MakeFace(gp_Pln(), 0, 1, 0, 1).Shape());
    for (BODY* body : {block, boss, sheet}) {
      for (std::size_t i = 0; i < body->faces().size(); ++i) {
        tag(body->faces()[i], "F" + std::to_string(i));
      }
    }
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

}  // namespace
