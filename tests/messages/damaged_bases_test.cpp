// The message-base readers survive any bytes: JAM subfields with lying lengths above all, whose
// declared sizes must never be trusted beyond the data that is there.
#include <gtest/gtest.h>

#include <random>

#include "core/record_stream.h"
#include "messages/hudson_records.h"
#include "messages/jam_records.h"

namespace vx::messages {
namespace {

TEST(DamagedBases, RandomBytesNeverCrashAReader) {
  std::mt19937 random(61226);
  for (int round = 0; round < 2000; ++round) {
    std::vector<uint8_t> bytes(random() % 512);
    for (auto& b : bytes) b = static_cast<uint8_t>(random());
    {
      core::MemoryStream in(bytes);
      bool complete = true;
      std::vector<JamSubfield> fields =
          ReadJamSubfields(in, static_cast<uint32_t>(random()), &complete);
      size_t total = 0;
      for (const JamSubfield& f : fields) total += f.data.size();
      EXPECT_LE(total, bytes.size());
    }
    core::MemoryStream a(bytes), b(bytes), c(bytes), d(bytes), e(bytes), f(bytes);
    ReadJamBaseHeader(a);
    ReadJamMessageHeader(b);
    ReadJamIndexRecord(c);
    ReadHudsonHeader(d);
    ReadHudsonIndexEntry(e);
    ReadHudsonInfo(f);
  }
}

}  // namespace
}  // namespace vx::messages
