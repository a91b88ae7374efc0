#include "services/background_digest.h"

namespace vantor {

background_md5::background_md5() : worker_([this] { run(); }) {}

background_md5::~background_md5() {
  {
    std::lock_guard lock(mutex_);
    closing_ = true;
  }
  changed_.notify_all();
  if (worker_.joinable()) worker_.join();
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
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queue_.size() < most_queued; });
  queue_.push_back(std::move(piece));
  lock.unlock();
  changed_.notify_all();
}

std::array<std::uint8_t, 16> background_md5::finish() {
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
