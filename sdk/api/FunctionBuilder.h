// The builder that declaring an API function returns: on it the caller sets the route's path
// and method and declares each argument with its source.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "sdk/api/ApiFunctionRecord.h"
#include "sdk/binding/BindingBuilders.h"

namespace Zarn {

// Inert when the function was implemented before: then no setter changes anything, but the
// argument declarations still advance the argument index. Owns nothing.
class FunctionBuilder : public BindingFunctionBuilder {
 public:
  FunctionBuilder(BindingFunctionInfo* function, bool inert, ApiFunctionRecord* record) noexcept
      : BindingFunctionBuilder(function, inert), record_(record) {}
  // A moved-from builder changes nothing.
  FunctionBuilder(FunctionBuilder&& other) noexcept
      : BindingFunctionBuilder(std::move(other)), record_(std::exchange(other.record_, nullptr)) {}
  FunctionBuilder& operator=(FunctionBuilder&& other) noexcept {
    BindingFunctionBuilder::operator=(std::move(other));
    record_ = std::exchange(other.record_, nullptr);
    return *this;
  }

  // The route template, without one trailing "/" when it is longer than one character.
  FunctionBuilder& SetPath(std::string path);
  // The method; clears the custom method name.
  FunctionBuilder& SetMethod(HttpMethod method);
  // Appends the tags to the function's.
  FunctionBuilder& AddTags(const std::vector<std::string>& tags);
  // Name the argument at the current index, with its source, and advance the index. Any of the
  // pointers may be null (a null text is the empty text).
  FunctionBuilder& AddQueryArgument(const char* name, const char* description,
                                    const BindingTypeDescriptor* descriptor);
  FunctionBuilder& AddPathArgument(const char* name, const char* description,
                                   const BindingTypeDescriptor* descriptor);
  FunctionBuilder& AddBodyArgument(const char* name, const char* description,
                                   const BindingTypeDescriptor* descriptor);

  [[nodiscard]] bool IsInert() const noexcept { return exists_ || record_ == nullptr; }
  [[nodiscard]] ApiFunctionRecord* Record() const noexcept { return record_; }

 private:
  FunctionBuilder& AddSourcedArgument(ArgumentSource source, const char* name,
                                      const char* description,
                                      const BindingTypeDescriptor* descriptor);

  ApiFunctionRecord* record_;
};

}  // namespace Zarn
