// Costs of recipe texts, which callers write for every reference they keep and read back after
// every regeneration. The recipe is a typical edge: two tagged faces and two vertex recipes of
// three faces each (two of them curved, so with uv entries), every tag with two operation ids.
// Figures are recipes per second and bytes of text per second, each way; writing should pass
// 100 MB/s and reading 50 MB/s in an optimised build.
#include <benchmark/benchmark.h>

#include <memory>
#include <sstream>
#include <string>

#include <tagtrack/recipes/recipe_text.h>

namespace {

using namespace TPI_TAGGING_TRACKING;

tag_info one_tag(const std::string& id, int secondary, int first_operation) {
  tag_data tag(TPK::tpk_array<char>(id.data(), id.size()));
  tag.m_secondary_id = secondary;
  tag.m_operation_ids.push_back(first_operation);
  tag.m_operation_ids.push_back(first_operation + 17);
  return tag_info(tag);
}

VERTEX_RECIPE vertex(int first_face) {
  std::vector<FACE_RECIPE> faces;
  for (int i = 0; i < 3; ++i)
    faces.emplace_back(one_tag("F" + std::to_string(first_face + i), i, 1000 + i));
  VERTEX_RECIPE::uv_orders uv;
  uv_order_data data;
  data.m_num_vertices = 4;
  data.m_u_rank = data.m_u_first = data.m_u_last = 2;
  data.m_v_rank = 3;
  data.m_v_first = 3;
  data.m_v_last = 4;
  uv[0] = data;
  uv[2] = data;
  return VERTEX_RECIPE(tag_info(), faces, uv);
}

EDGE_RECIPE typical_edge() {
  const std::vector<FACE_RECIPE> faces = {FACE_RECIPE(one_tag("F12", 0, 1001)),
                                          FACE_RECIPE(one_tag("F13", 1, 1002))};
  return EDGE_RECIPE(tag_info(), faces, {vertex(12), vertex(14)});
}

std::string text_of(IRecipe& recipe) {
  char* text = nullptr;
  save_to_string(text, &recipe);
  std::string result(text);
  delete[] text;
  return result;
}

void report(benchmark::State& state, std::size_t text_length) {
  state.SetItemsProcessed(state.iterations());
  state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(text_length));
  state.counters["text_bytes"] = static_cast<double>(text_length);
}

void BM_SaveEdgeRecipe(benchmark::State& state) {
  EDGE_RECIPE edge = typical_edge();
  for (auto _ : state) {
    char* text = nullptr;
    save_to_string(text, &edge);
    benchmark::DoNotOptimize(text);
    delete[] text;
  }
  report(state, text_of(edge).size());
}
BENCHMARK(BM_SaveEdgeRecipe);

void BM_RestoreEdgeRecipe(benchmark::State& state) {
  EDGE_RECIPE edge = typical_edge();
  const std::string text = text_of(edge);
  for (auto _ : state) {
    IRecipe* recipe = nullptr;
    restore_from_string(text.c_str(), recipe);
    benchmark::DoNotOptimize(recipe);
    delete recipe;
  }
  report(state, text.size());
}
BENCHMARK(BM_RestoreEdgeRecipe);

// The stream members on a caller's stream, which is reused.
void BM_WriteVertexRecipeToStream(benchmark::State& state) {
  VERTEX_RECIPE recipe = vertex(12);
  std::ostringstream out;
  for (auto _ : state) {
    out.seekp(0);
    recipe.write_to_stream(out);
    benchmark::ClobberMemory();
  }
  std::ostringstream once;
  recipe.write_to_stream(once);
  report(state, once.str().size());
}
BENCHMARK(BM_WriteVertexRecipeToStream);

void BM_ReadVertexRecipeFromStream(benchmark::State& state) {
  std::ostringstream out;
  vertex(12).write_to_stream(out);
  std::istringstream in(out.str());
  for (auto _ : state) {
    in.clear();
    in.seekg(0);
    VERTEX_RECIPE recipe;
    recipe.read_from_stream(in);
    benchmark::DoNotOptimize(recipe.get_face_recipes()->size());
  }
  report(state, out.str().size());
}
BENCHMARK(BM_ReadVertexRecipeFromStream);

}  // namespace

BENCHMARK_MAIN();
