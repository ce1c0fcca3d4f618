#include "sdk/api/FunctionBuilder.h"

namespace Zarn {

FunctionBuilder& FunctionBuilder::SetPath(std::string path) {
  if (IsInert()) return *this;
  if (path.size() > 1 && path.back() == '/') path.pop_back();
  record_->routeTemplate = std::move(path);
  return *this;
}

FunctionBuilder& FunctionBuilder::SetMethod(HttpMethod method) {
  if (IsInert()) return *this;
  record_->method = method;
  record_->methodName.clear();
  return *this;
}

FunctionBuilder& FunctionBuilder::AddTags(const std::vector<std::string>& tags) {
  BindingFunctionBuilder::AddTags(tags);
  return *this;
}

FunctionBuilder& FunctionBuilder::AddQueryArgument(const char* name, const char* description,
                                                   const BindingTypeDescriptor* descriptor) {
  return AddSourcedArgument(ArgumentSource::Query, name, description, descriptor);
}

FunctionBuilder& FunctionBuilder::AddPathArgument(const char* name, const char* description,
                                                  const BindingTypeDescriptor* descriptor) {
  return AddSourcedArgument(ArgumentSource::Path, name, description, descriptor);
}

FunctionBuilder& FunctionBuilder::AddBodyArgument(const char* name, const char* description,
                                                  const BindingTypeDescriptor* descriptor) {
  return AddSourcedArgument(ArgumentSource::Body, name, description, descriptor);
}

FunctionBuilder& FunctionBuilder::AddSourcedArgument(ArgumentSource source, const char* name,
                                                     const char* description,
                                                     const BindingTypeDescriptor* descriptor) {
  if (!IsInert()) {
    std::vector<ArgumentSource>& sources = record_->argumentSources;
    if (sources.size() <= index_) sources.resize(index_ + 1, ArgumentSource::Any);
    sources[index_] = source;
  }
  AddArgument(name != nullptr ? name : "", description != nullptr ? description : "", descriptor,
              nullptr);
  return *this;
}

}  // namespace Zarn
