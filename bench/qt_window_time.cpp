// How long the Linux program takes from the start of its process until its main window has
// painted the list of a given hosts file, and how much memory it holds then.
//
//   qt_window_time HOSTS
//
// Runs the program's own start-up, windows and services in this process on the current Qt
// platform (xcb on a display, offscreen otherwise), with HOSTS as the hosts file and no state
// file, so this is a later run that goes to the tray. The login window stands in for the tray
// icon and is answered at once (no password is set), which shows the main window. Prints one
// line: milliseconds since the process started, resident and peak resident memory in MB, rows,
// then the milliseconds that adding, allowing and removing one entry take until repainted.
#include <time.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QPushButton>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app/application.h"
#include "app/start_up.h"
#include "process_memory.h"
#include "program_style.h"
#include "services.h"
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"
#include "view_factory.h"

namespace {

// Seconds since boot at which this process started.
double ProcessStart() {
  std::ifstream stat("/proc/self/stat");
  std::string text;
  std::getline(stat, text);  // one line
  // The fields after the command name, which is in parentheses and may hold blanks.
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  for (int number = 3; number <= 22 && fields >> field; ++number) {
  }
  return std::stod(field) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

double SecondsSinceBoot() {
  timespec now{};
  clock_gettime(CLOCK_BOOTTIME, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// A line of /proc/self/status in MB ("VmRSS", "VmHWM").
// Notes the first paint of the list once it shows rows.
class FirstPaint final : public QObject {
 public:
  explicit FirstPaint(double start) : start_(start) {}
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && painted_ < 0) {
      painted_ = SecondsSinceBoot() - start_;
      QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    }
    return QObject::eventFilter(watched, event);
  }
  double painted() const { return painted_; }

 private:
  double start_;
  double painted_ = -1;
};

}  // namespace

int main(int argc, char** argv) {
  const double start = ProcessStart();
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s HOSTS\n", argv[0]);
    return 2;
  }
  const std::string hosts = argv[1];
  qtfront::ProgramApplication qt(argc, argv);
  qt.setQuitOnLastWindowClosed(false);

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qt-window-time-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  qtfront::QtServices services({.answer_message_boxes = {},
                                .executable_folder = folder.string(),
                                .notification_area = false});
  qtfront::QtViewFactory views(services);
  app::Application application(views, services, hostsfile::HostsStore(hosts));
  modGetSystemPath::Main(application);  // the login window stands in for the tray icon

  FirstPaint first_paint(start);
  QTimer::singleShot(0, [&] {
    auto* main = QWidget::find(static_cast<WId>(application.Main().view().hWnd()));
    auto* list = main->findChild<QTreeView*>(QStringLiteral("lvwWebsites"));
    list->viewport()->installEventFilter(&first_paint);
    application.Login().cmdLogin_Click();
  });
  QApplication::exec();

  const auto rows = application.Main().lvwWebsites().size();
  const double rss = bench::MemoryMb("VmRSS");
  const double peak = bench::MemoryMb("VmHWM");

  // One edit of each kind, as the user makes it, until the window has repainted.
  ui::frmRirAvadera& form = application.Main();
  const auto timed_ms = [](auto edit) {
    const double before = SecondsSinceBoot();
    edit();
    QApplication::processEvents();
    return (SecondsSinceBoot() - before) * 1000;
  };
  const double add_ms = timed_ms([&] {
    form.view().SetWebsiteText("added.example");
    form.txtWebsite_KeyDown(ui::kKeyEnter, 0);
  });
  const double allow_ms = timed_ms([&] { form.imgAllow_Click(); });
  const double remove_ms = timed_ms([&] { form.mmuRemoveSite_Click(); });
  std::printf(
      "window_ms=%.0f rss_mb=%.1f peak_rss_mb=%.1f rows=%zu add_ms=%.1f allow_ms=%.1f "
      "remove_ms=%.1f\n",
      first_paint.painted() * 1000, rss, peak, rows, add_ms, allow_ms, remove_ms);
  std::filesystem::remove_all(folder);
  return 0;
}
