// Matching costs on tagged sheets of 10^3 to 10^6 faces, linear and through a tag index. Every
// linear match enumerates every entity of the bodies at least once (the tag candidate search), so
// its time grows linearly with the body; the figure to watch is the time per entity visited,
// reported as items per second. An indexed match looks its candidates up instead; its time per
// call should stay flat, and BM_BuildIndex gives what building the index costs per entity.
// The linear matchers stay exactly as the interface defines them, with no target per entity: at
// model scale an application resolves through the index, as a feature history does by itself.
#include <benchmark/benchmark.h>

#include <memory>

#include "bench_models.h"

namespace TT = TPI_TAGGING_TRACKING;

namespace {

template <class Trackable, class Entity>
void match_recipe(benchmark::State& state, BODY* body, Entity* entity, std::int64_t visited,
                  bool indexed = false) {
  TT::IRecipe* made = nullptr;
  Trackable(entity).MakeRecipe(TT::TRACK_CONTEXT(), made);
  std::unique_ptr<TT::IRecipe> recipe(made);
  std::unique_ptr<TT::ITracker> tracker(recipe->create_tracker());
  TT::MATCH_CONTEXT ctx(nullptr, {body}, TT::compare_loose);
  TT::tag_index index({body});
  if (indexed) {
    ctx.use_tag_index(&index);
    std::vector<TT::ITrackable*> warm_up;  // the index is built at the first match, outside timing
    tracker->match(ctx, recipe.get(), warm_up);
    for (TT::ITrackable* t : warm_up) delete t;
  }
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

void BM_MatchFaceIndexed(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true);
  match_recipe<TT::FACE_TRACKABLE>(state, body, body->faces()[body->faces().size() / 2], 1, true);
}

void BM_MatchVertexIndexed(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true);
  match_recipe<TT::VERTEX_TRACKABLE>(state, body, bench_models::middle_vertex(body), 1, true);
}

void BM_MatchEdgeIndexed(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true);
  match_recipe<TT::EDGE_TRACKABLE>(state, body, bench_models::middle_edge(body), 1, true);
}

// Edges and vertices of a sheet whose faces alone carry tags: found through the faces around them.
void BM_MatchEdgeByFaces(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true, true);
  match_recipe<TT::EDGE_TRACKABLE>(state, body, bench_models::middle_edge(body),
                                   static_cast<std::int64_t>(body->faces().size()));
}

void BM_MatchEdgeByFacesIndexed(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true, true);
  match_recipe<TT::EDGE_TRACKABLE>(state, body, bench_models::middle_edge(body), 1, true);
}

// An edge and a vertex of a part as applications leave it (see bench_models::tagged_part), found
// among the plate's and the boss's entities.
template <class Trackable, class Entity>
void match_in_part(benchmark::State& state, Entity* entity, const bench_models::part& p,
                   bool indexed) {
  TT::recipe_ptr recipe = TT::make_recipe(Trackable(entity));
  std::unique_ptr<TT::ITracker> tracker(recipe->create_tracker());
  TT::MATCH_CONTEXT ctx(nullptr, p.bodies(), TT::compare_loose);
  TT::tag_index index(p.bodies());
  if (indexed) {
    ctx.use_tag_index(&index);
    TT::match_results warm_up;  // the index is built at the first match, outside timing
    tracker->match(ctx, recipe.get(), warm_up.out());
  }
  std::size_t found = 0;
  for (auto _ : state) {
    TT::match_results results;
    tracker->match(ctx, recipe.get(), results.out());
    found = results.size();
  }
  state.counters["found"] = static_cast<double>(found);
}

void BM_PartEdge(benchmark::State& state) {
  const bench_models::part p = bench_models::tagged_part(state.range(0));
  match_in_part<TT::EDGE_TRACKABLE>(state, bench_models::middle_edge(p.plate), p, false);
}

