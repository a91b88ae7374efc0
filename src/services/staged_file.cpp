#include "services/staged_file.h"

#include <utility>

#include "platform/files.h"

namespace vantor {

staged_file::staged_file(std::string target, std::string temporary)
    : staged_entry(std::move(target), std::move(temporary), platform::remove_file) {}

outcome<staged_file> staged_file::begin(std::string_view target) {
  if (target.empty()) return failure{os_error::not_found, {}};
  // Resolve first, so a target that differs only in letter case is the one
  // replaced, and its temporary lies beside it.
  std::string resolved = platform::resolve_path(target);
  std::string temporary = resolved + std::string(temporary_suffix);
  // Whatever an interrupted run left at the temporary's name goes, without
  // following it; the temporary itself is then created new.
  if (platform::kind_of(temporary) != platform::entry_kind::none) {
    if (status removed = platform::remove_entry(temporary); !removed) return removed.error();
  }
  return staged_file(std::move(resolved), std::move(temporary));
}

namespace {

// A failure on the temporary file is told as one on the file it stands for.
failure on_target(failure why, const std::string& target) {
  why.path = target;
  return why;
}

}  // namespace

outcome<staged_file> staged_file::prepare(std::string_view target, std::span<const byte_view> pieces) {
  auto writer = staged_writer::create(target);
  if (!writer) return writer.error();
  for (const auto& piece : pieces) {
    if (status written = writer->write(piece); !written) return written.error();
  }
  return writer->finish();
}

outcome<staged_file> staged_file::prepare(std::string_view target, const byte_string& bytes) {
  const byte_view pieces[] = {byte_view(bytes)};
  return prepare(target, pieces);
}

outcome<staged_file> staged_file::prepare_copy(std::string_view target, std::string_view source) {
  auto staged = begin(target);
  if (!staged) return staged;
  if (const status copied = platform::copy_file(source, staged->temporary_); !copied) {
    if (copied.error().path == staged->temporary_) return on_target(copied.error(), staged->target_);
    return copied.error();
  }
  auto out = platform::open_file(staged->temporary_, platform::open_mode::write_existing);
  if (!out) return on_target(out.error(), staged->target_);
  if (const status flushed = out->flush(); !flushed) return on_target(flushed.error(), staged->target_);
  if (const status closed = out->close(); !closed) return on_target(closed.error(), staged->target_);
  return staged;
}

// --- staged_writer --------------------------------------------------------------

struct staged_writer::open_output {
  platform::file file;
};

outcome<staged_writer> staged_writer::create(std::string_view target) {
  auto staged = staged_file::begin(target);
  if (!staged) return staged.error();
  auto out = platform::open_file(staged->temporary_, platform::open_mode::create_new);
  if (!out) {
    staged->pending_ = false;  // nothing was created
    return on_target(out.error(), staged->target_);
  }
  return staged_writer(std::move(*staged), std::make_unique<open_output>(open_output{std::move(*out)}));
}

staged_writer::staged_writer(staged_file staged, std::unique_ptr<open_output> out)
    : staged_(std::move(staged)), out_(std::move(out)) {}
staged_writer::staged_writer(staged_writer&& other) noexcept = default;
staged_writer& staged_writer::operator=(staged_writer&& other) noexcept = default;
staged_writer::~staged_writer() = default;  // the staged file removes the temporary

status staged_writer::write(byte_view bytes) {
  if (bytes.empty()) return {};
  if (status written = out_->file.write(bytes.data(), bytes.size()); !written)
    return on_target(written.error(), staged_->target_);
  return {};
}

outcome<staged_file> staged_writer::finish() {
  if (status flushed = out_->file.flush(); !flushed) return on_target(flushed.error(), staged_->target_);
  if (status closed = out_->file.close(); !closed) return on_target(closed.error(), staged_->target_);
  staged_file finished = std::move(*staged_);
  staged_.reset();
  return finished;
}

const std::string& staged_writer::target_path() const { return staged_->target_path(); }
const std::string& staged_writer::temporary_path() const { return staged_->temporary_path(); }

status replace_file_atomically(std::string_view target, std::span<const byte_view> pieces) {
  auto staged = staged_file::prepare(target, pieces);
  if (!staged) return staged.error();
  return staged->commit();
}

status replace_file_atomically(std::string_view target, const byte_string& bytes) {
  const byte_view pieces[] = {byte_view(bytes)};
  return replace_file_atomically(target, pieces);
}

}  // namespace vantor
