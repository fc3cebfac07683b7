#include <tagtrack/kernel/geometry/surface.h>

#include <cmath>

#include <tagtrack/kernel/internal/geometry_frame.h>

surface::~surface() = default;

namespace TPK {

namespace {

constexpr double half_pi = 1.57079632679489661923;

std::size_t data_size_of(surface_kind kind) {
  switch (kind) {
    case surface_kind::plane:
      return 9;
    case surface_kind::sphere:
    case surface_kind::cylinder:
      return 10;
    case surface_kind::cone:
    case surface_kind::torus:
      return 11;
    case surface_kind::outside:
      return 0;
  }
  return 0;
}

}  // namespace

// Every kind starts with a point and two directions (axis or normal, then x), which the
// constructors normalise; only the numbers after them differ in meaning. A frame get_data wrote is
// already orthonormal, so the constructors keep it bit for bit and the rebuilt surface writes the
// same numbers.
surface* make_surface(surface_kind kind, const double* data, std::size_t count) {
  const std::size_t expected = data_size_of(kind);
  if (data == nullptr || expected == 0 || count != expected) return nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(data[i])) return nullptr;
  }
  if (!geometry_detail::frame_data_valid(data + 3, data + 6)) return nullptr;
  const position origin{data[0], data[1], data[2]};
  const vector3 axis{data[3], data[4], data[5]};
  const vector3 x_axis{data[6], data[7], data[8]};
  switch (kind) {
    case surface_kind::plane:
      return new plane_surface(origin, axis, x_axis);
    case surface_kind::cylinder:
      if (!(data[9] > 0.0)) return nullptr;
      return new cylinder_surface(origin, axis, x_axis, data[9]);
    case surface_kind::cone:
      // A cone with neither radius nor angle is only its axis.
      if (!(data[9] >= 0.0) || !(std::fabs(data[10]) < half_pi)) return nullptr;
      if (data[9] == 0.0 && data[10] == 0.0) return nullptr;
      return new cone_surface(origin, axis, x_axis, data[9], data[10]);
    case surface_kind::sphere:
      if (!(data[9] > 0.0)) return nullptr;
      return new sphere_surface(origin, axis, x_axis, data[9]);
    case surface_kind::torus:
      if (!(data[10] > 0.0) || !(data[9] > data[10])) return nullptr;
      return new torus_surface(origin, axis, x_axis, data[9], data[10]);
    case surface_kind::outside:
      return nullptr;
  }
  return nullptr;
}

}  // namespace TPK
