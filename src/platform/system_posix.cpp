// The POSIX process, desktop and text calls, and the form of its paths:
// everything of the platform layer on Linux but the file primitives
// (platform_posix.cpp).

#include <fcntl.h>
#include <fenv.h>
#include <iconv.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cfenv>
#include <climits>
#include <cstring>

#include "platform/desktop.h"
#include "platform/errno_posix.h"
#include "platform/files.h"
#include "platform/native.h"
#include "platform/process.h"
#include "platform/text.h"

namespace vantor::platform {

using posix::from_errno;
using posix::kind_from_errno;

const char path_separator = '/';

bool is_separator(char c) { return c == '/'; }

// --- process ------------------------------------------------------------------

// Libraries come from the system's own search path, which the program's
// folder is not on.
void load_libraries_from_system_folder_only() {}

namespace {

// This program's own path; empty when the system cannot say.
std::string own_program_path() {
  char buffer[PATH_MAX];
  const ssize_t length = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
  if (length <= 0) return {};
  return std::string(buffer, static_cast<std::size_t>(length));
}

}  // namespace

std::string executable_folder() {
  const std::string path = own_program_path();
  const auto last = path.rfind('/');
  return last == std::string::npos ? std::string() : path.substr(0, last);
}

std::string absolute_path(std::string_view path) {
  if (path.empty() || path.front() == '/') return std::string(path);
  char buffer[PATH_MAX];
  if (::getcwd(buffer, sizeof buffer) == nullptr) return std::string(path);
  std::string_view relative = path;
  while (relative.starts_with("./")) relative.remove_prefix(2);
  if (relative == ".") return buffer;
  return join_path(buffer, relative);
}

status set_current_folder(std::string_view path) {
  if (path.empty()) return failure{os_error::not_found, {}};
  if (::chdir(std::string(path).c_str()) != 0) return from_errno(path);
  return {};
}

std::vector<std::string> command_line_arguments(int argc, char** argv) { return {argv, argv + argc}; }

bool write_text(std::FILE* stream, std::string_view text) {
  if (!text.empty()) std::fwrite(text.data(), 1, text.size(), stream);
  return std::ferror(stream) == 0;
}

bool is_terminal(std::FILE* stream) { return ::isatty(::fileno(stream)) == 1; }

// Linux has no elevation prompt of its own: a folder the user may not write
// is a matter for the user (or sudo), not for the program to offer.
bool can_run_elevated() { return false; }

native::program_call native::this_program_call() { return {own_program_path(), {}}; }

status native::run_elevated(const program_call& call) { return failure{os_error::other, call.program}; }

status native::open_address(const std::string& address) {
  std::string opener = "xdg-open";
  std::string target(address);
  char* argv[] = {opener.data(), target.data(), nullptr};

  // The opener is detached through an intermediate child, so it never stays
  // behind as a zombie; a pipe closed by a successful exec tells whether it
  // could be started.
  int report[2];
  if (::pipe2(report, O_CLOEXEC) != 0) return from_errno(opener);
  const pid_t child = ::fork();
  if (child < 0) {
    const failure why = from_errno(opener);
    ::close(report[0]);
    ::close(report[1]);
    return why;
  }
  if (child == 0) {
    ::close(report[0]);
    ::setsid();
    if (::fork() == 0) {
      ::execvp(argv[0], argv);
      const int code = errno;
      [[maybe_unused]] auto ignored = ::write(report[1], &code, sizeof code);
      ::_exit(127);
    }
    ::_exit(0);
  }
  ::close(report[1]);
  int child_status = 0;
  while (::waitpid(child, &child_status, 0) < 0 && errno == EINTR) {
  }
  int exec_error = 0;
  ssize_t got;
  do {
    got = ::read(report[0], &exec_error, sizeof exec_error);
  } while (got < 0 && errno == EINTR);
  ::close(report[0]);
  if (got > 0) return failure{kind_from_errno(exec_error), opener};
  return {};
}

std::string native_error_text(std::int32_t code) { return std::strerror(code); }

std::string decode_gb18030(std::string_view bytes) {
  constexpr std::string_view replacement_character = "\xEF\xBF\xBD";
  iconv_t converter = ::iconv_open("UTF-8", "GB18030");
  // iconv_open says it failed with (iconv_t)-1 and sets errno.
  if (converter == reinterpret_cast<iconv_t>(-1))  // NOLINT(performance-no-int-to-ptr): the system's own marker
    return std::string(replacement_character);
  std::string out;
  out.reserve(bytes.size() * 3 / 2 + 4);
  char buffer[4096];
  auto* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  while (in_left > 0) {
    char* out_ptr = buffer;
    std::size_t out_left = sizeof buffer;
    const std::size_t result = ::iconv(converter, &in, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
    if (result != static_cast<std::size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (a sequence cut off at the end): skip one byte.
    out.append(replacement_character);
    ++in;
    --in_left;
    ::iconv(converter, nullptr, nullptr, nullptr, nullptr);
  }
  ::iconv_close(converter);
  return out;
}

bool encode_gbk_character(std::string_view utf8_character, std::string& out) {
  // CP936 is the GBK of Windows (glibc's "GBK" lacks its euro sign at 0x80).
  iconv_t converter = ::iconv_open("CP936", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1))  // NOLINT(performance-no-int-to-ptr): the system's own marker
    return false;
  char buffer[8];
  auto* in = const_cast<char*>(utf8_character.data());
  std::size_t in_left = utf8_character.size();
  char* out_ptr = buffer;
  std::size_t out_left = sizeof buffer;
  const std::size_t result = ::iconv(converter, &in, &in_left, &out_ptr, &out_left);
  ::iconv_close(converter);
  if (result != 0 || in_left != 0) return false;  // a character iconv replaced counts as missing too
  out.append(buffer, static_cast<std::size_t>(out_ptr - buffer));
  return true;
}

void reset_floating_point() {
  std::fesetround(FE_TONEAREST);
  std::feclearexcept(FE_ALL_EXCEPT);
  ::fedisableexcept(FE_ALL_EXCEPT);
}

}  // namespace vantor::platform
