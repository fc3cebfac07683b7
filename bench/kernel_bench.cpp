// Kernel query costs on polyhedral bodies of 10^3 to 10^6 faces: whole-body enumeration should
// run at memory speed, local queries should not depend on the body's size.
#include <benchmark/benchmark.h>

#include <cstdint>

#include "bench_models.h"
#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace {

// The bodies are untagged square sheets: their interior vertices have full fans, which is enough
// to measure queries.
using bench_models::middle_edge;
using bench_models::middle_vertex;

BODY* sheet_of(std::int64_t faces) {
  return bench_models::sheet(faces, false);
}

void BM_BodyFaces(benchmark::State& state) {
  BODY* body = sheet_of(state.range(0));
  TPK::tpk_array<FACE*> faces;
  for (auto _ : state) {
    TPI_QUERY::get_faces(body, faces);
    benchmark::DoNotOptimize(faces.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(body->faces().size()));
}

void BM_EdgeFaces(benchmark::State& state) {
  BODY* body = sheet_of(state.range(0));
  EDGE* edge = middle_edge(body);
  TPK::tpk_array<FACE*> faces;
  for (auto _ : state) {
    TPI_QUERY::get_faces(edge, faces);
    benchmark::DoNotOptimize(faces.data());
  }
}

// A face in the middle of the sheet: its neighbourhood is the same whatever the body's size.
void BM_FaceVertices(benchmark::State& state) {
  BODY* body = sheet_of(state.range(0));
  FACE* face = body->faces()[body->faces().size() / 2];
  TPK::tpk_array<VERTEX*> vertices;
  for (auto _ : state) {
    TPI_QUERY::get_vertices(face, vertices);
    benchmark::DoNotOptimize(vertices.data());
  }
}

class marker_def : public TPI_CUSTOM_ENTITY::attrib_def {
 public:
  const char* type_name() const override { return "marker_def"; }
  TPI_CUSTOM_ENTITY::entity_def* copy_for_backup() const override { return new marker_def(); }
  TPI_CUSTOM_ENTITY::entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context&) const override {
    return new marker_def();
  }
};

void BM_FindAttrib(benchmark::State& state) {
  BODY* body = sheet_of(state.range(0));
  FACE* face = body->faces()[body->faces().size() / 3];
  if (face->first_attrib() == nullptr) {
    for (int i = 0; i < 2; ++i) {
      ATTRIB_CUSTOM* attrib = nullptr;
      TPI_CUSTOM_ENTITY::add_attrib(face, new marker_def(), attrib);
    }
  }
  TPK::tpk_array<ATTRIB_CUSTOM*> found;
  for (auto _ : state) {
    TPI_CUSTOM_ENTITY::find_attrib(face, nullptr, found);
    benchmark::DoNotOptimize(found.data());
  }
}

void BM_VertexFans(benchmark::State& state) {
  BODY* body = sheet_of(state.range(0));
  VERTEX* vertex = middle_vertex(body);
  TPK::tpk_array<FACE*> fan;
  for (auto _ : state) {
    TPI_ORDERED_FACES_ON_VERTEX fans(vertex);
    fans.compute();
    fan_type type;
    fans.get_fan(0, type, fan);
    benchmark::DoNotOptimize(fan.data());
  }
}

// Splits `count` faces of the body along a diagonal, one operation each.
void split_faces(BODY* body, std::size_t count) {
  TPK::tpk_array<VERTEX*> corners;
  for (std::size_t i = 0; i < count; ++i) {
    FACE* face = body->faces()[i];
    TPI_QUERY::get_vertices(face, corners);
    EDGE* edge = nullptr;
    FACE* piece = nullptr;
    TPI_MODEL::split_face(face, corners[0], corners[2], edge, piece);
  }
}

// Per-split cost on bodies of growing size: it should not grow with the body.
void BM_SplitFace(benchmark::State& state) {
  HISTORY_STREAM* previous = nullptr;
  HISTORY_STREAM* stream = nullptr;
  TPI_HISTORY::get_default(previous, false);
  TPI_HISTORY::get_default(stream, true);
  BODY* body = sheet_of(state.range(0));
  stream->note_state();
  constexpr std::size_t splits = 1000;
  for (auto _ : state) {
    split_faces(body, splits);
    state.PauseTiming();
    stream->roll_back(1);
    stream->clear();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(splits));
  TPI_HISTORY::set_default(previous);
}

// Rolling back and forward 10^4 splits: cost per split undone or redone.
void BM_RollBackForward(benchmark::State& state) {
  HISTORY_STREAM* previous = nullptr;
  HISTORY_STREAM* stream = nullptr;
  TPI_HISTORY::get_default(previous, false);
  TPI_HISTORY::get_default(stream, true);
  BODY* body = sheet_of(state.range(0));
  constexpr std::size_t splits = 10000;
  stream->note_state();
  split_faces(body, splits);
  stream->note_state();
  for (auto _ : state) {
    stream->roll_back(1);
    stream->roll_forward(1);
  }
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(2 * splits));
  stream->roll_back(1);
  stream->clear();
  TPI_HISTORY::set_default(previous);
}

void sizes(benchmark::internal::Benchmark* b) {
  for (std::int64_t n : {1000, 10000, 100000, 1000000}) b->Arg(n);
}

BENCHMARK(BM_BodyFaces)->Apply(sizes);
BENCHMARK(BM_EdgeFaces)->Apply(sizes);
BENCHMARK(BM_FaceVertices)->Apply(sizes);
BENCHMARK(BM_FindAttrib)->Apply(sizes);
BENCHMARK(BM_VertexFans)->Apply(sizes);
BENCHMARK(BM_SplitFace)->Arg(10000)->Arg(100000)->Arg(1000000);
BENCHMARK(BM_RollBackForward)->Arg(10000)->Arg(100000)->Arg(1000000);

}  // namespace

BENCHMARK_MAIN();
