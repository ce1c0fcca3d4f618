// Records of this layer that cross the host boundary: the host value, its structure entry, the
// call result, and the descriptors that describe the registry to the host. Byte-packed; in the
// 32-bit build every pointer is 4 bytes and the sizes and offsets are checked below. The plugin
// reads and writes them only through their named fields.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace Zarn {

struct ApiObject;
struct ApiObjectEntry;

// Kinds of ApiObject.
enum ApiObjectKind : std::uint32_t {
  kApiObjectEmpty = 0,
  kApiObjectBool = 1,
  kApiObjectSigned = 2,
  kApiObjectUnsigned = 3,
  kApiObjectFloat = 4,
  kApiObjectBorrowedString = 5,
  kApiObjectOwnedString = 6,
  kApiObjectBorrowedBlob = 7,
  kApiObjectOwnedBlob = 8,
  kApiObjectCollection = 9,
  kApiObjectStructure = 10,
};

#pragma pack(push, 1)

// The 12-byte tagged value exchanged with the host: {kind, a, b}. Scalars keep their low 32 bits
// in `a.word` and their high 32 bits in `b`; kinds 5 to 10 keep a pointer in `a` and a byte or
// element count in `b`. Owned memory comes from the allocator hooks, so either side frees it.
struct ApiObject {
  union Word {
    std::uint32_t word;
    char* text;               // kinds 5 and 6: NUL-terminated; kind 5 borrowed, 6 owned
    std::uint8_t* bytes;      // kinds 7 and 8: kind 7 borrowed, 8 owned
    ApiObject* elements;      // kind 9, owned
    ApiObjectEntry* entries;  // kind 10, owned
  };

  // Each setter first destroys what the object held.
  void SetBool(bool value) noexcept;
  void SetInt64(std::uint32_t low, std::uint32_t high) noexcept;
  void SetUint64(std::uint32_t low, std::uint32_t high) noexcept;
  // Kind 6, an owned copy of `text` (null is the empty text). False when memory ran out; the
  // object is then empty.
  bool SetString(const char* text) noexcept;
  // Kind 6, an owned NUL-terminated copy of the characters of `text`.
  bool SetString(std::string_view text) noexcept;
  // Kind 8, an owned copy of `count` bytes. False when memory ran out or `bytes` is null with a
  // non-zero count; the object is then empty.
  bool SetBlob(const std::uint8_t* bytes, std::uint32_t count) noexcept;
  // Kind 9, taking over `elements` (hook-allocated, `count` objects).
  void SetCollection(ApiObject* elements, std::uint32_t count) noexcept;
  // Kind 10, taking over `entries` (hook-allocated, `count` entries).
  void SetStructure(ApiObjectEntry* entries, std::uint32_t count) noexcept;

  std::uint32_t kind;
  Word a;
  std::uint32_t b;
};

// A member of a kind-10 value.
struct ApiObjectEntry {
  char* name;  // NUL-terminated
  ApiObject value;
  std::uint8_t ownsName;  // 1 when `name` belongs to the entry
};

// One header of a call result: two NUL-terminated texts.
struct ApiHeader {
  char* name;
  char* value;
};

struct ApiCallResult;

// Entries that a call result hands the host.
using ApiStreamReadEntry = std::uint32_t (*)(void* stream, std::uintptr_t first,
                                             std::uintptr_t second, std::uintptr_t third);
using ApiStreamReleaseEntry = void (*)(void* stream);
using ApiCallResultReleaseEntry = void (*)(ApiCallResult* result);

// The reply record of a call between host and plugin (62 bytes in the 32-bit build).
struct ApiCallResult {
  // Destroys `value`, frees an owned earlier error text and stores an owned copy of `message`
  // (null is the empty text) with ownsError 1.
  void SetError(const char* message) noexcept;

  ApiObject value;
  char* errorText;  // NUL-terminated, or null
  std::uint8_t ownsError;
  std::uint8_t flag;
  std::uint32_t kind;
  std::uint32_t status;
  char* statusText;
  ApiHeader* headers;
  std::uint32_t headerCount;
  ApiStreamReadEntry streamRead;
  ApiStreamReleaseEntry streamRelease;
  std::uint64_t streamSize;
  void* stream;
  ApiCallResultReleaseEntry release;
};

// A value handed to a call: by name, or by position when `name` is null.
struct ApiNamedValue {
  const char* name;  // NUL-terminated, or null
  ApiObject value;
};

