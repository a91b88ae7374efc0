#pragma once
// The text of the fatal-error report.

#include <cstdint>
#include <string_view>

#include "services/values.h"

namespace vantor {

/// "运行时出错!" and an empty line; then "错误代码：" with the code and an
/// empty line when the code is not 0; then "错误信息：" with the message and
/// a line break when the message is not empty. Lines end in CR LF.
text fatal_report_text(std::string_view message, std::int32_t code);

/// The message of a failed allocation of size bytes.
text allocation_failure_message(std::int32_t size);

}  // namespace vantor
