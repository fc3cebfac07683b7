#include <tagtrack/features/feature.h>

#include <algorithm>
#include <cmath>
#include <tuple>

namespace tagtrack {

namespace {

// The fields of each kind of feature, for comparison.
auto fields(const box& b) {
  return std::tie(b.origin, b.size);
}
auto fields(const cylinder& c) {
  return std::tie(c.origin, c.axis, c.radius, c.height);
}
auto fields(const prism& p) {
  return std::tie(p.polygon, p.height, p.sketch_on, p.through);
}
auto fields(const boolean& b) {
  return std::tie(b.kind, b.object, b.tool);
}
auto fields(const fillet& f) {
  return std::tie(f.target, f.edges, f.radius);
}
auto fields(const chamfer& c) {
  return std::tie(c.target, c.edges, c.distance);
}
auto fields(const unify& u) {
  return std::tie(u.target);
}
auto fields(const pass_through& p) {
  return std::tie(p.target);
}
auto fields(const revolve& r) {
  return std::tie(r.polygon, r.axis, r.angle, r.through);
}
auto fields(const mirror& m) {
  return std::tie(m.target, m.plane_origin, m.plane_normal);
}
auto fields(const pattern& p) {
  return std::tie(p.target, p.count, p.step, p.turn);
}
auto fields(const shell& s) {
  return std::tie(s.target, s.faces, s.thickness);
}
auto fields(const draft& d) {
  return std::tie(d.target, d.faces, d.angle, d.pull, d.neutral_origin);
}
auto fields(const move& m) {
  return std::tie(m.target, m.translate, m.turn);
}

struct word_of {
  const char* operator()(const box&) const { return "box"; }
  const char* operator()(const cylinder&) const { return "cylinder"; }
  const char* operator()(const prism&) const { return "prism"; }
  const char* operator()(const boolean& b) const {
    return b.kind == boolean_kind::fuse ? "fuse" : b.kind == boolean_kind::cut ? "cut" : "common";
  }
  const char* operator()(const fillet&) const { return "fillet"; }
  const char* operator()(const chamfer&) const { return "chamfer"; }
  const char* operator()(const unify&) const { return "unify"; }
  const char* operator()(const pass_through&) const { return "pass"; }
  const char* operator()(const revolve&) const { return "revolve"; }
  const char* operator()(const mirror&) const { return "mirror"; }
  const char* operator()(const pattern&) const { return "pattern"; }
  const char* operator()(const shell&) const { return "shell"; }
  const char* operator()(const draft&) const { return "draft"; }
  const char* operator()(const move&) const { return "move"; }
};

struct inputs {
  std::vector<std::string> operator()(const box&) const { return {}; }
  std::vector<std::string> operator()(const cylinder&) const { return {}; }
  std::vector<std::string> operator()(const prism&) const { return {}; }
  std::vector<std::string> operator()(const revolve&) const { return {}; }
  std::vector<std::string> operator()(const boolean& b) const { return {b.object, b.tool}; }
  template <class Modifier>
  std::vector<std::string> operator()(const Modifier& m) const {
    return {m.target};
  }
};

struct consumed {
  std::vector<std::string> operator()(const prism& p) const {
    if (p.sketch_on.empty()) return {};
    return {p.sketch_on};
  }
  std::vector<std::string> operator()(const fillet& f) const { return f.edges; }
  std::vector<std::string> operator()(const chamfer& c) const { return c.edges; }
  std::vector<std::string> operator()(const shell& s) const { return s.faces; }
  std::vector<std::string> operator()(const draft& d) const { return d.faces; }
  template <class Other>
  std::vector<std::string> operator()(const Other&) const {
    return {};
  }
};

double dot(const point3& a, const point3& b) {
  return a.x * b.x + a.y * b.y + a.z * b.z;
}
point3 minus(const point3& a, const point3& b) {
  return {a.x - b.x, a.y - b.y, a.z - b.z};
}
point3 cross(const point3& a, const point3& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const point3& a) {
  return std::sqrt(dot(a, a));
}

// The parameters' checks, each failure naming the feature and the field.
class checker {
 public:
  explicit checker(const std::string& id) : m_where("feature '" + id + "': ") {}

