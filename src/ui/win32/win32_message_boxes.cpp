#include "ui/win32/win32_message_boxes.h"

#include <string>

#include "platform/utf16.h"

namespace vantor {

namespace {

void show_box(HWND owner, std::string_view title, std::string_view text, bool fatal) {
  const std::wstring wide_title = platform::to_utf16(title);
  const std::wstring wide_message = platform::to_utf16(text);
  ::MessageBoxW(owner, wide_message.c_str(), wide_title.c_str(), message_box_style(fatal, owner != nullptr));
}

}  // namespace

UINT message_box_style(bool fatal, bool has_owner) {
  UINT style = MB_OK;
  if (fatal) style |= MB_ICONHAND;
  if (!has_owner) style |= MB_TASKMODAL;
  return style;
}

void win32_message_port::show_message(std::string_view message) {
  show_box(owner_ ? owner_() : nullptr, message_box_title, message, false);
}

bool win32_message_port::ask_yes_no(std::string_view question) {
  const HWND owner = owner_ ? owner_() : nullptr;
  const std::wstring title = platform::to_utf16(message_box_title);
  const std::wstring wide_question = platform::to_utf16(question);
  const UINT style = MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1 | (owner != nullptr ? 0 : MB_TASKMODAL);
  return ::MessageBoxW(owner, wide_question.c_str(), title.c_str(), style) == IDYES;
}

void show_fatal_report_box(HWND owner, std::string_view report) { show_box(owner, fatal_report_title, report, true); }

}  // namespace vantor
