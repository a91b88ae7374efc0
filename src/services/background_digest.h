#pragma once
// MD5 on a thread of its own, so a file can be hashed while its bytes are
// also being written elsewhere: the reader hands each piece over and goes on.
// The thread starts with the second piece: data that fits one piece is
// hashed by finish() itself, which costs less than starting a thread.

#include <array>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

#include "services/bytes.h"
#include "services/digest.h"

namespace vantor {

class background_md5 {
 public:
  background_md5();
  ~background_md5();
  background_md5(const background_md5&) = delete;
  background_md5& operator=(const background_md5&) = delete;

  /// A buffer of the given size to read a piece into: one the hasher is done
  /// with when there is one, so pieces are neither copied nor freshly
  /// allocated.
  byte_string take_buffer(std::size_t size);
  /// Queues a piece (the hasher owns it from now on); waits while too many
  /// pieces are queued, so memory stays bounded whatever the reader's pace.
  /// Where the system gives no thread, the pieces are hashed here instead.
  void update(byte_string piece);
  /// The digest of everything queued; waits for the hashing to end.
  std::array<std::uint8_t, 16> finish();

 private:
  void run();
  /// Hashes the queued pieces on the caller's thread (no thread running).
  void hash_queued();

  static constexpr std::size_t most_queued = 8;
  md5 hasher_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::deque<byte_string> queue_;
  std::vector<byte_string> spare_;
  bool closing_ = false;
  bool done_ = false;
  bool no_thread_ = false;  ///< the system gave no thread when asked
  std::thread worker_;
};

}  // namespace vantor
