// Tags in tests: attach them to kernel entities and read them back as short strings.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tagtrack/kernel/kernel.h>
#include <tagtrack/tag_manager/internal/tag_registry.h>
#include <tagtrack/tagging_tracking.h>

namespace test_support {

TPK::tpk_array<char> id(const std::string& text);

// Attaches a tag attribute holding one tag with primary id `primary` to `owner`.
ATTRIB_CUSTOM* tag(ENTITY* owner, const std::string& primary);

// Gives `owner` the tags of `description` (the form tags_from reads): its first tag attribute,
// attached when it has none, is changed through the kernel.
ATTRIB_CUSTOM* set_tags(ENTITY* owner, const std::string& description);

// The tags of the first tag attribute of `owner`, each as "primary/secondary[op,op]"; empty when
// the entity has none.
std::vector<std::string> tags_of(ENTITY* owner);
std::string describe(const TPI_TAGGING_TRACKING::tag_info& tags);

// A tag list from its description: tags separated by blanks, each "primary/secondary[op,op]"
// (the form describe() gives; "/secondary" and "[...]" may be left out).
TPI_TAGGING_TRACKING::tag_info tags_from(const std::string& description);

// Tags each face of `body` with `prefix` and its index in kernel order.
void tag_faces(BODY* body, const std::string& prefix);
// Tags each face of a block with its name: BOTTOM, TOP, FRONT, RIGHT, BACK, LEFT.
void name_faces(BODY* block);

// The first tag attribute of `owner`, or null.
ATTRIB_CUSTOM* tag_attrib_of(ENTITY* owner);

// The registry as "tags -> number of attributes" lines, in key order.
std::vector<std::string> registry_summary();

// A tag attribute definition of another kind than the tag attribute's own.
struct other_tag_def : TPI_ANNO::tag_attrib_def {
  const char* type_name() const override { return "other_tag_def"; }
  TPI_CUSTOM_ENTITY::entity_def* copy_for_backup() const override {
    return new other_tag_def(*this);
  }
  TPI_CUSTOM_ENTITY::entity_def* copy(const TPI_CUSTOM_ENTITY::copy_context&) const override {
    return new other_tag_def(*this);
  }
};

// Restores the process-wide tag state that tests change: the manager off and empty, no callback.
struct tag_state_guard {
  tag_state_guard();
  ~tag_state_guard();
};

// The fixture of tests that change the tag state.
struct tag_test : ::testing::Test {
  tag_state_guard guard;
};

}  // namespace test_support
