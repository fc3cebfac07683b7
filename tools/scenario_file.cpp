#include "scenario_file.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <set>

namespace tagtrack_tool {

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
      {"pass", {"target"}},  // a removed fillet, chamfer or unify: its target passed through
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

// The strings of a feature's `list` field (an array), then its `single` field, where they are
// strings; other values are the checks' to refuse.
std::vector<std::string> names_in(const json& feature, const char* list, const char* single) {
  std::vector<std::string> names;
  if (feature.contains(list) && feature[list].is_array()) {
    for (const json& name : feature[list]) {
      if (name.is_string()) names.push_back(name.get<std::string>());
    }
  }
  if (feature.contains(single) && feature[single].is_string()) {
    names.push_back(feature[single].get<std::string>());
  }
  return names;
}

// The feature ids a feature uses.
std::vector<std::string> inputs_of(const json& feature) {
  return names_in(feature, "args", "target");
}

// Checks a feature list: known ops with their parameters, unique ids, inputs that come earlier,
// consumed references that exist.
bool check_features(const scenario& s, const json& features, std::string& error) {
  if (!features.is_array() || features.empty()) {
    error = "'features' is not a list of features";
    return false;
  }
  std::set<std::string> before;
  for (const json& f : features) {
    if (!f.is_object() || !f.contains("id") || !f["id"].is_string()) {
      error = "a feature has no id";
      return false;
    }
    const std::string id = f["id"].get<std::string>();
    const std::string where = "feature '" + id + "': ";
    if (!f.contains("op") || !f["op"].is_string()) {
      error = where + "no op";
      return false;
    }
    const auto op = required_parameters().find(f["op"].get<std::string>());
    if (op == required_parameters().end()) {
      error = where + "unknown op '" + f["op"].get<std::string>() + "'";
      return false;
    }
    for (const std::string& p : op->second) {
      if (!f.contains(p)) {
        error = where + "missing parameter '" + p + "'";
        return false;
      }
    }
    for (const std::string& used : inputs_of(f)) {
      if (before.count(used) == 0) {
        error = where + "uses '" + used + "', which is no earlier feature";
        return false;
      }
    }
    for (const std::string& name : consumed_by(f)) {
      const bool known = std::any_of(s.references.begin(), s.references.end(),
                                     [&](const scenario_reference& r) { return r.name == name; });
      if (!known) {
        error = where + "uses the reference '" + name + "', which is not defined";
        return false;
      }
    }
    if (!before.insert(id).second) {
      error = where + "the id is used twice";
      return false;
    }
  }
  for (const scenario_reference& r : s.references) {
    if (before.count(r.after) == 0) {
      error =
          "reference '" + r.name + "': it is taken after '" + r.after + "', which is no feature";
      return false;
    }
  }
  return true;
}

}  // namespace

bool apply_changes(const scenario& s, const json& changes, json& features, std::string& error) {
  if (!changes.is_array()) {
    error = "a step's 'change' is not a list";
    return false;
  }
  const auto find = [&](const std::string& id) {
    for (std::size_t i = 0; i < features.size(); ++i) {
      if (features[i]["id"] == id) return static_cast<long>(i);
    }
    return -1L;
  };
  for (const json& c : changes) {
    if (c.contains("feature")) {
      const long at = find(c.value("feature", ""));
      if (at < 0 || !c.contains("param") || !c.contains("value")) {
        error = "a change names no feature, parameter or value: " + c.dump();
        return false;
      }
      features[static_cast<std::size_t>(at)][c["param"].get<std::string>()] = c["value"];
    } else if (c.contains("insert")) {
      const long at = find(c.value("before", ""));
      if (at < 0 || !c["insert"].is_object()) {
        error = "an insert names no feature to go before: " + c.dump();
        return false;
      }
      // After the inserts already placed before the same feature.
      features.insert(features.begin() + at, c["insert"]);
    } else if (c.contains("remove")) {
      const std::string id = c.value("remove", "");
      const long at = find(id);
      if (at < 0) {
        error = "a removal names no feature: " + c.dump();
        return false;
      }
      json& removed = features[static_cast<std::size_t>(at)];
      const std::string op = removed.value("op", "");
      if (op == "fillet" || op == "chamfer" || op == "unify") {
        removed = json{{"id", id}, {"op", "pass"}, {"target", removed["target"]}};
        continue;
      }
      for (const json& f : features) {
        const auto used = inputs_of(f);
        if (std::find(used.begin(), used.end(), id) != used.end()) {
          // The user may be a feature inserted earlier in this step and not checked yet, so it
          // may have no id, or one that is not a string.
          const json user = f.value("id", json());
          error = "feature '" + id + "' is removed but " +
                  (user.is_string() ? "'" + user.get<std::string>() + "'"
                                    : std::string("a feature without an id")) +
                  " uses it";
          return false;
        }
      }
      for (const scenario_reference& r : s.references) {
        if (r.after == id) {
          error =
              "feature '" + id + "' is removed but reference '" + r.name + "' is taken after it";
          return false;
        }
      }
      features.erase(features.begin() + at);
    } else {
      error = "unknown change: " + c.dump();
      return false;
    }
  }
  // Inserted features placed before the same id keep their order: each insert went right before
  // that feature, after the earlier ones.
  return check_features(s, features, error);
}

