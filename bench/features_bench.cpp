// What the feature history costs over Open CASCADE alone, on a plate drilled with a row of holes
// (one cylinder cut per hole): a regeneration from scratch through the history (tags, the tag
// manager round each feature, bodies following every shape) beside the same cuts made with plain
// Open CASCADE calls; a regeneration after the last hole changed, which runs from the first
// change; and the resolution of many references in that regeneration, through the tag index the
// history builds itself.
#include <string>

#include <benchmark/benchmark.h>
#include <BRepAlgoAPI_Cut.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <TopExp.hxx>
#include <TopTools_IndexedMapOfShape.hxx>

#include <tagtrack/tagtrack.h>

namespace {

constexpr double pitch = 3;

tagtrack::cylinder hole(int k, double radius) {
  return {{pitch * k + 1.5, 1.5, -1}, {0, 0, 1}, radius, 4};
}

// The plate "body0" and, per hole k, "hole<k>" and the cut "body<k+1>".
void add_plate(tagtrack::feature_history& part, int holes) {
  part.add({"body0", tagtrack::box{{0, 0, 0}, {pitch * holes, 3, 2}}});
  for (int k = 0; k < holes; ++k) {
    const std::string n = std::to_string(k);
    part.add({"hole" + n, hole(k, 1)});
    part.add({"body" + std::to_string(k + 1),
              tagtrack::boolean{tagtrack::boolean_kind::cut, "body" + n, "hole" + n}});
  }
}

void plain_occt_plate(benchmark::State& state) {
  const int holes = static_cast<int>(state.range(0));
  for (auto _ : state) {
    TopoDS_Shape body = BRepPrimAPI_MakeBox(pitch * holes, 3, 2).Shape();
    for (int k = 0; k < holes; ++k) {
      const gp_Ax2 axis(gp_Pnt(pitch * k + 1.5, 1.5, -1), gp::DZ());
      body = BRepAlgoAPI_Cut(body, BRepPrimAPI_MakeCylinder(axis, 1, 4).Shape()).Shape();
    }
    benchmark::DoNotOptimize(body);
  }
  state.SetComplexityN(holes);
}
BENCHMARK(plain_occt_plate)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void history_plate_from_scratch(benchmark::State& state) {
  const int holes = static_cast<int>(state.range(0));
  tagtrack::feature_history part;
  add_plate(part, holes);
  for (auto _ : state) {
    if (!part.regenerate(tagtrack::feature_history::from::scratch)) state.SkipWithError("failed");
  }
  state.SetComplexityN(holes);
}
BENCHMARK(history_plate_from_scratch)->Arg(4)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// The last hole's radius alternates, so each regeneration runs its two features only, and resolves
// `references` references taken on the last body: each face, edge and vertex in turn, each under
// as many names as it takes to reach the count.
void history_last_hole_changed(benchmark::State& state) {
  const int holes = 16;
  const auto references = static_cast<int>(state.range(0));
  tagtrack::feature_history part;
  add_plate(part, holes);
  part.regenerate();
  const std::string last = "body" + std::to_string(holes);
  TopTools_IndexedMapOfShape entities;
  TopExp::MapShapes(part.result(last), TopAbs_FACE, entities);
  TopExp::MapShapes(part.result(last), TopAbs_EDGE, entities);
  TopExp::MapShapes(part.result(last), TopAbs_VERTEX, entities);
  for (int r = 0; r < references; ++r) {
    const TopoDS_Shape& entity = entities(1 + r % entities.Extent());
    if (!part.remember("r" + std::to_string(r), last, entity)) state.SkipWithError("remember");
  }
  const std::string changed = "hole" + std::to_string(holes - 1);
  int turn = 0;
  for (auto _ : state) {
    part.set({changed, hole(holes - 1, ++turn % 2 == 0 ? 1.0 : 0.9)});
    if (!part.regenerate()) state.SkipWithError("failed");
  }
  state.counters["references"] = references;
  if (references > 0) {
    // Seconds of a whole regeneration per reference it resolved.
    state.counters["per_reference"] = benchmark::Counter(
        static_cast<double>(references) * static_cast<double>(state.iterations()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  }
}
BENCHMARK(history_last_hole_changed)->Arg(0)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
