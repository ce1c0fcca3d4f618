// Fills a matched function's arguments from the request's headers, path captures, query, host
// named values and body; then runs the function's request handler and writes the reply.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "sdk/api/ApiFunctionRecord.h"
#include "sdk/api/BindingHttpResult.h"
#include "sdk/api/RequestMatch.h"
#include "sdk/api/TextMap.h"
#include "sdk/binding/ApiRecords.h"
#include "sdk/binding/BindingFunctionInfo.h"
#include "sdk/binding/BindingProperty.h"

namespace Zarn {

// Argument name to argument index; the first of a repeated name wins. Functions take few
// arguments: looking through them costs less than building a table for every call.
class ArgumentNameIndex {
 public:
  // `function` must outlive the index.
  explicit ArgumentNameIndex(const BindingFunctionInfo& function) noexcept : function_(&function) {}
  // The index of the first argument named `name`; false when none is.
  [[nodiscard]] bool Find(std::string_view name, std::uint32_t& index) const noexcept;

 private:
  const BindingFunctionInfo* function_;
};

// Dotted argument keys ("items.3.name") are followed at most this deep, and an index step
// addresses at most this many elements.
inline constexpr std::size_t kMaxArgumentKeySteps = 512;
inline constexpr std::uint64_t kMaxArgumentIndex = 9999;

// The whole binding and call for a matched request (`match.function` and `match.record` set):
// the reply is written with WriteReply; the argument holder is freed in every case.
void BindArguments(ApiCallResult& reply, const ApiCallRequest& request, const RequestMatch& match);

// The header values of arguments whose source is Any or Header, keyed by argument name; each
// argument's name is looked up lower-cased, header names as given.
[[nodiscard]] TextMap CollectHeaderArguments(const TextMap& headers,
                                             const BindingFunctionInfo& function,
                                             const ApiFunctionRecord& record);

// Sizes `values` to the function's arguments (a non-optional bool starts false), then binds the
// header arguments, the path captures and the query arguments, in that order, while `result`
// succeeds. A capture that did not decode fails, naming its parameter. Query keys without a "."
// are bound in the order the caller wrote them, then dotted keys in the order of ArgumentKeyLess,
// so that the elements they name are made lowest index first.
void BindAll(BindingHttpResult& result, std::vector<BindingProperty>& values,
             const BindingFunctionInfo& function, const ApiFunctionRecord& record,
             const TextMap& query, const PathCaptures& path, const TextMap& headers);

// Binds `text` under `key` (an argument name, maybe followed by "." and steps) given from
// `source`. Steps into an argument that holds no list, structure, map or free value fail before
// anything is built.
void BindArgument(BindingHttpResult& result, std::vector<BindingProperty>& values,
                  const ArgumentNameIndex& names, const BindingFunctionInfo& function,
                  const ApiFunctionRecord& record, std::string_view key, std::string_view text,
                  ArgumentSource source);

// Follows the "."-separated steps of `key` (collection indices or member names) from `target`,
// creating what is missing, and stores `text` as a string at the last one. An index may name an
// element that exists or the next one, no further: each step makes at most one element, so what
// a key builds grows with its length, not with the indexes it names.
void ParseArgumentIndex(BindingHttpResult& result, BindingProperty& target,
                        const BindingFunctionInfo& function, std::string_view key,
                        std::string_view text);

// Stores `text` into `target`: when `structured`, a MessagePack map or array, JSON text or a
// YAML document is decoded; anything else is kept as a string. `name` is the argument's.
void DeserializeArgumentValue(BindingHttpResult& result, BindingProperty& target,
                              const BindingFunctionInfo& function, std::string_view name,
                              std::string_view text, bool structured);

}  // namespace Zarn
