#include "app/frame/fatal_report.h"

#include "services/texts.h"

namespace vantor {

text fatal_report_text(std::string_view message, std::int32_t code) {
  text report = "运行时出错!\r\n\r\n";
  if (code != 0) report += join_texts({"错误代码：", to_text(code), "\r\n\r\n"});
  if (!message.empty()) report += join_texts({"错误信息：", message, "\r\n"});
  return report;
}

text allocation_failure_message(std::int32_t size) { return join_texts({"分配 ", to_text(size), " 字节内存失败!"}); }

}  // namespace vantor
