#include <tagtrack/kernel/geometry/curve.h>

#include <cmath>

#include <tagtrack/kernel/internal/geometry_frame.h>

curve::~curve() = default;

namespace TPK {

// As for surfaces, a direction or frame get_data wrote is kept bit for bit by the constructors.
curve* make_curve(curve_kind kind, const double* data, std::size_t count) {
  const std::size_t expected = kind == curve_kind::straight ? 6
                               : kind == curve_kind::circle ? 10
                                                            : 0;
  if (data == nullptr || expected == 0 || count != expected) return nullptr;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(data[i])) return nullptr;
  }
  const position origin{data[0], data[1], data[2]};
  const vector3 direction{data[3], data[4], data[5]};
  if (kind == curve_kind::straight) {
    if (length(geometry_detail::unit(direction)) == 0.0) return nullptr;
    return new straight_curve(origin, direction);
  }
  if (!geometry_detail::frame_data_valid(data + 3, data + 6) || !(data[9] > 0.0)) return nullptr;
  return new circle_curve(origin, direction, {data[6], data[7], data[8]}, data[9]);
}

}  // namespace TPK
