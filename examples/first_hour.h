// The first-hour application, as a function that the example program and the tests both run.
#pragma once

#include <string>

namespace first_hour {

// Runs the application, appending what it does to `log`, one line per step; true when both
// references were found again, exactly once, after the restore and after the regeneration.
bool run(std::string& log);

}  // namespace first_hour
