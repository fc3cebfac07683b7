// Tracking costs: edge and vertex recipes on sheets of 10^4 to 10^5 tagged faces, and on a
// cylinder, whose curved side gives vertex recipes uv order data.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_models.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

template <class Trackable, class Entity>
void make_recipes(benchmark::State& state, Entity* entity) {
  const Trackable trackable(entity);
  for (auto _ : state) {
    TT::IRecipe* recipe = nullptr;
    trackable.MakeRecipe(TT::TRACK_CONTEXT(), recipe);
    benchmark::DoNotOptimize(recipe);
    delete recipe;
  }
  state.SetItemsProcessed(state.iterations());
}

void BM_EdgeRecipe(benchmark::State& state) {
  make_recipes<TT::EDGE_TRACKABLE>(state, bench_models::middle_edge(
                                              bench_models::sheet(state.range(0), true)));
}

void BM_VertexRecipe(benchmark::State& state) {
  make_recipes<TT::VERTEX_TRACKABLE>(state, bench_models::middle_vertex(
                                                bench_models::sheet(state.range(0), true)));
}

// A cylinder with tagged faces: its seam edge's end vertices lie on the curved side.
BODY* tagged_cylinder() {
  static BODY* body = [] {
    BODY* made = nullptr;
    TPI_BUILD::make_cylinder(1, 2, made);
    const char* names[] = {"BOTTOM", "TOP", "SIDE"};
    for (int i = 0; i < 3; ++i) {
      auto* def = new TT::generic_tag_attrib_def(TPK::tpk_array<char>(names[i], 3));
      ATTRIB_CUSTOM* attrib = nullptr;
      TPI_CUSTOM_ENTITY::add_attrib(made->faces()[static_cast<std::size_t>(i)], def, attrib);
    }
    return made;
  }();
  return body;
}

void BM_CurvedEdgeRecipe(benchmark::State& state) {
  make_recipes<TT::EDGE_TRACKABLE>(state, tagged_cylinder()->edges()[2]);
}

void BM_CurvedVertexRecipe(benchmark::State& state) {
  make_recipes<TT::VERTEX_TRACKABLE>(state, tagged_cylinder()->vertices()[0]);
}

BENCHMARK(BM_EdgeRecipe)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_VertexRecipe)->Arg(1000)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_CurvedEdgeRecipe);
BENCHMARK(BM_CurvedVertexRecipe);

}  // namespace

BENCHMARK_MAIN();
