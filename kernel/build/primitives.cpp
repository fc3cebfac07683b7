#include <tagtrack/kernel/build/primitives.h>

#include <cmath>
#include <memory>
#include <string>

#include <tagtrack/kernel/build/polyhedron.h>
#include <tagtrack/kernel/internal/topology_editor.h>

using tpk_detail::topology_editor;

namespace {

constexpr double two_pi = 6.283185307179586476925286766559;
constexpr double pi = two_pi / 2;
const TPK::vector3 x_dir{1, 0, 0};
const TPK::vector3 y_dir{0, 1, 0};
const TPK::vector3 z_dir{0, 0, 1};

bool positive(double value) {
  return std::isfinite(value) && value > TPK::resabs;
}

outcome bad(const char* what, const char* why) {
  return outcome::failure(std::string(what) + ": " + why);
}

// A circle about +z at height z, starting at (radius, 0, z).
curve* circle_at(double radius, double z) {
  return new TPK::circle_curve({0, 0, z}, z_dir, x_dir, radius);
}

// A planar cap at height z bounded by one closed circular edge; `up` tells which way it faces.
void add_cap(BODY* body, EDGE* circle, double z, bool up) {
  FACE* cap = topology_editor::new_face(
      body, new TPK::plane_surface({0, 0, z}, up ? z_dir : -z_dir, x_dir), false);
  topology_editor::append_coedge(topology_editor::new_loop(cap), circle, !up);
}

// The shared shape of cylinders and cones: caps at z = 0 and (when top > 0) z = height, and a
// side on `side_surface` with a straight seam at u = 0.
outcome make_revolved(double bottom, double top, double height, surface* side_surface,
                      BODY*& body) {
  std::unique_ptr<surface> side_geometry(side_surface);
  TPK::operation_scope scope;
  BODY* made = topology_editor::new_body();
  BODY* b = made;
  const TPK::position low{bottom, 0, 0}, high{top, 0, height};
  VERTEX* a = topology_editor::new_vertex(b, low);
  VERTEX* apex_or_top = topology_editor::new_vertex(b, high);
  EDGE* bottom_circle = topology_editor::new_edge(b, circle_at(bottom, 0), a, a, 0.0, two_pi);
  EDGE* top_circle = nullptr;
  if (top > 0) {
    top_circle =
        topology_editor::new_edge(b, circle_at(top, height), apex_or_top, apex_or_top, 0.0, two_pi);
  }
  EDGE* seam = topology_editor::new_edge(b, new TPK::straight_curve(low, high - low), a,
                                         apex_or_top, 0.0, TPK::distance(low, high));
  add_cap(b, bottom_circle, 0, false);
  if (top_circle != nullptr) add_cap(b, top_circle, height, true);
  FACE* side = topology_editor::new_face(b, side_geometry.release(), false);
  LOOP* loop = topology_editor::new_loop(side);
  // Counter-clockwise in (u, v): along the bottom, up the seam at u = 2pi, back along the top,
  // down the seam at u = 0.
  topology_editor::append_coedge(loop, bottom_circle, false);
  topology_editor::append_coedge(loop, seam, false);
  if (top_circle != nullptr) topology_editor::append_coedge(loop, top_circle, true);
  topology_editor::append_coedge(loop, seam, true);
  scope.commit();
  body = made;
  return outcome();
}

}  // namespace

