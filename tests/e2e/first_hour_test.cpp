// The first-hour application, run as a user would run it, through the shared library only.
#include <string>

#include <gtest/gtest.h>

#include "first_hour.h"

namespace {

// The fillet edge is the top's front edge, from the origin's corner along the width, at the top's
// height; the sketch face is a piece of the cut top, so it carries the top's tag.
TEST(FirstHour, BothReferencesAreFoundAfterRestoreAndRegeneration) {
  std::string log;
  EXPECT_TRUE(first_hour::run(log)) << log;
  EXPECT_NE(log.find("restored from its model file: the fillet edge is (0 0 1)-(4 0 1); the "
                     "sketch face is PAD1.top/"),
            std::string::npos)
      << log;
  EXPECT_NE(log.find("regenerated 6 x 3 x 2: the fillet edge is (0 0 2)-(6 0 2); the sketch face "
                     "is PAD1.top/"),
            std::string::npos)
      << log;
}

}  // namespace
