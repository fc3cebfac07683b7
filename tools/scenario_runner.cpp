#include "scenario_runner.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <set>

#include <nlohmann/json.hpp>

#include "median.h"
#include "naming_methods.h"
#include "scenario_build.h"
#include "scenario_report.h"

namespace tagtrack_tool {

namespace {

using nlohmann::json;

std::map<std::string, int> count_uses(const json& features) {
  std::map<std::string, int> uses;
  for (const json& f : features) {
    if (f.contains("args")) {
      for (const json& a : f["args"]) ++uses[a.get<std::string>()];
    }
    if (f.contains("target")) ++uses[f["target"].get<std::string>()];
  }
  return uses;
}

std::string verdict_of(const std::vector<TopoDS_Shape>& found, const TopoDS_Shape* expected,
                       bool expect_lost, bool& among) {
  among = false;
  if (expected != nullptr) {
    for (const TopoDS_Shape& s : found) among = among || s.IsSame(*expected);
  }
  if (found.empty()) return expect_lost ? "right (lost)" : "lost";
  if (found.size() > 1) return "ambiguous";
  if (expect_lost) return "wrong";
  return among ? "right" : "wrong";
}

// One build of the history (`step` 0 the first) with one method, scoring every reference.
bool build_and_score(const scenario& s, int step, const json& features, naming_method& method,
                     std::vector<scenario_result>& results, step_picture* picture,
                     std::string& error) {
  method.begin_build(count_uses(features));
  std::map<std::string, TopoDS_Shape> shapes;
  std::map<std::string, std::vector<TopoDS_Shape>> resolved;
  std::set<std::string> scored;
  int number = 0;
  for (const json& f : features) {
    ++number;
    const std::string id = f.at("id").get<std::string>();
    // The feature runs when its inputs exist and each reference it consumes resolved to one.
    std::map<std::string, TopoDS_Shape> consumed;
    bool runnable = true;
    for (const std::string& name : consumed_by(f)) {
      const auto r = resolved.find(name);
      if (r == resolved.end() || r->second.size() != 1) {
        runnable = false;
      } else {
        consumed[name] = r->second[0];
      }
    }
    feature_run run;
    std::string why;
    if (!runnable || !run_feature(f, shapes, consumed, run, why) ||
        !method.feature_done(id, number, run)) {
      continue;
    }
    shapes[id] = run.result;
    // The picture shows the first method's model, as it stands after its last feature.
    if (picture != nullptr &&
        (picture->model_method.empty() || picture->model_method == method.name())) {
      picture->model_method = method.name();
      picture->model = run.result;
    }
    for (const scenario_reference& r : s.references) {
      if (r.after != id) continue;
      TopoDS_Shape expected;
      bool expect_lost = false, scored_here = true;
      if (step == 0) {
        const auto picked = entities_at(run.result, r.kind, r.pick.x, r.pick.y, r.pick.z);
        if (picked.size() != 1) {
          error = s.file + ": reference '" + r.name + "': the pick lies on " +
                  std::to_string(picked.size()) + " " + r.kind + "s, not on exactly one";
          method.end_build();
          return false;
        }
        expected = picked[0];
        method.remember(r, expected);
      } else {
        const auto x = s.edits[static_cast<std::size_t>(step - 1)].expect.find(r.name);
        scored_here = x != s.edits[static_cast<std::size_t>(step - 1)].expect.end();
        if (scored_here && x->second.lost) {
          expect_lost = true;
        } else if (scored_here) {
          const point3& p = x->second.point;
          const auto at = entities_at(run.result, r.kind, p.x, p.y, p.z);
          if (at.size() == 1) expected = at[0];
        }
      }
      const auto start = std::chrono::steady_clock::now();
      std::vector<TopoDS_Shape> found = method.resolve(r);
      const double us =
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count();
      // An entity found twice is one entity found.
      std::vector<TopoDS_Shape> distinct;
      for (const TopoDS_Shape& shape : found) {
        const bool seen = std::any_of(distinct.begin(), distinct.end(),
                                      [&](const TopoDS_Shape& d) { return d.IsSame(shape); });
        if (!seen) distinct.push_back(shape);
      }
      found.swap(distinct);
      resolved[r.name] = found;
      if (!scored_here) continue;
      scored.insert(r.name);
      scenario_result result{s.name, r.name, method.name(), step, "", false, us};
      if (picture != nullptr) {
        if (!expected.IsNull()) picture->expected[r.name] = expected;
        picture->found[r.name][method.name()] = found;
      }
      if (!expect_lost && expected.IsNull()) {
        // The expected point is on no single entity of this method's own model, which a wrong
        // resolution upstream made different from the model the expectation describes.
        result.verdict = "failed";
      } else {
        result.verdict = verdict_of(found, expect_lost ? nullptr : &expected, expect_lost,
                                    result.expected_among);
      }
      if (picture != nullptr) picture->verdicts[r.name][method.name()] = result.verdict;
      results.push_back(result);
    }
  }
  // References whose feature did not run for this method.
  for (const scenario_reference& r : s.references) {
    if (scored.count(r.name) != 0) continue;
    const bool expected =
        step == 0 || s.edits[static_cast<std::size_t>(step - 1)].expect.count(r.name);
    if (expected) results.push_back({s.name, r.name, method.name(), step, "failed", false, 0});
  }
  method.end_build();
  return true;
}

bool is_right(const scenario_result& r) {
  return r.verdict == "right" || r.verdict == "right (lost)";
}

void print_table(const std::vector<scenario_result>& results,
                 const std::vector<std::string>& methods) {
  std::string current;
  for (std::size_t i = 0; i < results.size();) {
    const scenario_result& head = results[i];
    if (head.scenario != current) {
      current = head.scenario;
      std::printf("\n%s\n  %-5s %-18s", current.c_str(), "step", "reference");
      for (const std::string& m : methods) std::printf(" %-16s", m.c_str());
      std::printf("\n");
    }
    // The rows of one scenario, step and reference, one per method.
    std::printf("  %-5d %-18s", head.step, head.reference.c_str());
    for (const std::string& m : methods) {
      std::string shown = "-";
      for (std::size_t j = i;
           j < results.size() && results[j].scenario == head.scenario &&
           results[j].step == head.step && results[j].reference == head.reference;
           ++j) {
        if (results[j].method == m) {
          shown = results[j].verdict;
          if (shown == "ambiguous") shown += results[j].expected_among ? " (in)" : " (out)";
        }
      }
      std::printf(" %-16s", shown.c_str());
    }
    std::printf("\n");
    std::size_t j = i;
    while (j < results.size() && results[j].scenario == head.scenario &&
           results[j].step == head.step && results[j].reference == head.reference) {
      ++j;
    }
    i = j;
  }
  std::printf("\n%-10s %8s %8s %8s %14s\n", "method", "pairs", "right", "wrong", "median time");
  for (const std::string& m : methods) {
    int pairs = 0, right = 0, wrong = 0;
    std::vector<double> times;
    for (const scenario_result& r : results) {
      if (r.method != m) continue;
      ++pairs;
      right += is_right(r) ? 1 : 0;
      wrong += r.verdict == "wrong" ? 1 : 0;
      if (r.verdict != "failed") times.push_back(r.time_us);
    }
    std::printf("%-10s %8d %7.1f%% %8d %11.1f us\n", m.c_str(), pairs,
                pairs == 0 ? 0.0 : 100.0 * right / pairs, wrong, median(times));
  }
}

void print_json(const std::vector<scenario_result>& results) {
  json out = {{"results", json::array()}};
  for (const scenario_result& r : results) {
    json item = {{"scenario", r.scenario}, {"step", r.step},       {"reference", r.reference},
                 {"method", r.method},     {"verdict", r.verdict}, {"time_us", r.time_us}};
    if (r.verdict == "ambiguous") item["expected_among"] = r.expected_among;
    out["results"].push_back(item);
  }
  std::printf("%s\n", out.dump(1).c_str());
}

// A sketcher's segments keep their identity while the user edits the profile: the modeller gives
// each prism side the persistent number of the polygon segment it stands on. A segment keeps the
// number of the previous polygon's segment between the same two points, else of the one that
// started, or else ended, at its start or end point; a polygon with as many points as before
// gives its remaining segments the numbers of their positions (their points moved); the others
// are numbered anew.
void number_segments(json& features, std::map<std::string, json>& previous) {
  for (json& f : features) {
    if (f.value("op", "") != "prism" || !f.contains("polygon")) continue;
    const std::string id = f["id"].get<std::string>();
    const json& points = f["polygon"];
    const std::size_t n = points.size();
    std::vector<int> chosen(n, -1);
    const auto known = previous.find(id);
    if (known == previous.end()) {
      for (std::size_t k = 0; k < n; ++k) chosen[k] = static_cast<int>(k);
    } else {
      const json& old = known->second["polygon"];
      const json& old_numbers = known->second["numbers"];
      const std::size_t m = old.size();
      int next = 0;
      for (const json& number : old_numbers) next = std::max(next, number.get<int>() + 1);
      std::set<int> taken;
      // How segment k relates to old segment i: 2 both ends, 1 its start, 0 its end.
      const auto claim = [&](std::size_t k, int how) {
        const json& a = points[k];
        const json& b = points[(k + 1) % n];
        for (std::size_t i = 0; i < m; ++i) {
          const bool start = a == old[i], end = b == old[(i + 1) % m];
          const bool fits = how == 2 ? start && end : how == 1 ? start : end;
          const int number = old_numbers[i].get<int>();
          if (fits && taken.count(number) == 0) {
            chosen[k] = number;
            taken.insert(number);
            return;
          }
        }
      };
      for (int how : {2, 1, 0}) {
        for (std::size_t k = 0; k < n; ++k) {
          if (chosen[k] < 0) claim(k, how);
        }
      }
      for (std::size_t k = 0; k < n; ++k) {
        if (chosen[k] >= 0) continue;
        const int positional = n == m ? old_numbers[k].get<int>() : -1;
        if (positional >= 0 && taken.count(positional) == 0) {
          chosen[k] = positional;
          taken.insert(positional);
        } else {
          chosen[k] = next++;
        }
      }
    }
    json numbers(chosen);
    f["segment_numbers"] = numbers;
    previous[id] = json{{"polygon", points}, {"numbers", numbers}};
  }
}

}  // namespace

bool run_scenario(const scenario& s, const std::vector<std::string>& methods,
                  std::vector<scenario_result>& results, std::string& error,
                  std::vector<step_picture>* pictures) {
  if (pictures != nullptr) {
    pictures->assign(s.edits.size() + 1, step_picture());
    for (std::size_t i = 0; i < pictures->size(); ++i) {
      (*pictures)[i].scenario = s.name;
      (*pictures)[i].step = static_cast<int>(i);
    }
  }
  for (const std::string& name : methods) {
    std::unique_ptr<naming_method> method = name == "tagtrack" ? make_tagtrack_method()
                                            : name == "index"  ? make_index_method()
                                                               : make_tnaming_method();
    if (method == nullptr) continue;
    json features = s.features;
    std::map<std::string, json> segments;
    for (int step = 0; step <= static_cast<int>(s.edits.size()); ++step) {
      if (step > 0) {
        std::string why;
        if (!apply_changes(s, s.edits[static_cast<std::size_t>(step - 1)].changes, features, why)) {
          error = s.file + ": step " + std::to_string(step) + ": " + why;
          return false;
        }
      }
      json numbered = features;
      number_segments(numbered, segments);
      step_picture* picture =
          pictures == nullptr ? nullptr : &(*pictures)[static_cast<std::size_t>(step)];
      if (!build_and_score(s, step, numbered, *method, results, picture, error)) return false;
    }
  }
  // Grouped by step and reference, methods in the order asked.
  std::stable_sort(results.begin(), results.end(),
                   [](const scenario_result& a, const scenario_result& b) {
                     return a.step != b.step ? a.step < b.step : a.reference < b.reference;
                   });
  return true;
}

void add_scenario(CLI::App& app) {
  CLI::App* command = app.add_subcommand(
      "scenario",
      "Builds parametric scenarios, regenerates them after each edit, and scores how each naming "
      "method finds every reference again");
  auto files = std::make_shared<std::vector<std::string>>();
  auto method = std::make_shared<std::string>("all");
  auto as_json = std::make_shared<bool>(false);
  auto report = std::make_shared<std::string>();
  command->add_option("FILE", *files, "scenario files (JSON)")->required();
  command->add_option("--method", *method, "tagtrack, tnaming, index or all")
      ->check(CLI::IsMember({"tagtrack", "tnaming", "index", "all"}));
  command->add_flag("--json", *as_json, "print the results as one JSON object");
  command->add_option("--report", *report, "write an HTML page with a picture per step to DIR");
  command->callback([files, method, as_json, report] {
    const std::vector<std::string> methods =
        *method == "all" ? std::vector<std::string>{"tagtrack", "tnaming", "index"}
                         : std::vector<std::string>{*method};
    std::vector<scenario_result> results;
    std::vector<step_picture> pictures;
    for (const std::string& file : *files) {
      scenario s;
      std::string error;
      std::vector<scenario_result> own;
      std::vector<step_picture> own_pictures;
      if (!read_scenario(file, s, error) ||
          !run_scenario(s, methods, own, error, report->empty() ? nullptr : &own_pictures)) {
        throw CLI::RuntimeError("tagtrack: " + error, 1);
      }
      results.insert(results.end(), own.begin(), own.end());
      pictures.insert(pictures.end(), own_pictures.begin(), own_pictures.end());
    }
    *as_json ? print_json(results) : print_table(results, methods);
    if (!report->empty()) {
      std::string error;
      if (!write_report(*report, pictures, methods, error)) throw CLI::RuntimeError(error, 1);
    }
    const bool tagtrack_failed = std::any_of(
        results.begin(), results.end(),
        [](const scenario_result& r) { return r.method == "tagtrack" && !is_right(r); });
    if (tagtrack_failed) throw CLI::RuntimeError("", 1);
  });
}

}  // namespace tagtrack_tool
