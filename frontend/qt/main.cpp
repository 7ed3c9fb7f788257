// rir-avadera: one copy per user, the start-up, then the windows' events until the program ends.
#include <unistd.h>

#include <QSessionManager>
#include <memory>

#include "app/application.h"
#include "app/start_up.h"
#include "helper_client/helper_files.h"
#include "program_style.h"
#include "services.h"
#include "settings/state_file.h"
#include "single_copy.h"
#include "view_factory.h"

namespace {

// Run by root (an administrator's start, a sandbox of its own), the program writes its files
// itself; run by the desktop user, as it is from the menu and at login, it asks its helper.
qtfront::QtServices::Options FilesForThisUser() {
  qtfront::QtServices::Options options;
  if (::geteuid() == 0) {
    return options;
  }
  if (auto folder = settings::ExecutableFolder()) {
    options.files = std::make_shared<helper_client::HelperFiles>(
        helper_client::PkexecCommand(*folder), settings::StateFilePathIn(*folder));
  }
  return options;
}

}  // namespace

int main(int argc, char** argv) {
  qtfront::ProgramApplication qt(argc, argv);
  // The main window hides in the notification area; only the program's own end quits.
  qt.setQuitOnLastWindowClosed(false);
  qtfront::SingleCopy single_copy(qtfront::SingleCopy::NameForUser());
  if (!single_copy.first()) {
    return 0;
  }

  qtfront::QtServices services(FilesForThisUser());
  qtfront::QtViewFactory views(services);
  app::Application application(views, services);
  single_copy.OnAnotherStart([&application] { application.AnotherCopyStarted(); });
#ifndef QT_NO_SESSIONMANAGER
  QObject::connect(&qt, &QGuiApplication::commitDataRequest, &qt,
                   [&application](QSessionManager&) { application.EndSession(); });
#endif
  modGetSystemPath::Main(application);
  if (!application.AnyLoaded()) {
    return 0;
  }
  return qtfront::ProgramApplication::exec();
}
