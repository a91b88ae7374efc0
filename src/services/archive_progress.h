#pragma once
// The progress of one extraction, and how it reaches the archive component's
// progress event.

#include <cstdint>
#include <functional>
#include <string>

#include "services/archive.h"

namespace vantor {

struct extraction_state;

/// Receives entries_done, entries_total, current_path and the state.
using extraction_observer =
    std::function<void(std::int32_t done, std::int32_t total, const std::string& current_path, extraction_state&)>;

/// Created for each call of extract_archive and dropped at its end.
struct extraction_state {
  const archive_component* owner = nullptr;  ///< whose progress event is raised; may be none
  bool stop_requested = false;               ///< set when the progress event asks to stop
  extraction_observer observer;              ///< receives the reports; may be none
  std::string current_path;                  ///< output path of the entry processed last
  std::int32_t entries_total = 0;            ///< readable entries, counted before extraction
  std::int32_t entries_done = 0;             ///< value of the last report

  /// Hands the current counts to the observer, if there is one.
  void report() {
    if (observer) observer(entries_done, entries_total, current_path, *this);
  }
};

/// The percentage of done in total, truncated toward zero; 100 when total is
/// 0 (nothing is left to do).
std::int32_t progress_percentage(std::int32_t done, std::int32_t total);

/// The observer extract_archive installs: raises the owner's progress event
/// with the percentage while the component exists, and asks the extraction
/// to stop when a handler answered false and the component still exists.
void report_to_component(std::int32_t done, std::int32_t total, const std::string& current_path,
                         extraction_state& state);

}  // namespace vantor
