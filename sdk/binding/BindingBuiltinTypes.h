// The native records and enums that every registry registers on Initialize: the asynchronous
// and callback group, and the help group that describes the bound API.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sdk/binding/BindingProperty.h"
#include "sdk/binding/TypeId.h"

namespace Zarn {

enum class BindingAsyncState : std::int32_t {
  None = 0,
  Running = 1,
  Cancelling = 2,
  Cancelled = 3,
  Succeeded = 4,
  Failed = 5,
};

struct BindingGenericEvent {
  BindingProperty data;
};

struct BindingCallbackEvent {
  std::uint32_t id = 0;
  std::vector<BindingProperty> parameters;
};

struct BindingGenericAsyncEvent {
  std::uint32_t asyncToken = 0;
  BindingProperty data;
};

struct BindingAsyncFailureEvent {
  std::uint32_t asyncToken = 0;
  std::string error;
};

struct BindingAsyncCancelEvent {
  std::uint32_t asyncToken = 0;
};

enum class BindingHelpFormat : std::int32_t {
  Full = 1,
  Epytext = 2,
};

struct BindingFullTypeIdentifier {
  std::string type;
  std::string elementType;
};

struct BindingFullArgumentHelp {
  std::string name;
  std::string description;
  BindingFullTypeIdentifier type;
  bool optional = false;
};

struct BindingFullFunctionHelp {
  std::string name;
  std::string nameSpace;
  std::vector<BindingFullArgumentHelp> arguments;
  BindingFullTypeIdentifier returns;
  std::string description;
  std::string help;
  bool threadSafe = false;
  std::string async;
  std::vector<std::string> tags;
};

struct BindingFullEnumValueHelp {
  std::string name;
  std::string description;
  std::int32_t value = 0;
};

struct BindingFullFieldHelp {
  std::string name;
  std::string description;
  std::uint32_t offset = 0;
  BindingFullTypeIdentifier type;
  bool optional = false;
};

struct BindingFullTypeHelp {
  std::string name;
  std::string nameSpace;
  std::uint32_t size = 0;
  std::string description;
  std::vector<std::string> tags;
  std::vector<BindingFullFieldHelp> fields;
  std::vector<BindingFullEnumValueHelp> values;
};

struct BindingFullEventHelp {
  std::string name;
  std::string nameSpace;
  BindingFullTypeIdentifier type;
  std::string description;
  std::vector<std::string> tags;
};

struct BindingFullApiHelp {
  std::vector<BindingFullFunctionHelp> functions;
  std::vector<BindingFullTypeHelp> types;
  std::vector<BindingFullEventHelp> events;
};

}  // namespace Zarn

ZARN_TYPE_ID(Zarn::BindingAsyncState, 0x4B896D21u);
ZARN_TYPE_ID(Zarn::BindingGenericEvent, 0x2A500213u);
ZARN_TYPE_ID(Zarn::BindingCallbackEvent, 0x4B3E42BBu);
ZARN_TYPE_ID(Zarn::BindingGenericAsyncEvent, 0x78B7AC8Fu);
ZARN_TYPE_ID(Zarn::BindingAsyncFailureEvent, 0x2DB89656u);
ZARN_TYPE_ID(Zarn::BindingAsyncCancelEvent, 0x96EAAF44u);
ZARN_TYPE_ID(Zarn::BindingHelpFormat, 0x2698AA94u);
ZARN_TYPE_ID(Zarn::BindingFullTypeIdentifier, 0x88B6D4CAu);
ZARN_TYPE_ID(Zarn::BindingFullArgumentHelp, 0x65FF9F6Fu);
ZARN_TYPE_ID(Zarn::BindingFullFunctionHelp, 0x835D167Au);
ZARN_TYPE_ID(Zarn::BindingFullEnumValueHelp, 0xD0706E0Cu);
ZARN_TYPE_ID(Zarn::BindingFullFieldHelp, 0x5E9DFDF6u);
ZARN_TYPE_ID(Zarn::BindingFullTypeHelp, 0x7534AFEAu);
ZARN_TYPE_ID(Zarn::BindingFullEventHelp, 0x6178093Au);
ZARN_TYPE_ID(Zarn::BindingFullApiHelp, 0x7DFB1102u);
ZARN_TYPE_ID(std::vector<Zarn::BindingFullArgumentHelp>, 0xAE376D12u);
ZARN_TYPE_ID(std::vector<Zarn::BindingFullFieldHelp>, 0x91BDEEC6u);
ZARN_TYPE_ID(std::vector<Zarn::BindingFullEnumValueHelp>, 0xF613EC9Eu);
ZARN_TYPE_ID(std::vector<Zarn::BindingFullFunctionHelp>, 0x334BF406u);
ZARN_TYPE_ID(std::vector<Zarn::BindingFullTypeHelp>, 0xE98B65D6u);
ZARN_TYPE_ID(std::vector<Zarn::BindingFullEventHelp>, 0xC8AF01A6u);
