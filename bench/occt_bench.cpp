// Bodies backed by Open CASCADE shapes at the size of a real part: a plate with a grid of
// cylindrical holes. How long the boolean takes, how long carrying the bodies over to its result
// takes (to be a small part of the boolean), importing, and tracking and matching per entity
// beside the same on a reference-kernel part of as many faces.
#include <benchmark/benchmark.h>

#include <cmath>
#include <string>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepPrimAPI_MakeBox.hxx>
#include <BRepPrimAPI_MakeCylinder.hxx>
#include <BRep_Builder.hxx>
#include <TopoDS_Compound.hxx>
#include <gp_Ax2.hxx>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/occt/operations.h>
#include <tagtrack/occt/shape_bodies.h>
#include <tagtrack/tagging_tracking.h>

#include "bench_models.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

// A square plate and `holes` cylinders through it in a grid.
struct plate_shapes {
  TopoDS_Shape plate, tools;
};

plate_shapes plate_with(std::int64_t holes) {
  const int side = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(holes))));
  plate_shapes s;
  s.plate = BRepPrimAPI_MakeBox(gp_Pnt(0, 0, 0), 4.0 * side, 4.0 * side, 2).Shape();
  TopoDS_Compound tools;
  BRep_Builder builder;
  builder.MakeCompound(tools);
  for (std::int64_t k = 0; k < holes; ++k) {
    const double x = 2 + 4.0 * static_cast<double>(k % side);
    const double y = 2 + 4.0 * static_cast<double>(k / side);
    builder.Add(tools, BRepPrimAPI_MakeCylinder(gp_Ax2(gp_Pnt(x, y, -1), gp::DZ()), 1, 4).Shape());
  }
  s.tools = tools;
  return s;
}

BODY* import(const TopoDS_Shape& shape) {
  BODY* body = nullptr;
  TPI_OCCT::import_shape(shape, body);
  return body;
}

// The plate with its holes cut, imported once, its faces tagged as an application would.
BODY* holed_plate(std::int64_t holes) {
  static std::map<std::int64_t, BODY*> cache;
  BODY*& body = cache[holes];
  if (body != nullptr) return body;
  const plate_shapes s = plate_with(holes);
  body = import(BRepAlgoAPI_Cut(s.plate, s.tools).Shape());
  for (std::size_t k = 0; k < body->faces().size(); ++k) {
    TT::tag_entity(body->faces()[k], "PLATE.f" + std::to_string(k), 1);
  }
  return body;
}

void BM_Boolean(benchmark::State& state) {
  const plate_shapes s = plate_with(state.range(0));
  for (auto _ : state) {
    BRepAlgoAPI_Cut cut(s.plate, s.tools);
    benchmark::DoNotOptimize(cut.Shape());
  }
}

// The carry-over alone: the boolean's result and history handed to the bodies.
void BM_CarryOver(benchmark::State& state) {
  const plate_shapes s = plate_with(state.range(0));
  BRepAlgoAPI_Cut cut(s.plate, s.tools);
  for (auto _ : state) {
    state.PauseTiming();
    BODY* plate = import(s.plate);
    BODY* tools = import(s.tools);
    state.ResumeTiming();
    benchmark::DoNotOptimize(TPI_OCCT::apply_history({plate, tools}, cut.Shape(), cut.History()));
    state.PauseTiming();
    TPI_MODEL::delete_body(plate);
    state.ResumeTiming();
  }
  state.counters["faces"] = static_cast<double>(holed_plate(state.range(0))->faces().size());
}

void BM_Import(benchmark::State& state) {
  const plate_shapes s = plate_with(state.range(0));
  const TopoDS_Shape holed = BRepAlgoAPI_Cut(s.plate, s.tools).Shape();
  for (auto _ : state) {
    BODY* body = import(holed);
    state.PauseTiming();
    TPI_MODEL::delete_body(body);
    state.ResumeTiming();
  }
}

// Tracking and matching every edge, per edge; the reference part has as many faces.
void track_and_match_edges(benchmark::State& state, const std::vector<BODY*>& bodies, bool match) {
  std::vector<EDGE*> edges;
  for (BODY* body : bodies) edges.insert(edges.end(), body->edges().begin(), body->edges().end());
  std::vector<TT::recipe_ptr> recipes;
  for (EDGE* edge : edges) recipes.push_back(TT::make_recipe(TT::EDGE_TRACKABLE(edge)));
  for (auto _ : state) {
    for (std::size_t i = 0; i < edges.size(); ++i) {
      if (match) {
        benchmark::DoNotOptimize(TT::find_matches(recipes[i].get(), bodies));
      } else {
        benchmark::DoNotOptimize(TT::make_recipe(TT::EDGE_TRACKABLE(edges[i])));
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(edges.size()));
}

void BM_TrackEdgesOcct(benchmark::State& state) {
  track_and_match_edges(state, {holed_plate(state.range(0))}, false);
}
void BM_TrackEdgesReference(benchmark::State& state) {
  const auto faces = static_cast<std::int64_t>(holed_plate(state.range(0))->faces().size());
  track_and_match_edges(state, bench_models::tagged_part(faces).bodies(), false);
}
void BM_MatchEdgesOcct(benchmark::State& state) {
  track_and_match_edges(state, {holed_plate(state.range(0))}, true);
}
void BM_MatchEdgesReference(benchmark::State& state) {
  const auto faces = static_cast<std::int64_t>(holed_plate(state.range(0))->faces().size());
  track_and_match_edges(state, bench_models::tagged_part(faces).bodies(), true);
}

}  // namespace

BENCHMARK(BM_Boolean)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CarryOver)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackEdgesOcct)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackEdgesReference)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchEdgesOcct)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchEdgesReference)->Arg(100)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
