// Matching costs on tagged sheets of 10^3 to 10^6 faces. Every matcher enumerates every entity of
// the bodies at least once (the tag candidate search), so the time grows linearly with the body;
// the figure to watch is the time per entity visited, reported as items per second.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_models.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

template <class Trackable, class Entity>
void match_recipe(benchmark::State& state, BODY* body, Entity* entity, std::int64_t visited) {
  TT::IRecipe* made = nullptr;
  Trackable(entity).MakeRecipe(TT::TRACK_CONTEXT(), made);
  std::unique_ptr<TT::IRecipe> recipe(made);
  std::unique_ptr<TT::ITracker> tracker(recipe->create_tracker());
  const TT::MATCH_CONTEXT ctx(nullptr, {body}, TT::compare_loose);
  std::size_t found = 0;
  for (auto _ : state) {
    std::vector<TT::ITrackable*> results;
    tracker->match(ctx, recipe.get(), results);
    found = results.size();
    for (TT::ITrackable* t : results) delete t;
  }
  state.counters["found"] = static_cast<double>(found);
  state.SetItemsProcessed(state.iterations() * visited);
}

void BM_MatchFace(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true);
  match_recipe<TT::FACE_TRACKABLE>(state, body, body->faces()[body->faces().size() / 2],
                                   static_cast<std::int64_t>(body->faces().size()));
}

void BM_MatchVertex(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true);
  match_recipe<TT::VERTEX_TRACKABLE>(state, body, bench_models::middle_vertex(body),
                                     static_cast<std::int64_t>(body->vertices().size()));
}

void BM_MatchEdge(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true);
  match_recipe<TT::EDGE_TRACKABLE>(state, body, bench_models::middle_edge(body),
                                   static_cast<std::int64_t>(body->edges().size()));
}

void sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t n : {1000, 10000, 100000, 1000000}) b->Arg(n);
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_MatchFace)->Apply(sizes);
BENCHMARK(BM_MatchVertex)->Apply(sizes);
BENCHMARK(BM_MatchEdge)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
