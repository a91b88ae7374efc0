#include "app/cli/console_progress.h"

#include <algorithm>

#include "platform/desktop.h"

namespace vantor {

namespace {

const char* stage_name(work_stage stage) {
  switch (stage) {
    case work_stage::bundle:
      return "copying the animation bundle";
    case work_stage::models:
      return "unpacking the model package";
  }
  return "working";
}

}  // namespace

console_progress::console_progress(std::FILE* err, bool terminal, std::function<clock::time_point()> now)
    : err_(err), terminal_(terminal), now_(std::move(now)), started_(now_()) {}

void console_progress::show_progress(work_stage stage, std::uint64_t done, std::uint64_t total) {
  if (!terminal_ || now_() - started_ < quiet_time) return;
  const std::uint64_t percent = total == 0 ? 100 : std::min(done, total) * 100 / total;
  std::string line = stage_name(stage);
  line += ' ';
  line += std::to_string(percent);
  line += '%';
  if (line == shown_) return;
  // The line is written over from its start, with spaces over what a
  // longer line before left.
  std::string written(1, '\r');
  written += line;
  if (shown_.size() > line.size()) written.append(shown_.size() - line.size(), ' ');
  platform::write_text(err_, written);
  std::fflush(err_);
  shown_ = std::move(line);
}

void console_progress::clear() {
  if (shown_.empty()) return;
  std::string blank(shown_.size() + 2, ' ');
  blank.front() = '\r';
  blank.back() = '\r';
  platform::write_text(err_, blank);
  std::fflush(err_);
  shown_.clear();
}

}  // namespace vantor
