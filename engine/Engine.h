#pragma once
// Our imaging engine, behind the ImagingEngine interface.

#include <memory>

#include "wrapper/ImagingEngine.h"

namespace vexo::engine {

std::unique_ptr<ImagingEngine> CreateImagingEngine();

}  // namespace vexo::engine
