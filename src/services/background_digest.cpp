#include "services/background_digest.h"

#include <system_error>

namespace vantor {

background_md5::background_md5() = default;

background_md5::~background_md5() {
  if (!worker_.joinable()) return;
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  worker_.join();
}

byte_string background_md5::take_buffer(std::size_t size) {
  byte_string buffer;
  {
    std::lock_guard lock(mutex_);
    if (!spare_.empty()) {
      buffer = std::move(spare_.back());
      spare_.pop_back();
    }
  }
  buffer.resize(size);
  return buffer;
}

void background_md5::update(byte_string piece) {
  if (!worker_.joinable()) {
    // No thread yet: the first piece waits for the second, or for finish().
    queue_.push_back(std::move(piece));
    if (no_thread_) return hash_queued();
    if (queue_.size() < 2) return;
    try {
      worker_ = std::thread([this] { run(); });
    } catch (const std::system_error&) {
      no_thread_ = true;
      hash_queued();
    }
    return;
  }
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < most_queued; });
  queue_.push_back(std::move(piece));
  lock.unlock();
  changed_.notify_all();
}

void background_md5::hash_queued() {
  for (byte_string& piece : queue_) {
    hasher_.update(piece);
    if (spare_.size() < most_queued) spare_.push_back(std::move(piece));
  }
  queue_.clear();
}

std::array<std::uint8_t, 16> background_md5::finish() {
  if (!worker_.joinable()) {
    hash_queued();
    return hasher_.finish();
  }
  {
    std::unique_lock lock(mutex_);
    closing_ = true;
    changed_.notify_all();
    changed_.wait(lock, [this] { return done_; });
  }
  worker_.join();
  return hasher_.finish();
}

void background_md5::run() {
  while (true) {
    byte_string piece;
    {
      std::unique_lock lock(mutex_);
      changed_.wait(lock, [this] { return !queue_.empty() || closing_; });
      if (queue_.empty()) {
        done_ = true;
        changed_.notify_all();
        return;
      }
      piece = std::move(queue_.front());
      queue_.pop_front();
    }
    changed_.notify_all();  // room for the reader
    hasher_.update(piece);
    std::lock_guard lock(mutex_);
    if (spare_.size() < most_queued) spare_.push_back(std::move(piece));
  }
}

}  // namespace vantor
