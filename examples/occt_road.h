// The road of one reference on Open CASCADE solids, told as it runs on standard output.
#pragma once

#include "road_observer.h"

namespace boss_demo {

// 0 when the fillet's recipe resolved to the right edge of the regenerated part, 1 otherwise.
int run_road_of_one_reference(const demo_road::road_observer& observer = {});

}  // namespace boss_demo
