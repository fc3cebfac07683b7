// The files the command tests read: a block with its faces tagged BLOCK.f0 to BLOCK.f5 saved as
// block.model, the recipes of its first edge (edge.recipe) and first face (face.recipe), and the
// first half of the edge's recipe text (cut.recipe).
#pragma once

#include <cstddef>
#include <filesystem>
#include <fstream>
#include <string>

#include <gtest/gtest.h>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tagging_tracking.h>

namespace tool_test {

// Writes the files into `folder`, made if missing; gives the length of cut.recipe.
inline std::size_t write_block_files(const std::filesystem::path& folder) {
  namespace TT = TPI_TAGGING_TRACKING;
  std::filesystem::create_directories(folder);
  TT::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
  BODY* block = nullptr;
  EXPECT_TRUE(TPI_BUILD::make_block(2, 1, 1, block).ok());
  if (block == nullptr) return 0;
  for (std::size_t i = 0; i < block->faces().size(); ++i)
    TT::tag_entity(block->faces()[i], "BLOCK.f" + std::to_string(i), 1);
  std::string model;
  EXPECT_TRUE(TPI_FILE::save_bodies({block}, model).ok());
  std::ofstream(folder / "block.model") << model;
  const std::string edge =
      TT::recipe_text(TT::make_recipe(TT::EDGE_TRACKABLE(block->edges()[0])).get());
  std::ofstream(folder / "edge.recipe") << edge << "\n";
  std::ofstream(folder / "cut.recipe") << edge.substr(0, edge.size() / 2);
  std::ofstream(folder / "face.recipe")
      << TT::recipe_text(TT::make_recipe(TT::FACE_TRACKABLE(block->faces()[0])).get()) << "\n";
  TPI_MODEL::delete_body(block);
  return edge.size() / 2;
}

}  // namespace tool_test
