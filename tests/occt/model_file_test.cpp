// Bodies backed by shapes in model files: the shape's own text embedded, entities matched to its
// sub-shapes by index, tags included; a damaged embedded shape is a malformed file.
#include <cstdint>
#include <cstdio>
#include <utility>

#include <gtest/gtest.h>

#include <tagtrack/kernel/file/model_file.h>
#include <tagtrack/occt/operations.h>

#include "occt/shapes.h"
#include "support/tags.h"

namespace {

using namespace occt_test;

struct OcctModelFile : test_support::tag_test {
  void SetUp() override {
    TPI_TAGGING_TRACKING::generic_tag_attrib_def_savres::set_savres_def("generic_tag_attrib_def");
  }
  occt_stream scratch;
};

TEST_F(OcctModelFile, SavesAndRestoresShapeTopologyAndTags) {
  BODY* block = body_of(box(0, 0, 0, 10, 10, 2));
  ASSERT_TRUE(TPI_OCCT::fuse(block, body_of(cylinder(5, 5, 2, 2, 3))).ok());
  for (std::size_t i = 0; i < block->faces().size(); ++i) {
    test_support::tag(block->faces()[i], "F" + std::to_string(i));
  }
  std::string text;
  ASSERT_TRUE(TPI_FILE::save_bodies({block}, text).ok());

  std::vector<BODY*> restored;
  const outcome read = TPI_FILE::restore_bodies(text, restored);
  ASSERT_TRUE(read.ok()) << read.message();
  ASSERT_EQ(restored.size(), 1u);
  BODY* copy = restored[0];
  imported().push_back(copy);
  EXPECT_EQ(count(TPI_OCCT::shape_of(copy), TopAbs_FACE),
            count(TPI_OCCT::shape_of(block), TopAbs_FACE));
  ASSERT_EQ(copy->faces().size(), block->faces().size());
  const TPI_OCCT::shape_entities entities(copy);
  for (std::size_t i = 0; i < copy->faces().size(); ++i) {
    EXPECT_EQ(test_support::tags_of(copy->faces()[i]), test_support::tags_of(block->faces()[i]));
    EXPECT_EQ(entities.face(TPI_OCCT::face_shape(copy->faces()[i])), copy->faces()[i]);
  }
  for (VERTEX* v : copy->vertices()) EXPECT_EQ(entities.vertex(TPI_OCCT::vertex_shape(v)), v);
  // An edge of the restored body goes on working with the algorithms.
  EXPECT_TRUE(TPI_OCCT::fillet({edge_at(copy, {7, 5, 5})}, 0.3).ok());

  std::string again;
  ASSERT_TRUE(TPI_FILE::save_bodies(std::vector<BODY*>{restored[0]}, again).ok());
  std::vector<BODY*> unchanged;
  // Saving what was restored, before the fillet, gives the same text.
  std::string before_fillet;
  ASSERT_TRUE(TPI_FILE::restore_bodies(text, unchanged).ok());
  imported().push_back(unchanged[0]);
  ASSERT_TRUE(TPI_FILE::save_bodies({unchanged[0]}, before_fillet).ok());
  EXPECT_EQ(before_fillet, text);
}

TEST_F(OcctModelFile, ADamagedEmbeddedShapeIsAMalformedFile) {
  BODY* block = body_of(box(0, 0, 0, 1, 1, 1));
  std::string text;
  ASSERT_TRUE(TPI_FILE::save_bodies({block}, text).ok());
  const std::size_t source = text.find("occt-shape ");
  ASSERT_NE(source, std::string::npos);
  const std::size_t colon = text.find(':', source);
  const std::size_t bytes = std::stoul(text.substr(source + 11, colon - source - 11));
  const std::string embedded = text.substr(colon + 1, bytes);

  // Each damaged file with the reason it must be refused for.
  std::vector<std::pair<std::string, std::string>> damaged;
  const auto with_source = [&](const std::string& shape_text) {
    return text.substr(0, source + 11) + std::to_string(shape_text.size()) + ":" + shape_text +
           text.substr(colon + 1 + bytes);
  };
  const std::string wrong_sum = "check sum does not match";
  // Cut inside the embedded shape, keeping its byte count honest; garbage in its place.
  damaged.emplace_back(with_source(embedded.substr(0, bytes / 2)), wrong_sum);
  damaged.emplace_back(with_source(std::string(bytes, 'x')), wrong_sum);
  // Garbage that carries its own check sum reaches Open CASCADE's reader, which makes nothing of
  // it.
  const std::string signed_junk = "not a shape at all";
  std::uint64_t sum = 14695981039346656037ull;  // FNV-1a, 64 bits
  for (const char c : signed_junk) sum = (sum ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char hex[17];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(sum));
  damaged.emplace_back(with_source(std::string(hex) + "\n" + signed_junk),
                       "the embedded shape is malformed or truncated");
  // An edge index past the shape's edges, and one that is no number.
  const std::size_t edge = text.find("occt-shape 0 ", colon + bytes);
  ASSERT_NE(edge, std::string::npos);
  const std::size_t index_end = text.find_first_of(" \n", edge + 13);
  damaged.emplace_back(text.substr(0, edge + 13) + "2:99" + text.substr(index_end),
                       "an index is out of the shape's range");
  damaged.emplace_back(text.substr(0, edge + 13) + "1:x" + text.substr(index_end),
                       "an index is not a number");
  // The whole file cut short inside the shape.
  damaged.emplace_back(text.substr(0, colon + 1 + bytes / 3), "runs past the end of the text");
  for (const auto& [file, reason] : damaged) {
    std::vector<BODY*> bodies;
    const outcome read = TPI_FILE::restore_bodies(file, bodies);
    EXPECT_FALSE(read.ok());
    EXPECT_NE(read.message().find(reason), std::string::npos) << read.message();
    EXPECT_TRUE(bodies.empty());
  }
}

}  // namespace
