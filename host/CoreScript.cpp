#include "host/CoreScript.h"

#include <algorithm>
#include <cstring>

namespace Zarn::Host {

uint32_t HostStream::Read(void* object, std::uintptr_t buffer, std::uintptr_t size,
                          std::uintptr_t more) {
  auto* stream = static_cast<HostStream*>(object);
  auto* out = reinterpret_cast<char*>(buffer);
  auto* sizeOut = reinterpret_cast<uint32_t*>(size);
  auto* moreOut = reinterpret_cast<bool*>(more);
  if (stream == nullptr || out == nullptr || sizeOut == nullptr || moreOut == nullptr) return 0;
  ++stream->reads_;
  const uint32_t capacity = *sizeOut;
  const std::size_t remaining = stream->script_.body.size() - stream->offset_;
  StreamChunk chunk;
  if (stream->nextChunk_ < stream->script_.chunks.size()) {
    chunk = stream->script_.chunks[stream->nextChunk_++];
  } else {
    chunk.size = capacity;
  }
  if (chunk.fail) return 0;
  const auto delivered =
      static_cast<uint32_t>(std::min<std::size_t>({chunk.size, capacity, remaining}));
  std::memcpy(out, stream->script_.body.data() + stream->offset_, delivered);
  stream->offset_ += delivered;
  *sizeOut = chunk.claimedSize.value_or(delivered);
  *moreOut = chunk.more.value_or(stream->offset_ < stream->script_.body.size());
  return 1;
}

void HostStream::Release(void* object) {
  if (object != nullptr) ++static_cast<HostStream*>(object)->releases_;
}

}  // namespace Zarn::Host
