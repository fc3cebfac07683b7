// Random operation sequences against roll back: tagged models under random splits, merges, copies,
// transforms, deletions, tag edits and re-tagging, duplicate resolution, noted states, roll backs,
// roll forwards and clears, some steps with an allocation failing. After every step each body
// passes the validity check, the tag manager records only live attributes, a failed step changed
// nothing, and the model file saved restores; rolling to a noted state gives the model file saved
// then, byte for byte; when everything is deleted, the kernel heap is back where it started.
//
// TAGTRACK_SEQUENCES sets the number of sequences (default 60), TAGTRACK_STEPS their length
// (default 60) and TAGTRACK_SEED the first seed; a failure names its seed and step.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "support/random_sequence.h"

using namespace test_support;
namespace TT = TPI_TAGGING_TRACKING;

namespace {

// Two tagged blocks under the kernel's operations, tag edits and duplicate resolution.
class kernel_sequence final : public random_sequence {
 public:
  explicit kernel_sequence(unsigned seed) : random_sequence(seed, {heap::kernel, heap::general}) {
    for (const TPK::vector3 size : {TPK::vector3{2, 1, 1}, TPK::vector3{1, 1, 3}}) {
      BODY* body = nullptr;
      TPI_BUILD::make_block(size.x, size.y, size.z, body);
      add_body(body);
      for (std::size_t i = 0; i < body->faces().size(); ++i) {
        set_tags(body->faces()[i], "F" + std::to_string(i % 3) + "[" + std::to_string(i) + "]");
      }
    }
    start();
  }

 private:
  void operation() override {
    FACE* face = any_face();
    switch (pick(12)) {
      case 0:
      case 1: {  // split a face between two of its vertices
        m_last = "split_face";
        if (face == nullptr) return;
        const std::vector<VERTEX*> v = vertices_of(face);
        EDGE* e = nullptr;
        FACE* f = nullptr;
        TPI_MODEL::split_face(face, v[pick(v.size())], v[pick(v.size())], e, f);
        return;
      }
      case 2: {  // merge a face with a neighbour
        m_last = "merge_faces";
        if (face == nullptr) return;
        const std::vector<EDGE*> edges = edges_of(face);
        const std::vector<FACE*> across = faces_of(edges[pick(edges.size())]);
        TPI_MODEL::merge_faces(face, across[pick(across.size())]);
        return;
      }
      case 3: {  // split an edge in its middle
        m_last = "split_edge";
        if (face == nullptr) return;
        const std::vector<EDGE*> edges = edges_of(face);
        EDGE* edge = edges[pick(edges.size())];
        VERTEX* v = nullptr;
        EDGE* e = nullptr;
        TPI_MODEL::split_edge(edge, edge->geometry()->eval((edge->t_start() + edge->t_end()) / 2),
                              v, e);
        return;
      }
      case 4: {  // merge the edges at a vertex
        m_last = "merge_edges";
        if (face == nullptr) return;
        const std::vector<VERTEX*> v = vertices_of(face);
        EDGE* e = nullptr;
        TPI_MODEL::merge_edges(v[pick(v.size())], e);
        return;
      }
      case 5: {
        m_last = "copy_body";
        const std::vector<BODY*> bodies = live();
        if (bodies.empty() || body_count() > 8) return;
        BODY* copy = nullptr;
        reserve_body();
        if (TPI_MODEL::copy_body(bodies[pick(bodies.size())], copy).ok()) add_body(copy);
        return;
      }
      case 6: {
        m_last = "transform_body";
        const std::vector<BODY*> bodies = live();
        if (bodies.empty()) return;
        TPI_MODEL::transform_body(bodies[pick(bodies.size())],
                                  TPK::transf::rotate({1, 0, 0}, {0, 0, 1}, 0.5 * pick(4)));
        return;
      }
      case 7:
        m_last = "delete_face";
        if (face != nullptr && pick(3) == 0) TPI_MODEL::delete_face(face);
        return;
      case 8: {  // a tag edit, through the kernel
        m_last = "tag edit";
        if (face == nullptr) return;
        ATTRIB_CUSTOM* a = tag_attrib_of(face);
        if (a == nullptr) return;
        if (pick(2) == 0) {
          TT::update_secondary_id_for_attrib(a, static_cast<int>(pick(3)));
        } else {
          TT::prepend_operation_id_for_attrib(a, 1 + static_cast<int>(pick(4)), pick(2) == 0);
        }
        return;
      }
      case 9:  // re-tagging: the old attribute goes, a new one comes
        m_last = "re-tag";
        if (face == nullptr) return;
        if (ATTRIB_CUSTOM* a = tag_attrib_of(face)) TPI_MODEL::delete_attrib(a);
        m_atomic = false;  // two kernel operations
        tag(face, "R" + std::to_string(pick(2)));
        return;
      case 10:
        m_last = "activateTagManager";
        TT::activateTagManager(pick(4) != 0);
        return;
      default:
        m_last = "manageDupicateTags";
        m_atomic = false;  // one kernel operation per renumbered attribute
        TT::manageDupicateTags();
        return;
    }
  }
};

TEST(RandomSequences, RollingBackGivesTheSavedModelAndEveryStepLeavesAValidModel) {
  run_random_sequences<kernel_sequence>(60, 60);
}

}  // namespace
