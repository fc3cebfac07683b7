// Model file throughput: saving and restoring a polyhedral sheet of about 10^5 faces, in bytes of
// text per second. Restoring includes making every entity through the history and checking the
// body; the restored body is deleted and the history cleared outside the timing.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <vector>

#include "bench_models.h"
#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace {

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

constexpr std::int64_t sheet_faces = 317 * 317;  // 100,489 faces

void BM_SaveSheet(benchmark::State& state) {
  BODY* sheet = bench_models::sheet(sheet_faces, false);
  stream_scope stream;
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
}

void BM_RestoreSheet(benchmark::State& state) {
  std::string text;
  TPI_FILE::save_bodies({bench_models::sheet(sheet_faces, false)}, text);
  stream_scope stream;
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
