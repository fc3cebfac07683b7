// Bodies backed by Open CASCADE shapes at the size of a real part: a plate with a grid of
// cylindrical holes. How long the boolean takes, how long carrying the bodies over to its result
// takes (to be a small part of the boolean), importing, and tracking and matching per entity
// beside the same on a reference-kernel part of as many faces. And tracking on a freeform part: a
// loft of B-spline faces, whose vertices a recipe places on those faces.
#include <benchmark/benchmark.h>

#include <cmath>
#include <map>
#include <string>

#include <BRepAlgoAPI_Cut.hxx>
#include <BRepBuilderAPI_MakePolygon.hxx>
#include <BRepOffsetAPI_ThruSections.hxx>
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

// A smooth loft through four star-shaped sections of `corners` segments each, turned a little
// from one to the next: `corners` B-spline side faces between two planar caps, tagged.
BODY* freeform_body(std::int64_t corners) {
  static std::map<std::int64_t, BODY*> cache;
  BODY*& body = cache[corners];
  if (body != nullptr) return body;
  BRepOffsetAPI_ThruSections loft(Standard_True, Standard_False);
  for (int k = 0; k < 4; ++k) {
    BRepBuilderAPI_MakePolygon star;
    for (std::int64_t i = 0; i < corners; ++i) {
      const double angle =
          2 * M_PI * static_cast<double>(i) / static_cast<double>(corners) + 0.05 * k;
      const double radius = (i % 2 == 0 ? 20.0 : 17.0) - 1.5 * std::sin(k);
      star.Add(gp_Pnt(radius * std::cos(angle), radius * std::sin(angle), 12.0 * k));
    }
    star.Close();
    loft.AddWire(star.Wire());
  }
  body = import(loft.Shape());
  for (std::size_t k = 0; k < body->faces().size(); ++k) {
    TT::tag_entity(body->faces()[k], "LOFT.f" + std::to_string(k), 1);
  }
  return body;
}

// Tracking every edge, and every vertex, of the freeform part: the time per entity.
void BM_TrackEdgesFreeform(benchmark::State& state) {
  track_and_match_edges(state, {freeform_body(state.range(0))}, false);
  state.counters["faces"] = static_cast<double>(freeform_body(state.range(0))->faces().size());
}
void BM_TrackVerticesFreeform(benchmark::State& state) {
  BODY* body = freeform_body(state.range(0));
  for (auto _ : state) {
    for (VERTEX* vertex : body->vertices()) {
      benchmark::DoNotOptimize(TT::make_recipe(TT::VERTEX_TRACKABLE(vertex)));
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(body->vertices().size()));
  state.counters["faces"] = static_cast<double>(body->faces().size());
}

}  // namespace

BENCHMARK(BM_Boolean)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_CarryOver)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Import)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackEdgesOcct)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackEdgesReference)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchEdgesOcct)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MatchEdgesReference)->Arg(100)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TrackEdgesFreeform)->Arg(44)->Arg(440)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TrackVerticesFreeform)->Arg(44)->Arg(440)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
