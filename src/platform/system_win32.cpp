// The Win32 process, desktop and text calls, and the form of its paths:
// everything of the platform layer on Windows but the file primitives
// (platform_win32.cpp).

#include "platform/native_win32.h"
// After windows.h, which it needs.
#include <shellapi.h>

#include <fcntl.h>
#include <float.h>
#include <io.h>

#include <cfenv>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/desktop.h"
#include "platform/files.h"
#include "platform/native.h"
#include "platform/process.h"
#include "platform/system_library_win32.h"
#include "platform/text.h"

namespace vantor::platform {

using win32::from_last_error;
using win32::narrow;
using win32::system_path;
using win32::widen;

const char path_separator = '\\';

bool is_separator(char c) { return c == '\\' || c == '/'; }

// --- DLLs ---------------------------------------------------------------------

// The whole process's DLL search, also for DLLs the system itself loads
// later (user32's uxtheme, the shell's shcore).
void load_libraries_from_system_folder_only() {
  // SetDefaultDllDirectories exists from Windows 8 on, and on Windows 7 with
  // its update KB2533623: looked up, so that the program starts without it.
  using restrict_search_call = BOOL WINAPI(DWORD);
  const auto restrict_search = reinterpret_cast<restrict_search_call*>(reinterpret_cast<any_function>(
      ::GetProcAddress(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories")));
  if (restrict_search != nullptr && restrict_search(LOAD_LIBRARY_SEARCH_SYSTEM32) != 0) return;
  // Without it, at least the current folder leaves the search; the DLLs
  // the program loads itself come by full path (system_function_address).
  ::SetDllDirectoryW(L"");
}

any_function system_function_address(const wchar_t* library, const char* name) {
  // The DLL and the DLLs it imports, from the system folder only.
  HMODULE module = ::LoadLibraryExW(library, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
  if (module == nullptr && ::GetLastError() == ERROR_INVALID_PARAMETER) {
    // A system without the search flags: the full path into the system
    // folder, whose DLLs the loaded one then finds first.
    std::wstring folder(MAX_PATH, L'\0');
    folder.resize(::GetSystemDirectoryW(folder.data(), static_cast<UINT>(folder.size())));
    if (folder.empty()) return nullptr;
    module = ::LoadLibraryExW((folder + L"\\" + library).c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  }
  if (module == nullptr) return nullptr;
  return reinterpret_cast<any_function>(::GetProcAddress(module, name));
}

// --- process ------------------------------------------------------------------

namespace {

// This program's own path, as the system has it; no fixed buffer, as it
// may be longer than 260 characters. Empty when the system cannot say.
std::wstring own_program_path() {
  std::wstring buffer(MAX_PATH, L'\0');
  while (true) {
    const DWORD length = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return buffer;
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace

std::string executable_folder() {
  std::string path = narrow(own_program_path());
  if (path.starts_with("\\\\?\\")) path.erase(0, 4);
  const auto last = path.find_last_of("\\/");
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string absolute_path(std::string_view path) {
  const bool absolute = path.size() >= 3 && path[1] == ':' && is_separator(path[2]);
  if (path.empty() || absolute || (path.size() >= 2 && is_separator(path[0]) && is_separator(path[1])))
    return std::string(path);
  const DWORD needed = ::GetCurrentDirectoryW(0, nullptr);
  std::wstring current(needed, L'\0');
  current.resize(::GetCurrentDirectoryW(needed, current.data()));
  std::string_view relative = path;
  while (relative.starts_with(".\\") || relative.starts_with("./")) relative.remove_prefix(2);
  if (relative == ".") return narrow(current);
  if (!relative.empty() && is_separator(relative.front())) return narrow(current.substr(0, 2)) + std::string(relative);
  return join_path(narrow(current), relative);
}

status set_current_folder(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  if (!::SetCurrentDirectoryW(system_path(path).c_str())) return from_last_error(path);
  return {};
}

std::vector<std::string> command_line_arguments(int argc, char** argv) {
  // The shell splits the command line as every Windows program's runtime
  // does.
  static const auto split = system_function<decltype(::CommandLineToArgvW)>(L"shell32.dll", "CommandLineToArgvW");
  int count = 0;
  wchar_t** wide = split != nullptr ? split(::GetCommandLineW(), &count) : nullptr;
  if (wide == nullptr) return {argv, argv + argc};
  std::vector<std::string> arguments;
  for (int i = 0; i < count; ++i) arguments.push_back(narrow(wide[i]));
  ::LocalFree(wide);
  return arguments;
}

bool is_terminal(std::FILE* stream) {
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
  DWORD mode = 0;
  return handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode) != 0;
}

bool write_text(std::FILE* stream, std::string_view text) {
  const int descriptor = _fileno(stream);
  const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(descriptor));
  DWORD mode = 0;
  if (handle != INVALID_HANDLE_VALUE && ::GetConsoleMode(handle, &mode)) {
    std::fflush(stream);
    const std::wstring wide = widen(text);
    DWORD written = 0;
    return wide.empty() ||
           ::WriteConsoleW(handle, wide.data(), static_cast<DWORD>(wide.size()), &written, nullptr) != 0;
  }
  // Redirected: UTF-8 bytes, with "\n" left as it is.
  _setmode(descriptor, _O_BINARY);
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  return std::ferror(stream) == 0;
}

status native::open_address(const std::string& address) {
  // The shell opens the address with the player's browser, as the file
  // browser would for "explorer.exe <address>".
  static const auto shell_execute = system_function<decltype(::ShellExecuteW)>(L"shell32.dll", "ShellExecuteW");
  if (shell_execute == nullptr) return failure{os_error::not_found, "explorer.exe"};
  const auto result = reinterpret_cast<std::intptr_t>(
      shell_execute(nullptr, L"open", widen(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  if (result <= 32) return failure{os_error::not_found, "explorer.exe"};
  return {};
}

bool can_run_elevated() { return true; }

native::program_call native::this_program_call() {
  const std::wstring path = own_program_path();
  // The arguments as the program got them: the command line after the
  // program's own name, quoted or not.
  std::wstring_view line = ::GetCommandLineW();
  if (!line.empty() && line.front() == L'"') {
    const auto end = line.find(L'"', 1);
    line.remove_prefix(end == std::wstring_view::npos ? line.size() : end + 1);
  } else {
    const auto end = line.find_first_of(L" \t");
    line.remove_prefix(end == std::wstring_view::npos ? line.size() : end);
  }
  while (!line.empty() && (line.front() == L' ' || line.front() == L'\t')) line.remove_prefix(1);
  return {narrow(path), narrow(line)};
}

status native::run_elevated(const program_call& call) {
  static const auto execute = system_function<decltype(::ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
  if (execute == nullptr) return failure{os_error::not_found, "shell32.dll"};
  const std::wstring program = widen(call.program), arguments = widen(call.arguments);
  const std::wstring folder = widen(parent_folder(call.program));
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC;
  info.lpVerb = L"runas";
  info.lpFile = program.c_str();
  info.lpParameters = arguments.empty() ? nullptr : arguments.c_str();
  info.lpDirectory = folder.empty() ? nullptr : folder.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (execute(&info)) return {};
  // ERROR_CANCELLED: the player said no to the prompt.
  return from_last_error(call.program);
}

namespace {

// Length of the GB18030 sequence at bytes[i]: 1, 2 or 4, or 0 when no
// sequence starts there.
std::size_t gb18030_sequence_length(std::string_view bytes, std::size_t i) {
  const auto at = [&](std::size_t k) { return static_cast<unsigned char>(bytes[k]); };
  const unsigned char lead = at(i);
  if (lead < 0x80) return 1;
  if (lead == 0x80 || lead == 0xFF || i + 1 >= bytes.size()) return 0;
  const unsigned char second = at(i + 1);
  if (second >= 0x40 && second <= 0xFE && second != 0x7F) return 2;
  if (second >= 0x30 && second <= 0x39 && i + 3 < bytes.size() && at(i + 2) >= 0x81 && at(i + 2) <= 0xFE &&
      at(i + 3) >= 0x30 && at(i + 3) <= 0x39)
    return 4;
  return 0;
}

// One valid sequence in the code page, or nothing when it does not decode.
std::wstring decode_sequence(std::string_view sequence, UINT code_page) {
  wchar_t wide[4];
  const int made = ::MultiByteToWideChar(code_page, MB_ERR_INVALID_CHARS, sequence.data(),
                                         static_cast<int>(sequence.size()), wide, 4);
  return made > 0 ? std::wstring(wide, static_cast<std::size_t>(made)) : std::wstring();
}

}  // namespace

std::string native_error_text(std::int32_t code) {
  wchar_t* text = nullptr;
  const DWORD length =
      ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring wide(text != nullptr ? text : L"", length);
  if (text != nullptr) ::LocalFree(text);
  while (!wide.empty() && (wide.back() == L'\n' || wide.back() == L'\r' || wide.back() == L' ' || wide.back() == L'.'))
    wide.pop_back();
  return narrow(wide);
}

std::string decode_gb18030(std::string_view bytes) {
  // GB18030 where the system has it (code page 54936); GBK (936) where it is
  // refused, as Wine does.
  UINT code_page = 54936;
  if (decode_sequence("\xB0\xA1", code_page).empty()) code_page = 936;
  std::wstring wide;
  wide.reserve(bytes.size());
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t length = gb18030_sequence_length(bytes, i);
    std::wstring decoded = length == 0 ? std::wstring() : decode_sequence(bytes.substr(i, length), code_page);
    if (decoded.empty()) {
      wide += L'\xFFFD';
      ++i;
      continue;
    }
    wide += decoded;
    i += length;
  }
  return narrow(wide);
}

bool encode_gbk_character(std::string_view utf8_character, std::string& out) {
  const std::wstring wide = widen(utf8_character);
  if (wide.empty()) return false;
  char buffer[8];
  BOOL used_default = FALSE;
  const int length = ::WideCharToMultiByte(936, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                           buffer, static_cast<int>(sizeof buffer), nullptr, &used_default);
  if (length <= 0 || used_default) return false;
  out.append(buffer, static_cast<std::size_t>(length));
  return true;
}

void reset_floating_point() {
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  // Every floating-point exception masked: none traps.
  unsigned int ignored = 0;
  _controlfp_s(&ignored, _MCW_EM, _MCW_EM);
}

}  // namespace vantor::platform
