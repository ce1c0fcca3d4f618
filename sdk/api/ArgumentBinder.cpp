#include "sdk/api/ArgumentBinder.h"

#include <algorithm>
#include <exception>
#include <string>

#include "sdk/api/ApiRegistry.h"
#include "sdk/api/ArgumentKey.h"
#include "sdk/api/QueryString.h"
#include "sdk/base/Format.h"
#include "sdk/base/StringUtil.h"
#include "sdk/binding/HostValueConversion.h"
#include "sdk/binding/JsonText.h"
#include "sdk/binding/MessagePackDecoder.h"
#include "sdk/binding/YamlText.h"

namespace Zarn {
namespace {

bool HasPrefixIgnoringCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && ToLower(text.substr(0, prefix.size())) == prefix;
}

const char* FunctionName(const BindingFunctionInfo& function) { return function.name.c_str(); }

void FailUnknownArgument(BindingHttpResult& result, const std::string& name,
                         const BindingFunctionInfo& function) {
  result.SetFailure(Format("Unknown argument '%1' for '%2'.", name, FunctionName(function)));
}

// Reads the body into the first body argument. Runs whatever the result: a body that fails
// replaces an earlier failure, one that reads well leaves it.
void BindBody(BindingHttpResult& result, std::vector<BindingProperty>& values,
              const ApiFunctionRecord& record, const ApiCallRequest& request) {
  if (request.body == nullptr) return;
  std::size_t target = 0;
  while (target < values.size() && record.SourceOf(target) != ArgumentSource::Body) ++target;
  if (target == values.size()) return;

  const auto* bytes = static_cast<const std::uint8_t*>(request.body);
  const std::string_view contentType =
      request.contentType != nullptr ? request.contentType : std::string_view();
  BindingResult body;
  if (request.contentType != nullptr &&
      HasPrefixIgnoringCase(contentType, "application/x-msgpack")) {
    MessagePackDecoder::Decoded decoded = MessagePackDecoder::Decode(bytes, request.bodyLength);
    body = std::move(decoded.result);
    if (body.IsOk() && decoded.consumed < request.bodyLength) {
      body.SetFailure("Extra MessgePack data found in body");
    }
  } else if (request.contentType != nullptr &&
             (HasPrefixIgnoringCase(contentType, "application/json") ||
              HasPrefixIgnoringCase(contentType, "application/vnd.api+json"))) {
    // A copy, so the parser reads no further than the host's buffer.
    const std::string text(reinterpret_cast<const char*>(bytes), request.bodyLength);
    body = ParseJsonText(text.c_str());
  } else if (request.contentType != nullptr &&
             HasPrefixIgnoringCase(contentType, "application/x-yaml")) {
    const std::string text(reinterpret_cast<const char*>(bytes), request.bodyLength);
    body = ParseYamlText(text.c_str());
  } else {
    body.SetFailure("Unsupported body content type");
  }
  if (!body.IsOk()) {
    result.SetFailure(body.ErrorMessage());
  } else {
    values[target] = std::move(body.Value());
  }
}

// Binds the host's named values: by name, or by position after the path captures.
void BindNamedValues(BindingHttpResult& result, std::vector<BindingProperty>& values,
                     const BindingFunctionInfo& function, const ApiCallRequest& request,
                     std::size_t captureCount) {
  if (request.namedValues == nullptr) return;
  const ArgumentNameIndex names(function);
  for (std::uint32_t i = 0; i < request.namedValueCount && result.IsOk(); ++i) {
    const ApiNamedValue& named = request.namedValues[i];
    std::size_t index = 0;
    if (named.name != nullptr) {
      std::uint32_t found = 0;
      if (!names.Find(named.name, found)) return FailUnknownArgument(result, named.name, function);
      index = found;
    } else {
      index = i + captureCount;
      if (index >= values.size()) {
        return FailUnknownArgument(result, std::to_string(index), function);
      }
    }
    ApiCallResult conversion{};
    if (!ApiObjectToProperty(conversion, values[index], named.value,
                             function.arguments[index].name)) {
      result.SetFailure(conversion.errorText != nullptr ? conversion.errorText : "");
    }
    ApiRegistry::ReleaseReply(&conversion);
  }
}

}  // namespace

bool ArgumentNameIndex::Find(std::string_view name, std::uint32_t& index) const noexcept {
  const std::vector<BindingArgumentInfo>& arguments = function_->arguments;
  for (std::uint32_t i = 0; i < arguments.size(); ++i) {
    if (arguments[i].name == name) {
      index = i;
      return true;
    }
  }
  return false;
}

