// What following each newer feature costs beside the feature itself: per model, the time of the
// features' runs (Open CASCADE's algorithms and the collection of their histories) and the time of
// the tagging scheme's following of them (bodies carried over each history, faces tagged, the tag
// manager round each feature), and the second as a share of the first. The models are a revolve of
// a profile of 100 segments, a plate with a 10 x 10 pattern of holes, and a prism of 500 sides
// shelled into 1,003 faces.
#include <chrono>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <tagtrack/tagtrack.h>

namespace {

// A profile of `segments` segments in the XZ plane, beside the Z axis: a zigzag wall from the
// axis out and back, closed along the axis.
tagtrack::revolve zigzag_revolve(int segments) {
  tagtrack::revolve r;
  const int teeth = segments - 2;
  r.polygon.push_back({0, 0, 0});
  for (int k = 0; k < teeth; ++k) {
    r.polygon.push_back({k % 2 == 0 ? 10.0 : 11.0, 0, static_cast<double>(k)});
  }
  r.polygon.push_back({0, 0, static_cast<double>(teeth - 1)});
  r.axis = {{0, 0, 0}, {0, 0, 1}};
  r.angle = 360;
  return r;
}

void revolve_100_segments(std::vector<tagtrack::feature>& part) {
  part.push_back({"body", zigzag_revolve(100)});
}

void pattern_10x10_holes(std::vector<tagtrack::feature>& part) {
  part.push_back({"plate", tagtrack::box{{0, 0, 0}, {50, 50, 2}}});
  part.push_back({"hole", tagtrack::cylinder{{2.5, 2.5, -1}, {0, 0, 1}, 1, 4}});
  part.push_back({"row", tagtrack::pattern{"hole", 10, {5, 0, 0}, {}}});
  part.push_back({"grid", tagtrack::pattern{"row", 10, {0, 5, 0}, {}}});
  part.push_back({"drilled", tagtrack::boolean{tagtrack::boolean_kind::cut, "plate", "grid"}});
}

// A prism on a regular polygon of 500 sides, shelled with its top removed: 1,003 faces. (Open
// CASCADE does not shell the prism of 998 sides, whose sides are a tenth of the wall wide.)
void shell_1000_faces(std::vector<tagtrack::feature>& part) {
  tagtrack::prism p;
  constexpr int sides = 500;
  for (int k = 0; k < sides; ++k) {
    const double t = 2 * 3.14159265358979323846 * k / sides;
    p.polygon.push_back({20 * std::cos(t), 20 * std::sin(t), 0});
  }
  p.height = 10;
  part.push_back({"post", p});
  part.push_back({"cup", tagtrack::shell{"post", {"lid"}, 1}});
}

// Runs the model's features in order on the tagging scheme, as a regeneration from scratch does,
// timing each feature's run (the Open CASCADE algorithm and the collection of its history) apart
// from the scheme's following of it (bodies carried over, faces tagged, duplicates resolved). A
// shell's removed face is its prism's top.
template <void (*Model)(std::vector<tagtrack::feature>&)>
void carry_over(benchmark::State& state) {
  std::vector<tagtrack::feature> features;
  Model(features);
  tagtrack::tagging_scheme scheme;
  double algorithm = 0, following = 0;
  using clock = std::chrono::steady_clock;
  for (auto _ : state) {
    scheme.begin(features, 0);
    std::map<std::string, TopoDS_Shape> results;
    std::map<std::string, TopoDS_Shape> tops;
    for (std::size_t i = 0; i < features.size(); ++i) {
      tagtrack::feature_inputs in;
      in.results = &results;
      for (const std::string& name : tagtrack::consumed_by(features[i])) {
        in.consumed[name] = tops[tagtrack::inputs_of(features[i]).at(0)];
      }
      tagtrack::feature_run run;
      const auto start = clock::now();
      const outcome ran = tagtrack::run_feature(features[i], in, run);
      const auto middle = clock::now();
      const outcome followed = ran ? scheme.feature_done(i, features[i], run) : ran;
      const auto stop = clock::now();
      if (!followed) state.SkipWithError(followed.message().c_str());
      algorithm += std::chrono::duration<double, std::milli>(middle - start).count();
      following += std::chrono::duration<double, std::milli>(stop - middle).count();
      results[features[i].id] = run.result;
      for (const auto& [face, role] : run.made_faces) {
        if (role == "top") tops[features[i].id] = face;
      }
    }
    scheme.end();
  }
  const auto runs = static_cast<double>(state.iterations());
  state.counters["algorithm_ms"] = algorithm / runs;
  state.counters["carry_over_ms"] = following / runs;
  state.counters["carry_over_share"] = algorithm > 0 ? following / algorithm : 0;
}

}  // namespace

BENCHMARK(carry_over<revolve_100_segments>)->Unit(benchmark::kMillisecond);
BENCHMARK(carry_over<pattern_10x10_holes>)->Unit(benchmark::kMillisecond);
BENCHMARK(carry_over<shell_1000_faces>)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
