// Random sequences of Open CASCADE operations against roll back: a tagged block under booleans with
// tools dropped at random, fillets, chamfers, motions and tag edits, with noted states, roll backs,
// roll forwards and clears, and kernel allocations failing now and then (Open CASCADE's own
// algorithms keep what they allocated when a general-heap allocation fails part way). The checks
// are random_sequence's: valid bodies, model files that restore, and rolling to a noted state
// gives the model file saved then, byte for byte.
#include <string>

#include <gtest/gtest.h>

#include <gp_Trsf.hxx>

#include <tagtrack/occt/operations.h>

#include "occt/shapes.h"
#include "support/random_sequence.h"

namespace {

using namespace test_support;
namespace TT = TPI_TAGGING_TRACKING;

class occt_sequence final : public random_sequence {
 public:
  explicit occt_sequence(unsigned seed) : random_sequence(seed, {heap::kernel}) {
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
    switch (pick(6)) {
      case 0:
      case 1: {            // a tool dropped on the part, fused or cut
        m_atomic = false;  // the tool's import, then the boolean
        const bool round = pick(2) == 0;
        m_last = round ? "cylinder tool" : "box tool";
        BODY* tool = made(round ? occt_test::cylinder(at(), at(), at() - 1, 0.5 + at() / 4, 2)
                                : occt_test::box(at(), at(), at() - 1, 1 + at(), 1, 2));
        if (tool == nullptr || tool == body) return;
        if (pick(2) == 0) {
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
};

TEST(OcctRandomSequences, RollingBackGivesTheSavedModelAndEveryStepLeavesAValidModel) {
  run_random_sequences<occt_sequence>(12, 30);
}

// Found by longer runs: a fillet left an edge whose range, restored from a model file, differed
// from the curve's in the last digits, and the restored body failed the validity check.
TEST(OcctRandomSequences, FoundByLongerRuns) {
  run_random_sequences_from<occt_sequence>(290, 1, 17);
}

}  // namespace
