#include <tagtrack/kernel/operations/transform.h>

#include <cmath>
#include <memory>

#include <tagtrack/kernel/internal/journal.h>
#include <tagtrack/kernel/internal/topology_editor.h>
#include <tagtrack/kernel/internal/walk.h>
#include <tagtrack/kernel/operations/change_statement.h>

using tpk_detail::topology_editor;

namespace {

bool is_rigid(const TPK::transf& t) {
  const auto& r = t.rotation;
  for (int i = 0; i < 3; ++i) {
    for (int j = 0; j < 3; ++j) {
      double d = 0;
      for (int k = 0; k < 3; ++k) d += r[k][i] * r[k][j];
      if (!std::isfinite(d) || std::abs(d - (i == j ? 1.0 : 0.0)) > 1e-9) return false;
    }
  }
  const double det = r[0][0] * (r[1][1] * r[2][2] - r[1][2] * r[2][1]) -
                     r[0][1] * (r[1][0] * r[2][2] - r[1][2] * r[2][0]) +
                     r[0][2] * (r[1][0] * r[2][1] - r[1][1] * r[2][0]);
  return det > 0 && std::isfinite(t.translation.x) && std::isfinite(t.translation.y) &&
         std::isfinite(t.translation.z);
}

}  // namespace

namespace TPI_MODEL {

outcome transform_body(BODY* body, const TPK::transf& motion) {
  if (body == nullptr || !body->alive()) {
    return outcome::failure("transform_body: no body, or a deleted one");
  }
  if (!is_rigid(motion)) return outcome::failure("transform_body: the motion is not rigid");
  TPK::operation_scope scope;
  TPK::change_statement statement;
  tpk_detail::for_each_entity(body, [&](ENTITY* e) {
    statement.moved(e);
    switch (e->kind()) {
      case entity_kind::face: {
        auto* face = static_cast<FACE*>(e);
        std::unique_ptr<surface> moved(face->geometry()->copy());
        moved->transform(motion);
        topology_editor::replace_surface(face, moved.release());
        break;
      }
      case entity_kind::edge: {
        auto* edge = static_cast<EDGE*>(e);
        std::unique_ptr<curve> moved(edge->geometry()->copy());
        moved->transform(motion);
        topology_editor::replace_curve(edge, moved.release());
        break;
      }
      case entity_kind::vertex: {
        auto* vertex = static_cast<VERTEX*>(e);
        topology_editor::set_point(vertex, motion.apply(vertex->point()));
        break;
      }
      default:
        break;
    }
  });
  statement.announce();
  scope.commit();
  return outcome();
}

}  // namespace TPI_MODEL
