// LIMITS.VX records, field by field.
#include "core/limits_record.h"

namespace vx::core {

std::optional<uint16_t> LimitsRecord::DownloadK(long speed) const {
  for (size_t i = 0; i < kLimitSpeeds.size(); ++i) {
    if (kLimitSpeeds[i] != speed) continue;
    if (i < 12) return download_k_low[i];
    if (i < 18) return download_k_high[i - 12];
    return i == 18 ? download_k_31200 : download_k_33600;
  }
  return std::nullopt;
}

std::optional<uint16_t> LimitsRecord::DownloadKAtOrBelow(long speed) const {
  if (const std::optional<uint16_t> exact = DownloadK(speed)) return exact;
  long best = -1;
  for (long s : kLimitSpeeds) {
    if (s > 0 && s < speed && s > best) best = s;
  }
  if (best < 0) return std::nullopt;
  return DownloadK(best);
}

void LimitsRecord::SetAllDownloadK(uint16_t k) {
  download_k_low.fill(k);
  download_k_high.fill(k);
  download_k_31200 = k;
  download_k_33600 = k;
}

LimitsRecord ReadLimitsRecord(RecordStream& in) {
  LimitsRecord r;
  r.security = in.ReadWord();
  r.daily_time = in.ReadWord();
  for (auto& k : r.download_k_low) k = in.ReadWord();
  r.limit28 = in.ReadWord();
  r.limit30 = in.ReadWord();
  in.ReadInto(r.bytes32);
  for (auto& k : r.download_k_high) k = in.ReadWord();
  in.ReadInto(r.bytes50);
  r.word56 = in.ReadWord();
  r.word58 = in.ReadWord();
  r.byte60 = in.ReadByte();
  r.word61 = in.ReadWord();
  r.download_k_31200 = in.ReadWord();
  r.download_k_33600 = in.ReadWord();
  in.ReadInto(r.bytes67);
  return r;
}

void WriteLimitsRecord(const LimitsRecord& r, RecordStream& out) {
  out.WriteWord(r.security);
  out.WriteWord(r.daily_time);
  for (uint16_t k : r.download_k_low) out.WriteWord(k);
  out.WriteWord(r.limit28);
  out.WriteWord(r.limit30);
  out.WriteFrom(r.bytes32);
  for (uint16_t k : r.download_k_high) out.WriteWord(k);
  out.WriteFrom(r.bytes50);
  out.WriteWord(r.word56);
  out.WriteWord(r.word58);
  out.WriteByte(r.byte60);
  out.WriteWord(r.word61);
  out.WriteWord(r.download_k_31200);
  out.WriteWord(r.download_k_33600);
  out.WriteFrom(r.bytes67);
}

}  // namespace vx::core
