#include <tagtrack/scenario_runner/runner.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <set>
#include <tuple>

#include <nlohmann/json.hpp>

#include <tagtrack/features/feature_history.h>
#include <tagtrack/features/tagging_scheme.h>
#include <tagtrack/scenario_runner/peer_schemes.h>
#include <tagtrack/scenario_runner/report.h>

namespace tagtrack::scenarios {

namespace {

using nlohmann::json;

verdict verdict_of(const std::vector<TopoDS_Shape>& found, const TopoDS_Shape* expected,
                   bool expect_lost, bool& among) {
  among = false;
  if (expected != nullptr) {
    for (const TopoDS_Shape& s : found) among = among || s.IsSame(*expected);
  }
  if (found.empty()) return expect_lost ? verdict::right_lost : verdict::lost;
  if (found.size() > 1) return verdict::ambiguous;
  if (expect_lost) return verdict::wrong;
  return among ? verdict::right : verdict::wrong;
}

outcome apply(feature_history& history, const change& c) {
  switch (c.what) {
    case change::kind::set:
      return history.set(c.value);
    case change::kind::insert:
      return history.insert_before(c.before, c.value);
    case change::kind::remove:
      break;
  }
  return history.remove(c.id);
}

// Where a reference's entity must be after `step` (its pick in the first build); null where the
// step expects it lost or does not score it.
const point3* expected_point(const scenario& s, int step, const scenario_reference& r) {
  if (step == 0) return &r.pick;
  const std::map<std::string, expectation>& expect =
      s.edits[static_cast<std::size_t>(step - 1)].expect;
  const auto x = expect.find(r.name);
  return x == expect.end() || x->second.lost ? nullptr : &x->second.point;
}

// The history the file describes: every reference resolves to the entity its pick or its expected
// point lies on, so every feature consumes the entity the file means. The runner checks the file
// on it before any method runs.
class picked_scheme final : public naming_scheme {
 public:
  explicit picked_scheme(const scenario& s) : m_scenario(s) {}
  const char* name() const override { return "picked"; }
  std::size_t begin(const std::vector<feature>&, std::size_t) override {
    m_results.clear();
    return 0;
  }
  outcome feature_done(std::size_t, const feature& f, const feature_run& run) override {
    m_results[f.id] = run.result;
    return outcome();
  }
  outcome remember(const reference& r, std::size_t, const TopoDS_Shape&) override {
    m_remembered.insert(r.name);
    return outcome();
  }
  resolution resolve(const reference& r, std::size_t) override {
    resolution found;
    for (const scenario_reference& written : m_scenario.references) {
      const point3* p =
          written.name == r.name ? expected_point(m_scenario, m_step, written) : nullptr;
      if (p != nullptr) found.entities = entities_at(m_results[r.after], r.type, *p);
    }
    return found;
  }
  bool remembers(const std::string& name) const override { return m_remembered.count(name) != 0; }
  // The step about to be built: the references resolve to its expected points.
  void at_step(int step) { m_step = step; }

