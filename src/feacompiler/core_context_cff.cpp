// The core's access to an input CFF font: ranges of its bytes, the reader over them and the
// text of a string id.
#include <algorithm>

#include "feacompiler/core_context.h"
#include "feacompiler/tables/cff_context.h"
#include "feacompiler/tables/cff_reader.h"

namespace fea {

namespace {

constexpr char kBadOffset[] = "invalid CFF data offset";

// The reader's services, each passed on to the compiler's client and the core's input.
class CoreCffClient : public CffReaderClient {
 public:
  explicit CoreCffClient(coreContext* g) : g_(g) {}
  [[noreturn]] void fatal() override { coreFatal(g_); }
  void message(int level, const std::string& text) override { g_->client->message(level, text); }
  const uint8_t* seek(uint32_t offset, size_t& count) override {
    return g_->fontProgram->seek(offset, count);
  }
  const uint8_t* refill(size_t& count) override { return g_->fontProgram->refill(count); }

 private:
  coreContext* g_;
};

}  // namespace

std::string coreCFFData(coreContext* g, uint32_t offset, uint32_t length) {
  std::string bytes;
  if (length == 0) return bytes;
  if (!g->fontProgram) coreMsg(g, kMsgFatal, kBadOffset);
  size_t count = 0;
  const uint8_t* block = g->fontProgram->seek(offset, count);
  // A block of the input may be far larger than the range: take only what was asked.
  while (block && count > 0) {
    const size_t take = std::min<size_t>(count, length - bytes.size());
    bytes.append(reinterpret_cast<const char*>(block), take);
    if (bytes.size() == length) return bytes;
    block = g->fontProgram->refill(count);
  }
  coreMsg(g, kMsgFatal, kBadOffset);
  return bytes;  // not reached: level 3 ends the compile
}

CffReader& coreCffReader(coreContext* g) {
  if (!g->cffReader) {
    if (!g->fontProgram) coreMsg(g, kMsgFatal, kBadOffset);
    g->cffReaderClient = new CoreCffClient(g);
    g->cffReader = new CffReader(*g->cffReaderClient);
  }
  return *g->cffReader;
}

void coreCffReaderFree(coreContext* g) {
  delete g->cffReader;
  delete g->cffReaderClient;
  g->cffReader = nullptr;
  g->cffReaderClient = nullptr;
}

std::string coreGetSIDString(coreContext* g, uint32_t sid) {
  constexpr auto kStandard = static_cast<uint32_t>(kStdStringCount);
  if (sid < kStandard) return sindexStandardName(static_cast<int>(sid));
  CffReader& reader = coreCffReader(g);
  uint32_t length = 0;
  const uint32_t at =
      cffReadIndexElement(reader, cffStringIndex(reader), sid - kStandard, length);
  return coreCFFData(g, at, length);
}

}  // namespace fea
