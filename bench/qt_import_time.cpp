// How long the Linux program takes, in one process of its own, to import a list of names into an
// empty list until the rows are painted, to apply it, and to narrow the list as one more letter
// is typed into the find box; and how much memory the import takes.
//
//   qt_import_time LIST HOSTS
//
// Runs the program's own start-up, windows and services on the current Qt platform, with HOSTS
// (an empty file) as the hosts file, written by this process itself. The file chooser is
// answered with LIST as soon as it is up; message boxes are answered at once. Prints one line:
//   import_ms  from the file chosen until the list has painted its rows
//   apply_ms   from Apply until the file is written and the window shows the restart notice
//              (the check that follows is not run)
//   apply_peak_mb  the resident memory the Apply added at its peak
//   import_peak_mb  the resident memory the import added at its peak
//   find1_ms, find2_ms  a first letter, then one more, until the rows are painted
#include <time.h>
#include <unistd.h>

#include <QApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QTimer>
#include <QTreeView>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <utility>

#include "app/application.h"
#include "app/start_up.h"
#include "process_memory.h"
#include "program_style.h"
#include "services.h"
#include "ui/login/login_form.h"
#include "ui/main/main_form.h"
#include "view_factory.h"

namespace {

double Now() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

// The peak resident memory starts again from what is resident now.
void ResetPeak() {
  std::ofstream("/proc/self/clear_refs") << "5";
}

// Notes when the list next paints, once `ready` holds: a paint of the old rows, as when the
// progress window goes over them, is not the import's.
class PaintWatch final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint && painted_ < 0 && (!ready_ || ready_())) {
      painted_ = Now();
    }
    return QObject::eventFilter(watched, event);
  }
  void Arm(std::function<bool()> ready = {}) {
    painted_ = -1;
    ready_ = std::move(ready);
  }
  // Seconds from `start` until the next paint.
  double Await(double start) {
    while (painted_ < 0) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    }
    return painted_ - start;
  }

 private:
  double painted_ = -1;
  std::function<bool()> ready_;
};

// Notes when a control is shown.
class ShowWatch final : public QObject {
 public:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Show && shown_ < 0) {
      shown_ = Now();
    }
    return QObject::eventFilter(watched, event);
  }
  double shown() const { return shown_; }

 private:
  double shown_ = -1;
};

class NoCheck final : public ui::BlockCheckRun {
 public:
  blockcheck::BlockCheckProgress progress() const override {
    blockcheck::BlockCheckProgress done;
    done.finished = true;
    return done;
  }
  void Cancel() override {}
  std::vector<blockcheck::Leak> Leaks() const override { return {}; }
};

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s LIST HOSTS\n", argv[0]);
    return 2;
  }
  const std::string list = std::filesystem::absolute(argv[1]).string();
  const std::string hosts = argv[2];
  qtfront::ProgramApplication qt(argc, argv);
  qt.setQuitOnLastWindowClosed(false);

  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("qt-import-time-" + std::to_string(getpid()));
  std::filesystem::create_directories(folder);
  qtfront::QtServices services(
      {.answer_message_boxes = [](std::string_view, std::string_view, ui::MsgBoxButtons,
                                  ui::MsgBoxIcon) { return ui::MsgBoxResult::kOk; },
       .executable_folder = folder.string(),
       .start_block_check = [](const std::vector<std::string>& /*names*/,
                               const std::string&) { return std::make_unique<NoCheck>(); },
       .notification_area = false});
  qtfront::QtViewFactory views(services);
  app::Application application(views, services, hostsfile::HostsStore(hosts));
  modGetSystemPath::Main(application);
  application.Login().cmdLogin_Click();
  QApplication::processEvents();

  ui::frmRirAvadera& form = application.Main();
  auto* main = QWidget::find(static_cast<WId>(form.view().hWnd()));
  auto* rows = main->findChild<QTreeView*>(QStringLiteral("lvwWebsites"));
  auto* find = main->findChild<QLineEdit*>(QStringLiteral("txtFind"));
  PaintWatch paints;
  rows->viewport()->installEventFilter(&paints);

  // The file chooser is answered as soon as it is up; the import starts there.
  double chosen = -1;
  double rss_before = 0;
  QTimer answer;
  QObject::connect(&answer, &QTimer::timeout, [&] {
    if (auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) {
      answer.stop();
      dialog->selectFile(QString::fromStdString(list));
      paints.Arm([rows] { return rows->model()->rowCount() > 0; });  // the hosts file is empty
      // From here: the file chooser's own code and caches are not the import's.
      rss_before = bench::MemoryMb("VmRSS");
      ResetPeak();
      chosen = Now();
      // QFileDialog keeps its accept() protected; QDialog's is public, and it is the same call.
      static_cast<QDialog*>(dialog)->accept();
    }
  });
  answer.start(5);
  form.mmuImport_Click();
  const double import_ms = paints.Await(chosen) * 1000;
  const double import_peak = bench::MemoryMb("VmHWM") - rss_before;

  ShowWatch notice;
  main->findChild<QLabel*>(QStringLiteral("lblMessage"))->installEventFilter(&notice);
  const double rss_before_apply = bench::MemoryMb("VmRSS");
  ResetPeak();
  const double apply_start = Now();
  form.imgApply_Click();
  const double apply_ms = (notice.shown() - apply_start) * 1000;
  const double apply_peak = bench::MemoryMb("VmHWM") - rss_before_apply;

  const auto type = [&](const QString& text) {
    paints.Arm();
    const double start = Now();
    find->setText(text);
    return paints.Await(start) * 1000;
  };
  const double find1_ms = type(QStringLiteral("e"));
  const double find2_ms = type(QStringLiteral("ex"));
  std::printf(
      "import_ms=%.0f rows=%zu apply_ms=%.0f import_peak_mb=%.1f apply_peak_mb=%.1f list_mb=%.1f "
      "hosts_mb=%.1f "
      "find1_ms=%.1f find2_ms=%.1f shown=%d\n",
      import_ms, form.lvwWebsites().size(), apply_ms, import_peak, apply_peak,
      static_cast<double>(std::filesystem::file_size(list)) / 1048576.0,
      static_cast<double>(std::filesystem::file_size(hosts)) / 1048576.0, find1_ms, find2_ms,
      rows->model()->rowCount());
  std::filesystem::remove_all(folder);
  return 0;
}
