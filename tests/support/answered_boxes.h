// Message boxes answered by a test that runs a program's real windows: each box shown is kept,
// and its answer is the next one queued, or else OK (No for a question).
#pragma once

#include <algorithm>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "ui/common/platform_services.h"

namespace testsupport {

struct ShownBox {
  std::string text;
  std::string caption;
  ui::MsgBoxButtons buttons;
  ui::MsgBoxIcon icon;
};

class AnsweredBoxes {
 public:
  std::vector<ShownBox> boxes;
  std::deque<ui::MsgBoxResult> answers;  // the next message boxes' answers; then OK or No

  ui::MsgBoxResult Answer(std::string_view text, std::string_view caption,
                          ui::MsgBoxButtons buttons, ui::MsgBoxIcon icon) {
    boxes.push_back({std::string(text), std::string(caption), buttons, icon});
    if (!answers.empty()) {
      const ui::MsgBoxResult answer = answers.front();
      answers.pop_front();
      return answer;
    }
    return buttons == ui::MsgBoxButtons::kYesNo ? ui::MsgBoxResult::kNo : ui::MsgBoxResult::kOk;
  }

  // The number of boxes whose text holds `text`.
  std::size_t BoxesWith(std::string_view text) const {
    return static_cast<std::size_t>(std::count_if(
        boxes.begin(), boxes.end(),
        [&](const ShownBox& box) { return box.text.find(text) != std::string::npos; }));
  }
};

}  // namespace testsupport
