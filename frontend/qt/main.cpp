// rir-avadera: one copy per user, the start-up, then the windows' events until the program ends.
#include <QSessionManager>

#include "app/application.h"
#include "app/start_up.h"
#include "program_style.h"
#include "services.h"
#include "single_copy.h"
#include "view_factory.h"

int main(int argc, char** argv) {
  qtfront::ProgramApplication qt(argc, argv);
  // The main window hides in the notification area; only the program's own end quits.
  qt.setQuitOnLastWindowClosed(false);
  qtfront::SingleCopy single_copy(qtfront::SingleCopy::NameForUser());
  if (!single_copy.first()) {
    return 0;
  }

  qtfront::QtServices services;
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
