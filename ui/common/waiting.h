// A call on the system files that may keep the program waiting (the Linux program's helper, and
// the system's password prompt before it) runs on a thread of its own: the window keeps painting,
// shows that it waits once the wait is more than a moment, and takes no other command meanwhile.
#pragma once

#include <chrono>
#include <future>
#include <string_view>
#include <type_traits>
#include <utility>

#include "ui/common/messages.h"
#include "ui/common/platform_services.h"

namespace ui {

// Whether a wait shows a window once it lasts: not for work the user did not ask for, while the
// program sits in the notification area.
enum class WaitShown { kWindow, kNoWindow };

template <class Work>
std::invoke_result_t<Work> WhileWaiting(PlatformServices& services, const FormView& owner,
                                        std::string_view waiting_text, Work&& work,
                                        WaitShown shown = WaitShown::kWindow) {
  auto result = std::async(std::launch::async, std::forward<Work>(work));
  const std::string text(waiting_text);
  // No Cancel: a helper that does not answer is ended by its own time limit, and the user told.
  const auto poll = [&] {
    const bool ready = result.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
    return ProgressState{.text = text, .done = 0, .total = 0, .finished = ready};
  };
  services.WatchProgress(owner, ProgressWatch{.title = kApplicationTitle,
                                              .poll = poll,
                                              .cancel = {},
                                              .show_window = shown == WaitShown::kWindow,
                                              .wait = [&result](std::chrono::milliseconds most) {
                                                static_cast<void>(result.wait_for(most));
                                              }});
  return result.get();  // a failure thrown there is thrown here
}

template <class Work>
std::invoke_result_t<Work> WhileWaiting(PlatformServices& services, const FormView& owner,
                                        Work&& work, WaitShown shown = WaitShown::kWindow) {
  return WhileWaiting(services, owner, services.Files().WaitingText(), std::forward<Work>(work),
                      shown);
}

}  // namespace ui
