// Frame and angle helpers shared by the kernel's geometry classes (defined in
// kernel/geometry/position.cpp).
//
// Every direction a surface or curve stores comes from `unit` or `orthonormal_frame`. Both return
// a direction that is already unit (and a frame that is already orthonormal) within
// frame_tolerance unchanged, and everything they return meets that tolerance, so feeding their
// results back in gives the same bits: a surface or curve rebuilt from the numbers get_data wrote
// writes exactly those numbers again.
#pragma once

#include <cfloat>

#include <tagtrack/kernel/geometry/position.h>

namespace TPK {
namespace geometry_detail {

// A direction counts as unit when |v.v - 1| <= frame_tolerance, and two unit directions as
// perpendicular when |a.x| <= frame_tolerance (both as computed by `dot`). This is a few times the
// worst rounding error of normalising and projecting, so the results of `unit` and
// `orthonormal_frame` always pass, and far below any length the kernel distinguishes.
constexpr double frame_tolerance = 16 * DBL_EPSILON;

// The unit vector along `v`, also for components that would underflow or overflow when squared;
// zero for a zero or non-finite vector. A `v` that is already unit is returned unchanged.
vector3 unit(const vector3& v);

// Right-handed orthonormal frame: `a` = unit(axis), `x` the part of `x_hint` perpendicular to `a`,
// normalised, and y = a x x. A unit `x_hint` already perpendicular to `a` is taken as `x`
// unchanged. When `x_hint` does not define a direction (zero, or within about resabs radians of
// the axis), `x` is the perpendicular of the world axis least aligned with `a`, so the frame is
// complete for any non-zero axis.
void orthonormal_frame(const vector3& axis, const vector3& x_hint, vector3& a, vector3& x,
                       vector3& y);

// Whether axis[0..2] and x_hint[0..2] describe a frame: the axis is not zero and the x direction is
// neither zero nor parallel to it (so orthonormal_frame needs no fallback).
bool frame_data_valid(const double* axis, const double* x_hint);

// `angle` in [0, 2pi), and 0 when the arc of `radius` between it and the seam, on either side, is
// within resabs. A point near the seam therefore gets exactly one parameter value, and an angle
// about a pole (radius 0) is always 0.
double seam_angle(double angle, double radius);

}  // namespace geometry_detail
}  // namespace TPK
