// The features of a parametric part as values: what each makes, from which earlier features, with
// which references. A feature is named by its id, unique in its history; the references it
// consumes (the edges a fillet rounds, the face a sketch stands on) are named by the names the
// application remembered them under (feature_history::remember).
#pragma once

#include <string>
#include <variant>
#include <vector>

#include <tagtrack/features/features_export.h>

namespace tagtrack {

struct point3 {
  double x = 0, y = 0, z = 0;
  friend bool operator==(const point3& a, const point3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
  }
  friend bool operator!=(const point3& a, const point3& b) { return !(a == b); }
};

// A block from its corner with the smallest coordinates.
struct box {
  point3 origin;
  point3 size{1, 1, 1};
};

// A cylinder standing on its base's centre along `axis`; its seam lies along the X direction of
// the frame gp_Ax2(origin, axis), as Open CASCADE builds it.
struct cylinder {
  point3 origin;
  point3 axis{0, 0, 1};
  double radius = 1, height = 1;
};

// A planar polygon (at least three points, in order, not repeated at the end) swept by `height`
// along its right-hand normal over the point order (negative for the other side). With
// `sketch_on` set, the points are projected onto the plane of that referenced face, their order
// does not matter, and the prism grows along the face's outward normal (negative into the
// material); the face must be planar.
struct prism {
  std::vector<point3> polygon;
  double height = 1;
  std::string sketch_on;
};

enum class boolean_kind { fuse, cut, common };

// `object` combined with `tool`, both earlier features; the result keeps the object's place.
struct boolean {
  boolean_kind kind = boolean_kind::fuse;
  std::string object, tool;
};

// Rounds (fillet) or bevels (chamfer, the same distance on both faces) the referenced edges of
// `target`'s result; as in Open CASCADE, a fillet spreads along edges that continue its edges
// tangentially.
struct fillet {
  std::string target;
  std::vector<std::string> edges;
  double radius = 1;
};
struct chamfer {
  std::string target;
  std::vector<std::string> edges;
  double distance = 1;
};

// Merges the faces and edges of `target`'s result that lie on one surface or curve.
struct unify {
  std::string target;
};

// `target`'s result under another id: what a removed fillet, chamfer or unification leaves.
struct pass_through {
  std::string target;
};

using feature_parameters =
    std::variant<box, cylinder, prism, boolean, fillet, chamfer, unify, pass_through>;

struct feature {
  std::string id;
  feature_parameters parameters;
};

// The operation's word: "box", "cylinder", "prism", "fuse", "cut", "common", "fillet", "chamfer",
// "unify", "pass".
TAGTRACK_FEATURES_EXPORT const char* op_word(const feature& f);

// The earlier features whose results it uses, object first.
TAGTRACK_FEATURES_EXPORT std::vector<std::string> inputs_of(const feature& f);

// The references it consumes, in the order it names them.
TAGTRACK_FEATURES_EXPORT std::vector<std::string> consumed_by(const feature& f);

TAGTRACK_FEATURES_EXPORT bool operator==(const feature& a, const feature& b);
inline bool operator!=(const feature& a, const feature& b) {
  return !(a == b);
}

}  // namespace tagtrack
