#include "demo_command.h"

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

#include <BRepAdaptor_Curve.hxx>
#include <BRepAdaptor_Surface.hxx>
#include <TopExp.hxx>
#include <TopExp_Explorer.hxx>
#include <TopTools_IndexedMapOfShape.hxx>
#include <TopoDS.hxx>
#include <gp_Circ.hxx>

#include <tagtrack/scenario_runner/whole_file.h>
#include <tagtrack/tagtrack.h>

#include "demo_picture.h"
#include "recipe_command.h"

namespace tagtrack_tool {

namespace {

// The part's parameters: a block from the origin, a boss on its top, a fillet round its foot.
struct parameters {
  double width = 10, depth = 10, height = 2;
  double boss_x = 5, boss_y = 5, boss_radius = 2, boss_height = 3;
  double fillet_radius = 0.5;
};

void describe_features(tagtrack::feature_history& part, const parameters& p) {
  part.set({"block", tagtrack::box{{0, 0, 0}, {p.width, p.depth, p.height}}});
  part.set({"boss", tagtrack::cylinder{
                        {p.boss_x, p.boss_y, p.height}, {0, 0, 1}, p.boss_radius, p.boss_height}});
}

std::string describe(const TopoDS_Shape& edge) {
  const BRepAdaptor_Curve curve(TopoDS::Edge(edge));
  char text[160];
  if (curve.GetType() == GeomAbs_Circle) {
    const gp_Circ c = curve.Circle();
    std::snprintf(text, sizeof text, "a circle of radius %g round (%g, %g) at height %g",
                  c.Radius(), c.Location().X(), c.Location().Y(), c.Location().Z());
    return text;
  }
  return "an edge that is not a circle";
}

// Whether the edge is the boss's foot: the circle of its radius round its axis on the block.
bool is_boss_foot(const TopoDS_Shape& edge, const parameters& p) {
  const BRepAdaptor_Curve curve(TopoDS::Edge(edge));
  for (double f : {0.0, 0.2, 0.45, 0.7, 0.9}) {
    const gp_Pnt q =
        curve.Value(curve.FirstParameter() + f * (curve.LastParameter() - curve.FirstParameter()));
    if (std::abs(std::hypot(q.X() - p.boss_x, q.Y() - p.boss_y) - p.boss_radius) > 1e-6 ||
        std::abs(q.Z() - p.height) > 1e-6) {
      return false;
    }
  }
  return true;
}

std::string number(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", value);
  return text;
}

std::string at(double x, double y) {
  return "(" + number(x) + ", " + number(y) + ")";
}

// The fillet's faces in the rounded part: a fillet between the block's top and the boss's side
// is a piece of a torus, and no other face of this part is.
std::vector<TopoDS_Shape> fillet_faces(const TopoDS_Shape& part) {
  std::vector<TopoDS_Shape> faces;
  for (TopExp_Explorer e(part, TopAbs_FACE); e.More(); e.Next()) {
    if (BRepAdaptor_Surface(TopoDS::Face(e.Current())).GetType() == GeomAbs_Torus) {
      faces.push_back(e.Current());
    }
  }
  return faces;
}

void print_part(const char* title, const TopoDS_Shape& shape) {
  TopTools_IndexedMapOfShape faces, edges, vertices;
  TopExp::MapShapes(shape, TopAbs_FACE, faces);
  TopExp::MapShapes(shape, TopAbs_EDGE, edges);
  TopExp::MapShapes(shape, TopAbs_VERTEX, vertices);
  std::printf("   %s: a solid of %d faces, %d edges and %d vertices\n", title, faces.Extent(),
              edges.Extent(), vertices.Extent());
}

// The road of one reference, told as it runs; 0 when the fillet was remade on the right edge.
int run_road(demo_picture* picture) {
  std::printf("The road of one reference, on Open CASCADE solids\n\n");
  parameters first;
  tagtrack::feature_history part;
  part.add({"block", tagtrack::box{}});
  part.add({"boss", tagtrack::cylinder{}});
  part.add({"body", tagtrack::boolean{tagtrack::boolean_kind::fuse, "block", "boss"}});
  describe_features(part, first);
  std::printf(
      "1. Build the part from its features: a %g x %g x %g block, then a boss of radius %g and\n"
      "   height %g fused on its top at (%g, %g). Each feature tags the faces it makes.\n",
      first.width, first.depth, first.height, first.boss_radius, first.boss_height, first.boss_x,
      first.boss_y);
  if (!part.regenerate() || part.result("body").IsNull()) return 1;
  print_part("part", part.result("body"));

  std::printf(
      "\n2. The user picks the edge where the boss meets the block for a fillet of radius %g.\n",
      first.fillet_radius);
  const std::vector<TopoDS_Shape> picked =
      tagtrack::entities_at(part.result("body"), tagtrack::entity_type::edge,
                            {first.boss_x, first.boss_y + first.boss_radius, first.height});
  if (picked.size() != 1 || !part.remember("boss_foot", "body", picked[0])) return 1;
  std::printf("   the edge picked: %s\n", describe(picked[0]).c_str());
  const std::string stored = part.saved_text("boss_foot");
  std::printf("   the fillet keeps it as a recipe, the text the application saves:\n   %s\n",
              stored.c_str());
  std::printf("   the same recipe as a tree (tagtrack recipe show):\n");
  print_recipe_tree(tagtrack::naming::read_recipe(stored).get(), "     ");
  part.add({"round", tagtrack::fillet{"body", {"boss_foot"}, first.fillet_radius}});
  if (!part.regenerate() || part.result("round").IsNull()) return 1;
  print_part("after the fillet", part.result("round"));
  if (picture != nullptr) {
    picture->add("before the edit: the edge remembered, and rounded",
                 {"block " + number(first.width) + " \xc3\x97 " + number(first.depth) +
                      " \xc3\x97 " + number(first.height),
                  "boss radius " + number(first.boss_radius) + ", height " +
                      number(first.boss_height) + ", at " + at(first.boss_x, first.boss_y),
                  "fillet radius " + number(first.fillet_radius)},
                 part.result("round"));
    picture->mark_on_last(demo_picture::mark::fillet, fillet_faces(part.result("round")));
    picture->mark_on_last(demo_picture::mark::remembered, picked);
  }

  parameters second = first;
  second.height = 3;
  second.boss_x = 7;
  second.boss_y = 4;
  std::printf(
      "\n3. The user edits the features: the block is now %g high and the boss stands at\n"
      "   (%g, %g). The application replays the features from the first one changed.\n",
      second.height, second.boss_x, second.boss_y);
  describe_features(part, second);
  if (!part.regenerate()) return 1;
  print_part("new part", part.result("body"));

  std::printf("\n4. The fillet's recipe is resolved in the new solid right after the fuse.\n");
  const tagtrack::resolution found = part.resolved("boss_foot");
  std::printf("   the recipe resolved to %zu edge(s)\n", found.entities.size());
  for (const TopoDS_Shape& edge : found.entities) {
    std::printf("   - %s\n", describe(edge).c_str());
  }
  if (picture != nullptr) {
    // Notes starting with '*' are the parameters edited, which the picture sets apart.
    picture->add(
        "after the edit: the edge found, the fillet remade",
        {"*block height " + number(first.height) + " \xe2\x86\x92 " + number(second.height),
         "*boss at " + at(first.boss_x, first.boss_y) + " \xe2\x86\x92 " +
             at(second.boss_x, second.boss_y),
         "fillet radius " + number(second.fillet_radius) + ", as before"},
        part.result("round").IsNull() ? part.result("body") : part.result("round"));
    if (!part.result("round").IsNull()) {
      picture->mark_on_last(demo_picture::mark::fillet, fillet_faces(part.result("round")));
    }
    picture->mark_on_last(demo_picture::mark::found, found.entities);
  }
  const bool right = found.entities.size() == 1 && is_boss_foot(found.entities[0], second);
  if (!right) {
    std::printf("   The reference did not resolve to the boss's foot: %s.\n", found.reason.c_str());
    return 1;
  }
  std::printf(
      "   It is the right edge: the boss's foot, now higher and moved. The recipe named it by\n"
      "   the tags of the faces on either side (block.top and boss.side), not by a pointer or\n"
      "   an index of the old solid, which are gone.\n");
  if (part.result("round").IsNull()) return 1;
  print_part("the fillet remade", part.result("round"));
  return 0;
}

}  // namespace

void add_demo(CLI::App& app) {
  CLI::App* demo = app.add_subcommand(
      "demo",
      "The road of one reference, step by step: a part built from its features, an edge "
      "remembered as a recipe, the part regenerated with other dimensions, the edge found again");
  auto svg = std::make_shared<std::string>();
  demo->add_option("--svg", *svg,
                   "also draw the model before and after the edit side by side into this SVG "
                   "file: the edge remembered, the edge found, the fillet and the edited "
                   "parameters, with a legend")
      ->check(CLI::Validator(
          [](std::string& file) {
            const outcome writable = tagtrack::scenarios::check_writable_file(file);
            return writable ? std::string() : writable.message();
          },
          "FILE"));
  demo->callback([svg] {
    demo_picture picture;
    const int status = run_road(svg->empty() ? nullptr : &picture);
    if (!svg->empty()) {
      std::string error;
      if (!picture.write(*svg, error)) throw CLI::RuntimeError(error, 1);
      std::printf("\nThe model before and after the edit, drawn side by side: %s\n", svg->c_str());
    }
    if (status != 0) throw CLI::RuntimeError("", status);
  });
}

}  // namespace tagtrack_tool
