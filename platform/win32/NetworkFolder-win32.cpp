#include "platform/NetworkFolder.h"

namespace velloran {

// A UNC folder is already a path of this system.
std::string LocalFolderPath(std::string_view folder) { return std::string(folder); }

}  // namespace velloran
