// The command when memory runs out: with any one allocation of the general heap or of the kernel
// heap failing, each command either gives the answer it gives with memory to spare or stops with
// exit status 1 and the one line "tagtrack: out of memory", having printed no more than the start
// of its answer, and gives back all kernel memory.
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include <tagtrack/kernel/heap.h>

#include "support/failure_points.h"
#include "tagtrack_command.h"
#include "tools/block_files.h"

// This program holds the test build of the library (whose allocation counters the failure points
// arm) beside the engine libraries the command links, which bring the shared library: the commands
// run here use the test build, and the address sanitizer is told that the second copy of the
// library's globals is expected.
extern "C" __attribute__((visibility("default"))) const char* __asan_default_options() {
  return "detect_odr_violation=0";
}

namespace {

namespace fs = std::filesystem;
using test_support::heap;

struct command_run {
  int status = -1;
  std::string out, err;
};

// Runs the command in this process with `arguments`, the n-th allocation of `which` failing (none
// when n is 0).
command_run run(const std::vector<std::string>& arguments, heap which, std::int64_t n) {
  std::vector<std::string> words{"tagtrack"};
  words.insert(words.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  command_run result;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  test_support::fail_allocation_after(which, n);
  result.status = tagtrack_tool::run_command(static_cast<int>(argv.size()), argv.data());
  test_support::fail_allocation_after(which, 0);
  std::fflush(stdout);
  std::fflush(stderr);
  result.out = testing::internal::GetCapturedStdout();
  result.err = testing::internal::GetCapturedStderr();
  return result;
}

class CommandFailurePoints : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder = fs::temp_directory_path() / ("tagtrack_failures_" + std::to_string(::getpid()));
    tool_test::write_block_files(folder);
  }
  static void TearDownTestSuite() { fs::remove_all(folder); }
  static std::string at(const char* name) { return (folder / name).string(); }
  static fs::path folder;
};

fs::path CommandFailurePoints::folder;

TEST_F(CommandFailurePoints, EveryCommandAnswersInFullOrSaysMemoryRanOut) {
  const std::vector<std::vector<std::string>> commands{
      {"recipe", "show", at("edge.recipe")},
      {"recipe", "check", at("cut.recipe")},
      {"model", "show", at("block.model")},
      {"match", "--explain", at("block.model"), at("edge.recipe")},
      {"match", at("block.model"), at("face.recipe")},
  };
  for (const std::vector<std::string>& command : commands) {
    SCOPED_TRACE(testing::PrintToString(command));
    for (const heap which : {heap::general, heap::kernel}) {
      const std::int64_t kernel_blocks = TPK::get_heap_counts().live_blocks;
      const std::int64_t first = test_support::allocations_made(which);
      const command_run answer = run(command, which, 0);
      const std::int64_t points = test_support::allocations_made(which) - first;
      ASSERT_TRUE(answer.err.empty()) << answer.err;
      ASSERT_EQ(TPK::get_heap_counts().live_blocks, kernel_blocks);
      for (std::int64_t n = 1; n <= points; ++n) {
        const command_run failed = run(command, which, n);
        SCOPED_TRACE("failing allocation " + std::to_string(n));
        if (failed.err.empty()) {
          // Open CASCADE and the standard library may take a failure and go another way.
          EXPECT_EQ(failed.status, answer.status);
          EXPECT_EQ(failed.out, answer.out);
        } else {
          EXPECT_EQ(failed.status, 1);
          EXPECT_EQ(failed.err, "tagtrack: out of memory\n");
          EXPECT_EQ(answer.out.compare(0, failed.out.size(), failed.out), 0) << failed.out;
        }
        ASSERT_EQ(TPK::get_heap_counts().live_blocks, kernel_blocks);
      }
    }
  }
}

}  // namespace
