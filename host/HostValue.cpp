#include "host/HostValue.h"

#include <rapidjson/encodedstream.h>
#include <rapidjson/memorystream.h>
#include <rapidjson/reader.h>
#include <rapidjson/stringbuffer.h>
#include <rapidjson/writer.h>

#include <cstdlib>
#include <cstring>

namespace Zarn::Host {

namespace {

// Scalars keep their low 32 bits in `a.word` and their high 32 bits in `b`.
void SetWords64(ApiObject* object, uint32_t kind, uint64_t value) {
  object->kind = kind;
  object->a.word = static_cast<uint32_t>(value);
  object->b = static_cast<uint32_t>(value >> 32);
}
uint64_t Words64(const ApiObject& object) {
  return (static_cast<uint64_t>(object.b) << 32) | object.a.word;
}

char* CopyBytes(const char* data, std::size_t size) {
  char* copy = static_cast<char*>(std::malloc(size + 1));
  if (copy == nullptr) return nullptr;
  std::memcpy(copy, data, size);
  copy[size] = '\0';
  return copy;
}

// `depth` counts the containers around and including `json`.
bool Build(const rapidjson::Value& json, ApiObject* out, int depth) {
  std::memset(out, 0, sizeof(*out));
  if ((json.IsArray() || json.IsObject()) && depth > kMaxHostValueDepth) return false;
  switch (json.GetType()) {
    case rapidjson::kNullType:
      return true;
    case rapidjson::kFalseType:
    case rapidjson::kTrueType:
      SetWords64(out, 1, json.GetBool() ? 1 : 0);
      return true;
    case rapidjson::kNumberType:
      if (json.IsInt64()) {
        SetWords64(out, 2, static_cast<uint64_t>(json.GetInt64()));
      } else if (json.IsUint64()) {
        SetWords64(out, 3, json.GetUint64());
      } else {
        const double value = json.GetDouble();
        uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        SetWords64(out, 4, bits);
      }
      return true;
    case rapidjson::kStringType: {
      char* text = CopyBytes(json.GetString(), json.GetStringLength());
      if (text == nullptr) return false;
      out->kind = kApiObjectOwnedString;
      out->a.text = text;
      out->b = static_cast<uint32_t>(std::strlen(text));
      return true;
    }
    case rapidjson::kArrayType: {
      const std::size_t count = json.Size();
      auto* elements =
          static_cast<ApiObject*>(std::calloc(count == 0 ? 1 : count, sizeof(ApiObject)));
      if (elements == nullptr) return false;
      out->kind = kApiObjectCollection;
      out->a.elements = elements;
      out->b = static_cast<uint32_t>(count);
      for (std::size_t i = 0; i < count; ++i) {
        if (!Build(json[static_cast<rapidjson::SizeType>(i)], &elements[i], depth + 1)) {
          FreeHostObject(out);
          return false;
        }
      }
      return true;
    }
    case rapidjson::kObjectType: {
      const std::size_t count = json.MemberCount();
      auto* entries =
          static_cast<ApiObjectEntry*>(std::calloc(count == 0 ? 1 : count, sizeof(ApiObjectEntry)));
      if (entries == nullptr) return false;
      out->kind = kApiObjectStructure;
      out->a.entries = entries;
      out->b = static_cast<uint32_t>(count);
      std::size_t i = 0;
      for (auto member = json.MemberBegin(); member != json.MemberEnd(); ++member, ++i) {
        ApiObjectEntry entry{};
        entry.name = CopyBytes(member->name.GetString(), member->name.GetStringLength());
        entry.ownsName = 1;
        const bool built = entry.name != nullptr && Build(member->value, &entry.value, depth + 1);
        std::memcpy(&entries[i], &entry, sizeof entry);
        if (!built) {
          FreeHostObject(out);
          return false;
        }
      }
      return true;
    }
  }
  return false;
}

const char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string Base64(const unsigned char* data, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; i += 3) {
    const uint32_t chunk =
        (data[i] << 16) | (i + 1 < size ? data[i + 1] << 8 : 0) | (i + 2 < size ? data[i + 2] : 0);
    text += kBase64[(chunk >> 18) & 63];
    text += kBase64[(chunk >> 12) & 63];
    text += i + 1 < size ? kBase64[(chunk >> 6) & 63] : '=';
    text += i + 2 < size ? kBase64[chunk & 63] : '=';
  }
  return text;
}

bool Read(const ApiObject& object, rapidjson::Value& out,
          rapidjson::Document::AllocatorType& allocator, int depth, std::string* error) {
  out.SetNull();
  if ((object.kind == kApiObjectCollection || object.kind == kApiObjectStructure) &&
      depth > kMaxHostValueDepth) {
    *error = "a host value nests deeper than " + std::to_string(kMaxHostValueDepth);
    return false;
  }
  switch (object.kind) {
    case 0:
      return true;
    case 1:
      out.SetBool((object.a.word & 0xFF) != 0);
      return true;
    case 2:
      out.SetInt64(static_cast<int64_t>(Words64(object)));
      return true;
    case 3:
      out.SetUint64(Words64(object));
      return true;
    case 4: {
      const uint64_t bits = Words64(object);
      double value = 0;
      std::memcpy(&value, &bits, sizeof value);
      out.SetDouble(value);
      return true;
    }
    case 5:
    case 6: {
      const char* text = object.a.text;
      out.SetString(text != nullptr ? text : "", allocator);
      return true;
    }
    case 7:
    case 8: {
      const unsigned char* bytes = object.a.bytes;
      const std::size_t size = bytes != nullptr ? static_cast<std::size_t>(object.b) : 0;
      out.SetString(Base64(bytes, size).c_str(), allocator);
      return true;
    }
    case 9: {
      out.SetArray();
      const ApiObject* elements = object.a.elements;
      const std::size_t count = elements != nullptr ? static_cast<std::size_t>(object.b) : 0;
      for (std::size_t i = 0; i < count; ++i) {
        rapidjson::Value element;
        const bool ok = Read(elements[i], element, allocator, depth + 1, error);
        out.PushBack(element, allocator);
        if (!ok) return false;
      }
      return true;
    }
    case 10: {
      out.SetObject();
      const ApiObjectEntry* entries = object.a.entries;
      const std::size_t count = entries != nullptr ? static_cast<std::size_t>(object.b) : 0;
      for (std::size_t i = 0; i < count; ++i) {
        ApiObjectEntry entry;
        std::memcpy(&entry, &entries[i], sizeof entry);
        rapidjson::Value value;
        const bool ok = Read(entry.value, value, allocator, depth + 1, error);
        rapidjson::Value name(entry.name != nullptr ? entry.name : "", allocator);
        out.AddMember(name, value, allocator);
        if (!ok) return false;
      }
      return true;
    }
    default:
      *error = "a host value has the unknown kind " + std::to_string(object.kind);
      return false;
  }
}

// Builds the document from a reader's events and stops the reader as soon as a value opens
// deeper than kMaxHostValueDepth, so that deep input never grows the parser's stacks past it.
class DepthLimitedBuilder {
 public:
  explicit DepthLimitedBuilder(rapidjson::Document& document) : document_(document) {}

