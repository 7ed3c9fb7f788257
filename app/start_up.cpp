#include "app/start_up.h"

#include <string>

#include "ui/common/messages.h"
#include "ui/common/waiting.h"

namespace modGetSystemPath {

void Main(app::Application& application) {
  ui::PlatformServices& services = application.services();
  // Loading the window reads the hosts file into its list, before the flag is looked at.
  ui::frmRirAvadera& main = application.Main();
  main.view().Show();
  main.ReportLoad();

  const auto first_run =
      ui::WhileWaiting(services, main.view(), [&] { return services.Files().ReadFirstRun(); });
  if (first_run == "true") {
    // The flag goes off before the list is cleared; if it cannot, the list stays as read.
    if (auto written = ui::WhileWaiting(services, main.view(),
                                        [&] { return services.Files().WriteFirstRun("no"); });
        !written) {
      ui::ShowFailure(services, ui::Failure::kWriteFirstRun, written.error());
      return;
    }
    main.ClearList();
  } else {
    main.MinimizeForm();
  }
}

}  // namespace modGetSystemPath
