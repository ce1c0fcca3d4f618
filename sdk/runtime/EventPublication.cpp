// Publication of resource events through the host.
#include <string>

#include "sdk/binding/ApiObject.h"
#include "sdk/binding/HostValueConversion.h"
#include "sdk/binding/TypedConversions.h"
#include "sdk/runtime/AppModule.h"
#include "sdk/runtime/JsonApiEventName.h"

namespace Zarn::Client {

namespace {

constexpr const char* kPlainEventName = "OnJsonApiEvent";

// Destroys the host value on every path out of a publication.
class OwnedApiObject {
 public:
  OwnedApiObject() = default;
  ~OwnedApiObject() { DestroyApiObject(object_); }
  OwnedApiObject(const OwnedApiObject&) = delete;
  OwnedApiObject& operator=(const OwnedApiObject&) = delete;

  ApiObject& Get() { return object_; }

 private:
  ApiObject object_{};
};

}  // namespace

MaybeType<Failure, void> AppModule::SendEvent(const std::string& name, const Resource& event,
                                              uint32_t flag) {
  if (registry_ == nullptr) {
    return Failure(0, std::string("Couldn't publish an event: the module has no registry"));
  }
  if (callGate_ != nullptr && callGate_->Stops(CallGate::Act::kPublish, {event.uri, {}})) {
    const CallGate::Refusal& refusal = callGate_->StopRefusal();
    return Failure(static_cast<int32_t>(refusal.status), refusal.text);
  }
  BindingResult value;
  WriteValue(value, event, *registry_);
  if (!value.IsOk()) return Failure(0, std::string(value.ErrorMessage()));
  const std::string pathName = MakeJsonApiEventName(event.uri);
  OwnedApiObject payload;
  if (!PropertyToApiObject(payload.Get(), value.Value(), registry_)) {
    return Failure(0, "Couldn't convert the event of " + event.uri +
                          " to a host value: out of memory or nested too deeply");
  }
  PluginHostEvent record{};
  record.name = pathName.c_str();
  record.payload = payload.Get();
  record.flag = flag;
  PublishHostEvent(&record);
  if (name != pathName) {
    record.name = name.c_str();
    PublishHostEvent(&record);
  }
  return MaybeType<Failure, void>::Success();
}

bool AppModule::PublishResourceEvent(const std::string& path) {
  Resource event;
  event.uri = path;
  event.eventType = PluginResourceEventType::Delete;
  return !SendEvent(kPlainEventName, event, 0).IsFailure();
}

}  // namespace Zarn::Client
