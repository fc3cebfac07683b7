// An application on Open CASCADE, built against the installed package alone: a block with a boss
// fused on it and a fillet round the boss's foot; the block grows, the boss moves, the part is
// regenerated, and the fillet is remade on the boss's new foot.
#include <cmath>
#include <cstdio>

#include <BRepAdaptor_Curve.hxx>
#include <TopoDS.hxx>

#include <tagtrack/tagtrack.h>

int main() {
  // [readme: features]
  tagtrack::feature_history part;
  part.add({"block", tagtrack::box{{0, 0, 0}, {10, 10, 2}}});
  part.add({"boss", tagtrack::cylinder{{5, 5, 2}, {0, 0, 1}, 2, 3}});
  part.add({"body", tagtrack::boolean{tagtrack::boolean_kind::fuse, "block", "boss"}});
  part.regenerate();
  // [readme: features]

  // [readme: remember]
  // The user picks the boss's foot, the edge of the body through (5, 7, 2), for a fillet.
  const auto picked =
      tagtrack::entities_at(part.result("body"), tagtrack::entity_type::edge, {5, 7, 2});
  if (picked.size() != 1 || !part.remember("foot", "body", picked[0])) return 1;
  part.add({"round", tagtrack::fillet{"body", {"foot"}, 0.5}});
  part.regenerate();
  std::printf("the document keeps: %s\n", part.saved_text("foot").c_str());
  // [readme: remember]

  // [readme: edit]
  part.set({"block", tagtrack::box{{0, 0, 0}, {10, 10, 3}}});
  part.set({"boss", tagtrack::cylinder{{7, 4, 3}, {0, 0, 1}, 2, 3}});
  part.regenerate();
  const tagtrack::resolution foot = part.resolved("foot");  // resolved, ambiguous or lost
  // [readme: edit]

  // The edge found is the circle of radius 2 round (7, 4) at height 3, and the fillet ran on it.
  bool right = foot.entities.size() == 1 && part.failure("round").empty();
  if (right) {
    const BRepAdaptor_Curve c(TopoDS::Edge(foot.entities[0]));
    for (double t : {0.1, 0.4, 0.8}) {
      const gp_Pnt p = c.Value(c.FirstParameter() + t * (c.LastParameter() - c.FirstParameter()));
      right = right && std::abs(std::hypot(p.X() - 7, p.Y() - 4) - 2) < 1e-6 &&
              std::abs(p.Z() - 3) < 1e-6;
    }
  }
  std::printf("occt consumer: %s (%s)\n",
              right ? "the fillet is remade on the boss's foot" : "wrong", foot.reason.c_str());
  return right ? 0 : 1;
}
