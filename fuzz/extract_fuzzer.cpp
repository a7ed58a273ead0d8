// Any bytes through the document extraction: no crash, no hang, bounded memory.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "extract/extract.h"

namespace {

class DiscardingSink final : public extract::TextSink {
 public:
  bool Text(std::string_view) override { return true; }
  bool Raw(std::string_view) override { return true; }
  void Separate() override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  extract::MemorySource source(std::string_view(reinterpret_cast<const char*>(data), size));
  DiscardingSink sink;
  extract::Limits limits;
  limits.MaxText = std::uint64_t{4} << 20;
  limits.MaxWholeBytes = std::uint64_t{4} << 20;
  extract::ExtractText(source, sink, limits);
  return 0;
}