// The request record of a call between host and plugin (48 bytes in the 32-bit build). The
// caller owns it and everything it points to for the time of the call.
struct ApiCallRequest {
  std::uint32_t method;  // host method code, 1 to 8
  const char* path;      // NUL-terminated; may carry a query string after "?"
  const ApiNamedValue* namedValues;
  std::uint32_t namedValueCount;
  void* userData;  // a route descriptor's user data
  const ApiHeader* headers;
  std::uint32_t headerCount;
  const char* contentType;  // NUL-terminated
  const void* body;         // null when there is no body
  std::uint32_t bodyLength;
  std::uint32_t callWord;
  const char* customMethod;  // read only with method 8; may be null
};

// Descriptors. Texts are NUL-terminated and borrowed from the registry; `next` points to the
// following record of the same list, null in the last.

struct ApiArgumentDescriptor {
  const ApiArgumentDescriptor* next;
  const char* name;
  const char* description;
  std::uint32_t typeCode;
  std::uint32_t elementTypeCode;
  const char* typeName;  // the referenced registration for codes 15, 16, 17 and 19, else ""
  std::uint8_t optional;
};

struct ApiFunctionDescriptor {
  const ApiFunctionDescriptor* next;
  void* reserved;  // left 0 here
  void* userData;  // left 0 here; set in the copies that route descriptors make
  const char* name;
  const char* nameSpace;
  const ApiArgumentDescriptor* arguments;
  std::uint32_t argumentCount;
  std::uint32_t returnTypeCode;
  std::uint32_t returnElementTypeCode;
  const char* returnTypeName;
  const char* description;
  const char* help;
  std::uint8_t threadSafe;
  const char* asyncResultType;  // the return type's registration when async, else ""
  const char* const* tags;
  std::uint32_t tagCount;
};

struct ApiFieldDescriptor {
  const ApiFieldDescriptor* next;
  const char* name;
  const char* description;
  std::uint32_t offset;
  std::uint32_t typeCode;
  std::uint32_t elementTypeCode;
  const char* typeName;
  std::uint8_t optional;
};

struct ApiEnumeratorDescriptor {
  const ApiEnumeratorDescriptor* next;
  const char* name;
  const char* description;
  std::int32_t value;
};

struct ApiTypeDescriptor {
  const ApiTypeDescriptor* next;
  const char* name;
  const char* nameSpace;
  std::uint32_t size;
  const char* description;
  const char* const* tags;
  std::uint32_t tagCount;
  const ApiFieldDescriptor* fields;            // set when the type has fields
  const ApiEnumeratorDescriptor* enumerators;  // set when it has enumerators and no fields
  std::uint32_t count;                         // of fields, or else of enumerators
};

struct ApiEventDescriptor {
  const ApiEventDescriptor* next;
  const char* name;
  const char* nameSpace;
  const char* payloadTypeName;
  const char* description;
  const char* const* tags;
  std::uint32_t tagCount;
};

// The descriptor tables: first record and count of each array.
struct ApiRegistrySnapshot {
  const ApiFunctionDescriptor* functions;
  std::uint32_t functionCount;
  const ApiTypeDescriptor* types;
  std::uint32_t typeCount;
  const ApiEventDescriptor* events;
  std::uint32_t eventCount;
};

// A served function as the host sees it: a copy of its function descriptor, whose `next` links
// the route descriptors and whose `userData` is the route's user data, followed by how to call
// it. Built by the API registry and owned by it.
struct ApiArgumentSourceNode {
  const ApiArgumentSourceNode* next;
  std::uint32_t source;  // 1 query, 2 path, 3 host, 4 header, 5 body; else 0 (any)
};

struct ApiStringListNode {
  const ApiStringListNode* next;
  const char* const* strings;
  std::uint32_t count;
};

using ApiCallEntry = void (*)(ApiCallResult* reply, const ApiCallRequest* request);

struct ApiRouteDescriptor {
  ApiFunctionDescriptor function;
  ApiCallEntry callEntry;
  const ApiArgumentSourceNode* argumentSources;
  const char* routeTemplate;  // "" for a function without a route
  std::uint32_t method;       // 1 to 8, else 0
  std::uint8_t extraFlag;
  const ApiStringListNode* stringLists;
  std::uint32_t stringListCount;
  const char* methodName;
};

#pragma pack(pop)

