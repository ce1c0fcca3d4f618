#include "sdk/base/Assertion.h"

#include <cstdio>

#include "sdk/base/LogApi.h"
#include "sdk/base/LogChannels.h"
#include "sdk/base/LogLine.h"

namespace Zarn {

namespace {

// Appends texts to a fixed buffer, cutting what does not fit; the text stays terminated.
class Appender {
 public:
  Appender(char* buffer, std::uint32_t size) : buffer_(buffer), size_(size) { buffer_[0] = '\0'; }

  void Put(const char* text) {
    while (*text != '\0' && used_ + 1 < size_) {
      buffer_[used_++] = *text++;
    }
    buffer_[used_] = '\0';
  }

 private:
  char* buffer_;
  std::uint32_t size_;
  std::uint32_t used_ = 0;
};

bool Present(const char* text) { return text != nullptr && *text != '\0'; }

}  // namespace

void FormatAssertionMessage(char* buffer, std::uint32_t size, const char* expression,
                            const char* description, const char* file, std::int32_t line,
                            const char* function) noexcept {
  if (buffer == nullptr || size == 0) {
    return;
  }
  Appender out(buffer, size);
  out.Put("Assertion failed!\n\n");
  if (Present(file)) {
    out.Put("File: ");
    out.Put(file);
    out.Put("\n");
  }
  if (line != 0) {
    char number[16];
    std::snprintf(number, sizeof(number), "%d", static_cast<int>(line));
    out.Put("Line: ");
    out.Put(number);
    out.Put("\n\n");
  }
  if (Present(function)) {
    out.Put("Function: ");
    out.Put(function);
    out.Put("\n\n");
  }
  if (Present(expression)) {
    out.Put("Expression: ");
    out.Put(expression);
  }
  if (Present(description)) {
    out.Put("\n\nDescription: ");
    out.Put(description);
  }
}

void ReportAssertion(const char* expression, const char* description, const char* file,
                     std::int32_t line, const char* function) noexcept {
  char report[kLogLineBufferSize];
  FormatAssertionMessage(report, sizeof(report), expression, description, file, line, function);
  LogApi::WriteReport(kLogLevelError, kLogChannelDbg, report);
}

}  // namespace Zarn
