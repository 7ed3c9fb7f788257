// The blocking check as both programs run it: the system's own resolver, on threads of the
// check's own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "ui/common/platform_services.h"

namespace ui {

std::unique_ptr<BlockCheckRun> StartSystemBlockCheck(std::vector<std::string> names,
                                                     std::size_t first_other,
                                                     const std::string& hosts_path);

}  // namespace ui