 private:
  const scenario& m_scenario;
  int m_step = 0;
  std::map<std::string, TopoDS_Shape> m_results;
  std::set<std::string> m_remembered;
};

// One build of the history (`step` 0 the first). On the picked-entity history (`check`) it only
// checks the file: a pick or an expected point that is not on exactly one entity there is the
// file's fault. With a method it scores every reference; the method's own model may differ from
// the file's where the method resolved a consumed reference otherwise, and a pick or an expected
// point that is not on exactly one entity of it scores `failed`: the method could not follow a
// feature the reference depends on.
outcome build_and_score(const scenario& s, int step, feature_history& history, bool check,
                        std::vector<scenario_result>& results, step_picture* picture,
                        std::vector<feature_failure>* failures) {
  const std::string method = history.scheme().name();
  outcome invalid;
  // In the first build each reference is remembered right after its feature, on the entity its
  // pick lies on, before any later feature consumes it.
  const auto pick = [&](const std::string& id) {
    if (step != 0 || !invalid) return;
    const TopoDS_Shape result = history.result(id);
    if (result.IsNull()) return;
    for (const scenario_reference& r : s.references) {
      if (r.after != id) continue;
      const std::vector<TopoDS_Shape> picked = entities_at(result, r.type, r.pick);
      if (picked.size() != 1) continue;
      if (const outcome kept = history.remember(r.name, id, picked[0]); !kept) {
        invalid = outcome::failure(s.file + ": " + kept.message());
        return;
      }
    }
  };
  if (const outcome built = history.regenerate(feature_history::from::scratch, pick); !built) {
    return outcome::failure(s.file + ": step " + std::to_string(step) + ": " + built.message());
  }
  if (!invalid) return invalid;
  if (check) {
    for (const scenario_reference& r : s.references) {
      const point3* p = expected_point(s, step, r);
      if (p == nullptr) continue;
      const std::size_t on = entities_at(history.result(r.after), r.type, *p).size();
      if (on == 1) continue;
      return outcome::failure(
          s.file + ": " + (step == 0 ? "" : "step " + std::to_string(step) + ": ") + "reference '" +
          r.name + "': the " + (step == 0 ? "pick" : "expected point") + " lies on " +
          std::to_string(on) + " " + type_word(r.type) + "s, not on exactly one");
    }
    return outcome();
  }
  if (failures != nullptr) {
    for (const feature& f : history.features()) {
      if (std::string why = history.failure(f.id); !why.empty()) {
        failures->push_back({s.name, method, f.id, std::move(why), step});
      }
    }
  }
  if (picture != nullptr && (picture->model_method.empty() || picture->model_method == method)) {
    picture->model_method = method;
    for (const feature& f : history.features()) {
      const TopoDS_Shape result = history.result(f.id);
      if (!result.IsNull()) picture->model = result;
    }
  }
  const std::string family =
      step == 0 ? "first build" : s.edits[static_cast<std::size_t>(step - 1)].family;
  // References in the order of their features, as they were resolved.
  for (const feature& f : history.features()) {
    for (const scenario_reference& r : s.references) {
      if (r.after != f.id) continue;
      if (step > 0 && s.edits[static_cast<std::size_t>(step - 1)].expect.count(r.name) == 0) {
        continue;
      }
      const resolution found = history.resolved(r.name);
      scenario_result result{s.name, r.name, method, step, family, verdict::failed, false, 0};
      const point3* p = expected_point(s, step, r);
      std::vector<TopoDS_Shape> expected;
      if (p != nullptr && found.feature_ran) {
        expected = entities_at(history.result(r.after), r.type, *p);
      }
      if (found.feature_ran && (p == nullptr || expected.size() == 1)) {
        result.time_us = found.time_us;
        result.verdict = verdict_of(found.entities, p == nullptr ? nullptr : &expected[0],
                                    p == nullptr, result.expected_among);
      }
      if (picture != nullptr) {
        if (expected.size() == 1) picture->expected[r.name] = expected[0];
        if (found.feature_ran) picture->found[r.name][method] = found.entities;
        picture->verdicts[r.name][method] = result.verdict;
      }
      results.push_back(result);
    }
  }
  // References taken after features that are not in this step's history cannot occur: the reader
  // refuses their removal.
  return outcome();
}

}  // namespace

const std::vector<std::string>& method_names() {
  static const std::vector<std::string> names = {"tagtrack", "tnaming", "index", "elementmap"};
  return names;
}

std::unique_ptr<naming_scheme> make_method(const std::string& name) {
  if (name == "tagtrack") return std::make_unique<tagging_scheme>();
  if (name == "tnaming") return make_tnaming_scheme();
  if (name == "index") return make_index_scheme();
  if (name == "elementmap") return make_elementmap_scheme();
  return nullptr;
}

outcome run_scenario(const scenario& s, const std::vector<std::string>& methods,
                     std::vector<scenario_result>& results, std::vector<step_picture>* pictures,
                     std::vector<feature_failure>* failures) {
  if (pictures != nullptr) {
    pictures->assign(s.edits.size() + 1, step_picture());
    for (std::size_t i = 0; i < pictures->size(); ++i) {
      (*pictures)[i].scenario = s.name;
      (*pictures)[i].step = static_cast<int>(i);
    }
  }
  // The file is checked on the picked-entity history first (the empty name), then each method
  // runs on its own.
  std::vector<std::string> passes = {""};
  passes.insert(passes.end(), methods.begin(), methods.end());
  for (const std::string& name : passes) {
    const bool check = name.empty();
    std::unique_ptr<naming_scheme> scheme =
        check ? std::make_unique<picked_scheme>(s) : make_method(name);
    if (scheme == nullptr) return outcome::failure("there is no naming method '" + name + "'");
    picked_scheme* const picked = check ? static_cast<picked_scheme*>(scheme.get()) : nullptr;
    feature_history history(std::move(scheme));
    for (const feature& f : s.features) history.add(f);
    for (int step = 0; step <= static_cast<int>(s.edits.size()); ++step) {
      const std::size_t at = static_cast<std::size_t>(step);
      if (step > 0) {
        const std::vector<change>& changes = s.edits[at - 1].changes;
        if (pictures != nullptr) (*pictures)[at].edit = edit_caption(history.features(), changes);
        for (const change& c : changes) {
          if (const outcome applied = apply(history, c); !applied) {
            return outcome::failure(s.file + ": step " + std::to_string(step) + ": " +
                                    applied.message());
          }
        }
      }
      if (picked != nullptr) picked->at_step(step);
      step_picture* picture = pictures == nullptr || check ? nullptr : &(*pictures)[at];
      if (const outcome scored =
              build_and_score(s, step, history, check, results, picture, failures);
          !scored) {
        return scored;
      }
    }
  }
  // Grouped by step and reference, methods in the order asked.
  std::stable_sort(results.begin(), results.end(),
                   [](const scenario_result& a, const scenario_result& b) {
                     return a.step != b.step ? a.step < b.step : a.reference < b.reference;
                   });
  return outcome();
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
  std::nth_element(values.begin(), middle, values.end());
  return *middle;
}

namespace {

// The features of `scenario` that failed, a line per step, feature and reason with the methods it
// failed for.
std::string failure_lines(const std::vector<feature_failure>& failures,
                          const std::string& scenario) {
  std::map<std::tuple<int, std::string, std::string>, std::vector<std::string>> grouped;
  std::vector<std::tuple<int, std::string, std::string>> order;
  for (const feature_failure& f : failures) {
    if (f.scenario != scenario) continue;
    const auto key = std::make_tuple(f.step, f.feature, f.reason);
    std::vector<std::string>& methods = grouped[key];
    if (methods.empty()) order.push_back(key);
    if (std::find(methods.begin(), methods.end(), f.method) == methods.end()) {
      methods.push_back(f.method);
    }
  }
  std::stable_sort(order.begin(), order.end(),
                   [](const auto& a, const auto& b) { return std::get<0>(a) < std::get<0>(b); });
  std::string out;
  for (const auto& key : order) {
    std::string methods;
    for (const std::string& m : grouped[key]) methods += (methods.empty() ? "" : ", ") + m;
    out += "  step " + std::to_string(std::get<0>(key)) + ": feature '" + std::get<1>(key) +
           "' failed (" + methods + "): " + std::get<2>(key) + "\n";
  }
  return out;
}

}  // namespace

std::string results_table(const std::vector<scenario_result>& results,
                          const std::vector<std::string>& methods,
                          const std::vector<feature_failure>& failures) {
  std::string out;
  char line[256];
  const auto same_row = [](const scenario_result& a, const scenario_result& b) {
    return a.scenario == b.scenario && a.step == b.step && a.reference == b.reference;
  };
  std::string current;
  for (std::size_t i = 0; i < results.size();) {
    const scenario_result& head = results[i];
    if (head.scenario != current) {
      if (!current.empty()) out += failure_lines(failures, current);
      current = head.scenario;
      std::snprintf(line, sizeof line, "\n%s\n  %-5s %-18s", current.c_str(), "step", "reference");
      out += line;
      for (const std::string& m : methods) {
        std::snprintf(line, sizeof line, " %-16s", m.c_str());
        out += line;
      }
      out += "\n";
    }
    // The rows of one scenario, step and reference, one per method.
    std::snprintf(line, sizeof line, "  %-5d %-18s", head.step, head.reference.c_str());
    out += line;
    std::size_t j = i;
    while (j < results.size() && same_row(results[j], head)) ++j;
    for (const std::string& m : methods) {
      std::string shown = "-";
      for (std::size_t k = i; k < j; ++k) {
        if (results[k].method != m) continue;
        shown = verdict_word(results[k].verdict);
        if (results[k].verdict == verdict::ambiguous) {
          shown += results[k].expected_among ? " (in)" : " (out)";
        }
      }
      std::snprintf(line, sizeof line, " %-16s", shown.c_str());
      out += line;
    }
    out += "\n";
    i = j;
  }
  if (!current.empty()) out += failure_lines(failures, current);
  std::snprintf(line, sizeof line, "\n%-10s %8s %8s %8s %14s\n", "method", "pairs", "right",
                "wrong", "median time");
  out += line;
  for (const std::string& m : methods) {
    int pairs = 0, right = 0, wrong = 0;
    std::vector<double> times;
    for (const scenario_result& r : results) {
      if (r.method != m) continue;
      ++pairs;
      right += is_right(r.verdict) ? 1 : 0;
      wrong += r.verdict == verdict::wrong ? 1 : 0;
      if (r.verdict != verdict::failed) times.push_back(r.time_us);
    }
    std::snprintf(line, sizeof line, "%-10s %8d %7.1f%% %8d %11.1f us\n", m.c_str(), pairs,
                  pairs == 0 ? 0.0 : 100.0 * right / pairs, wrong, median(times));
    out += line;
  }
  return out;
}

std::string results_json(const std::vector<scenario_result>& results,
                         const std::vector<feature_failure>& failures) {
  json out = {{"results", json::array()}, {"failures", json::array()}};
  for (const feature_failure& f : failures) {
    out["failures"].push_back({{"scenario", f.scenario},
                               {"step", f.step},
                               {"method", f.method},
                               {"feature", f.feature},
                               {"reason", f.reason}});
  }
  for (const scenario_result& r : results) {
    json item = {{"scenario", r.scenario},   {"step", r.step},
                 {"reference", r.reference}, {"method", r.method},
                 {"family", r.family},       {"verdict", verdict_word(r.verdict)},
                 {"time_us", r.time_us}};
    if (r.verdict == verdict::ambiguous) item["expected_among"] = r.expected_among;
    out["results"].push_back(item);
  }
  return out.dump(1) + "\n";
}

}  // namespace tagtrack::scenarios
