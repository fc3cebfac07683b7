// The first-hour application as a program: prints what it does.
#include <cstdio>
#include <string>

#include "first_hour.h"

int main() {
  std::string log;
  const bool ok = first_hour::run(log);
  std::fputs(log.c_str(), stdout);
  std::puts(ok ? "both references found again" : "a reference was lost");
  return ok ? 0 : 1;
}
