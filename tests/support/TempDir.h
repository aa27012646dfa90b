#pragma once
// A fresh folder under the system's temporary folder, removed with everything
// in it when the object goes. Shared by every test executable.

#include <filesystem>
#include <string>

namespace vexo::test {

class TempDir {
 public:
  TempDir();  // throws std::system_error when no folder can be made
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  ~TempDir();

  const std::filesystem::path& Path() const { return path_; }
  // The path of `name` inside the folder.
  std::string File(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

}  // namespace vexo::test