  // A prism's point count without arcs is checked where it runs, as before arcs existed.
  outcome operator()(const prism& p) const {
    return p.through.empty() ? outcome() : profile(p.polygon, p.through);
  }
  outcome operator()(const revolve& r) const {
    if (const outcome valid = profile(r.polygon, r.through); !valid) return valid;
    if (const outcome valid = direction("axis", r.axis.direction); !valid) return valid;
    if (!(r.angle > 0 && r.angle <= 360)) return wrong("angle", "is not above 0 and at most 360");
    return axis_beside_profile(r);
  }
  outcome operator()(const mirror& m) const { return direction("plane_normal", m.plane_normal); }
  outcome operator()(const pattern& p) const {
    if (p.count < 2) return wrong("count", "is below 2");
    if (p.turn) return direction("axis", p.turn->axis.direction);
    return outcome();
  }
  outcome operator()(const shell& s) const {
    if (!(s.thickness > 0)) return wrong("thickness", "is not positive");
    if (s.faces.empty()) return wrong("faces", "names no face");
    return outcome();
  }
  outcome operator()(const draft& d) const {
    if (d.faces.empty()) return wrong("faces", "names no face");
    return direction("pull", d.pull);
  }
  outcome operator()(const move& m) const {
    if (m.turn) return direction("axis", m.turn->axis.direction);
    return outcome();
  }
  template <class Other>
  outcome operator()(const Other&) const {
    return outcome();
  }

 private:
  outcome wrong(const char* field, const std::string& what) const {
    return outcome::failure(m_where + "'" + field + "' " + what);
  }

  outcome direction(const char* field, const point3& d) const {
    if (!(length(d) > 1e-12)) return wrong(field, "is a zero direction");
    return outcome();
  }

  outcome profile(const std::vector<point3>& points, const profile_arcs& through) const {
    if (points.size() < (through.empty() ? 3u : 2u)) {
      return wrong("polygon",
                   through.empty() ? "has fewer than 3 points" : "has fewer than 2 points");
    }
    if (!through.empty() && through.rbegin()->first >= points.size()) {
      return wrong("polygon", "has an arc on a segment it does not have");
    }
    return outcome();
  }

  // Every point of the profile (its arcs sampled) on one side of the axis, within the plane.
  outcome axis_beside_profile(const revolve& r) const {
    std::vector<point3> outline;
    const std::size_t n = r.polygon.size();
    for (std::size_t k = 0; k < n; ++k) {
      outline.push_back(r.polygon[k]);
      const auto arc = r.through.find(k);
      if (arc != r.through.end()) {
        for (const point3& q : arc_samples(r.polygon[k], arc->second, r.polygon[(k + 1) % n])) {
          outline.push_back(q);
        }
      }
    }
    // The profile's plane: the largest cross product of two spans from the first point.
    point3 normal;
    for (std::size_t i = 1; i < outline.size(); ++i) {
      for (std::size_t j = i + 1; j < outline.size(); ++j) {
        const point3 c = cross(minus(outline[i], outline[0]), minus(outline[j], outline[0]));
        if (length(c) > length(normal)) normal = c;
      }
    }
    const double scale = std::max(1.0, length(minus(outline.back(), outline[0])));
    const point3 d = r.axis.direction;
    const double tolerance = 1e-7 * scale;
    if (length(normal) > 1e-12) {
      const point3 unit{normal.x / length(normal), normal.y / length(normal),
                        normal.z / length(normal)};
      if (std::abs(dot(unit, d)) / length(d) > 1e-9 ||
          std::abs(dot(unit, minus(r.axis.origin, outline[0]))) > tolerance) {
        return wrong("axis", "does not lie in the profile's plane");
      }
    }
    // Which side of the axis each point stands on, in the plane.
    bool left = false, right = false;
    for (const point3& q : outline) {
      const double side = dot(cross(d, minus(q, r.axis.origin)), normal) / length(d);
      const double scaled = length(normal) > 0 ? side / length(normal) : 0;
      if (scaled > tolerance) left = true;
      if (scaled < -tolerance) right = true;
    }
    if (left && right) return wrong("axis", "crosses the profile");
    if (!left && !right) return wrong("axis", "holds the whole profile");
    return outcome();
  }

