// Block quotas of users and groups through the kernel's quota interface:
// the generic one, or XFS's own for volumes of that type.
#include "sharing/quotas.h"

#include <linux/dqblk_xfs.h>
#include <sys/quota.h>

#include <cerrno>
#include <cstdio>

#include "core/messages.h"
#include "storage/disk_usage.h"

namespace nexa {

namespace {

constexpr uint64_t kKibPerMb = 1024;
constexpr uint64_t kXfsBasicBlock = 512;
constexpr uint16_t kAllXfsLimits = 0x3f;  // hard and soft, real-time ones included

// The record's fields are 32 bits; larger values stay at their maximum
// rather than wrap.
int32_t saturated(uint64_t value) {
  return value > INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
}
uint32_t saturated_time(uint64_t value) {
  return value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
}
uint64_t limit_of(int32_t field) {
  return field > 0 ? static_cast<uint64_t>(field) : 0;
}

int command(int generic, QuotaKind kind) {
  return static_cast<int>(QCMD(generic, static_cast<int>(kind)));
}

// KiB for a quota in MB; -1 (no limit) gives 0.
std::optional<uint64_t> quota_kib(int megabytes) {
  if (megabytes == -1) return 0;
  if (megabytes < 0) return std::nullopt;
  return static_cast<uint64_t>(megabytes == 0 ? 1 : megabytes) * kKibPerMb;
}

NexalibQuota quota_record(uint64_t block_kib) {
  NexalibQuota record{};
  if (block_kib == 0) return record;
  record.bhardlimit = saturated(block_kib);
  record.bsoftlimit = saturated(block_kib + kKibPerMb);
  return record;
}

sys::Status set_generic_limits(std::string_view device, int id, QuotaKind kind,
                               const NexalibQuota& record, uint64_t block_kib) {
  struct dqblk block {};
  block.dqb_bhardlimit = block_kib;
  block.dqb_bsoftlimit = block_kib;
  block.dqb_ihardlimit = limit_of(record.ihardlimit);
  block.dqb_isoftlimit = limit_of(record.isoftlimit);
  block.dqb_btime = record.btime;
  block.dqb_itime = record.itime;
  block.dqb_valid = QIF_BLIMITS;
  return sys::quota_control(command(Q_SETQUOTA, kind), device, id, &block);
}

sys::Status set_xfs_limits(std::string_view device, int id, QuotaKind kind,
                           const NexalibQuota& record, uint64_t block_kib) {
  struct fs_disk_quota block {};
  block.d_version = FS_DQUOT_VERSION;
  block.d_flags = kind == QuotaKind::kUser ? FS_USER_QUOTA : FS_GROUP_QUOTA;
  block.d_fieldmask = kAllXfsLimits;
  block.d_id = static_cast<uint32_t>(id);
  block.d_blk_hardlimit = block_kib * (1024 / kXfsBasicBlock);
  block.d_blk_softlimit = block.d_blk_hardlimit;
  block.d_ino_hardlimit = limit_of(record.ihardlimit);
  block.d_ino_softlimit = limit_of(record.isoftlimit);
  block.d_btimer = saturated(record.btime);
  block.d_itimer = saturated(record.itime);
  return sys::quota_control(command(Q_XSETQLIM, kind), device, id, &block);
}

sys::Result<uint64_t> xfs_bytes_used(std::string_view device, int id, QuotaKind kind) {
  struct fs_disk_quota block {};
  const sys::Status read = sys::quota_control(command(Q_XGETQUOTA, kind), device, id, &block);
  if (!read) return read;
  return block.d_bcount * kXfsBasicBlock;
}

// The account's id; an account the files do not hold is reported.
std::optional<int> account_id(QuotaKind kind, std::string_view name) {
  const bool user = kind == QuotaKind::kUser;
  if (user) {
    if (const auto found = sys::find_user(name)) return static_cast<int>(found->uid);
  } else if (const auto found = sys::find_group(name)) {
    return static_cast<int>(found->gid);
  }
  const std::string text(name);
  say_at(NEXA_ORIGIN("quota"), "Can not get user :\"%s\" information from %s file\n", text.c_str(),
         user ? sys::kPasswdFile : sys::kGroupFile);
  return std::nullopt;
}

}  // namespace

std::optional<QuotaKind> quota_kind(int kind) {
  if (kind == USRQUOTA) return QuotaKind::kUser;
  if (kind == GRPQUOTA) return QuotaKind::kGroup;
  return std::nullopt;
}

sys::Status set_block_limits(std::string_view device, int id, QuotaKind kind,
                             const NexalibQuota& record, uint64_t block_kib, bool xfs) {
  return xfs ? set_xfs_limits(device, id, kind, record, block_kib)
             : set_generic_limits(device, id, kind, record, block_kib);
}

sys::Status set_record_limits(std::string_view device, int id, QuotaKind kind,
                              const NexalibQuota& record, bool xfs) {
  return set_block_limits(device, id, kind, record, limit_of(record.bhardlimit), xfs);
}

sys::Status set_quota(std::string_view device, QuotaKind kind, int id, int megabytes,
                      std::string_view fs_type) {
  // The kernel gets the whole 64-bit amount, whatever the record can hold.
  const std::optional<uint64_t> kib = quota_kib(megabytes);
  if (!kib) return sys::Status::failure(EINVAL);
  return set_block_limits(device, id, kind, quota_record(*kib), *kib, fs_type == "xfs");
}

sys::Result<NexalibQuota> query_quota(std::string_view device, int id, QuotaKind kind) {
  struct dqblk block {};
  const sys::Status read = sys::quota_control(command(Q_GETQUOTA, kind), device, id, &block);
  if (!read) return read;
  NexalibQuota record{};
  record.bhardlimit = saturated(block.dqb_bhardlimit);
  record.bsoftlimit = saturated(block.dqb_bsoftlimit);
  record.curblocks = saturated(block.dqb_curspace >> 10);
  record.ihardlimit = saturated(block.dqb_ihardlimit);
  record.isoftlimit = saturated(block.dqb_isoftlimit);
  record.curinodes = saturated(block.dqb_curinodes);
  record.btime = saturated_time(block.dqb_btime);
  record.itime = saturated_time(block.dqb_itime);
  return record;
}

std::optional<std::string> mount_device(std::string_view dir) {
  return device_mounted_at(dir, kProcMounts);
}

sys::Status set_account_quota(QuotaKind kind, std::string_view name, int megabytes,
                              std::string_view dir, std::string_view fs_type) {
  const std::optional<int> id = account_id(kind, name);
  if (!id) return sys::Status::failure(ENOENT);
  const std::optional<std::string> device = mount_device(dir);
  if (!device) return sys::Status::failure(ENODEV);
  return set_quota(*device, kind, *id, megabytes, fs_type);
}

sys::Result<int> account_usage(QuotaKind kind, std::string_view name, std::string_view dir,
                               std::string_view fs_type) {
  const std::optional<int> id = account_id(kind, name);
  if (!id) return sys::Status::failure(ENOENT);
  const std::optional<std::string> device = mount_device(dir);
  if (!device) return sys::Status::failure(ENODEV);
  if (fs_type != "xfs") {
    const sys::Result<NexalibQuota> record = query_quota(*device, *id, kind);
    if (!record) return record.status();
    return record->curblocks;
  }
  const sys::Result<uint64_t> bytes = xfs_bytes_used(*device, *id, kind);
  if (!bytes) return bytes.status();
  return saturated(kind == QuotaKind::kUser ? *bytes / 1000 : *bytes);
}

void print_quota(const NexalibQuota& record) {
  say("bhardlimit=%d\n", record.bhardlimit);
  say("bsoftlimit=%d\n", record.bsoftlimit);
  say("curblocks=%d\n", record.curblocks);
  say("ihardlimit=%d\n", record.ihardlimit);
  say("isoftlimit=%d\n", record.isoftlimit);
  say("curinodes=%d\n", record.curinodes);
  say("btime=%lu\n", static_cast<unsigned long>(record.btime));
  say("itime=%lu\n", static_cast<unsigned long>(record.itime));
}

}  // namespace nexa
