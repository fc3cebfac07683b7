#include <tagtrack/features/feature.h>

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
  return std::tie(p.polygon, p.height, p.sketch_on);
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
};

struct inputs {
  std::vector<std::string> operator()(const box&) const { return {}; }
  std::vector<std::string> operator()(const cylinder&) const { return {}; }
  std::vector<std::string> operator()(const prism&) const { return {}; }
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
  template <class Other>
  std::vector<std::string> operator()(const Other&) const {
    return {};
  }
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
