// Bodies backed by shapes in model files: the shape's own text embedded, entities matched to its
// sub-shapes by index, tags included; a damaged embedded shape is a malformed file.
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

  std::vector<std::string> damaged;
  // Cut inside the embedded shape, keeping its byte count honest.
  const std::string cut = embedded.substr(0, bytes / 2);
  damaged.push_back(text.substr(0, source + 11) + std::to_string(cut.size()) + ":" + cut +
                    text.substr(colon + 1 + bytes));
  // Garbage in place of the shape.
  const std::string junk(bytes, 'x');
  damaged.push_back(text.substr(0, colon + 1) + junk + text.substr(colon + 1 + bytes));
  // A face index past the shape's faces.
  std::string index = text;
  const std::size_t face = index.find("occt-shape 0 1:", colon + bytes);
  ASSERT_NE(face, std::string::npos);
  index.replace(face, 15, "occt-shape 0 2:99");
  damaged.push_back(index);
  // The whole file cut short inside the shape.
  damaged.push_back(text.substr(0, colon + 1 + bytes / 3));
  for (const std::string& file : damaged) {
    std::vector<BODY*> bodies;
    const outcome read = TPI_FILE::restore_bodies(file, bodies);
    EXPECT_FALSE(read.ok());
    EXPECT_NE(read.message().find(':'), std::string::npos) << read.message();
    EXPECT_TRUE(bodies.empty());
  }
}

}  // namespace