  bool Null() { return document_.Null(); }
  bool Bool(bool b) { return document_.Bool(b); }
  bool Int(int i) { return document_.Int(i); }
  bool Uint(unsigned u) { return document_.Uint(u); }
  bool Int64(int64_t i) { return document_.Int64(i); }
  bool Uint64(uint64_t u) { return document_.Uint64(u); }
  bool Double(double d) { return document_.Double(d); }
  bool RawNumber(const char* text, rapidjson::SizeType length, bool copy) {
    return document_.RawNumber(text, length, copy);
  }
  bool String(const char* text, rapidjson::SizeType length, bool copy) {
    return document_.String(text, length, copy);
  }
  bool Key(const char* text, rapidjson::SizeType length, bool copy) {
    return document_.Key(text, length, copy);
  }
  bool StartObject() { return Open() && document_.StartObject(); }
  bool EndObject(rapidjson::SizeType count) {
    --depth_;
    return document_.EndObject(count);
  }
  bool StartArray() { return Open() && document_.StartArray(); }
  bool EndArray(rapidjson::SizeType count) {
    --depth_;
    return document_.EndArray(count);
  }

  [[nodiscard]] bool TooDeep() const { return depth_ > kMaxHostValueDepth; }

 private:
  bool Open() { return ++depth_ <= kMaxHostValueDepth; }

