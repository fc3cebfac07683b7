// The copy-attribute callback slot and the tag attribute's copyable().
#include <gtest/gtest.h>

#include "support/tags.h"

using namespace test_support;
using TPI_TAGGING_TRACKING::generic_tag_attrib_def;
using TPI_TAGGING_TRACKING::TPK_COPY_ATTRIB_CB;

namespace {

struct answer : TPK_COPY_ATTRIB_CB {
  explicit answer(int mode) : mode(mode) {}
  bool copy_attrib_with_owner(const ENTITY* owner, bool& allow) override {
    saw_owner = owner;
    if (mode == 0) allow = false;  // veto, whatever we return
    return mode == 0;              // mode 1 leaves allow untouched and says false
  }
  int mode;
  const ENTITY* saw_owner = reinterpret_cast<const ENTITY*>(1);
};

TEST(CopyCallback, TheRegisteredCallbackDecidesCopyable) {
  tag_state_guard guard;
  generic_tag_attrib_def def;
  EXPECT_TRUE(def.copyable());
  answer veto(0), silent(1);
  TPK_COPY_ATTRIB_CB plain;
  ASSERT_TRUE(TPI_TAGGING_TRACKING::register_callback(veto));
  EXPECT_FALSE(def.copyable());
  EXPECT_EQ(veto.saw_owner, nullptr);
  TPI_TAGGING_TRACKING::register_callback(silent);
  EXPECT_TRUE(def.copyable());
  TPI_TAGGING_TRACKING::register_callback(plain);
  EXPECT_TRUE(def.copyable());
}

TEST(CopyCallback, UnregisteringAlwaysEmptiesTheSlot) {
  tag_state_guard guard;
  answer a(0), b(0);
  generic_tag_attrib_def def;
  EXPECT_FALSE(TPI_TAGGING_TRACKING::unregister_callback(a));  // empty slot
  TPI_TAGGING_TRACKING::register_callback(a);
  TPI_TAGGING_TRACKING::register_callback(b);
  EXPECT_FALSE(TPI_TAGGING_TRACKING::unregister_callback(a));  // b was registered
  EXPECT_TRUE(def.copyable());                                 // and is gone too
  TPI_TAGGING_TRACKING::register_callback(b);
  EXPECT_TRUE(TPI_TAGGING_TRACKING::unregister_callback(b));
}

}  // namespace