void BindArguments(ApiCallResult& reply, const ApiCallRequest& request, const RequestMatch& match) {
  const BindingFunctionInfo& function = *match.function;
  const ApiFunctionRecord& record = *match.record;
  BindingHttpResult result;
  std::vector<BindingProperty> values;

  TextMap headers;
  for (std::uint32_t i = 0; request.headers != nullptr && i < request.headerCount; ++i) {
    const ApiHeader& header = request.headers[i];
    if (header.name == nullptr) continue;
    headers.insert_or_assign(header.name, header.value != nullptr ? header.value : "");
  }
  const TextMap headerArguments = CollectHeaderArguments(headers, function, record);
  const std::string_view path = match.path;
  const std::size_t question = path.find('?');
  const MaybeType<Failure, TextMap> query =
      question == std::string_view::npos ? TextMap() : ParseQuery(path.substr(question + 1));

  // A query that does not decode fails where its arguments would have been bound.
  const TextMap noQuery;
  BindAll(result, values, function, record, query ? *query : noQuery, match.captures,
          headerArguments);
  if (result.IsOk() && query.IsFailure()) result.SetFailure(query.Message());
  if (result.IsOk()) BindNamedValues(result, values, function, request, match.captures.size());
  BindBody(result, values, record, request);

  ApiRequestHandler* handler = record.handler.get();
  void* holder = nullptr;
  try {
    if (handler == nullptr) throw std::bad_function_call();
    if (result.IsOk()) holder = handler->ParseArguments(result, values, request.callWord);
    if (result.IsOk()) handler->HandleRequest(result, nullptr, holder, request.callWord);
  } catch (const std::exception& error) {
    result = MakeInternalServerError(std::string_view(error.what()));
  }
  if (holder != nullptr) handler->FreeArguments(holder);
  ApiRegistry::WriteReply(reply, result, function.registry);
}

TextMap CollectHeaderArguments(const TextMap& headers, const BindingFunctionInfo& function,
                               const ApiFunctionRecord& record) {
  TextMap arguments;
  if (headers.empty()) return arguments;
  for (std::size_t i = 0; i < function.arguments.size(); ++i) {
    const ArgumentSource source = record.SourceOf(i);
    if (source != ArgumentSource::Any && source != ArgumentSource::Header) continue;
    const std::string& name = function.arguments[i].name;
    const auto found = headers.find(ToLower(name));
    if (found != headers.end()) arguments.insert_or_assign(name, found->second);
  }
  return arguments;
}

void BindAll(BindingHttpResult& result, std::vector<BindingProperty>& values,
             const BindingFunctionInfo& function, const ApiFunctionRecord& record,
             const TextMap& query, const PathCaptures& path, const TextMap& headers) {
  values.resize(function.arguments.size());
  const ArgumentNameIndex names(function);
  for (std::size_t i = 0; i < values.size(); ++i) {
    const BindingArgumentInfo& argument = function.arguments[i];
    if (argument.descriptor.kind == BindingTypeCode::Bool && !argument.optional) {
      values[i].SetBool(false);
    }
  }
  // False once the result has failed: nothing more is bound.
  const auto bind = [&](std::string_view key, std::string_view text, ArgumentSource source) {
    if (!result.IsOk()) return false;
    BindArgument(result, values, names, function, record, key, text, source);
    return true;
  };
  for (const auto& [key, text] : headers) {
    if (!bind(key, text, ArgumentSource::Header)) return;
  }
  if (path.Refused()) {
    if (result.IsOk()) result.SetFailure(RefusedArgumentText(*path.Refused()).Message());
    return;
  }
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (!bind(path.At(i).name, path.At(i).value, ArgumentSource::Path)) return;
  }
  // Dotted keys go after the others, ordered by their steps, so that the elements a query names
  // are made in turn however it lists them; each index may then name at most the next one.
  std::vector<const TextMap::value_type*> dotted;
  for (const TextMap::value_type& entry : query) {
    if (entry.first.find('.') != std::string::npos) {
      dotted.push_back(&entry);
    } else if (!bind(entry.first, entry.second, ArgumentSource::Query)) {
      return;
    }
  }
  std::sort(dotted.begin(), dotted.end(),
            [](const TextMap::value_type* a, const TextMap::value_type* b) {
              return ArgumentKeyLess(a->first, b->first);
            });
  for (const TextMap::value_type* entry : dotted) {
    if (!bind(entry->first, entry->second, ArgumentSource::Query)) return;
  }
}

