// Model file throughput: saving and restoring a polyhedral sheet of about 10^5 faces, in bytes of
// text per second. Restoring includes making every entity through the history and checking the
// body; the restored body is deleted and the history cleared outside the timing.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "tagging_tracking.h"

namespace {

// A square sheet of side x side unit squares, made in the benchmark's own history stream.
BODY* make_sheet(int side) {
  std::vector<TPK::position> points;
  points.reserve(static_cast<std::size_t>(side + 1) * static_cast<std::size_t>(side + 1));
  for (int j = 0; j <= side; ++j) {
    for (int i = 0; i <= side; ++i) points.push_back({double(i), double(j), 0});
  }
  std::vector<std::vector<int>> loops;
  loops.reserve(static_cast<std::size_t>(side) * static_cast<std::size_t>(side));
  for (int j = 0; j < side; ++j) {
    for (int i = 0; i < side; ++i) {
      const int p = j * (side + 1) + i;
      loops.push_back({p, p + 1, p + side + 2, p + side + 1});
    }
  }
  BODY* body = nullptr;
  TPI_BUILD::make_polyhedron(points, loops, body);
  return body;
}

class stream_scope {
 public:
  stream_scope() {
    TPI_HISTORY::get_default(m_previous, false);
    TPI_HISTORY::get_default(m_stream, true);
  }
  ~stream_scope() {
    TPI_HISTORY::set_default(m_previous);
    m_stream->clear();
    TPI_HISTORY::delete_stream(m_stream);
  }
  HISTORY_STREAM* get() const { return m_stream; }

 private:
  HISTORY_STREAM* m_previous = nullptr;
  HISTORY_STREAM* m_stream = nullptr;
};

constexpr int side = 317;  // 100,489 faces

void BM_SaveSheet(benchmark::State& state) {
  stream_scope stream;
  BODY* sheet = make_sheet(side);
  if (sheet == nullptr) {
    state.SkipWithError("the sheet could not be made");
    return;
  }
  std::string text;
  for (auto _ : state) {
    const outcome r = TPI_FILE::save_bodies({sheet}, text);
    if (!r.ok()) state.SkipWithError(r.message().c_str());
    benchmark::DoNotOptimize(text.data());
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
  state.counters["faces"] = static_cast<double>(sheet->faces().size());
  state.counters["text_MB"] = static_cast<double>(text.size()) / 1e6;
  TPI_MODEL::delete_body(sheet);
}

void BM_RestoreSheet(benchmark::State& state) {
  stream_scope stream;
  std::string text;
  {
    BODY* sheet = make_sheet(side);
    TPI_FILE::save_bodies({sheet}, text);
    TPI_MODEL::delete_body(sheet);
    stream.get()->clear();
  }
  std::vector<BODY*> bodies;
  for (auto _ : state) {
    const outcome r = TPI_FILE::restore_bodies(text, bodies);
    if (!r.ok()) state.SkipWithError(r.message().c_str());
    state.PauseTiming();
    for (BODY* b : bodies) TPI_MODEL::delete_body(b);
    bodies.clear();
    stream.get()->clear();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text.size()));
}

BENCHMARK(BM_SaveSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RestoreSheet)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
