#include <tagtrack/scenario_runner/scenario_file.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

#include <nlohmann/json.hpp>

#include <tagtrack/features/feature_list.h>
#include <tagtrack/scenario_runner/whole_file.h>

namespace tagtrack::scenarios {

namespace {

using nlohmann::json;

// The parameters each operation needs.
const std::map<std::string, std::vector<std::string>>& required_parameters() {
  static const std::map<std::string, std::vector<std::string>> table = {
      {"box", {"size", "origin"}},
      {"cylinder", {"radius", "height", "origin", "axis"}},
      {"prism", {"polygon", "height"}},
      {"fuse", {"args"}},
      {"cut", {"args"}},
      {"common", {"args"}},
      {"fillet", {"target", "edges", "radius"}},
      {"chamfer", {"target", "edges", "distance"}},
      {"unify", {"target"}},
      {"revolve", {"polygon", "axis_origin", "axis", "angle"}},
      {"mirror", {"target", "plane_origin", "plane_normal"}},
      {"pattern", {"target", "count"}},
      {"shell", {"target", "faces", "thickness"}},
      {"draft", {"target", "faces", "angle", "pull", "neutral_origin"}},
      {"move", {"target"}},
      // A removed fillet, chamfer, unify, shell, draft or move: its target passed through.
      {"pass", {"target"}},
  };
  return table;
}

bool read_point(const json& value, point3& p) {
  if (!value.is_array() || value.size() != 3) return false;
  for (const json& c : value) {
    if (!c.is_number()) return false;
  }
  p = {value[0].get<double>(), value[1].get<double>(), value[2].get<double>()};
  return true;
}

// Reads the fields of one JSON feature, each failure naming the feature and the field.
class field_reader {
 public:
  field_reader(const json& f, std::string id) : m_f(f), m_id(std::move(id)) {}

  outcome point(const char* key, point3& p) const {
    if (!read_point(m_f[key], p)) return wrong(key, "is not a point [x, y, z]");
    return outcome();
  }
  outcome number(const char* key, double& v) const {
    if (!m_f[key].is_number()) return wrong(key, "is not a number");
    v = m_f[key].get<double>();
    return outcome();
  }
  outcome name(const char* key, std::string& v) const {
    if (!m_f[key].is_string()) return wrong(key, "is not a name");
    v = m_f[key].get<std::string>();
    return outcome();
  }
  outcome names(const char* key, std::vector<std::string>& v) const {
    if (!m_f[key].is_array()) return wrong(key, "is not a list of names");
    for (const json& n : m_f[key]) {
      if (!n.is_string()) return wrong(key, "is not a list of names");
      v.push_back(n.get<std::string>());
    }
    return outcome();
  }
  // A profile: points [x, y, z], with {"through": [x, y, z]} between two of them (or after the
  // last) making the segment there an arc through that point.
  outcome profile(const char* key, std::vector<point3>& v, profile_arcs& arcs) const {
    if (!m_f[key].is_array()) return wrong(key, "is not a list of points");
    bool arc_before = false;
    for (const json& q : m_f[key]) {
      point3 p;
      if (q.is_object() && q.size() == 1 && q.contains("through") && read_point(q["through"], p)) {
        if (v.empty()) return wrong(key, "starts with a through point, not a point");
        if (arc_before) return wrong(key, "holds two through points side by side");
        arcs[v.size() - 1] = p;
        arc_before = true;
        continue;
      }
      if (!read_point(q, p)) {
        return wrong(key, "is not a list of points [x, y, z] and {\"through\": [x, y, z]}");
      }
      v.push_back(p);
      arc_before = false;
    }
    return outcome();
  }
  outcome whole_number(const char* key, int& v) const {
    const json& n = m_f[key];
    if (!n.is_number_integer() || n.get<long long>() < -1000000 || n.get<long long>() > 1000000) {
      return wrong(key, "is not a whole number");
    }
    v = n.get<int>();
    return outcome();
  }
  bool has(const char* key) const { return m_f.contains(key); }
  // An axis as two fields: a point and a direction.
  outcome axis(const char* origin, const char* direction, axis_line& a) const {
    outcome done;
    (done = point(origin, a.origin)) && (done = point(direction, a.direction));
    return done;
  }
  // A rotation object {"axis_origin", "axis", "angle"}.
  outcome turn(const char* key, rotation& r) const {
    const json& t = m_f[key];
    if (!t.is_object() || !t.contains("axis_origin") || !t.contains("axis") ||
        !t.contains("angle")) {
      return wrong(key, "is not {\"axis_origin\", \"axis\", \"angle\"}");
    }
    const field_reader inner(t, m_id);
    outcome done;
    (done = inner.axis("axis_origin", "axis", r.axis)) && (done = inner.number("angle", r.angle));
    return done;
  }

