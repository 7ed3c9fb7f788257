// The files that lie beside the program's executable, their paths built anew at every use.
#pragma once

#include <string>

#include "rir/result.h"
#include "settings/state_file.h"
#include "ui/common/platform_services.h"

namespace ui {

rir::Result<settings::StateFile> StateFileBesideProgram(PlatformServices& services);

// The uninstaller that the installer puts beside the program.
std::string UninstallerPathIn(const std::string& folder);

}  // namespace ui
