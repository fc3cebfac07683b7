// A CAD developer's first day with tagtrack on Open CASCADE, on the installed API alone
// (docs/occt_walkthrough.md walks through it): a block and a cylindrical boss, their faces' roles
// as the tagging scheme names them, the two fused, the edge at the boss's foot picked by a point
// and remembered, a fillet consuming that reference, the reference's text kept in a document. The
// document is opened again, the reference restored from its text, the block made taller and the
// boss moved, the part regenerated, and the resolution acted on; the fillet must be found remade
// on the boss's new foot, by geometry. Prints what it did; exits with 1 when anything is wrong.
#include <cmath>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <TopoDS.hxx>

#include <tagtrack/tagtrack.h>

namespace {

// Prints a failed step with its reason; gives whether the step went well.
bool ok(const outcome& step, const char* what) {
  if (!step) std::printf("%s failed: %s\n", what, step.message().c_str());
  return step.ok();
}

// Whether a reference's saved text holds the tag whose primary id is `id`: the text writes the
// characters of a primary id one by one, each after a blank ("block.top" as "b l o c k . t o p").
bool names(const std::string& text, const std::string& id) {
  std::string spelled;
  for (char c : id) spelled += std::string(spelled.empty() ? "" : " ") + c;
  return text.find(" " + spelled + " ") != std::string::npos;
}

// Whether `edge` is the horizontal circle of radius `r` round the vertical line through (x, y),
// at height z: three points along it are checked.
bool is_circle(const TopoDS_Shape& edge, double x, double y, double r, double z) {
  if (edge.IsNull() || edge.ShapeType() != TopAbs_EDGE) return false;
  const BRepAdaptor_Curve c(TopoDS::Edge(edge));
  for (double t : {0.1, 0.4, 0.8}) {
    const gp_Pnt p = c.Value(c.FirstParameter() + t * (c.LastParameter() - c.FirstParameter()));
    if (std::abs(std::hypot(p.X() - x, p.Y() - y) - r) > 1e-6 || std::abs(p.Z() - z) > 1e-6) {
      return false;
    }
  }
  return true;
}

// The roles of the block's and the boss's faces, each checked on the face through a point: the
// face is remembered and its reference's text names the face's tag "<feature id>.<role>". The
// faces are remembered in a history of their own, a copy of the part's, so that the part keeps
// only the references its application means to keep.
bool show_roles(const std::vector<tagtrack::feature>& features) {
  // [readme: roles]
  tagtrack::feature_history copy;
  for (const tagtrack::feature& f : features) copy.add(f);
  if (!ok(copy.regenerate(), "the copy's regeneration")) return false;
  struct face_at {
    const char* feature;
    tagtrack::point3 point;
    const char* tag;
  };
  const face_at faces[] = {
      {"block", {5, 5, 0}, "block.bottom"}, {"block", {5, 5, 2}, "block.top"},
      {"block", {10, 5, 1}, "block.front"}, {"block", {0, 5, 1}, "block.back"},
      {"block", {5, 0, 1}, "block.left"},   {"block", {5, 10, 1}, "block.right"},
      {"boss", {5, 5, 2}, "boss.bottom"},   {"boss", {5, 5, 5}, "boss.top"},
      {"boss", {5, 7, 3.5}, "boss.side"},   {"body", {1, 1, 2}, "block.top"},
      {"body", {5, 7, 3.5}, "boss.side"},   {"body", {5, 5, 5}, "boss.top"},
  };
  for (const face_at& f : faces) {
    const auto found =
        tagtrack::entities_at(copy.result(f.feature), tagtrack::entity_type::face, f.point);
    if (found.size() != 1 || !copy.remember("probe", f.feature, found[0]) ||
        !names(copy.saved_text("probe"), f.tag)) {
      std::printf("the face of %s through (%g, %g, %g) is not %s\n", f.feature, f.point.x,
                  f.point.y, f.point.z, f.tag);
      return false;
    }
    std::printf("  %-12s the face of %s through (%g, %g, %g)\n", f.tag, f.feature, f.point.x,
                f.point.y, f.point.z);
  }
  // The boss's bottom lies inside the fused body: no face of the body is there.
  if (!tagtrack::entities_at(copy.result("body"), tagtrack::entity_type::face, {5, 5, 2}).empty()) {
    std::printf("the body has a face where the boss's bottom was\n");
    return false;
  }
  std::printf("  boss.bottom  is inside the body: no face of it is left\n");
  // [readme: roles]
  return true;
}

}  // namespace

