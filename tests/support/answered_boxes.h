// Message boxes answered by a test that runs a program's real windows: each box shown is kept,
// and its answer is the next one queued, or else OK (No for a question). The file chooser is
// answered the same way: the next path queued, or else cancelled.
#pragma once

#include <algorithm>
#include <deque>
#include <optional>
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

struct ShownFileChoice {
  ui::FileChoice::Kind kind;
  std::string title;
  std::string file_name;
};

class AnsweredBoxes {
 public:
  std::vector<ShownFileChoice> file_choices;
  std::deque<std::optional<std::string>> file_answers;  // the next choosers' paths; none: cancel

  // The next file chooser picks `path` (this system's 8-bit text), or is cancelled.
  void ChooseFileNext(std::string path) { file_answers.emplace_back(std::move(path)); }
  void CancelFileNext() { file_answers.emplace_back(std::nullopt); }

  std::optional<std::string> AnswerFile(const ui::FileChoice& choice) {
    file_choices.push_back({choice.kind, std::string(choice.title), std::string(choice.file_name)});
    if (file_answers.empty()) {
      return std::nullopt;
    }
    std::optional<std::string> answer = std::move(file_answers.front());
    file_answers.pop_front();
    return answer;
  }

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