  // Points along the arc from `a` through `m` to `b`, on the circle through the three.
  static std::vector<point3> arc_samples(const point3& a, const point3& m, const point3& b) {
    const point3 u = minus(m, a), v = minus(b, a);
    const point3 w = cross(u, v);
    const double w2 = dot(w, w);
    if (w2 < 1e-24) return {m};  // no circle: the profile builder refuses it
    const double uu = dot(u, u), vv = dot(v, v);
    const point3 lever{uu * v.x - vv * u.x, uu * v.y - vv * u.y, uu * v.z - vv * u.z};
    const point3 offset = cross(lever, w);
    const point3 centre{a.x + offset.x / (2 * w2), a.y + offset.y / (2 * w2),
                        a.z + offset.z / (2 * w2)};
    const point3 ra = minus(a, centre);
    const double radius = length(ra);
    const point3 e1{ra.x / radius, ra.y / radius, ra.z / radius};
    const double wl = std::sqrt(w2);
    const point3 e2 = cross(point3{w.x / wl, w.y / wl, w.z / wl}, e1);
    constexpr double turn = 6.283185307179586;
    const auto angle_of = [&](const point3& q) {
      const point3 r = minus(q, centre);
      const double t = std::atan2(dot(r, e2), dot(r, e1));
      return t < 0 ? t + turn : t;
    };
    // From a (angle 0) the arc turns towards m, with w, and ends at b.
    const double end = angle_of(b);
    std::vector<point3> samples;
    constexpr int count = 32;
    for (int i = 1; i < count; ++i) {
      const double t = end * i / count;
      samples.push_back({centre.x + radius * (std::cos(t) * e1.x + std::sin(t) * e2.x),
                         centre.y + radius * (std::cos(t) * e1.y + std::sin(t) * e2.y),
                         centre.z + radius * (std::cos(t) * e1.z + std::sin(t) * e2.z)});
    }
    return samples;
  }

  std::string m_where;
};

}  // namespace

const char* op_word(const feature& f) {
  return std::visit(word_of(), f.parameters);
}

std::vector<std::string> inputs_of(const feature& f) {
  return std::visit(inputs(), f.parameters);
}

std::vector<std::string> consumed_by(const feature& f) {
  return std::visit(consumed(), f.parameters);
}

const std::vector<point3>* profile_points(const feature& f) {
  if (const auto* p = std::get_if<prism>(&f.parameters)) return &p->polygon;
  if (const auto* r = std::get_if<revolve>(&f.parameters)) return &r->polygon;
  return nullptr;
}

bool passes_through_when_removed(const feature& f) {
  const feature_parameters& p = f.parameters;
  return std::holds_alternative<fillet>(p) || std::holds_alternative<chamfer>(p) ||
         std::holds_alternative<unify>(p) || std::holds_alternative<shell>(p) ||
         std::holds_alternative<draft>(p) || std::holds_alternative<move>(p);
}

outcome check_parameters(const feature& f) {
  return std::visit(checker(f.id), f.parameters);
}

bool operator==(const feature& a, const feature& b) {
  if (a.id != b.id || a.parameters.index() != b.parameters.index()) return false;
  return std::visit(
      [&](const auto& left) {
        using kind = std::decay_t<decltype(left)>;
        return fields(left) == fields(std::get<kind>(b.parameters));
      },
      a.parameters);
}

}  // namespace tagtrack
