#include "app/RunDriver.h"

#include <iostream>

#include "Common/Version.h"

namespace vexo {

int RunModule(int, char**) {
  std::cout << "Velmora Barcode Module " << Common::kVersionString << "." << std::endl;
  return 1;
}

}  // namespace vexo