  rapidjson::Document& document_;
  int depth_ = 0;
};

// What the reader expected where it stopped, as a reader of the error wants it said.
const char* ExpectedAt(rapidjson::ParseErrorCode code) {
  switch (code) {
    case rapidjson::kParseErrorDocumentEmpty:
      return "a value was expected, and the text is empty";
    case rapidjson::kParseErrorDocumentRootNotSingular:
      return "the end of the text was expected after the value";
    case rapidjson::kParseErrorValueInvalid:
      return "a value was expected (an object, an array, a string, a number, true, false or null)";
    case rapidjson::kParseErrorObjectMissName:
      return "a member's name in double quotes was expected";
    case rapidjson::kParseErrorObjectMissColon:
      return "':' was expected after the member's name";
    case rapidjson::kParseErrorObjectMissCommaOrCurlyBracket:
      return "',' or '}' was expected after the member";
    case rapidjson::kParseErrorArrayMissCommaOrSquareBracket:
      return "',' or ']' was expected after the element";
    case rapidjson::kParseErrorStringUnicodeEscapeInvalidHex:
      return "four hexadecimal digits were expected after \\u";
    case rapidjson::kParseErrorStringUnicodeSurrogateInvalid:
      return "a \\u escape of a low surrogate was expected after the high one";
    case rapidjson::kParseErrorStringEscapeInvalid:
      return "one of \" \\ / b f n r t u was expected after a backslash";
    case rapidjson::kParseErrorStringMissQuotationMark:
      return "a closing double quote was expected before the end of the text";
    case rapidjson::kParseErrorStringInvalidEncoding:
      return "UTF-8 was expected";
    case rapidjson::kParseErrorNumberTooBig:
      return "a number of at most about 1.8e308 was expected";
    case rapidjson::kParseErrorNumberMissFraction:
      return "a digit was expected after the decimal point";
    case rapidjson::kParseErrorNumberMissExponent:
      return "a digit was expected in the exponent";
    default:
      return "valid JSON was expected";
  }
}

// Where byte `offset` of `text` stands, as `place` names it: "offset 7" or "line 2, column 3".
std::string WherePlaced(const std::string& text, std::size_t offset, JsonPlace place) {
  if (place == JsonPlace::kOffset) return "offset " + std::to_string(offset);
  std::size_t line = 1;
  std::size_t column = 1;
  for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;  // a byte that begins a character, not one that goes on with one
    }
  }
  return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

}  // namespace

bool ParseHostJson(const std::string& text, rapidjson::Document* json, std::string* error,
                   JsonPlace place) {
  // The reader takes a NUL for the end of its input: text after one would be ignored.
  const std::size_t nul = text.find('\0');
  rapidjson::ParseResult result;
  bool tooDeep = false;
  const auto parse = [&](rapidjson::Document& document) {
    rapidjson::MemoryStream bytes(text.data(), nul == std::string::npos ? text.size() : nul);
    rapidjson::EncodedInputStream<rapidjson::UTF8<>, rapidjson::MemoryStream> input(bytes);
    DepthLimitedBuilder builder(document);
    rapidjson::Reader reader;
    result = reader.Parse<rapidjson::kParseIterativeFlag>(input, builder);
    tooDeep = builder.TooDeep();
    return !result.IsError();
  };
  json->SetNull();
  json->Populate(parse);
  if (tooDeep) {
    *error = "JSON nested deeper than " + std::to_string(kMaxHostValueDepth);
    return false;
  }
  if (result.IsError() || nul != std::string::npos) {
    // The reader stops at a NUL as at the end of the text: past it, the NUL is the fault.
    const bool atNul = nul != std::string::npos && (!result.IsError() || result.Offset() >= nul);
    const std::size_t offset = atNul ? nul : result.Offset();
    *error =
        "invalid JSON at " + WherePlaced(text, offset, place) + ": " +
        (atNul ? "a NUL byte stands there, where JSON allows none" : ExpectedAt(result.Code()));
    return false;
  }
  return true;
}

bool JsonToHostObject(const rapidjson::Value& json, ApiObject* out) { return Build(json, out, 1); }

void FreeHostObject(ApiObject* object) {
  switch (object->kind) {
    case kApiObjectOwnedString:
      std::free(object->a.text);
      break;
    case kApiObjectOwnedBlob:
      std::free(object->a.bytes);
      break;
    case 9: {
      ApiObject* elements = object->a.elements;
      for (std::size_t i = 0; elements != nullptr && i < static_cast<std::size_t>(object->b); ++i) {
        FreeHostObject(&elements[i]);
      }
      std::free(elements);
      break;
    }
    case 10: {
      ApiObjectEntry* entries = object->a.entries;
      for (std::size_t i = 0; entries != nullptr && i < static_cast<std::size_t>(object->b); ++i) {
        ApiObjectEntry entry;
        std::memcpy(&entry, &entries[i], sizeof entry);
        FreeHostObject(&entry.value);
        if (entry.ownsName == 1) std::free(entry.name);
      }
      std::free(entries);
      break;
    }
    default:
      break;
  }
  std::memset(object, 0, sizeof(*object));
}

bool HostObjectToJson(const ApiObject& object, rapidjson::Value& out,
                      rapidjson::Document::AllocatorType& allocator, std::string* error) {
  return Read(object, out, allocator, 1, error);
}

std::string JsonText(const rapidjson::Value& value) {
  rapidjson::StringBuffer buffer;
  rapidjson::Writer<rapidjson::StringBuffer> writer(buffer);
  value.Accept(writer);
  return std::string(buffer.GetString(), buffer.GetSize());
}

std::string StringArgument(const std::vector<std::string>& arguments, std::size_t index) {
  if (index >= arguments.size()) return {};
  rapidjson::Document json;
  json.Parse(arguments[index].c_str(), arguments[index].size());
  if (json.HasParseError() || !json.IsString()) return {};
  return std::string(json.GetString(), json.GetStringLength());
}

}  // namespace Zarn::Host