namespace TPI_BUILD {

outcome make_block(double dx, double dy, double dz, BODY*& body) {
  if (!positive(dx) || !positive(dy) || !positive(dz)) {
    return bad("make_block", "every side must be longer than the kernel resolution");
  }
  const std::vector<TPK::position> points{{0, 0, 0},  {dx, 0, 0},  {dx, dy, 0},  {0, dy, 0},
                                          {0, 0, dz}, {dx, 0, dz}, {dx, dy, dz}, {0, dy, dz}};
  const std::vector<std::vector<int>> faces{{0, 3, 2, 1}, {4, 5, 6, 7}, {0, 1, 5, 4},
                                            {1, 2, 6, 5}, {2, 3, 7, 6}, {3, 0, 4, 7}};
  return make_polyhedron(points, faces, body);
}

outcome make_cylinder(double radius, double height, BODY*& body) {
  if (!positive(radius) || !positive(height)) {
    return bad("make_cylinder", "radius and height must be positive");
  }
  return make_revolved(radius, radius, height,
                       new TPK::cylinder_surface({0, 0, 0}, z_dir, x_dir, radius), body);
}

outcome make_cone(double bottom, double top, double height, BODY*& body) {
  if (!positive(bottom) || !positive(height) || !std::isfinite(top) || top < 0 ||
      (top > 0 && top <= TPK::resabs)) {
    return bad("make_cone",
               "needs a positive bottom radius and height, and a top radius of 0 or "
               "above the kernel resolution");
  }
  const double half_angle = std::atan((top - bottom) / height);
  return make_revolved(bottom, top, height,
                       new TPK::cone_surface({0, 0, 0}, z_dir, x_dir, bottom, half_angle), body);
}

outcome make_sphere(double radius, BODY*& body) {
  if (!positive(radius)) return bad("make_sphere", "radius must be positive");
  TPK::operation_scope scope;
  BODY* made = topology_editor::new_body();
  BODY* b = made;
  VERTEX* south = topology_editor::new_vertex(b, {0, 0, -radius});
  VERTEX* north = topology_editor::new_vertex(b, {0, 0, radius});
  // The meridian u = 0, from the south pole up through (radius, 0, 0).
  EDGE* seam = topology_editor::new_edge(
      b, new TPK::circle_curve({0, 0, 0}, -y_dir, -z_dir, radius), south, north, 0.0, pi);
  FACE* face =
      topology_editor::new_face(b, new TPK::sphere_surface({0, 0, 0}, z_dir, x_dir, radius), false);
  LOOP* loop = topology_editor::new_loop(face);
  topology_editor::append_coedge(loop, seam, false);  // up at u = 2pi
  topology_editor::append_coedge(loop, seam, true);   // down at u = 0
  scope.commit();
  body = made;
  return outcome();
}

outcome make_torus(double major, double minor, BODY*& body) {
  if (!positive(minor) || !std::isfinite(major) || major <= minor + TPK::resabs) {
    return bad("make_torus", "needs major > minor > 0");
  }
  TPK::operation_scope scope;
  BODY* made = topology_editor::new_body();
  BODY* b = made;
  VERTEX* corner = topology_editor::new_vertex(b, {major + minor, 0, 0});
  // v = 0: the outer equator, parametrised by u.
  EDGE* equator =
      topology_editor::new_edge(b, circle_at(major + minor, 0), corner, corner, 0.0, two_pi);
  // u = 0: the tube's circle in the xz-plane, parametrised by v.
  EDGE* meridian = topology_editor::new_edge(
      b, new TPK::circle_curve({major, 0, 0}, -y_dir, x_dir, minor), corner, corner, 0.0, two_pi);
  FACE* face = topology_editor::new_face(
      b, new TPK::torus_surface({0, 0, 0}, z_dir, x_dir, major, minor), false);
  LOOP* loop = topology_editor::new_loop(face);
  topology_editor::append_coedge(loop, equator, false);   // v = 0, u rising
  topology_editor::append_coedge(loop, meridian, false);  // u = 2pi, v rising
  topology_editor::append_coedge(loop, equator, true);    // v = 2pi, u falling
  topology_editor::append_coedge(loop, meridian, true);   // u = 0, v falling
  scope.commit();
  body = made;
  return outcome();
}

outcome make_disc(double radius, BODY*& body) {
  if (!positive(radius)) return bad("make_disc", "radius must be positive");
  TPK::operation_scope scope;
  BODY* made = topology_editor::new_body();
  VERTEX* v = topology_editor::new_vertex(made, {radius, 0, 0});
  EDGE* rim = topology_editor::new_edge(made, circle_at(radius, 0), v, v, 0.0, two_pi);
  add_cap(made, rim, 0, true);
  scope.commit();
  body = made;
  return outcome();
}

}  // namespace TPI_BUILD
