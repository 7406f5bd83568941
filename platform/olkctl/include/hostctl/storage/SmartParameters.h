// A device's SMART record: what the drive reports about its own health.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace HostCtl::Storage {

// One SMART parameter. Each word counts only when its bit in `flags` is set.
struct SmartEntry {
  static constexpr uint64_t VALUE_VALID = 0x1;
  static constexpr uint64_t WORST_VALID = 0x2;
  static constexpr uint64_t THRESHOLD_VALID = 0x4;
  static constexpr uint64_t RAW_VALID = 0x8;

  int64_t value = 0;
  int64_t worst = 0;
  int64_t threshold = 0;
  int64_t raw = 0;
  uint64_t flags = 0;
};

// Entries by parameter index: 0 is the health status, whose value is a code.
struct SmartParameters {
  static constexpr std::size_t NUM_ENTRIES = 19;
  static constexpr int64_t HEALTH_OK = 0;
  static constexpr int64_t HEALTH_WARNING = 1;
  static constexpr int64_t HEALTH_IMPENDING_FAILURE = 2;

  std::array<SmartEntry, NUM_ENTRIES> entries{};
};

} // namespace HostCtl::Storage
