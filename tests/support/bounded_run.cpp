#include "support/bounded_run.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace vantor::testing {

std::optional<std::string> run_bounded(const std::function<std::string()>& work, std::chrono::milliseconds limit) {
  int channel[2];
  if (::pipe(channel) != 0) return std::nullopt;
  const pid_t child = ::fork();
  if (child < 0) return std::nullopt;
  if (child == 0) {
    ::close(channel[0]);
    const std::string said = work();
    for (std::size_t done = 0; done < said.size();) {
      const ssize_t put = ::write(channel[1], said.data() + done, said.size() - done);
      if (put <= 0) ::_exit(3);
      done += static_cast<std::size_t>(put);
    }
    ::_exit(0);  // no test teardown in the child
  }
  ::close(channel[1]);
  std::string said;
  bool finished = false;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (true) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) break;
    pollfd watched{channel[0], POLLIN, 0};
    if (::poll(&watched, 1, static_cast<int>(left.count())) <= 0) continue;
    char buffer[4096];
    const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
    if (got <= 0) {
      finished = got == 0;
      break;
    }
    said.append(buffer, static_cast<std::size_t>(got));
  }
  ::close(channel[0]);
  if (!finished) ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (!finished || !WIFEXITED(status) || WEXITSTATUS(status) != 0) return std::nullopt;
  return said;
}

}  // namespace vantor::testing
