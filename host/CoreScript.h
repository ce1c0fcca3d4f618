// Scripted answers of the stand-in host's core: inline values, error texts and streamed bodies
// (including streams that misbehave), for given request paths.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace Zarn::Host {

class PluginHost;

// One read of a scripted stream, as the host answers it.
struct StreamChunk {
  uint32_t size = 0;                    // bytes delivered; never more than the reader's buffer
  std::optional<uint32_t> claimedSize;  // the size reported instead, when the chunk lies
  std::optional<bool> more;             // reported "more"; by default whether bytes remain
  bool fail = false;                    // the read answers false and delivers nothing
};

// A body delivered through the stream entries of the reply.
struct ScriptedStream {
  std::string body;
  // One per read, in order; after the last, each read delivers what remains, a buffer at most.
  std::vector<StreamChunk> chunks;
  std::optional<uint64_t> announcedSize;  // the reply's stream size; by default the body's
};

// An answer for requests of one path.
struct ScriptedReply {
  std::optional<uint32_t> method;  // host method code; any method when unset
  uint32_t status = 200;
  std::optional<std::string> json;   // compact JSON of an inline value; none gives an empty value
  std::optional<std::string> error;  // error text of a failed request
  std::optional<ScriptedStream> stream;
  int uses = -1;  // answers this many requests, then is dropped; -1 for every request
  // Run while the request is in progress, before the reply is filled (it may call the plugin).
  std::function<void()> during;
};

// The host's side of one stream handed to the plugin. The host keeps every stream it made until
// it is destroyed, so that a second release is counted instead of touching freed memory.
class HostStream {
 public:
  explicit HostStream(ScriptedStream script) : script_(std::move(script)) {}

  // The reply's read entry: (stream, buffer, address of the u32 size, address of the bool more).
  static uint32_t Read(void* stream, std::uintptr_t buffer, std::uintptr_t size,
                       std::uintptr_t more);
  // The reply's stream release entry.
  static void Release(void* stream);

  [[nodiscard]] uint64_t AnnouncedSize() const {
    return script_.announcedSize.value_or(script_.body.size());
  }
  [[nodiscard]] int Reads() const { return reads_; }
  [[nodiscard]] int Releases() const { return releases_; }

 private:
  ScriptedStream script_;
  std::size_t offset_ = 0;
  std::size_t nextChunk_ = 0;
  int reads_ = 0;
  int releases_ = 0;
};

}  // namespace Zarn::Host
