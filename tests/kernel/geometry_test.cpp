#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <iomanip>
#include <limits>
#include <memory>
#include <new>
#include <random>
#include <vector>

#include <tagtrack/kernel/geometry/curve.h>
#include <tagtrack/kernel/geometry/surface.h>
#include <tagtrack/kernel/heap.h>

namespace TPK {
namespace {

constexpr double pi = 3.14159265358979323846;
constexpr double two_pi = 2.0 * pi;
const double nan_value = std::numeric_limits<double>::quiet_NaN();

using surface_ptr = std::unique_ptr<surface>;
using curve_ptr = std::unique_ptr<curve>;

// Off the world axes, and neither unit nor perpendicular, so the constructors must fix the frame.
const position offset{0.5, -1.25, 3.0};
const vector3 tilted_axis{1, 2, 2};
const vector3 tilted_x{2, -1, 3};
const vector3 axis = normalised(tilted_axis);
const double cone_angle = 0.6;
const double cone_apex_v = -1.5 / std::tan(cone_angle);

std::vector<surface_ptr> test_surfaces() {
  std::vector<surface_ptr> out;
  out.emplace_back(new plane_surface(offset, tilted_axis, tilted_x));
  out.emplace_back(new cylinder_surface(offset, tilted_axis, tilted_x, 2.0));
  out.emplace_back(new cone_surface(offset, tilted_axis, tilted_x, 1.5, cone_angle));
  out.emplace_back(new sphere_surface(offset, tilted_axis, tilted_x, 3.0));
  out.emplace_back(new torus_surface(offset, tilted_axis, tilted_x, 5.0, 1.5));
  return out;
}

// Parameters away from seams and poles, where param must give back exactly what eval was given; on
// the cone, also beyond its apex.
std::vector<par_pos> interior_grid(const surface& s) {
  std::vector<par_pos> out;
  if (s.kind() == surface_kind::cone) {
    for (double u : {0.3, 2.0, 4.5}) out.push_back({u, cone_apex_v - 1.0});
  }
  for (int i = 0; i < 12; ++i) {
    for (int j = 1; j < 8; ++j) {
      const double u = s.periodic_u() ? i * pi / 6 + 0.1 : -3.0 + i * 0.5;
      const double v = s.kind() == surface_kind::sphere  ? -pi / 2 + j * pi / 8
                       : s.kind() == surface_kind::torus ? j * pi / 4
                                                         : -2.0 + j * 0.5;
      out.push_back({u, v});
    }
  }
  return out;
}

void expect_same(const position& a, const position& b, double tol = 1e-9) {
  EXPECT_LE(distance(a, b), tol);
}

void expect_same(const vector3& a, const vector3& b, double tol = 1e-9) {
  EXPECT_LE(length(a - b), tol);
}

// param of eval(uv): succeeds and returns parameters evaluating to the same point within the
// resolution (snapping to a seam or pole moves it by up to that much).
par_pos round_trip(const surface& s, const par_pos& uv) {
  par_pos got{nan_value, nan_value};
  EXPECT_TRUE(s.param(s.eval(uv), got, nullptr)) << uv.u << ", " << uv.v;
  expect_same(s.eval(got), s.eval(uv), resabs);
  return got;
}

// The normal is the unit d/du x d/dv, checked against central differences.
void expect_normal_is_du_cross_dv(const surface& s, const par_pos& uv) {
  const double h = 1e-5;
  const vector3 du = s.eval({uv.u + h, uv.v}) - s.eval({uv.u - h, uv.v});
  const vector3 dv = s.eval({uv.u, uv.v + h}) - s.eval({uv.u, uv.v - h});
  expect_same(s.normal(uv), normalised(cross(du, dv)), 1e-8);
}

TEST(Transf, RotationCompositionAndResolution) {
  const transf t = transf::rotate({1, 1, 0}, {0, 0, 2}, pi / 2);
  expect_same(t.apply(position{2, 1, 0}), {1, 2, 0});
  expect_same(t.apply(position{1, 1, 5}), {1, 1, 5});
  // A third of a turn about (1, 1, 1) permutes the axes, which pins down every matrix entry.
  const transf r = transf::rotate({0, 0, 0}, {1, 1, 1}, two_pi / 3);
  expect_same(r.apply(vector3{1, 0, 0}), {0, 1, 0});
  expect_same(r.apply(vector3{0, 1, 0}), {0, 0, 1});
  expect_same(r.apply(vector3{0, 0, 1}), {1, 0, 0});
  const position p{4, 5, -6};
  expect_same(transf::rotate({1, 2, 3}, {0, 0, 0}, 1.0).apply(p), p);  // no axis, no motion
  // b.after(a) applies a first.
  const transf a = transf::rotate({1, 2, 3}, {0, 1, 1}, 1.1).after(transf::translate({3, 0, 1}));
  const transf b = transf::rotate({-1, 0, 2}, {1, 0, -2}, -0.4);
  expect_same(b.after(a).apply(p), b.apply(a.apply(p)));
  expect_same(b.after(a).apply(vector3{1, 2, 3}), b.apply(a.apply(vector3{1, 2, 3})));

  EXPECT_TRUE(is_equal(1.0, 1.0 + 0.5e-6));
  EXPECT_FALSE(is_equal(1.0, 1.0 + 2e-6));
  EXPECT_FALSE(is_equal(nan_value, nan_value));
}

// On a grid away from seams and poles, param gives back exactly the parameters eval was given and
// the normal is d/du x d/dv, also on copies moved rigidly, which move every point and normal; a
// point off the surface by more than the resolution has no parameters, one within it has.
TEST(SurfaceParam, RoundTripsOnGridMatchesNormalMovesRigidlyAndRejectsPointsOff) {
  const transf t =
      transf::rotate({1, -2, 0.5}, {3, 1, -1}, 2.2).after(transf::translate({4, 5, 6}));
  for (const surface_ptr& s : test_surfaces()) {
    SCOPED_TRACE(s->type_name());
    surface_ptr moved(s->copy());
    moved->transform(t);
    for (const par_pos& uv : interior_grid(*s)) {
      for (const surface* on : {s.get(), moved.get()}) {
        const par_pos got = round_trip(*on, uv);
        EXPECT_NEAR(got.u, uv.u, 1e-9);
        EXPECT_NEAR(got.v, uv.v, 1e-9);
        expect_normal_is_du_cross_dv(*on, uv);
      }
      expect_same(moved->eval(uv), t.apply(s->eval(uv)));
      expect_same(moved->normal(uv), t.apply(s->normal(uv)));
      const position p = s->eval(uv);
      const vector3 n = s->normal(uv);
      par_pos got;
      EXPECT_TRUE(s->param(p + 0.5e-6 * n, got, nullptr));
      EXPECT_TRUE(s->param(p - 0.5e-6 * n, got, nullptr));
      EXPECT_FALSE(s->param(p + 2e-6 * n, got, &uv));
      EXPECT_FALSE(s->param(p - 2e-6 * n, got, nullptr));
    }
    par_pos uv;
    EXPECT_EQ(s->param(offset, uv, nullptr), s->kind() == surface_kind::plane);
  }
  // The cone's tolerance is perpendicular to the surface, not radial: at 60 degrees a radial
  // offset is twice the distance.
  par_pos uv;
  const cone_surface steep({0, 0, 0}, {0, 0, 1}, {1, 0, 0}, 1.0, pi / 3);
  EXPECT_TRUE(steep.param({1.0 + 1.5e-6, 0, 0}, uv, nullptr));
  EXPECT_FALSE(steep.param({1.0 + 3e-6, 0, 0}, uv, nullptr));
}

TEST(SurfaceParam, SeamGetsOneParameterOnBothSidesWithinAnArcLength) {
  for (const surface_ptr& s : test_surfaces()) {
    if (!s->periodic_u()) continue;
    SCOPED_TRACE(s->type_name());
    for (double u : {two_pi - 1e-9, 1e-9, -1e-9, two_pi, 4 * pi}) {
      EXPECT_EQ(round_trip(*s, {u, 0.5}).u, 0.0) << u;
    }
    // Farther than the resolution from the seam: kept, and normalised into [0, 2pi).
    EXPECT_NEAR(round_trip(*s, {two_pi - 1e-4, 0.5}).u, two_pi - 1e-4, 1e-9);
    EXPECT_NEAR(round_trip(*s, {-0.5, 0.5}).u, two_pi - 0.5, 1e-9);
  }
  const torus_surface torus(offset, tilted_axis, tilted_x, 5.0, 1.5);
  EXPECT_EQ(round_trip(torus, {1.0, two_pi - 1e-9}).v, 0.0);
  EXPECT_EQ(round_trip(torus, {1.0, -4e-7}).v, 0.0);  // an arc of 6e-7 on the tube
  EXPECT_NEAR(round_trip(torus, {1.0, -1e-4}).v, two_pi - 1e-4, 1e-9);
  // The tolerance is an arc length. On a large cylinder a tiny angle is a long arc, so it is not
  // the seam.
  const cylinder_surface big(offset, tilted_axis, tilted_x, 1000.0);
  EXPECT_NEAR(round_trip(big, {1e-8, 0.0}).u, 1e-8, 1e-12);
  EXPECT_EQ(round_trip(big, {1e-10, 0.0}).u, 0.0);
  // Near a pole or the cone's apex a wide angle is a short arc.
  const sphere_surface sphere(offset, tilted_axis, tilted_x, 3.0);
  EXPECT_EQ(round_trip(sphere, {two_pi - 4e-6, 1.5}).u, 0.0);  // an arc of 8.5e-7
  const cone_surface cone(offset, tilted_axis, tilted_x, 1.5, cone_angle);
  const double v = cone_apex_v + 1e-4 / std::tan(cone_angle);  // radius 1e-4
  EXPECT_EQ(round_trip(cone, {two_pi - 0.005, v}).u, 0.0);
  EXPECT_NEAR(round_trip(cone, {0.05, v}).u, 0.05, 1e-9);
}

TEST(SurfaceParam, PolesHaveUZeroAndAxisNormals) {
  const sphere_surface sphere(offset, tilted_axis, tilted_x, 3.0);
  for (const par_pos& uv :
       {par_pos{1.3, pi / 2}, par_pos{5.0, -pi / 2}, par_pos{1.3, pi / 2 - 1e-8}}) {
    const par_pos got = round_trip(sphere, uv);
    EXPECT_EQ(got.u, 0.0);
    EXPECT_EQ(got.v, uv.v > 0 ? pi / 2 : -pi / 2);
    expect_same(sphere.normal(uv), uv.v > 0 ? axis : -axis);
  }
  const cone_surface cone(offset, tilted_axis, tilted_x, 1.5, cone_angle);
  for (double v : {cone_apex_v, cone_apex_v + 1e-7}) {
    const par_pos apex = round_trip(cone, {2.0, v});
    EXPECT_EQ(apex.u, 0.0);
    EXPECT_NEAR(apex.v, cone_apex_v, 1e-12);
  }
  expect_same(cone.normal({2.0, cone_apex_v}), -axis);
  const cone_surface narrowing(offset, tilted_axis, tilted_x, 1.5, -cone_angle);
  expect_same(narrowing.normal({0.0, -cone_apex_v}), axis);
}

TEST(SurfaceData, RejectsInvalidData) {
  for (const surface_ptr& s : test_surfaces()) {
    SCOPED_TRACE(s->type_name());
    const std::size_t n = s->data_size();
    std::vector<double> good(n + 1, 0.0);
    s->get_data(good.data());
    EXPECT_EQ(make_surface(s->kind(), good.data(), n - 1), nullptr);
    EXPECT_EQ(make_surface(s->kind(), good.data(), n + 1), nullptr);
    EXPECT_EQ(make_surface(s->kind(), nullptr, n), nullptr);
    auto rejects = [&](std::size_t first, std::size_t end, auto value_at) {
      std::vector<double> bad = good;
      for (std::size_t i = first; i < end; ++i) bad[i] = value_at(i);
      return make_surface(s->kind(), bad.data(), n) == nullptr;
    };
    for (std::size_t i = 0; i < n; ++i) {
      EXPECT_TRUE(rejects(i, i + 1, [](std::size_t) { return nan_value; })) << i;
      EXPECT_TRUE(rejects(i, i + 1, [](std::size_t) { return HUGE_VAL; })) << i;
    }
    EXPECT_TRUE(rejects(3, 6, [](std::size_t) { return 0.0; }));  // zero axis
    EXPECT_TRUE(rejects(6, 9, [](std::size_t) { return 0.0; }));  // zero x direction
    EXPECT_TRUE(rejects(6, 9, [&](std::size_t i) { return -2 * good[i - 3]; }));  // x on the axis
    EXPECT_TRUE(n == 9 || rejects(9, 10, [](std::size_t) { return -1.0; }));
  }
  auto accepts = [](surface_kind kind, std::vector<double> tail) {
    std::vector<double> data = {0, 0, 0, 0, 0, 1, 1, 0, 0};
    data.insert(data.end(), tail.begin(), tail.end());
    return surface_ptr(make_surface(kind, data.data(), data.size())) != nullptr;
  };
  EXPECT_FALSE(accepts(surface_kind::cylinder, {0.0}));
  EXPECT_FALSE(accepts(surface_kind::sphere, {0.0}));
  EXPECT_TRUE(accepts(surface_kind::cone, {0.0, 0.3}));
  EXPECT_FALSE(accepts(surface_kind::cone, {0.0, 0.0}));
  EXPECT_FALSE(accepts(surface_kind::cone, {1.0, pi / 2}));
  EXPECT_FALSE(accepts(surface_kind::cone, {1.0, -pi / 2}));
  EXPECT_TRUE(accepts(surface_kind::cone, {1.0, -1.5}));
  EXPECT_FALSE(accepts(surface_kind::torus, {2.0, 2.0}));
  EXPECT_FALSE(accepts(surface_kind::torus, {2.0, 0.0}));
}

// Both curves: param gives back the parameter, the tangent is the chord's direction, points
// farther than the resolution are refused, moved copies move every point and tangent, and short
// or non-finite data are refused.
TEST(Curve, ParamTangentMotionAndRefusedData) {
  const transf t = transf::rotate({1, 0, 0}, {0, 1, 1}, 0.9).after(transf::translate({1, 2, 3}));
  std::vector<curve_ptr> curves;
  curves.emplace_back(new straight_curve(offset, {0, 3, 4}));
  curves.emplace_back(new circle_curve(offset, tilted_axis, tilted_x, 2.0));
  for (const curve_ptr& c : curves) {
    SCOPED_TRACE(c->type_name());
    curve_ptr moved(c->copy());
    moved->transform(t);
    double got = 0;
    for (int i = 0; i < 12; ++i) {
      const double at = i * pi / 6 + 0.2;
      const position p = c->eval(at);
      ASSERT_TRUE(c->param(p, got));
      EXPECT_NEAR(got, at, 1e-9);
      expect_same(c->tangent(at), normalised(c->eval(at + 1e-6) - c->eval(at - 1e-6)), 1e-8);
      expect_same(moved->eval(at), t.apply(p));
      expect_same(moved->tangent(at), t.apply(c->tangent(at)));
      const vector3 off = normalised(cross(c->tangent(at), axis));  // radial on the circle
      EXPECT_TRUE(c->param(p + 0.25e-6 * off, got));
      EXPECT_FALSE(c->param(p + 2e-6 * off, got));
    }
    std::vector<double> data(moved->data_size());
    moved->get_data(data.data());
    EXPECT_EQ(make_curve(c->kind(), data.data(), data.size() - 1), nullptr);
    data[1] = nan_value;
    EXPECT_EQ(make_curve(c->kind(), data.data(), data.size()), nullptr);
  }
  // The straight is parametrised by arc length; the circle runs counter-clockwise about its
  // normal, snaps to its seam and has no parameter at its centre or off its plane.
  expect_same(curves[0]->eval(5.0), offset + vector3{0, 3, 4});
  const curve& circle = *curves[1];
  EXPECT_GT(dot(cross(circle.eval(0.0) - offset, circle.tangent(0.0)), axis), 0.0);
  double got = 0;
  for (double at : {two_pi - 1e-9, -1e-9, 1e-9}) {
    ASSERT_TRUE(circle.param(circle.eval(at), got));
    EXPECT_EQ(got, 0.0);
  }
  EXPECT_FALSE(circle.param(circle.eval(1.0) + 2e-6 * axis, got));
  EXPECT_FALSE(circle.param(offset, got));
  const double zero_line[] = {1, 2, 3, 0, 0, 0};
  EXPECT_EQ(make_curve(curve_kind::straight, zero_line, 6), nullptr);
  const double flat[] = {0, 0, 0, 0, 0, 1, 0, 0, 3, 1};  // x along the normal
  EXPECT_EQ(make_curve(curve_kind::circle, flat, 10), nullptr);
  const double shrunk[] = {0, 0, 0, 0, 0, 1, 1, 0, 0, -1};
  EXPECT_EQ(make_curve(curve_kind::circle, shrunk, 10), nullptr);
}

// Random geometry for the exact-rebuild checks: directions of any magnitude, neither unit nor
// perpendicular, sometimes exactly on a world axis and sometimes nearly parallel to the axis.
class random_geometry {
 public:
  double uniform(double lo, double hi) {
    return std::uniform_real_distribution<double>(lo, hi)(m_rng);
  }
  position point() { return {uniform(-50, 50), uniform(-50, 50), uniform(-50, 50)}; }
  vector3 direction() {
    if (uniform(0, 1) < 0.1) return {0, 0, uniform(0, 1) < 0.5 ? 1.0 : -1.0};
    const double scale = std::pow(10.0, uniform(-100, 100));
    return scale * vector3{uniform(-1, 1), uniform(-1, 1), uniform(-1, 1)};
  }
  // A direction hint for `axis` at least 1e-5 radians away from it.
  vector3 hint(const vector3& axis) {
    if (uniform(0, 1) > 0.2) return direction();
    const vector3 off = 1e-5 * normalised(cross(axis, direction()));
    return std::pow(10.0, uniform(-100, 100)) * (normalised(axis) + off);
  }
  transf rigid_motion() {
    return transf::rotate(point(), direction(), uniform(-pi, pi))
        .after(transf::translate(point() - position{}));
  }

