#include <tagtrack/scenario_runner/runner.h>

#include <algorithm>
#include <cstdio>
#include <set>

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

// One build of the history (`step` 0 the first), scoring every reference.
outcome build_and_score(const scenario& s, int step, feature_history& history,
                        std::vector<scenario_result>& results, step_picture* picture) {
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
      if (picked.size() != 1) {
        invalid = outcome::failure(s.file + ": reference '" + r.name + "': the pick lies on " +
                                   std::to_string(picked.size()) + " " + type_word(r.type) +
                                   "s, not on exactly one");
        return;
      }
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
  if (picture != nullptr && (picture->model_method.empty() || picture->model_method == method)) {
    picture->model_method = method;
    for (const feature& f : history.features()) {
      const TopoDS_Shape result = history.result(f.id);
      if (!result.IsNull()) picture->model = result;
    }
  }
  // While every consumed reference resolved right, the method's model is the model the
  // expectations describe, and an expected point that lies on no single entity is the file's
  // fault.
  std::set<std::string> consumed;
  for (const feature& f : history.features()) {
    for (const std::string& name : consumed_by(f)) consumed.insert(name);
  }
  bool as_described = true;
  // References in the order of their features, as they were resolved.
  for (const feature& f : history.features()) {
    for (const scenario_reference& r : s.references) {
      if (r.after != f.id) continue;
      const resolution found = history.resolved(r.name);
      const std::map<std::string, expectation>* expect =
          step == 0 ? nullptr : &s.edits[static_cast<std::size_t>(step - 1)].expect;
      const auto x = expect == nullptr ? std::map<std::string, expectation>::const_iterator()
                                       : expect->find(r.name);
      if (expect != nullptr && x == expect->end()) continue;
      scenario_result result{s.name, r.name, method, step, verdict::failed, false, 0};
      if (!found.feature_ran) {
        if (picture != nullptr) picture->verdicts[r.name][method] = result.verdict;
        results.push_back(result);
        continue;
      }
      result.time_us = found.time_us;
      TopoDS_Shape expected;
      const bool expect_lost = expect != nullptr && x->second.lost;
      if (!expect_lost) {
        const point3& p = expect == nullptr ? r.pick : x->second.point;
        const auto at = entities_at(history.result(r.after), r.type, p);
        if (at.size() == 1) expected = at[0];
      }
      if (picture != nullptr) {
        if (!expected.IsNull()) picture->expected[r.name] = expected;
        picture->found[r.name][method] = found.entities;
      }
      if (!expect_lost && expected.IsNull()) {
        if (as_described && step > 0) {
          const point3& p = x->second.point;
          return outcome::failure(
              s.file + ": step " + std::to_string(step) + ": reference '" + r.name +
              "': the expected point lies on " +
              std::to_string(entities_at(history.result(r.after), r.type, p).size()) + " " +
              type_word(r.type) + "s, not on exactly one");
        }
        // The expected point is on no single entity of this method's own model, which a wrong
        // resolution upstream made different from the model the expectation describes.
        result.verdict = verdict::failed;
      } else {
        result.verdict = verdict_of(found.entities, expect_lost ? nullptr : &expected, expect_lost,
                                    result.expected_among);
      }
      if (consumed.count(r.name) != 0 && result.verdict != verdict::right) as_described = false;
      if (picture != nullptr) picture->verdicts[r.name][method] = result.verdict;
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
                     std::vector<scenario_result>& results, std::vector<step_picture>* pictures) {
  if (pictures != nullptr) {
    pictures->assign(s.edits.size() + 1, step_picture());
    for (std::size_t i = 0; i < pictures->size(); ++i) {
      (*pictures)[i].scenario = s.name;
      (*pictures)[i].step = static_cast<int>(i);
    }
  }
  for (const std::string& name : methods) {
    std::unique_ptr<naming_scheme> scheme = make_method(name);
    if (scheme == nullptr) return outcome::failure("there is no naming method '" + name + "'");
    feature_history history(std::move(scheme));
    for (const feature& f : s.features) history.add(f);
    for (int step = 0; step <= static_cast<int>(s.edits.size()); ++step) {
      if (step > 0) {
        const std::vector<change>& changes = s.edits[static_cast<std::size_t>(step - 1)].changes;
        if (pictures != nullptr && name == methods.front()) {
          (*pictures)[static_cast<std::size_t>(step)].edit =
              edit_caption(history.features(), changes);
        }
        for (const change& c : changes) {
          if (const outcome applied = apply(history, c); !applied) {
            return outcome::failure(s.file + ": step " + std::to_string(step) + ": " +
                                    applied.message());
          }
        }
      }
      step_picture* picture =
          pictures == nullptr ? nullptr : &(*pictures)[static_cast<std::size_t>(step)];
      if (const outcome scored = build_and_score(s, step, history, results, picture); !scored) {
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

std::string results_table(const std::vector<scenario_result>& results,
                          const std::vector<std::string>& methods) {
  std::string out;
  char line[256];
  const auto same_row = [](const scenario_result& a, const scenario_result& b) {
    return a.scenario == b.scenario && a.step == b.step && a.reference == b.reference;
  };
  std::string current;
  for (std::size_t i = 0; i < results.size();) {
    const scenario_result& head = results[i];
    if (head.scenario != current) {
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

std::string results_json(const std::vector<scenario_result>& results) {
  json out = {{"results", json::array()}};
  for (const scenario_result& r : results) {
    json item = {{"scenario", r.scenario},
                 {"step", r.step},
                 {"reference", r.reference},
                 {"method", r.method},
                 {"verdict", verdict_word(r.verdict)},
                 {"time_us", r.time_us}};
    if (r.verdict == verdict::ambiguous) item["expected_among"] = r.expected_among;
    out["results"].push_back(item);
  }
  return out.dump(1) + "\n";
}

}  // namespace tagtrack::scenarios
