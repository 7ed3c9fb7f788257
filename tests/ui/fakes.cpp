#include "fakes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <thread>

#include "fake_block_check.h"
#include "ui/common/system_block_check.h"
#include "ui/lock/lock_form.h"
#include "ui/password/password_form.h"

namespace fakes {

std::vector<std::string> FakeMainView::Rows() const {
  std::vector<std::string> rows;
  if (list != nullptr) {
    const std::size_t count = shown_rows != nullptr ? shown_rows->size(*list) : list->size();
    for (std::size_t row = 0; row < count; ++row) {
      const blocklist::Entry entry =
          (*list)[shown_rows != nullptr ? shown_rows->Position(row) : row];
      rows.push_back(std::string(entry.website) + "\t" +
                     (statuses != nullptr ? statuses->Text(entry)
                                          : std::string(blocklist::StatusText(entry.status))));
    }
  }
  return rows;
}

void FakePasswordView::ShowModal() {
  Note("show modal");
  if (user_) {
    user_(forms_.Password());
  }
  forms_.Unload(ui::FormId::kPassword);
}

void FakeLockView::ShowModal() {
  Note("show modal");
  if (user_) {
    user_(forms_.Lock());
  }
  forms_.Unload(ui::FormId::kLock, ui::UnloadMode::kControlMenu);
}

void FakeScheduleView::ShowModal() {
  Note("show modal");
  forms_.Unload(ui::FormId::kSchedule, ui::UnloadMode::kControlMenu);
}

std::unique_ptr<ui::MainView> FakeViewFactory::CreateMainView(ui::Forms& /*forms*/) {
  auto view = std::make_unique<FakeMainView>(log_);
  main = view.get();
  return view;
}

std::unique_ptr<ui::LoginView> FakeViewFactory::CreateLoginView(ui::Forms& /*forms*/) {
  auto view = std::make_unique<FakeLoginView>(log_);
  login = view.get();
  ++login_loads;
  return view;
}

std::unique_ptr<ui::PasswordView> FakeViewFactory::CreatePasswordView(ui::Forms& forms) {
  auto view = std::make_unique<FakePasswordView>(log_, forms, password_user);
  password = view.get();
  ++password_loads;
  return view;
}

std::unique_ptr<ui::LockView> FakeViewFactory::CreateLockView(ui::Forms& forms) {
  auto view = std::make_unique<FakeLockView>(log_, forms, lock_user);
  lock = view.get();
  ++lock_loads;
  return view;
}

std::unique_ptr<ui::ScheduleView> FakeViewFactory::CreateScheduleView(ui::Forms& forms) {
  auto view = std::make_unique<FakeScheduleView>(log_, forms);
  schedule = view.get();
  return view;
}

ui::MsgBoxResult FakeServices::MsgBox(std::string_view text, std::string_view caption,
                                      ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon) {
  boxes.push_back(ShownBox{std::string(text), std::string(caption), buttons, icon});
  log_.push_back("box: " + std::string(text));
  if (buttons == ui::MsgBoxButtons::kOk) {
    return ui::MsgBoxResult::kOk;
  }
  if (answers.empty()) {
    ADD_FAILURE() << "nobody answers the question \"" << text << "\"";
    return ui::MsgBoxResult::kNo;
  }
  const ui::MsgBoxResult answer = answers.front();
  answers.pop_front();
  return answer;
}

// As the shell does: one icon per window and identifier; a second add is refused.
void FakeServices::ShellNotifyIcon(ui::TrayRequest request, const ui::TrayRecord& record) {
  const auto key = std::make_pair(record.hWnd, record.uID);
  if (request == ui::TrayRequest::kAdd) {
    if (record.hWnd != 0 && icons.emplace(key, record).second) {
      log_.push_back("tray add");
    }
  } else if (icons.erase(key) > 0) {
    log_.push_back("tray delete");
  }
}

void FakeServices::SetForegroundWindow(const ui::FormView& window) {
  const char* name = window.hWnd() == kMainHandle    ? "main"
                     : window.hWnd() == kLoginHandle ? "login"
                                                     : "password";
  log_.push_back(std::string("foreground ") + name);
}

// Like the platform: a program that is not there cannot be started.
rir::Result<void> FakeServices::StartProgram(const std::string& path, ui::WindowStyle style) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(path, error)) {
    return rir::Error{rir::ErrorCode::kStartProgram, path, rir::SystemReason(2)};
  }
  started.emplace_back(path, style);
  log_.push_back("start " + path);
  return {};
}

std::unique_ptr<ui::BlockCheckRun> FakeServices::StartBlockCheck(std::vector<std::string> names,
                                                                 std::size_t first_other,
                                                                 const std::string& hosts_path) {
  checks.emplace_back(names, hosts_path);
  log_.push_back("check blocking");
  if (system_check) {
    return ui::StartSystemBlockCheck(std::move(names), first_other, hosts_path);
  }
  return std::make_unique<testsupport::FakeBlockCheck>(names, leaking,
                                                       cancel_after.value_or(SIZE_MAX), summary);
}

void FakeServices::WatchProgress(const ui::FormView& /*owner*/, const ui::ProgressWatch& watch) {
  // An import runs to its end, unless the user cancels it at once.
  if (watch.title == ui::kImportTitle) {
    if (cancel_imports) {
      watch.cancel();
    }
    while (!watch.poll().finished) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return;
  }
  // A wait that nobody can stop, or a real check: looked at until it ends.
  if (!watch.cancel || system_check) {
    ui::ProgressState state = watch.poll();
    (watch.cancel        ? progress_texts
     : watch.show_window ? wait_texts
                         : unseen_waits)
        .push_back(state.text);
    for (; !state.finished; state = watch.poll()) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return;
  }
  for (int looks = 0; looks < 3; ++looks) {
    const ui::ProgressState state = watch.poll();
    progress_texts.push_back(state.text);
    if (state.finished) {
      return;
    }
    watch.cancel();
  }
  ADD_FAILURE() << "the task goes on after Cancel";
}

std::unique_ptr<ui::Repeating> FakeServices::Every(std::chrono::milliseconds /*interval*/,
                                                   std::function<void()> tick) {
  return repeats.Add(std::move(tick));
}

ui::ListAnswer FakeServices::ChooseFromList(const ui::FormView& owner,
                                            const ui::ListChoice& choice) {
  choices.push_back(ShownChoice{
      owner.hWnd(), std::string(choice.title), std::string(choice.prompt),
      std::string(choice.choose_button), std::string(choice.cancel_button),
      std::vector<std::string>(choice.columns.begin(), choice.columns.end()), choice.rows,
      choice.selectable, choice.multiple, std::string(choice.other_button)});
  log_.push_back("choose: " + std::string(choice.title));
  if (while_choosing) {
    while_choosing();
  }
  if (picks.empty()) {
    ADD_FAILURE() << "nobody answers the chooser \"" << choice.title << "\"";
    return {};
  }
  ui::ListAnswer answer = std::move(picks.front());
  picks.pop_front();
  for (const std::size_t row : answer.rows) {
    EXPECT_TRUE(row < choice.rows.size() && choice.Selectable(row)) << "row " << row;
  }
  return answer;
}

void FakeServices::EndProgram() {
  ++ends;
  log_.push_back("end");
}

}  // namespace fakes
