#include <tagtrack/occt/internal/carry_over.h>

#include <algorithm>
#include <unordered_map>

#include <Standard_Failure.hxx>
#include <TopoDS.hxx>

#include <tagtrack/kernel/build/body_layout.h>
#include <tagtrack/kernel/operations/change_statement.h>
#include <tagtrack/kernel/topology/check.h>
#include <tagtrack/occt/shape_bodies.h>

#include <tagtrack/occt/internal/shape_layout.h>

namespace tagtrack_occt {

namespace {

// The fate of the inputs' entities of one kind.
struct kind_plan {
  std::vector<ENTITY*> olds;             // the inputs' entities, inputs in order, each in its order
  std::vector<std::vector<int>> images;  // per old entity: result indices, ascending
  std::vector<std::vector<std::size_t>> pre;  // per result index: old entities, in order
  std::vector<ENTITY*> holder;  // per result index: the old entity kept there, or null
  std::vector<char> holds;      // per old entity: whether it holds a result entity
};

// `laid(r)`: whether the result's sub-shape r becomes a kernel entity (degenerate edges do not).
template <class E, class Shape, class Laid>
outcome plan_kind(const std::vector<BODY*>& inputs, const TopTools_IndexedMapOfShape& result_map,
                  const TPK::kernel_vector<E*>& (BODY::*list)() const, Shape (*shape_of)(const E*),
                  const shape_history& history, bool strict, Laid laid, kind_plan& plan) {
  const auto size = static_cast<std::size_t>(result_map.Extent()) + 1;
  plan.pre.assign(size, {});
  plan.holder.assign(size, nullptr);
  for (BODY* body : inputs) {
    for (E* entity : (body->*list)()) {
      const Shape input = shape_of(entity);
      if (input.IsNull()) return outcome::failure("a body is not backed by an Open CASCADE shape");
      std::vector<int> found;
      if (const int same = result_map.FindIndex(input); same != 0 && laid(same)) {
        // The same sub-shape: whatever the history says of it, it is there unchanged.
        found.push_back(same);
      } else if (same == 0) {
        TopTools_ListOfShape modified;
        history.modified(input, modified);
        for (const TopoDS_Shape& image : modified) {
          const int index = result_map.FindIndex(image);
          if (index != 0) {
            if (laid(index)) found.push_back(index);
          } else if (strict && image.ShapeType() == input.ShapeType()) {
            return outcome::failure("the history names shapes that are not in the result");
          }
        }
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
      }
      for (int index : found) plan.pre[static_cast<std::size_t>(index)].push_back(plan.olds.size());
      plan.olds.push_back(entity);
      plan.images.push_back(std::move(found));
    }
  }
  // Each result entity keeps the first of the old entities that became it and keep nothing yet.
  plan.holds.assign(plan.olds.size(), 0);
  for (std::size_t r = 1; r < size; ++r) {
    for (std::size_t old : plan.pre[r]) {
      if (!plan.holds[old]) {
        plan.holds[old] = 1;
        plan.holder[r] = plan.olds[old];
        break;
      }
    }
  }
  return outcome();
}

// States what became of one kind's old entities in two statements, announced in turn: `splits`
// (the entities kept or moved, the new ones split off them, and the pieces through which an
// entity's attributes reach an image another entity holds), then `merges` (those pieces and the
// entities that keep nothing merged into the images, and the losses).
void state_kind(const kind_plan& plan, const std::vector<ENTITY*>& made, bool moved,
                TPK::change_statement& splits, TPK::change_statement& merges) {
  for (std::size_t r = 1; r < plan.pre.size(); ++r) {
    if (made[r] == nullptr) continue;  // not laid out
    if (plan.holder[r] != nullptr) {
      moved ? splits.moved(plan.holder[r]) : splits.kept(plan.holder[r]);
    } else if (!plan.pre[r].empty()) {
      splits.split(plan.olds[plan.pre[r].front()], made[r]);
    }
  }
  for (std::size_t r = 1; r < plan.pre.size(); ++r) {
    const auto& pre = plan.pre[r];
    for (std::size_t i = 0; i < pre.size(); ++i) {
      ENTITY* old = plan.olds[pre[i]];
      if (old == plan.holder[r] || (plan.holder[r] == nullptr && i == 0)) continue;
      if (plan.holds[pre[i]]) {
        ENTITY* piece = TPI_BUILD::new_piece(old);
        splits.split(old, piece);
        merges.merged(piece, made[r]);
        merges.lost(piece);
      } else {
        merges.merged(old, made[r]);
      }
    }
  }
  for (std::size_t old = 0; old < plan.olds.size(); ++old) {
    if (!plan.holds[old]) merges.lost(plan.olds[old]);
  }
}

template <class E>
std::vector<E*> reuse_list(const kind_plan& plan) {
  std::vector<E*> reuse(plan.holder.size(), nullptr);
  for (std::size_t r = 0; r < plan.holder.size(); ++r) reuse[r] = static_cast<E*>(plan.holder[r]);
  return reuse;
}

// The made entities by result index; `indices[i]` is the result index of laid[i], or absent for
// the identity.
template <class E>
std::vector<ENTITY*> by_result_index(const std::vector<E*>& laid, int count,
                                     const std::vector<int>* indices = nullptr) {
  std::vector<ENTITY*> made(static_cast<std::size_t>(count) + 1, nullptr);
  for (std::size_t i = 0; i < laid.size(); ++i) {
    made[indices == nullptr ? i + 1 : static_cast<std::size_t>((*indices)[i])] = laid[i];
  }
  return made;
}

TopoDS_Shape face_of(const FACE* f) {
  return TPI_OCCT::face_shape(f);
}
TopoDS_Shape edge_of(const EDGE* e) {
  return TPI_OCCT::edge_shape(e);
}
TopoDS_Shape vertex_of(const VERTEX* v) {
  return TPI_OCCT::vertex_shape(v);
}

}  // namespace

outcome carry_over(const std::vector<BODY*>& inputs, const TopoDS_Shape& result,
                   const shape_history& history, carry_options options) {
  if (inputs.empty()) return outcome::failure("no body");
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    if (inputs[i] == nullptr || !inputs[i]->alive()) return outcome::failure("a body is missing");
    for (std::size_t j = 0; j < i; ++j) {
      if (inputs[i] == inputs[j]) return outcome::failure("a body is given twice");
    }
  }
  if (!holds_only_solids_and_shells(result, false)) {
    return outcome::failure("the result is not a solid, shell or compound of them");
  }
  try {
    const auto record = std::make_shared<const shape_record>(result);
    kind_plan faces, edges, vertices;
    const auto every = [](int) { return true; };
    const auto not_degenerate = [&](int r) { return !is_degenerate(record->edges().FindKey(r)); };
    outcome planned = plan_kind<FACE, TopoDS_Shape>(inputs, record->faces(), &BODY::faces, face_of,
                                                    history, options.strict, every, faces);
    if (planned.ok()) {
      planned = plan_kind<EDGE, TopoDS_Shape>(inputs, record->edges(), &BODY::edges, edge_of,
                                              history, options.strict, not_degenerate, edges);
    }
    if (planned.ok()) {
      planned =
          plan_kind<VERTEX, TopoDS_Shape>(inputs, record->vertices(), &BODY::vertices, vertex_of,
                                          history, options.strict, every, vertices);
    }
    if (!planned.ok()) return planned;

    // Result entities no input became: copies of the input entity of their kind that generated
    // them, or created. The first generator in the inputs' order counts.
    std::vector<std::pair<const kind_plan*, const TopTools_IndexedMapOfShape*>> kinds = {
        {&faces, &record->faces()}, {&edges, &record->edges()}, {&vertices, &record->vertices()}};
    std::vector<std::vector<ENTITY*>> generator(3);
    for (std::size_t k = 0; k < 3; ++k) {
      generator[k].assign(kinds[k].first->holder.size(), nullptr);
    }
    for (std::size_t k = 0; k < 3; ++k) {
      const kind_plan& from = *kinds[k].first;
      for (std::size_t old = 0; old < from.olds.size(); ++old) {
        ENTITY* entity = from.olds[old];
        const TopoDS_Shape input = k == 0   ? face_of(static_cast<FACE*>(entity))
                                   : k == 1 ? edge_of(static_cast<EDGE*>(entity))
                                            : vertex_of(static_cast<VERTEX*>(entity));
        TopTools_ListOfShape made;
        history.generated(input, made);
        for (const TopoDS_Shape& image : made) {
          const int r = kinds[k].second->FindIndex(image);
          // Only an image of the generator's own kind is its copy; others are created.
          if (r == 0 || !kinds[k].first->pre[static_cast<std::size_t>(r)].empty()) continue;
          if (generator[k][static_cast<std::size_t>(r)] == nullptr && from.holds[old]) {
            generator[k][static_cast<std::size_t>(r)] = entity;
          }
        }
      }
    }

    reuse_plan reuse{reuse_list<FACE>(faces), reuse_list<EDGE>(edges),
                     reuse_list<VERTEX>(vertices)};
    TPI_BUILD::body_layout layout;
    std::vector<int> edge_indices;
    if (outcome laid = layout_of(record, reuse, layout, edge_indices); !laid.ok()) return laid;

    // The inputs none of whose entities join the result (a tool that missed the object): the
    // layout retires the loops and coedges of the others only.
    std::vector<char> contributes(inputs.size(), 0);
    for (const kind_plan* plan : {&faces, &edges, &vertices}) {
      for (const ENTITY* holder : plan->holder) {
        for (std::size_t i = 0; holder != nullptr && i < inputs.size(); ++i) {
          if (holder->body() == inputs[i]) contributes[i] = 1;
        }
      }
    }

    TPK::operation_scope scope;
    TPK::change_statement splits, merges;
    TPI_BUILD::laid_out made;
    if (outcome laid = TPI_BUILD::lay_out_body(inputs[0], layout, merges, made); !laid.ok()) {
      return laid;
    }
    const std::vector<ENTITY*> made_faces = by_result_index(made.faces, record->faces().Extent());
    const std::vector<ENTITY*> made_edges =
        by_result_index(made.edges, record->edges().Extent(), &edge_indices);
    const std::vector<ENTITY*> made_vertices =
        by_result_index(made.vertices, record->vertices().Extent());
    const std::vector<const std::vector<ENTITY*>*> made_of = {&made_faces, &made_edges,
                                                              &made_vertices};
    for (std::size_t k = 0; k < 3; ++k) {
      state_kind(*kinds[k].first, *made_of[k], options.moved, splits, merges);
    }
    for (std::size_t k = 0; k < 3; ++k) {
      const kind_plan& plan = *kinds[k].first;
      for (std::size_t r = 1; r < plan.pre.size(); ++r) {
        ENTITY* entity = (*made_of[k])[r];
        if (!plan.pre[r].empty() || entity == nullptr) continue;
        if (ENTITY* from = generator[k][r]) {
          splits.copied(from, entity);
        } else {
          splits.created(entity);
        }
      }
    }
    for (std::size_t i = 1; i < inputs.size(); ++i) {
      if (!contributes[i]) TPI_BUILD::state_loops_lost(inputs[i], merges);
      merges.lost(inputs[i]);
    }
    for (const TPK::change_statement* statement : {&splits, &merges}) {
      if (const char* broken = statement->check()) return outcome::failure(broken);
    }
    splits.announce();
    merges.announce();
    // A result the kernel cannot hold as a valid body (Open CASCADE joins what lies within its
    // tolerances, the kernel's loops close through shared vertices) is refused: the scope then
    // undoes the layout and what the attributes heard, and every body stays as it was.
    if (outcome valid = TPI_CHECK::check_body(inputs[0]); !valid.ok()) {
      return outcome::failure("the result makes no valid body: " + valid.message());
    }
    scope.commit();
    return outcome();
  } catch (const Standard_Failure& failure) {
    return outcome::failure(std::string("Open CASCADE failed: ") + failure.GetMessageString());
  }
}

}  // namespace tagtrack_occt