  std::vector<surface_ptr> surfaces() {
    std::vector<surface_ptr> out;
    auto frame = [&](auto build) {
      const position at = point();
      const vector3 a = direction();
      out.emplace_back(build(at, a, hint(a)));
    };
    frame([&](position o, vector3 a, vector3 x) { return new plane_surface(o, a, x); });
    frame([&](position o, vector3 a, vector3 x) {
      return new cylinder_surface(o, a, x, uniform(0.01, 100));
    });
    frame([&](position o, vector3 a, vector3 x) {
      return new cone_surface(o, a, x, uniform(0, 100), uniform(-1.5, 1.5));
    });
    frame([&](position o, vector3 a, vector3 x) {
      return new sphere_surface(o, a, x, uniform(0.01, 100));
    });
    frame([&](position o, vector3 a, vector3 x) {
      const double minor = uniform(0.01, 10);
      return new torus_surface(o, a, x, minor + uniform(0.01, 100), minor);
    });
    return out;
  }
  std::vector<curve_ptr> curves() {
    std::vector<curve_ptr> out;
    out.emplace_back(new straight_curve(point(), direction()));
    const vector3 normal = direction();
    out.emplace_back(new circle_curve(point(), normal, hint(normal), uniform(0.01, 100)));
    return out;
  }

