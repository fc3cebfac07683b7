// The tagtrack command as a function, so that it can run inside another program (the tests run it
// at every allocation failure).
#pragma once

namespace tagtrack_tool {

// Parses `argv` (argv[0] the program's name), runs the subcommand it names and gives the exit
// status: 0 on success, 1 when the input is refused or memory runs out, 2 for a malformed command
// line. Answers go to standard output; refusals are one line on standard error.
int run_command(int argc, char** argv);

}  // namespace tagtrack_tool
