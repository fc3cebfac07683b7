// The tagtrack command: the library's work made readable for the people who adopt it.
#include "tagtrack_command.h"

int main(int argc, char** argv) {
  return tagtrack_tool::run_command(argc, argv);
}