 private:
  std::mt19937_64 m_rng{20240611};
};

// Saving `g`, rebuilding it with `make` and saving again gives the same bits; and what was saved is
// a unit direction (a straight) or an orthonormal frame, so the exactness is not bought by keeping
// directions that were never normalised.
template <typename Geometry, typename Make>
void expect_exact_rebuild(const Geometry& g, Make make) {
  std::vector<double> saved(g.data_size());
  g.get_data(saved.data());
  const vector3 a{saved[3], saved[4], saved[5]};
  EXPECT_NEAR(length(a), 1.0, 1e-14) << g.type_name();
  if (saved.size() >= 9) {
    const vector3 x{saved[6], saved[7], saved[8]};
    EXPECT_NEAR(length(x), 1.0, 1e-14) << g.type_name();
    EXPECT_NEAR(dot(a, x), 0.0, 1e-14) << g.type_name();
  }
  const std::unique_ptr<Geometry> rebuilt(make(g.kind(), saved.data(), saved.size()));
  ASSERT_NE(rebuilt, nullptr);
  EXPECT_EQ(rebuilt->kind(), g.kind());
  std::vector<double> again(saved.size());
  rebuilt->get_data(again.data());
  for (std::size_t i = 0; i < saved.size(); ++i) {
    ASSERT_EQ(std::memcmp(&saved[i], &again[i], sizeof(double)), 0)
        << g.type_name() << " number " << i << ": " << std::setprecision(17) << saved[i]
        << " became " << again[i];
  }
}

TEST(GeometryData, RebuildFromDataIsBitIdenticalBeforeAndAfterMotions) {
  random_geometry random;
  for (int trial = 0; trial < 2000; ++trial) {
    SCOPED_TRACE(trial);
    std::vector<surface_ptr> surfaces = random.surfaces();
    std::vector<curve_ptr> curves = random.curves();
    for (int motion = 0; motion < 4; ++motion) {
      for (const surface_ptr& s : surfaces) expect_exact_rebuild(*s, &make_surface);
      for (const curve_ptr& c : curves) expect_exact_rebuild(*c, &make_curve);
      if (HasFatalFailure()) return;
      const transf t = random.rigid_motion();
      for (const surface_ptr& s : surfaces) s->transform(t);
      for (const curve_ptr& c : curves) c->transform(t);
    }
  }
}

TEST(GeometryHeap, DeletingGeometryFreesEveryBlock) {
  const std::int64_t before = get_heap_counts().live_blocks;
  {
    std::vector<surface_ptr> surfaces = test_surfaces();
    const std::size_t originals = surfaces.size();
    for (std::size_t i = 0; i < originals; ++i) surfaces.emplace_back(surfaces[i]->copy());
    curve_ptr line(new straight_curve(offset, tilted_x));
    curve_ptr circle(new circle_curve(offset, tilted_axis, tilted_x, 1.0));
    curve_ptr circle_copy(circle->copy());
    EXPECT_EQ(get_heap_counts().live_blocks, before + 2 * static_cast<int>(originals) + 3);
  }
  EXPECT_EQ(get_heap_counts().live_blocks, before);

  const double sphere[] = {0, 0, 0, 0, 0, 1, 1, 0, 0, 1};
  fail_heap_allocation_after(1);
  EXPECT_THROW(make_surface(surface_kind::sphere, sphere, 10), std::bad_alloc);
  EXPECT_EQ(get_heap_counts().live_blocks, before);
  EXPECT_NE(surface_ptr(make_surface(surface_kind::sphere, sphere, 10)), nullptr);
}

}  // namespace
}  // namespace TPK