void BindArgument(BindingHttpResult& result, std::vector<BindingProperty>& values,
                  const ArgumentNameIndex& names, const BindingFunctionInfo& function,
                  const ApiFunctionRecord& record, std::string_view key, std::string_view text,
                  ArgumentSource source) {
  const std::size_t dot = key.find('.');
  const std::string name(key.substr(0, dot));
  std::uint32_t index = 0;
  if (!names.Find(name, index)) return FailUnknownArgument(result, name, function);
  const ArgumentSource allowed = record.SourceOf(index);
  if (allowed != ArgumentSource::Any && allowed != source) {
    result.SetFailure(Format("Argument '%1' for '%2' was specified in an invalid location.", name,
                             FunctionName(function)));
    return;
  }
  BindingProperty& value = values[index];
  const BindingTypeCode kind = function.arguments[index].descriptor.kind;
  if (dot != std::string_view::npos) {
    const std::string_view steps = key.substr(dot + 1);
    if (kind != BindingTypeCode::Object && kind != BindingTypeCode::Vector &&
        kind != BindingTypeCode::Struct && kind != BindingTypeCode::Map) {
      // Nothing of what the steps would build could become this argument's value.
      result.SetFailure(
          Format("Index %1 is out of range", std::string(steps.substr(0, steps.find('.')))));
      return;
    }
    ParseArgumentIndex(result, value, function, steps, text);
    return;
  }
  if (text.empty()) {
    switch (kind) {
      case BindingTypeCode::Bool:
        value.SetBool(true);
        break;
      case BindingTypeCode::Object:
      case BindingTypeCode::Struct:
        value.Reset();
        value.MakeStructure();
        break;
      case BindingTypeCode::Vector:
        value.Reset();
        value.MakeCollection();
        break;
      default:
        result.SetFailure(Format("Expected value for argument '%1'.", name));
    }
    return;
  }
  const bool structured = kind == BindingTypeCode::Object || kind == BindingTypeCode::Vector ||
                          kind == BindingTypeCode::Struct;
  DeserializeArgumentValue(result, value, function, name, text, structured);
}

void ParseArgumentIndex(BindingHttpResult& result, BindingProperty& target,
                        const BindingFunctionInfo& function, std::string_view key,
                        std::string_view text) {
  BindingProperty* current = &target;
  for (std::size_t steps = 1;; ++steps) {
    const std::size_t dot = key.find('.');
    const std::string step(key.substr(0, dot));
    if (steps > kMaxArgumentKeySteps) {
      result.SetFailure(Format("Index %1 is out of range", step));
      return;
    }
    if (IsIndexStep(step)) {
      std::uint64_t index = 0;
      const IndexStep parsed = ParseIndexStep(step, index);
      if (parsed == IndexStep::kMalformed) {
        result.SetFailure(Format("Index %1 is in an incorrect format", step));
        return;
      }
      // An element that exists or the next one: no step makes more than one.
      const std::size_t size = current->IsCollection() ? current->Size() : 0;
      if (parsed == IndexStep::kTooLarge || index > kMaxArgumentIndex || index > size) {
        result.SetFailure(Format("Index %1 is out of range", step));
        return;
      }
      current = &current->At(static_cast<std::size_t>(index));
    } else {
      current = &current->Member(step);
    }
    if (dot == std::string_view::npos) break;
    key.remove_prefix(dot + 1);
  }
  DeserializeArgumentValue(result, *current, function, {}, text, false);
}

void DeserializeArgumentValue(BindingHttpResult& result, BindingProperty& target,
                              const BindingFunctionInfo& function, std::string_view name,
                              std::string_view text, bool structured) {
  if (!structured) {
    target.SetString(text);
    return;
  }
  const std::string copy(text);  // the readers below take NUL-terminated text
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(copy.data());
  BindingResult decoded;
  const char* format = nullptr;
  if (IsMessagePackContainer(bytes, copy.size())) {
    decoded = std::move(MessagePackDecoder::Decode(bytes, copy.size()).result);
    format = "MessagePack";
  } else if (LooksLikeJson(copy.c_str())) {
    decoded = ParseJsonText(copy.c_str());
    format = "JSON";
  } else if (IsYamlDocumentStart(copy.c_str())) {
    decoded = ParseYamlText(copy.c_str());
    format = "YAML";
  } else {
    target.SetString(text);
    return;
  }
  if (!decoded.IsOk()) {
    result.SetFailure(Format("Couldn't deserialize %1 value for parameter '%2' of '%3': %4", format,
                             std::string(name), FunctionName(function),
                             std::string(decoded.ErrorMessage())));
    return;
  }
  target = std::move(decoded.Value());
}

}  // namespace Zarn
