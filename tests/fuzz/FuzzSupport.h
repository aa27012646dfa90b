#pragma once
// Small helpers shared by the fuzz targets and their replay driver.

#include <cstddef>
#include <cstdint>
#include <string>

namespace vexo::fuzz {

// Creates (once) the target's scratch folder with the small image that the
// request seeds name as "/tmp/velmora-fuzz/page.png", and returns the folder.
std::string PrepareWorkDir();
bool WriteFile(const std::string& path, const std::uint8_t* data, std::size_t size);

}  // namespace vexo::fuzz
