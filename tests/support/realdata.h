// Paths of the build machine that CMake bakes into the tests: the sample files written by other
// programs are kept beside the repository, never inside it.
#pragma once

#include <filesystem>
#include <string>
#include <system_error>

// A path of the build machine as this program sees it: under Wine its root folder is drive Z:.
inline std::filesystem::path BuildMachinePath(std::string path) {
#ifdef _WIN32
  if (!path.empty() && path[0] == '/') path = "Z:" + path;
  for (char &c : path) c = c == '/' ? '\\' : c;
#endif
  return std::filesystem::path(path);
}

#ifdef ORVALIS_REALDATA_DIR
// The sample file at relative, or an empty path when it is not there (tests skip then).
inline std::filesystem::path RealdataFile(const char *relative) {
  std::filesystem::path file = BuildMachinePath(ORVALIS_REALDATA_DIR) / relative;
  std::error_code error;
  return std::filesystem::is_regular_file(file, error) ? file : std::filesystem::path();
}
#endif