#if defined(__i386__)
static_assert(sizeof(ApiObject) == 12);
static_assert(offsetof(ApiObject, kind) == 0);
static_assert(offsetof(ApiObject, a) == 4);
static_assert(offsetof(ApiObject, b) == 8);

static_assert(sizeof(ApiObjectEntry) == 17);
static_assert(offsetof(ApiObjectEntry, name) == 0);
static_assert(offsetof(ApiObjectEntry, value) == 4);
static_assert(offsetof(ApiObjectEntry, ownsName) == 16);

static_assert(sizeof(ApiHeader) == 8);

static_assert(sizeof(ApiNamedValue) == 16);
static_assert(offsetof(ApiNamedValue, value) == 4);

static_assert(sizeof(ApiCallRequest) == 48);
static_assert(offsetof(ApiCallRequest, path) == 4);
static_assert(offsetof(ApiCallRequest, namedValues) == 8);
static_assert(offsetof(ApiCallRequest, namedValueCount) == 12);
static_assert(offsetof(ApiCallRequest, userData) == 16);
static_assert(offsetof(ApiCallRequest, headers) == 20);
static_assert(offsetof(ApiCallRequest, headerCount) == 24);
static_assert(offsetof(ApiCallRequest, contentType) == 28);
static_assert(offsetof(ApiCallRequest, body) == 32);
static_assert(offsetof(ApiCallRequest, bodyLength) == 36);
static_assert(offsetof(ApiCallRequest, callWord) == 40);
static_assert(offsetof(ApiCallRequest, customMethod) == 44);

static_assert(sizeof(ApiCallResult) == 62);
static_assert(offsetof(ApiCallResult, value) == 0);
static_assert(offsetof(ApiCallResult, errorText) == 12);
static_assert(offsetof(ApiCallResult, ownsError) == 16);
static_assert(offsetof(ApiCallResult, flag) == 17);
static_assert(offsetof(ApiCallResult, kind) == 18);
static_assert(offsetof(ApiCallResult, status) == 22);
static_assert(offsetof(ApiCallResult, statusText) == 26);
static_assert(offsetof(ApiCallResult, headers) == 30);
static_assert(offsetof(ApiCallResult, headerCount) == 34);
static_assert(offsetof(ApiCallResult, streamRead) == 38);
static_assert(offsetof(ApiCallResult, streamRelease) == 42);
static_assert(offsetof(ApiCallResult, streamSize) == 46);
static_assert(offsetof(ApiCallResult, stream) == 54);
static_assert(offsetof(ApiCallResult, release) == 58);

static_assert(sizeof(ApiArgumentDescriptor) == 25);
static_assert(offsetof(ApiArgumentDescriptor, next) == 0);
static_assert(offsetof(ApiArgumentDescriptor, name) == 4);
static_assert(offsetof(ApiArgumentDescriptor, description) == 8);
static_assert(offsetof(ApiArgumentDescriptor, typeCode) == 12);
static_assert(offsetof(ApiArgumentDescriptor, elementTypeCode) == 16);
static_assert(offsetof(ApiArgumentDescriptor, typeName) == 20);
static_assert(offsetof(ApiArgumentDescriptor, optional) == 24);

static_assert(sizeof(ApiFunctionDescriptor) == 61);
static_assert(offsetof(ApiFunctionDescriptor, next) == 0);
static_assert(offsetof(ApiFunctionDescriptor, reserved) == 4);
static_assert(offsetof(ApiFunctionDescriptor, userData) == 8);
static_assert(offsetof(ApiFunctionDescriptor, name) == 12);
static_assert(offsetof(ApiFunctionDescriptor, nameSpace) == 16);
static_assert(offsetof(ApiFunctionDescriptor, arguments) == 20);
static_assert(offsetof(ApiFunctionDescriptor, argumentCount) == 24);
static_assert(offsetof(ApiFunctionDescriptor, returnTypeCode) == 28);
static_assert(offsetof(ApiFunctionDescriptor, returnElementTypeCode) == 32);
static_assert(offsetof(ApiFunctionDescriptor, returnTypeName) == 36);
static_assert(offsetof(ApiFunctionDescriptor, description) == 40);
static_assert(offsetof(ApiFunctionDescriptor, help) == 44);
static_assert(offsetof(ApiFunctionDescriptor, threadSafe) == 48);
static_assert(offsetof(ApiFunctionDescriptor, asyncResultType) == 49);
static_assert(offsetof(ApiFunctionDescriptor, tags) == 53);
static_assert(offsetof(ApiFunctionDescriptor, tagCount) == 57);

