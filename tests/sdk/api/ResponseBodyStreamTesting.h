// A body stream that counts its reads and its destruction. For tests only.
#pragma once

#include <cstdint>
#include <memory>

#include "sdk/api/ResponseBodyStream.h"

namespace Zarn {

// Outlives the streams that report into it.
struct BodyStreamLog {
  int reads = 0;
  int destroyed = 0;
  std::uintptr_t lastWords[3] = {0, 0, 0};
};

class CountingBodyStream final : public ResponseBodyStream {
 public:
  CountingBodyStream(BodyStreamLog& log, std::uint32_t size) : log_(log), size_(size) {}
  ~CountingBodyStream() override { ++log_.destroyed; }

  std::uint32_t Read(std::uintptr_t first, std::uintptr_t second, std::uintptr_t third) override {
    ++log_.reads;
    log_.lastWords[0] = first;
    log_.lastWords[1] = second;
    log_.lastWords[2] = third;
    return size_;
  }
  std::uint32_t GetSize() override { return size_; }

  static std::unique_ptr<ResponseBodyStream> Make(BodyStreamLog& log, std::uint32_t size = 7) {
    return std::make_unique<CountingBodyStream>(log, size);
  }

 private:
  BodyStreamLog& log_;
  std::uint32_t size_;
};

}  // namespace Zarn
