#include "app/start_up.h"

#include <string>

#include "ui/common/messages.h"
#include "ui/common/program_files.h"

namespace modGetSystemPath {

namespace {

// The state file's "firstrun", as stored; a missing file or key reads as "".
std::string ReadFirstRun(ui::PlatformServices& services) {
  const auto state = ui::StateFileBesideProgram(services);
  return state ? state->ReadFirstRun() : std::string();
}

rir::Result<void> WriteFirstRun(ui::PlatformServices& services, const std::string& value) {
  const auto state = ui::StateFileBesideProgram(services);
  if (!state) {
    return state.error();
  }
  return state->WriteFirstRun(value);
}

}  // namespace

void Main(app::Application& application) {
  ui::PlatformServices& services = application.services();
  // Loading the window reads the hosts file into its list, before the flag is looked at.
  ui::frmRirAvadera& main = application.Main();
  main.view().Show();
  main.ReportLoad();

  if (ReadFirstRun(services) == "true") {
    // The flag goes off before the list is cleared; if it cannot, the list stays as read.
    if (auto written = WriteFirstRun(services, "no"); !written) {
      ui::ShowFailure(services, ui::Failure::kWriteFirstRun, written.error());
      return;
    }
    main.ClearList();
  } else {
    main.MinimizeForm();
  }
}

}  // namespace modGetSystemPath
