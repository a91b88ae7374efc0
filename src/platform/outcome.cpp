#include "platform/outcome.h"

#include "platform/system_error.h"

namespace vantor {

std::string_view describe(failure_kind kind) { return kind.category().describe(kind.value()); }

std::string_view path_in_folder(std::string_view path, std::string_view folder) {
  if (!folder.empty() && path.size() > folder.size() && path.starts_with(folder) &&
      (path[folder.size()] == '/' || path[folder.size()] == '\\'))
    path.remove_prefix(folder.size() + 1);
  return path;
}

std::string describe(const failure& why, std::string_view folder) {
  std::string sentence(path_in_folder(why.path, folder));
  if (!sentence.empty()) sentence += ' ';
  sentence += describe(why.kind);
  // The system said no more than its code: pass that on for whoever helps.
  if (why.kind == os_error::other && why.native_code != 0)
    sentence +=
        " (system error " + std::to_string(why.native_code) + ": " + platform::native_error_text(why.native_code) + ")";
  return sentence;
}

}  // namespace vantor
