#include "services/archive.h"

namespace vantor {

std::int32_t extract_archive(const archive_component*, std::string_view, std::string_view) { return -1; }

}  // namespace vantor
