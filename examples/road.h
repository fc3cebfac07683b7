// The road of one reference on the reference kernel, told as it runs on standard output.
#pragma once

#include "road_observer.h"

namespace feature_demo {

// 0 when the recipe resolved to the right edge of the regenerated model, 1 otherwise.
int run_road_of_one_reference(const demo_road::road_observer& observer = {});

}  // namespace feature_demo
