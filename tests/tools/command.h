// Runs the tagtrack command as its users do, keeping what it prints.
#pragma once

#include <cstdio>
#include <string>

namespace tool_test {

struct command_result {
  int status = -1;
  std::string out;
};

// Runs the command with `arguments`, keeping standard output or, with `errors`, standard error.
inline command_result run_command(const std::string& arguments, bool errors) {
  const std::string line = std::string(TAGTRACK_COMMAND) + " " + arguments +
                           (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
  command_result result;
  FILE* pipe = popen(line.c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    result.out.append(buffer, n);
  result.status = pclose(pipe);
  return result;
}

}  // namespace tool_test
