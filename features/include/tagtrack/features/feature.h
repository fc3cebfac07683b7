// The features of a parametric part as values: what each makes, from which earlier features, with
// which references. A feature is named by its id, unique in its history; the references it
// consumes (the edges a fillet rounds, the face a sketch stands on) are named by the names the
// application remembered them under (feature_history::remember).
#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <tagtrack/features/features_export.h>
#include <tagtrack/kernel/outcome.h>

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

// The segments of a planar profile that are circular arcs: segment k, from point k to the next
// (the last back to the first), is the arc through `through[k]`; every other segment is a line.
using profile_arcs = std::map<std::size_t, point3>;

// A planar profile (at least three points, or two when it holds an arc; in order, not repeated at
// the end, not crossing itself) swept by `height` along its right-hand normal over the points,
// each arc's through point in its place (negative for the other side). With `sketch_on` set, the
// points (through points included) are projected onto the plane of that referenced face, and the
// prism grows along the face's outward normal (negative into the material); the face must be
// planar.
struct prism {
  std::vector<point3> polygon;
  double height = 1;
  std::string sketch_on;
  profile_arcs through;
};

// A line: a point on it and a direction (any length but zero).
struct axis_line {
  point3 origin;
  point3 direction{0, 0, 1};
  friend bool operator==(const axis_line& a, const axis_line& b) {
    return a.origin == b.origin && a.direction == b.direction;
  }
};

// A planar profile (as for a prism, without `sketch_on`) turned about `axis` by `angle` degrees
// (0 < angle <= 360, 360 a full turn) by the right-hand rule. The axis lies in the profile's
// plane with the whole profile on one side of it, touching it at most at one point or along one
// segment.
struct revolve {
  std::vector<point3> polygon;
  axis_line axis;
  double angle = 360;
  profile_arcs through;
};

// The mirror image of `target`'s result in the plane through `plane_origin` normal to
// `plane_normal`, alone: fuse it with the original for a symmetric part.
struct mirror {
  std::string target;
  point3 plane_origin;
  point3 plane_normal{1, 0, 0};
};

// A turn by `angle` degrees about `axis` by the right-hand rule.
struct rotation {
  axis_line axis;
  double angle = 0;
  friend bool operator==(const rotation& a, const rotation& b) {
    return a.axis == b.axis && a.angle == b.angle;
  }
};

// `count` copies of `target`'s result (copy 0 is the result itself), copy k moved by k times
// `step` (linear, when `turn` is empty) or turned by k times `turn` (polar), fused in one boolean:
// copies that overlap become one solid, the others stay separate solids of one compound.
struct pattern {
  std::string target;
  int count = 2;
  point3 step;
  std::optional<rotation> turn;
};

// `target`'s result hollowed: the referenced `faces` are removed and the wall, `thickness` thick,
// grows inwards from the outer faces.
struct shell {
  std::string target;
  std::vector<std::string> faces;
  double thickness = 1;
};

// The referenced `faces` of `target`'s result turned by `angle` degrees about their lines on the
// neutral plane (through `neutral_origin`, normal to `pull`); a positive angle narrows the solid
// along `pull` away from the plane.
struct draft {
  std::string target;
  std::vector<std::string> faces;
  double angle = 0;
  point3 pull{0, 0, 1};
  point3 neutral_origin;
};

// `target`'s result moved rigidly: turned by `turn` (when set), then moved by `translate`.
struct move {
  std::string target;
  point3 translate;
  std::optional<rotation> turn;
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

// `target`'s result under another id: what a removed fillet, chamfer, unification, shell, draft
// or move leaves.
struct pass_through {
  std::string target;
};

using feature_parameters = std::variant<box, cylinder, prism, boolean, fillet, chamfer, unify,
                                        pass_through, revolve, mirror, pattern, shell, draft, move>;

struct feature {
  std::string id;
  feature_parameters parameters;
};

// The operation's word: "box", "cylinder", "prism", "fuse", "cut", "common", "fillet", "chamfer",
// "unify", "pass", "revolve", "mirror", "pattern", "shell", "draft", "move".
TAGTRACK_FEATURES_EXPORT const char* op_word(const feature& f);

// The earlier features whose results it uses, object first.
TAGTRACK_FEATURES_EXPORT std::vector<std::string> inputs_of(const feature& f);

// The references it consumes, in the order it names them.
TAGTRACK_FEATURES_EXPORT std::vector<std::string> consumed_by(const feature& f);

// The points of the profile of a prism or revolve, or null for any other feature.
TAGTRACK_FEATURES_EXPORT const std::vector<point3>* profile_points(const feature& f);

// Whether removing the feature leaves its target's result under its id (fillet, chamfer, unify,
// shell, draft, move).
TAGTRACK_FEATURES_EXPORT bool passes_through_when_removed(const feature& f);

// Fails, naming the feature and the field, for parameters that make no feature: a profile with
// too few points or an arc on a segment it does not have, a zero axis or normal, a revolve axis out
// of the profile's plane or crossing the profile, an angle out of range, a count below 2, a
// thickness not positive, a shell or draft without faces.
TAGTRACK_FEATURES_EXPORT outcome check_parameters(const feature& f);

TAGTRACK_FEATURES_EXPORT bool operator==(const feature& a, const feature& b);
inline bool operator!=(const feature& a, const feature& b) {
  return !(a == b);
}

}  // namespace tagtrack