void BM_PartEdgeIndexed(benchmark::State& state) {
  const bench_models::part p = bench_models::tagged_part(state.range(0));
  match_in_part<TT::EDGE_TRACKABLE>(state, bench_models::middle_edge(p.plate), p, true);
}

void BM_PartVertexIndexed(benchmark::State& state) {
  const bench_models::part p = bench_models::tagged_part(state.range(0));
  match_in_part<TT::VERTEX_TRACKABLE>(state, bench_models::middle_vertex(p.plate), p, true);
}

// A face and an edge of the plate the kernel's operations cut (bench_models::split_plate), linear
// and indexed; per face visited.
void BM_SplitPlateFace(benchmark::State& state) {
  BODY* body = bench_models::split_plate(state.range(0));
  match_recipe<TT::FACE_TRACKABLE>(state, body, body->faces()[body->faces().size() / 2],
                                   static_cast<std::int64_t>(body->faces().size()));
}

void BM_SplitPlateEdge(benchmark::State& state) {
  BODY* body = bench_models::split_plate(state.range(0));
  match_recipe<TT::EDGE_TRACKABLE>(state, body, bench_models::middle_edge(body),
                                   static_cast<std::int64_t>(body->faces().size()));
}

void BM_SplitPlateEdgeIndexed(benchmark::State& state) {
  BODY* body = bench_models::split_plate(state.range(0));
  match_recipe<TT::EDGE_TRACKABLE>(state, body, bench_models::middle_edge(body), 1, true);
}

// Building the index of all three kinds, per entity indexed.
void BM_BuildIndex(benchmark::State& state) {
  BODY* body = bench_models::sheet(state.range(0), true);
  for (auto _ : state) {
    TT::tag_index index({body});
    const TT::tag_info probe(TT::tag_data(TT::primary_id("F0")));
    benchmark::DoNotOptimize(index.candidates(probe, static_cast<FACE*>(nullptr)));
    benchmark::DoNotOptimize(index.candidates(probe, static_cast<EDGE*>(nullptr)));
    benchmark::DoNotOptimize(index.candidates(probe, static_cast<VERTEX*>(nullptr)));
  }
  state.SetItemsProcessed(state.iterations() *
                          static_cast<std::int64_t>(body->faces().size() + body->edges().size() +
                                                    body->vertices().size()));
}

void sizes_to_100000(benchmark::internal::Benchmark* b) {
  for (std::int64_t n : {1000, 10000, 100000}) b->Arg(n);
  b->Unit(benchmark::kMicrosecond);
}

void sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t n : {1000, 10000, 100000, 1000000}) b->Arg(n);
  b->Unit(benchmark::kMicrosecond);
}

BENCHMARK(BM_MatchFace)->Apply(sizes);
// Cutting the plate takes about 10 s at 10^5 faces; 10^6 is left out until the cuts are cheaper.
BENCHMARK(BM_SplitPlateFace)->Apply(sizes_to_100000);
BENCHMARK(BM_SplitPlateEdge)->Apply(sizes_to_100000);
BENCHMARK(BM_SplitPlateEdgeIndexed)->Apply(sizes_to_100000);
BENCHMARK(BM_MatchVertex)->Apply(sizes);
BENCHMARK(BM_MatchEdge)->Apply(sizes);
BENCHMARK(BM_MatchFaceIndexed)->Apply(sizes);
BENCHMARK(BM_MatchVertexIndexed)->Apply(sizes);
BENCHMARK(BM_MatchEdgeIndexed)->Apply(sizes);
BENCHMARK(BM_MatchEdgeByFaces)->Apply(sizes);
BENCHMARK(BM_MatchEdgeByFacesIndexed)->Apply(sizes);
BENCHMARK(BM_PartEdge)->Apply(sizes);
BENCHMARK(BM_PartEdgeIndexed)->Apply(sizes);
BENCHMARK(BM_PartVertexIndexed)->Apply(sizes);
BENCHMARK(BM_BuildIndex)->Apply(sizes);

}  // namespace

BENCHMARK_MAIN();
