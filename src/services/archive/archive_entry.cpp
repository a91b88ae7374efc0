#include "services/archive/archive_entry.h"

#include <algorithm>

#include "services/little_endian.h"

namespace vantor {

namespace {

constexpr file_ticks ticks_per_second = 10'000'000;
// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t seconds_1601_to_1970 = 11'644'473'600;
constexpr std::uint16_t extended_timestamp_tag = 0x5455;  // "UT"

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t days_from_civil(std::int64_t year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const auto year_of_era = static_cast<unsigned>(year - era * 400);
  const unsigned day_of_year = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned day_of_era = year_of_era * 365 + year_of_era / 4 - year_of_era / 100 + day_of_year;
  return era * 146097 + static_cast<std::int64_t>(day_of_era) - 719468;
}

unsigned days_in_month(unsigned year, unsigned month) {
  static constexpr unsigned lengths[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : lengths[month - 1];
}

}  // namespace

std::uint32_t attributes_from_external(std::uint32_t external) {
  std::uint32_t attributes = file_attribute::normal;
  if ((external & (1u << 30)) != 0 || (external & (1u << 4)) != 0)
    attributes = file_attribute::directory | file_attribute::normal;
  if ((external & (1u << 5)) != 0) attributes |= file_attribute::archive;
  if ((external & (1u << 1)) != 0) attributes |= file_attribute::hidden;
  if ((external & (1u << 23)) == 0 || (external & 1u) != 0) attributes |= file_attribute::readonly;
  if ((external & (1u << 2)) != 0) attributes |= file_attribute::system;
  return attributes;
}

file_ticks ticks_from_dos(std::uint32_t dos_date_time) {
  const std::uint32_t date = dos_date_time >> 16;
  const std::uint32_t time = dos_date_time & 0xFFFF;
  const unsigned year = 1980 + ((date >> 9) & 0x7F);
  const unsigned month = (date >> 5) & 0x0F;
  const unsigned day = date & 0x1F;
  const unsigned hour = (time >> 11) & 0x1F;
  const unsigned minute = (time >> 5) & 0x3F;
  const unsigned second = (time & 0x1F) * 2;
  const bool valid = month >= 1 && month <= 12 && day >= 1 && day <= days_in_month(year, month) && hour < 24 &&
                     minute < 60 && second < 60;
  if (!valid) return ticks_from_unix(days_from_civil(1980, 1, 1) * 86400);
  const std::int64_t seconds =
      days_from_civil(year, month, day) * 86400 + std::int64_t{hour} * 3600 + std::int64_t{minute} * 60 + second;
  return ticks_from_unix(seconds);
}

file_ticks ticks_from_unix(std::int64_t seconds) { return (seconds + seconds_1601_to_1970) * ticks_per_second; }

platform::file_time platform_time(file_ticks ticks) {
  std::int64_t whole = ticks / ticks_per_second;
  std::int64_t rest = ticks % ticks_per_second;
  if (rest < 0) {
    rest += ticks_per_second;
    whole -= 1;
  }
  return {whole - seconds_1601_to_1970, static_cast<std::int32_t>(rest * 100)};
}

bool apply_extended_timestamp(byte_view local_extra, archive_entry& entry) {
  // Blocks are tag (2 bytes), size (2 bytes), data; a block is looked at
  // while at least five bytes remain from its start.
  for (std::size_t start = 0; start + 5 <= local_extra.size();) {
    const std::uint16_t tag = load_le16(local_extra.data() + start);
    const std::size_t size = load_le16(local_extra.data() + start + 2);
    if (tag != extended_timestamp_tag) {
      start += 4 + size;
      continue;
    }
    const std::size_t end = std::min(local_extra.size(), start + 4 + size);
    std::size_t at = start + 4;
    if (at >= end) return true;
    const std::uint8_t flags = local_extra[at++];
    file_ticks* targets[] = {&entry.modification_time, &entry.access_time, &entry.creation_time};
    for (unsigned bit = 0; bit < 3; ++bit) {
      if ((flags & (1u << bit)) == 0) continue;
      if (at + 4 > end) break;
      const auto seconds = static_cast<std::int32_t>(load_le32(local_extra.data() + at));
      at += 4;
      if (seconds < 0) return false;
      *targets[bit] = ticks_from_unix(seconds);
    }
    return true;  // the first block decides
  }
  return true;
}

}  // namespace vantor
