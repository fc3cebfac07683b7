#include <tagtrack/scenario_runner/whole_file.h>

#include <cstdio>
#include <fstream>

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

}  // namespace tagtrack::scenarios