 private:
  outcome wrong(const char* key, const char* what) const {
    return outcome::failure("feature '" + m_id + "': '" + key + "' " + what);
  }
  const json& m_f;
  std::string m_id;
};

// A feature from its JSON object.
outcome feature_of(const json& f, feature& out) {
  if (!f.is_object() || !f.contains("id") || !f["id"].is_string()) {
    return outcome::failure("a feature has no id");
  }
  const std::string id = f["id"].get<std::string>();
  const std::string where = "feature '" + id + "': ";
  if (!f.contains("op") || !f["op"].is_string()) return outcome::failure(where + "no op");
  const std::string op = f["op"].get<std::string>();
  const auto required = required_parameters().find(op);
  if (required == required_parameters().end()) {
    return outcome::failure(where + "unknown op '" + op + "'");
  }
  for (const std::string& p : required->second) {
    if (!f.contains(p)) return outcome::failure(where + "missing parameter '" + p + "'");
  }
  const field_reader read(f, id);
  out.id = id;
  outcome done;
  if (op == "box") {
    box b;
    (done = read.point("size", b.size)) && (done = read.point("origin", b.origin));
    out.parameters = b;
  } else if (op == "cylinder") {
    cylinder c;
    (done = read.number("radius", c.radius)) && (done = read.number("height", c.height)) &&
        (done = read.point("origin", c.origin)) && (done = read.point("axis", c.axis));
    out.parameters = c;
  } else if (op == "prism") {
    prism p;
    (done = read.profile("polygon", p.polygon, p.through)) &&
        (done = read.number("height", p.height));
    if (done && f.contains("sketch_on")) done = read.name("sketch_on", p.sketch_on);
    out.parameters = p;
  } else if (op == "fuse" || op == "cut" || op == "common") {
    boolean b;
    b.kind = op == "fuse"  ? boolean_kind::fuse
             : op == "cut" ? boolean_kind::cut
                           : boolean_kind::common;
    std::vector<std::string> args;
    done = read.names("args", args);
    if (done && args.size() != 2) {
      done = outcome::failure(where + "'args' is not two feature ids");
    }
    if (done) b = {b.kind, args[0], args[1]};
    out.parameters = b;
  } else if (op == "fillet") {
    fillet r;
    (done = read.name("target", r.target)) && (done = read.names("edges", r.edges)) &&
        (done = read.number("radius", r.radius));
    out.parameters = r;
  } else if (op == "chamfer") {
    chamfer c;
    (done = read.name("target", c.target)) && (done = read.names("edges", c.edges)) &&
        (done = read.number("distance", c.distance));
    out.parameters = c;
  } else if (op == "unify") {
    unify u;
    done = read.name("target", u.target);
    out.parameters = u;
  } else if (op == "revolve") {
    revolve r;
    (done = read.profile("polygon", r.polygon, r.through)) &&
        (done = read.axis("axis_origin", "axis", r.axis)) && (done = read.number("angle", r.angle));
    out.parameters = r;
  } else if (op == "mirror") {
    mirror m;
    (done = read.name("target", m.target)) && (done = read.point("plane_origin", m.plane_origin)) &&
        (done = read.point("plane_normal", m.plane_normal));
    out.parameters = m;
  } else if (op == "pattern") {
    pattern p;
    (done = read.name("target", p.target)) && (done = read.whole_number("count", p.count));
    if (done && read.has("step") == read.has("axis")) {
      done = outcome::failure(where +
                              "a pattern has either 'step' or 'axis_origin', 'axis' and "
                              "'angle'");
    } else if (done && read.has("step")) {
      done = read.point("step", p.step);
    } else if (done) {
      rotation turn;
      (done = read.axis("axis_origin", "axis", turn.axis)) &&
          (done = read.number("angle", turn.angle));
      p.turn = turn;
    }
    out.parameters = p;
  } else if (op == "shell") {
    shell h;
    (done = read.name("target", h.target)) && (done = read.names("faces", h.faces)) &&
        (done = read.number("thickness", h.thickness));
    out.parameters = h;
  } else if (op == "draft") {
    draft d;
    (done = read.name("target", d.target)) && (done = read.names("faces", d.faces)) &&
        (done = read.number("angle", d.angle)) && (done = read.point("pull", d.pull)) &&
        (done = read.point("neutral_origin", d.neutral_origin));
    out.parameters = d;
  } else if (op == "move") {
    move m;
    done = read.name("target", m.target);
    if (done && !read.has("translate") && !read.has("rotate")) {
      done = outcome::failure(where + "a move has no 'translate' and no 'rotate'");
    }
    if (done && read.has("translate")) done = read.point("translate", m.translate);
    if (done && read.has("rotate")) {
      rotation turn;
      done = read.turn("rotate", turn);
      m.turn = turn;
    }
    out.parameters = m;
  } else {
    pass_through p;
    done = read.name("target", p.target);
    out.parameters = p;
  }
  if (done) done = check_parameters(out);
  return done;
}

bool is_reference(const scenario& s, const std::string& name) {
  return std::any_of(s.references.begin(), s.references.end(),
                     [&](const scenario_reference& r) { return r.name == name; });
}

// The whole list: inputs earlier, ids once, consumed references defined, references taken after
// features that exist.
outcome check_features(const scenario& s, const std::vector<feature>& features) {
  if (const outcome valid = check_feature_list(features); !valid) return valid;
  for (const feature& f : features) {
    const std::vector<std::string> inputs = inputs_of(f);
    for (const std::string& name : consumed_by(f)) {
      const auto r = std::find_if(s.references.begin(), s.references.end(),
                                  [&](const scenario_reference& x) { return x.name == name; });
      if (r == s.references.end()) {
        return outcome::failure("feature '" + f.id + "': uses the reference '" + name +
                                "', which is not defined");
      }
      // What a feature changes is its target's result: the references it consumes are taken on
      // that result.
      if (!inputs.empty() && r->after != inputs[0]) {
        return outcome::failure("feature '" + f.id + "': the reference '" + name +
                                "' is taken after '" + r->after + "', not after its target '" +
                                inputs[0] + "'");
      }
    }
  }
  for (const scenario_reference& r : s.references) {
    if (find_feature(features, r.after) < 0) {
      return outcome::failure("reference '" + r.name + "': it is taken after '" + r.after +
                              "', which is no feature");
    }
  }
  return outcome();
}

// The features as written, by id, beside their values: a parameter change edits the written
// object, which is then read again whole.
struct feature_state {
  std::vector<feature> features;
  std::map<std::string, json> written;
};

// Applies one step's change list to `state`, giving the typed changes.
outcome apply_changes(const scenario& s, const json& changes, feature_state& state,
                      std::vector<change>& out) {
  if (!changes.is_array()) return outcome::failure("a step's 'change' is not a list");
  std::map<std::string, std::string> reference_after;
  for (const scenario_reference& r : s.references) reference_after[r.name] = r.after;
  for (const json& c : changes) {
    change typed;
    outcome done;
    if (c.is_object() && c.contains("feature")) {
      const json id = c["feature"];
      if (!id.is_string() || find_feature(state.features, id.get<std::string>()) < 0 ||
          !c.contains("param") || !c["param"].is_string() || !c.contains("value")) {
        return outcome::failure("a change names no feature, parameter or value: " + c.dump());
      }
      json edited = state.written[id.get<std::string>()];
      edited[c["param"].get<std::string>()] = c["value"];
      typed.what = change::kind::set;
      done = feature_of(edited, typed.value);
      if (done && typed.value.id != id.get<std::string>()) {
        done = outcome::failure("a change cannot rename feature '" + id.get<std::string>() + "'");
      }
      if (done) done = set_feature(state.features, typed.value);
      if (done) state.written[typed.value.id] = edited;
    } else if (c.is_object() && c.contains("insert")) {
      const json before = c.value("before", json());
      if (!before.is_string() || find_feature(state.features, before.get<std::string>()) < 0 ||
          !c["insert"].is_object()) {
        return outcome::failure("an insert names no feature to go before: " + c.dump());
      }
      typed.what = change::kind::insert;
      typed.before = before.get<std::string>();
      done = feature_of(c["insert"], typed.value);
      // After the inserts already placed before the same feature.
      if (done) done = insert_feature(state.features, typed.before, typed.value);
      if (done) state.written[typed.value.id] = c["insert"];
    } else if (c.is_object() && c.contains("remove")) {
      const json id = c["remove"];
      if (!id.is_string() || find_feature(state.features, id.get<std::string>()) < 0) {
        return outcome::failure("a removal names no feature: " + c.dump());
      }
      typed.what = change::kind::remove;
      typed.id = id.get<std::string>();
      done = remove_feature(state.features, typed.id, reference_after);
      const long at = find_feature(state.features, typed.id);
      if (done && at >= 0) {
        const feature& passed = state.features[static_cast<std::size_t>(at)];
        state.written[typed.id] =
            json{{"id", typed.id}, {"op", "pass"}, {"target", inputs_of(passed).at(0)}};
      }
    } else {
      return outcome::failure("unknown change: " + c.dump());
    }
    if (!done) return done;
    out.push_back(std::move(typed));
  }
  return check_features(s, state.features);
}

// The family of edit of a step's changes, the first in this order that applies: a feature both
// removed and inserted (moved to another place in the history: a reorder), inserted, removed, a
// changed polygon (a sketch), changed inputs (what a feature is built from or consumes), any other
// parameter. `written` holds the changes as written, in the same order.
std::string family_of(const std::vector<change>& changes, const json& written) {
  static const std::set<std::string> inputs = {"args", "target", "edges", "faces", "sketch_on"};
  bool inserted = false, removed = false, sketch = false, rewired = false;
  for (std::size_t i = 0; i < changes.size(); ++i) {
    inserted = inserted || changes[i].what == change::kind::insert;
    removed = removed || changes[i].what == change::kind::remove;
    if (changes[i].what != change::kind::set) continue;
    const std::string param = written[i].at("param").get<std::string>();
    sketch = sketch || param == "polygon";
    rewired = rewired || inputs.count(param) != 0;
  }
  if (inserted && removed) return "reorder";
  if (inserted) return "feature inserted";
  if (removed) return "feature removed";
  if (sketch) return "sketch changed";
  if (rewired) return "inputs changed";
  return changes.empty() ? "no change" : "parameter change";
}

}  // namespace

outcome read_scenario(const std::string& path, scenario& out) {
  std::string text;
  if (outcome read = read_whole_file(path, text); !read) return read;
  return read_scenario_text(text, path, out);
}

outcome read_scenario_text(const std::string& text, const std::string& path, scenario& out) {
  const auto fail = [&](const std::string& why) { return outcome::failure(path + ": " + why); };
  json root;
  try {
    root = json::parse(text);
  } catch (const json::exception& e) {
    return fail(std::string("not JSON: ") + e.what());
  }
  try {
    scenario s;
    s.file = path;
    if (!root.is_object() || !root.contains("name") || !root["name"].is_string()) {
      return fail("no 'name'");
    }
    s.name = root["name"].get<std::string>();
    const json stands_for = root.value("stands_for", json(""));
    if (stands_for.is_string()) s.stands_for = stands_for.get<std::string>();
    const json references = root.value("references", json::array());
    if (!references.is_array()) return fail("'references' is not a list");
    for (const json& r : references) {
      if (!r.is_object()) return fail("a reference is not an object");
      scenario_reference ref;
      const json name = r.value("name", json("")), after = r.value("after", json("")),
                 kind = r.value("kind", json(""));
      if (!name.is_string() || name.get<std::string>().empty()) {
        return fail("a reference has no name");
      }
      ref.name = name.get<std::string>();
      const std::string kind_text = kind.is_string() ? kind.get<std::string>() : "";
      if (kind_text == "face") {
        ref.type = entity_type::face;
      } else if (kind_text == "edge") {
        ref.type = entity_type::edge;
      } else if (kind_text == "vertex") {
        ref.type = entity_type::vertex;
      } else {
        return fail("reference '" + ref.name + "': kind is not face, edge or vertex");
      }
      if (!after.is_string()) return fail("reference '" + ref.name + "': 'after' is not a name");
      ref.after = after.get<std::string>();
      if (!r.contains("pick") || !r["pick"].is_object() ||
          !read_point(r["pick"].value("nearest", json()), ref.pick)) {
        return fail("reference '" + ref.name + "': no pick point");
      }
      if (is_reference(s, ref.name)) return fail("reference '" + ref.name + "' is defined twice");
      s.references.push_back(ref);
    }
    const json features = root.value("features", json());
    if (!features.is_array() || features.empty()) {
      return fail("'features' is not a list of features");
    }
    feature_state state;
    for (const json& f : features) {
      feature typed;
      if (const outcome read = feature_of(f, typed); !read) return fail(read.message());
      state.written[typed.id] = f;
      state.features.push_back(std::move(typed));
    }
    if (const outcome valid = check_features(s, state.features); !valid) {
      return fail(valid.message());
    }
    s.features = state.features;
    const json edits = root.value("edits", json::array());
    if (!edits.is_array()) return fail("'edits' is not a list");
    for (const json& e : edits) {
      if (!e.is_object()) return fail("an edit is not an object");
      scenario_step step;
      const std::string where = "step " + std::to_string(s.edits.size() + 1) + ": ";
      const json expect = e.value("expect", json::object());
      if (!expect.is_object()) return fail(where + "'expect' is not an object");
      for (const auto& item : expect.items()) {
        // Named copies, not a structured binding: a lambda cannot capture one before C++20.
        const std::string name = item.key();
        const json& value = item.value();
        if (!is_reference(s, name)) {
          return fail("an expectation names the unknown reference '" + name + "'");
        }
        expectation x;
        if (value.is_string() && value.get<std::string>() == "lost") {
          x.lost = true;
        } else if (!value.is_object() || !read_point(value.value("nearest", json()), x.point)) {
          return fail("reference '" + name + "': an expectation is neither a point nor \"lost\"");
        }
        step.expect[name] = x;
      }
      const outcome applied =
          apply_changes(s, e.value("change", json::array()), state, step.changes);
      if (!applied) return fail(where + applied.message());
      step.family = family_of(step.changes, e.value("change", json::array()));
      // A step may say its family itself, where its changes stand for another edit: a polygon
      // rewritten because the face it was drawn on got taller is a parameter change.
      if (e.contains("family")) {
        static const std::set<std::string> families = {
            "reorder",        "feature inserted", "feature removed", "sketch changed",
            "inputs changed", "parameter change", "no change"};
        const json family = e["family"];
        if (!family.is_string() || families.count(family.get<std::string>()) == 0) {
          return fail(where + "'family' is not a family of edit");
        }
        step.family = family.get<std::string>();
      }
      // Consumed references need a point in every step.
      for (const feature& f : state.features) {
        for (const std::string& name : consumed_by(f)) {
          const auto x = step.expect.find(name);
          if (x == step.expect.end() || x->second.lost) {
            return fail(where + "reference '" + name + "' is used by feature '" + f.id +
                        "' but has no expected point");
          }
        }
      }
      s.edits.push_back(std::move(step));
    }
    out = std::move(s);
    return outcome();
  } catch (const json::exception& e) {
    return fail(std::string("malformed: ") + e.what());
  }
}

}  // namespace tagtrack::scenarios
