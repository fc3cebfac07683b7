// The tag registry: what activation, registration and unregistration record.
#include <gtest/gtest.h>

#include "support/models.h"
#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::tag_registry;
using strings = std::vector<std::string>;

namespace {

using TagRegistry = tag_test;

TEST_F(TagRegistry, RecordsOnlyWhileActiveStartsEmptyEachTimeAndKeepsUnregisteredEntries) {
  body_ptr b = block();
  ATTRIB_CUSTOM* a = tag(b->faces()[0], "A");
  ATTRIB_CUSTOM* other = tag(b->faces()[1], "B");
  tag_registry& registry = tag_registry::instance();
  registry.register_attrib(a);
  EXPECT_TRUE(registry_summary().empty());
  TPI_TAGGING_TRACKING::activateTagManager(true);
  registry.register_attrib(a);
  registry.register_attrib(a);  // twice: one handle
  registry.register_attrib(nullptr);
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 1"});
  TPI_TAGGING_TRACKING::activateTagManager(true);
  EXPECT_TRUE(registry_summary().empty());
  EXPECT_TRUE(registry.active());

  // Unregistering keeps the entry and ignores lists it has no entry for.
  registry.register_attrib(a);
  registry.unregister_attrib(other);  // no entry for B
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 1"});
  registry.unregister_attrib(a);
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 0"});
  // Found by its handle, even when its list changed outside the notifications: the registry never
  // keeps an attribute it was told to let go.
  registry.register_attrib(a);
  static_cast<TPI_TAGGING_TRACKING::generic_tag_attrib_def*>(a->def())->prepend_operation_id(4,
                                                                                             false);
  registry.unregister_attrib(a);
  EXPECT_EQ(registry_summary(), strings{"A/0[] -> 0"});
  TPI_TAGGING_TRACKING::activateTagManager(false);
  EXPECT_FALSE(registry.active());
}

TEST_F(TagRegistry, EqualListsShareAnEntryInListOrder) {
  body_ptr b = block();
  TPI_TAGGING_TRACKING::activateTagManager(true);
  tag_registry& registry = tag_registry::instance();
  for (std::size_t i = 0; i < 3; ++i) registry.register_attrib(tag(b->faces()[i], "LONG"));
  registry.register_attrib(tag(b->faces()[3], "Z"));
  registry.register_attrib(tag(b->faces()[4], "AA"));
  EXPECT_EQ(registry_summary(), (strings{"Z/0[] -> 1", "AA/0[] -> 1", "LONG/0[] -> 3"}));
}

}  // namespace