int main() {
  // [readme: primitives]
  tagtrack::feature_history part;
  // A block from its corner (0, 0, 0), 10 by 10 by 2, and a boss of radius 2 and height 3 standing
  // on the block's top at (5, 5).
  part.add({"block", tagtrack::box{{0, 0, 0}, {10, 10, 2}}});
  part.add({"boss", tagtrack::cylinder{{5, 5, 2}, {0, 0, 1}, 2, 3}});
  // [readme: primitives]

  // [readme: fuse]
  part.add({"body", tagtrack::boolean{tagtrack::boolean_kind::fuse, "block", "boss"}});
  if (!ok(part.regenerate(), "the regeneration")) return 1;
  if (!part.failure("body").empty()) {
    std::printf("the fuse failed: %s\n", part.failure("body").c_str());
    return 1;
  }
  // [readme: fuse]
  std::printf("block, boss and body built; their faces are named:\n");
  if (!show_roles(part.features())) return 1;

  // [readme: remember]
  // The user picks the boss's foot, the edge of the body through (5, 7, 2), for a fillet.
  const std::vector<TopoDS_Shape> picked =
      tagtrack::entities_at(part.result("body"), tagtrack::entity_type::edge, {5, 7, 2});
  if (picked.size() != 1) {
    std::printf("%zu edges through the pick, not one\n", picked.size());
    return 1;
  }
  if (!ok(part.remember("foot", "body", picked[0]), "remembering the foot")) return 1;
  part.add({"round", tagtrack::fillet{"body", {"foot"}, 0.5}});
  if (!ok(part.regenerate(), "the regeneration") || !part.failure("round").empty()) {
    std::printf("the fillet failed: %s\n", part.failure("round").c_str());
    return 1;
  }
  // [readme: remember]
  std::printf("the foot remembered after body, rounded by round (radius 0.5)\n");

  // [readme: save]
  // The application's document keeps its features in its own format (here they stay in
  // part.features()), the features' numbers, and each reference's text, one line each.
  std::string document;
  const auto& scheme = dynamic_cast<const tagtrack::tagging_scheme&>(part.scheme());
  for (const auto& [id, number] : scheme.feature_numbers()) {
    document += "number " + id + " " + std::to_string(number) + "\n";
  }
  for (const tagtrack::reference& r : part.references()) {
    document += "reference " + r.name + " " + r.after + " " + tagtrack::type_word(r.type) + " " +
                part.saved_text(r.name) + "\n";
  }
  // [readme: save]
  std::printf("the document keeps:\n%s", document.c_str());

  // [readme: restore]
  // The document is opened again: the features, the references and the features' numbers go into
  // a new history before its first regeneration.
  tagtrack::feature_history reopened;
  for (const tagtrack::feature& f : part.features()) reopened.add(f);
  std::map<std::string, int> numbers;
  std::istringstream lines(document);
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string kind, name, after, type, text;
    words >> kind >> name;
    if (kind == "number") {
      words >> numbers[name];
    } else if (kind == "reference") {
      words >> after >> type >> std::ws;
      std::getline(words, text);
      tagtrack::entity_type t = tagtrack::entity_type::face;
      for (auto each : {tagtrack::entity_type::edge, tagtrack::entity_type::vertex}) {
        if (type == tagtrack::type_word(each)) t = each;
      }
      if (!ok(reopened.restore(name, after, t, text), "restoring a reference")) return 1;
    }
  }
  auto& reopened_scheme = dynamic_cast<tagtrack::tagging_scheme&>(reopened.scheme());
  if (!ok(reopened_scheme.restore_feature_numbers(numbers), "restoring the numbers")) return 1;
  // [readme: restore]

  // [readme: edit]
  // The block grows to 3 high, the boss moves to (7, 4) on its new top.
  if (!ok(reopened.set({"block", tagtrack::box{{0, 0, 0}, {10, 10, 3}}}), "the block's edit") ||
      !ok(reopened.set({"boss", tagtrack::cylinder{{7, 4, 3}, {0, 0, 1}, 2, 3}}),
          "the boss's edit") ||
      !ok(reopened.regenerate(), "the regeneration")) {
    return 1;
  }
  // [readme: edit]
  std::printf("reopened, the block made 3 high, the boss moved to (7, 4), regenerated\n");

  // [readme: resolution]
  const tagtrack::resolution foot = reopened.resolved("foot");
  std::printf("foot: %s, %zu edge(s): %s\n", tagtrack::naming::verdict_word(foot.verdict),
              foot.entities.size(), foot.reason.c_str());
  switch (foot.verdict) {
    case tagtrack::naming::match_verdict::resolved:
      break;  // the fillet ran on foot.entities[0]
    case tagtrack::naming::match_verdict::ambiguous:
      // An application shows foot.entities to its user, remembers the one chosen under "foot"
      // (reopened.remember("foot", "body", chosen)) and regenerates. Here one edge was expected.
      return 1;
    case tagtrack::naming::match_verdict::lost:
      // Nothing fits (or "body" did not run: foot.feature_ran): the fillet failed, and an
      // application asks its user to pick the edge again.
      return 1;
  }
  if (!reopened.failure("round").empty()) {
    std::printf("the fillet failed: %s\n", reopened.failure("round").c_str());
    return 1;
  }
  // [readme: resolution]

  // [readme: check]
  // The edge found is the circle of radius 2 round (7, 4) at height 3: the boss's new foot. The
  // fillet's face, named after the reference it replaced, is a torus whose quarter circle of
  // radius 0.5 has its centre 2.5 from the boss's axis and 0.5 above the block's top; half way
  // round, it passes 0.5 / sqrt(2) nearer to both.
  const double off = 0.5 - 0.5 / std::sqrt(2.0);
  const auto rounded = tagtrack::entities_at(reopened.result("round"), tagtrack::entity_type::face,
                                             {7, 4 + 2 + off, 3 + off});
  const bool remade = is_circle(foot.entities[0], 7, 4, 2, 3) && rounded.size() == 1 &&
                      BRepAdaptor_Surface(TopoDS::Face(rounded[0])).GetType() == GeomAbs_Torus &&
                      reopened.remember("rounded", "round", rounded[0]) &&
                      names(reopened.saved_text("rounded"), "round.foot");
  // [readme: check]
  std::printf("%s\n", remade ? "the fillet is remade on the boss's new foot"
                             : "the fillet is not on the boss's new foot");
  return remade ? 0 : 1;
}
