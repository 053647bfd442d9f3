// Block quotas of users and groups through the kernel's quota interface:
// the generic one, or XFS's own for volumes of that type.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/sys.h"
#include "nexalib.h"

namespace nexa {

inline constexpr const char* kProcMounts = "/proc/mounts";

enum class QuotaKind { kUser = 0, kGroup = 1 };
// The kind a caller's number names, if any.
std::optional<QuotaKind> quota_kind(int kind);

// Both block limits set to block_kib, the other limits and grace times
// from the record; through XFS's interface when xfs.
sys::Status set_block_limits(std::string_view device, int id, QuotaKind kind,
                             const NexalibQuota& record, uint64_t block_kib, bool xfs);
// The same with the record's block hard limit (a negative one is none).
sys::Status set_record_limits(std::string_view device, int id, QuotaKind kind,
                              const NexalibQuota& record, bool xfs);
// Sets the quota in MB: 0 counts as 1 MB, -1 removes the limits, other
// negative quotas set nothing. The record's limits are MB x 1024 KiB
// (soft one MB more), at most INT32_MAX; the kernel gets the whole amount.
sys::Status set_quota(std::string_view device, QuotaKind kind, int id, int megabytes,
                      std::string_view fs_type);
// What the generic interface says, in the record's units.
sys::Result<NexalibQuota> query_quota(std::string_view device, int id, QuotaKind kind);

// The device mounted exactly at dir, from the kernel's mount table.
std::optional<std::string> mount_device(std::string_view dir);

// The account's quota or usage on the volume mounted at dir. An account
// missing from the account files is reported on standard output.
sys::Status set_account_quota(QuotaKind kind, std::string_view name, int megabytes,
                              std::string_view dir, std::string_view fs_type);
// KiB in use; on XFS a user's bytes / 1000 and a group's bytes.
sys::Result<int> account_usage(QuotaKind kind, std::string_view name, std::string_view dir,
                               std::string_view fs_type);

void print_quota(const NexalibQuota& record);

}  // namespace nexa
