// Writes the parts that `tagtrack selfcheck` is tried on. Usage: make_parts DIRECTORY
#include <cstdio>

#include <Message.hxx>
#include <Message_Messenger.hxx>

#include "test_parts.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_parts DIRECTORY\n");
    return 2;
  }
  Message::DefaultMessenger()->RemovePrinters(STANDARD_TYPE(Message_Printer));
  if (!test_parts::write_test_parts(argv[1])) {
    std::fprintf(stderr, "make_parts: a part could not be written\n");
    return 1;
  }
  return 0;
}