static_assert(sizeof(ApiFieldDescriptor) == 29);
static_assert(offsetof(ApiFieldDescriptor, next) == 0);
static_assert(offsetof(ApiFieldDescriptor, name) == 4);
static_assert(offsetof(ApiFieldDescriptor, description) == 8);
static_assert(offsetof(ApiFieldDescriptor, offset) == 12);
static_assert(offsetof(ApiFieldDescriptor, typeCode) == 16);
static_assert(offsetof(ApiFieldDescriptor, elementTypeCode) == 20);
static_assert(offsetof(ApiFieldDescriptor, typeName) == 24);
static_assert(offsetof(ApiFieldDescriptor, optional) == 28);

static_assert(sizeof(ApiEnumeratorDescriptor) == 16);
static_assert(offsetof(ApiEnumeratorDescriptor, next) == 0);
static_assert(offsetof(ApiEnumeratorDescriptor, name) == 4);
static_assert(offsetof(ApiEnumeratorDescriptor, description) == 8);
static_assert(offsetof(ApiEnumeratorDescriptor, value) == 12);

static_assert(sizeof(ApiTypeDescriptor) == 40);
static_assert(offsetof(ApiTypeDescriptor, next) == 0);
static_assert(offsetof(ApiTypeDescriptor, name) == 4);
static_assert(offsetof(ApiTypeDescriptor, nameSpace) == 8);
static_assert(offsetof(ApiTypeDescriptor, size) == 12);
static_assert(offsetof(ApiTypeDescriptor, description) == 16);
static_assert(offsetof(ApiTypeDescriptor, tags) == 20);
static_assert(offsetof(ApiTypeDescriptor, tagCount) == 24);
static_assert(offsetof(ApiTypeDescriptor, fields) == 28);
static_assert(offsetof(ApiTypeDescriptor, enumerators) == 32);
static_assert(offsetof(ApiTypeDescriptor, count) == 36);

static_assert(sizeof(ApiEventDescriptor) == 28);
static_assert(offsetof(ApiEventDescriptor, next) == 0);
static_assert(offsetof(ApiEventDescriptor, name) == 4);
static_assert(offsetof(ApiEventDescriptor, nameSpace) == 8);
static_assert(offsetof(ApiEventDescriptor, payloadTypeName) == 12);
static_assert(offsetof(ApiEventDescriptor, description) == 16);
static_assert(offsetof(ApiEventDescriptor, tags) == 20);
static_assert(offsetof(ApiEventDescriptor, tagCount) == 24);

static_assert(sizeof(ApiRegistrySnapshot) == 24);
static_assert(offsetof(ApiRegistrySnapshot, functions) == 0);
static_assert(offsetof(ApiRegistrySnapshot, functionCount) == 4);
static_assert(offsetof(ApiRegistrySnapshot, types) == 8);
static_assert(offsetof(ApiRegistrySnapshot, typeCount) == 12);
static_assert(offsetof(ApiRegistrySnapshot, events) == 16);
static_assert(offsetof(ApiRegistrySnapshot, eventCount) == 20);

static_assert(sizeof(ApiArgumentSourceNode) == 8);
static_assert(offsetof(ApiArgumentSourceNode, source) == 4);

static_assert(sizeof(ApiStringListNode) == 12);
static_assert(offsetof(ApiStringListNode, strings) == 4);
static_assert(offsetof(ApiStringListNode, count) == 8);

static_assert(sizeof(ApiRouteDescriptor) == 90);
static_assert(offsetof(ApiRouteDescriptor, function) == 0);
static_assert(offsetof(ApiRouteDescriptor, callEntry) == 61);
static_assert(offsetof(ApiRouteDescriptor, argumentSources) == 65);
static_assert(offsetof(ApiRouteDescriptor, routeTemplate) == 69);
static_assert(offsetof(ApiRouteDescriptor, method) == 73);
static_assert(offsetof(ApiRouteDescriptor, extraFlag) == 77);
static_assert(offsetof(ApiRouteDescriptor, stringLists) == 78);
static_assert(offsetof(ApiRouteDescriptor, stringListCount) == 82);
static_assert(offsetof(ApiRouteDescriptor, methodName) == 86);
#endif

}  // namespace Zarn
