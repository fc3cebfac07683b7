#include <tagtrack/scenario_runner/whole_file.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <unistd.h>

namespace tagtrack::scenarios {

bool write_whole_file(const std::string& path, const std::string& text) {
  const std::string partial = path + ".partial";
  try {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (out && std::rename(partial.c_str(), path.c_str()) == 0) return true;
  } catch (...) {
    std::remove(partial.c_str());
    throw;
  }
  std::remove(partial.c_str());
  return false;
}

namespace {

namespace fs = std::filesystem;

outcome refused(const std::string& path, const std::string& why) {
  return outcome::failure("'" + path + "': " + why);
}

std::string system_words(int error) {
  return std::error_code(error, std::generic_category()).message();
}

}  // namespace

outcome read_whole_file(const std::string& path, std::string& text) {
  std::error_code error;
  const fs::file_status status = fs::status(path, error);
  if (!fs::exists(status)) return refused(path, "no such file");
  if (fs::is_directory(status)) return refused(path, "is a directory");
  if (!fs::is_regular_file(status)) return refused(path, "is not a regular file");
  errno = 0;
  std::ifstream in(path, std::ios::binary);
  if (!in) return refused(path, "cannot be opened: " + system_words(errno));
  std::string read;
  try {
    read.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    return refused(path, "cannot be read: " + system_words(errno));
  }
  if (in.bad()) return refused(path, "cannot be read: " + system_words(errno));
  text = std::move(read);
  return outcome();
}

outcome check_writable_file(const std::string& path) {
  std::error_code error;
  if (fs::is_directory(path, error)) return refused(path, "is a directory");
  fs::path folder = fs::path(path).parent_path();
  if (folder.empty()) folder = ".";
  if (!fs::is_directory(folder, error)) {
    return refused(path, "its folder '" + folder.string() + "' does not exist");
  }
  if (::access(folder.c_str(), W_OK) != 0) {
    return refused(path, "its folder '" + folder.string() + "' is not writable");
  }
  if (fs::exists(path, error) && ::access(path.c_str(), W_OK) != 0) {
    return refused(path, "is not writable");
  }
  return outcome();
}

outcome check_writable_directory(const std::string& path) {
  std::error_code error;
  if (fs::exists(path, error)) {
    if (!fs::is_directory(path, error)) return refused(path, "is not a directory");
    if (::access(path.c_str(), W_OK) != 0) return refused(path, "is not writable");
    return outcome();
  }
  fs::path parent = fs::path(path).parent_path();
  if (parent.empty()) parent = ".";
  while (!parent.empty() && !fs::exists(parent, error)) parent = parent.parent_path();
  if (parent.empty()) parent = ".";
  if (!fs::is_directory(parent, error) || ::access(parent.c_str(), W_OK) != 0) {
    return refused(path, "cannot be made: '" + parent.string() + "' is not a writable folder");
  }
  return outcome();
}

}  // namespace tagtrack::scenarios
