// Costs of the tag-list operations that recipe comparison, matching and recipe texts repeat many
// times: comparing two 4-tag lists, ordering them, and writing and reading their tag text. Each
// should take tens of nanoseconds, and writing plus reading a list well under a microsecond.
#include <benchmark/benchmark.h>

#include <sstream>
#include <string>

#include <tagtrack/tagging/tag_info.h>

namespace {

using TPI_TAGGING_TRACKING::tag_data;
using TPI_TAGGING_TRACKING::tag_info;

// Four tags shaped like real ones: short primary ids, a few operation ids each. `variant` changes
// the last operation id of the last tag, so that two lists differ only at their very end.
tag_info four_tags(int variant) {
  tag_info tags;
  const char* ids[] = {"F12", "F13", "E7", "F12"};
  for (int i = 0; i < 4; ++i) {
    const std::string id = ids[i];
    tag_data tag(TPK::tpk_array<char>(id.data(), id.size()));
    tag.m_secondary_id = i;
    for (int op = 0; op < 3; ++op) tag.m_operation_ids.push_back(100 + op);
    if (i == 3) tag.m_operation_ids.push_back(variant);
    tags.add_unique(tag);
  }
  return tags;
}

void BM_CountMatches(benchmark::State& state) {
  const tag_info a = four_tags(1);
  const tag_info b = four_tags(2);
  const int mode = static_cast<int>(state.range(0));
  int count = 0;
  for (auto _ : state) {
    a.count_matches(b, mode, count);
    benchmark::DoNotOptimize(count);
  }
}
BENCHMARK(BM_CountMatches)->Arg(5)->Arg(7);

void BM_ListOrdering(benchmark::State& state) {
  const tag_info a = four_tags(1);
  const tag_info b = four_tags(2);
  for (auto _ : state) {
    benchmark::DoNotOptimize(a < b);
    benchmark::DoNotOptimize(b < a);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_ListOrdering);

// The stream is reused, as a recipe writer reuses its one stream for all its lists.
void BM_WriteText(benchmark::State& state) {
  const tag_info tags = four_tags(1);
  std::ostringstream out;
  for (auto _ : state) {
    out.seekp(0);
    tags.write_text(out);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_WriteText);

void BM_ReadText(benchmark::State& state) {
  std::ostringstream out;
  four_tags(1).write_text(out);
  std::istringstream in(out.str());
  tag_info tags;
  for (auto _ : state) {
    in.clear();
    in.seekg(0);
    tags.read_text(in, 3);
    benchmark::DoNotOptimize(tags.size());
  }
}
BENCHMARK(BM_ReadText);

// Round trip through a fresh stream pair each time, the way a recipe text is made and read back.
void BM_WriteAndReadFreshStreams(benchmark::State& state) {
  const tag_info tags = four_tags(1);
  tag_info read;
  for (auto _ : state) {
    std::stringstream text;
    tags.write_text(text);
    read.read_text(text, 3);
    benchmark::DoNotOptimize(read.size());
  }
}
BENCHMARK(BM_WriteAndReadFreshStreams);

}  // namespace

BENCHMARK_MAIN();