bool read_scenario(const std::string& path, scenario& out, std::string& error) {
  const auto fail = [&](const std::string& why) {
    error = path + ": " + why;
    return false;
  };
  std::ifstream in(path);
  if (!in) return fail("cannot be read");
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return fail("cannot be read");
  return read_scenario_text(text, path, out, error);
}

bool read_scenario_text(const std::string& text, const std::string& path, scenario& out,
                        std::string& error) {
  const auto fail = [&](const std::string& why) {
    error = path + ": " + why;
    return false;
  };
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
    s.stands_for = root.value("stands_for", "");
    const json references = root.value("references", json::array());
    for (const json& r : references) {
      scenario_reference ref;
      ref.name = r.value("name", "");
      ref.after = r.value("after", "");
      ref.kind = r.value("kind", "");
      if (ref.name.empty()) return fail("a reference has no name");
      if (ref.kind != "face" && ref.kind != "edge" && ref.kind != "vertex") {
        return fail("reference '" + ref.name + "': kind is not face, edge or vertex");
      }
      if (!r.contains("pick") || !read_point(r["pick"].value("nearest", json()), ref.pick)) {
        return fail("reference '" + ref.name + "': no pick point");
      }
      s.references.push_back(ref);
    }
    s.features = root.value("features", json());
    if (std::string why; !check_features(s, s.features, why)) return fail(why);
    json features = s.features;
    const json edits = root.value("edits", json::array());
    for (const json& e : edits) {
      scenario_step step;
      step.changes = e.value("change", json::array());
      const json expect = e.value("expect", json::object());
      for (const auto& item : expect.items()) {
        // Named copies, not a structured binding: a lambda cannot capture one before C++20.
        const std::string name = item.key();
        const json& value = item.value();
        const bool known = std::any_of(s.references.begin(), s.references.end(),
                                       [&](const scenario_reference& r) { return r.name == name; });
        if (!known) return fail("an expectation names the unknown reference '" + name + "'");
        expectation x;
        if (value.is_string() && value.get<std::string>() == "lost") {
          x.lost = true;
        } else if (!value.is_object() || !read_point(value.value("nearest", json()), x.point)) {
          return fail("reference '" + name + "': an expectation is neither a point nor \"lost\"");
        }
        step.expect[name] = x;
      }
      if (std::string why; !apply_changes(s, step.changes, features, why)) {
        return fail("step " + std::to_string(s.edits.size() + 1) + ": " + why);
      }
      // Consumed references need a point in every step.
      for (const json& f : features) {
        for (const std::string& name : consumed_by(f)) {
          const auto x = step.expect.find(name);
          if (x == step.expect.end() || x->second.lost) {
            return fail("step " + std::to_string(s.edits.size() + 1) + ": reference '" + name +
                        "' is used by feature '" + f["id"].get<std::string>() +
                        "' but has no expected point");
          }
        }
      }
      s.edits.push_back(step);
    }
    out = std::move(s);
    return true;
  } catch (const json::exception& e) {
    return fail(std::string("malformed: ") + e.what());
  }
}

std::vector<std::string> consumed_by(const json& feature) {
  return names_in(feature, "edges", "sketch_on");
}

}  // namespace tagtrack_tool
