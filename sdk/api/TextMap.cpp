#include "sdk/api/TextMap.h"

#include <stdexcept>

#include "sdk/base/KeyedHash.h"

namespace Zarn {
namespace {

// Maps up to this size are searched entry by entry: most requests carry a few texts, for which
// comparing them costs less than hashing.
constexpr std::size_t kScanned = 8;

std::uint32_t HashOf(std::string_view key) noexcept {
  return static_cast<std::uint32_t>(KeyedHash(key));
}

}  // namespace

TextMap::TextMap(std::initializer_list<value_type> entries) {
  for (const value_type& entry : entries) insert_or_assign(entry.first, entry.second);
}

TextMap::TextMap(const TextMap& other) : slots_(other.slots_) {
  entries_.reserve(other.entries_.size());
  for (const std::unique_ptr<value_type>& entry : other.entries_) {
    entries_.push_back(std::make_unique<value_type>(*entry));
  }
}

TextMap& TextMap::operator=(const TextMap& other) {
  if (this != &other) *this = TextMap(other);
  return *this;
}

const TextMap::mapped_type& TextMap::at(std::string_view key) const {
  const std::size_t position = Find(key);
  if (position == kNotFound) throw std::out_of_range("TextMap::at");
  return entries_[position]->second;
}

TextMap::mapped_type& TextMap::at(std::string_view key) {
  return const_cast<mapped_type&>(std::as_const(*this).at(key));
}

TextMap::mapped_type& TextMap::operator[](std::string_view key) {
  const std::size_t position = Find(key);
  if (position != kNotFound) return entries_[position]->second;
  return Put(std::string(key), std::string(), false).first->second;
}

std::pair<TextMap::iterator, bool> TextMap::Put(std::string key, std::string value, bool replace) {
  const std::size_t found = Find(key);
  if (found != kNotFound) {
    if (replace) entries_[found]->second = std::move(value);
    return {At(found), false};
  }
  // Everything that may throw comes before the entry is counted anywhere.
  PrepareIndex();
  const std::uint32_t hash = slots_.empty() ? 0 : HashOf(key);
  entries_.push_back(std::make_unique<value_type>(std::move(key), std::move(value)));
  const std::size_t position = entries_.size() - 1;
  if (!slots_.empty()) Index(position, hash);
  return {At(position), true};
}

bool operator==(const TextMap& a, const TextMap& b) {
  if (a.size() != b.size()) return false;
  for (const TextMap::value_type& entry : a) {
    const auto found = b.find(entry.first);
    if (found == b.end() || found->second != entry.second) return false;
  }
  return true;
}

std::size_t TextMap::Find(std::string_view key) const noexcept {
  if (slots_.empty()) {
    for (std::size_t i = 0; i < entries_.size(); ++i) {
      if (entries_[i]->first == key) return i;
    }
    return kNotFound;
  }
  const std::uint32_t hash = HashOf(key);
  const std::size_t mask = slots_.size() - 1;
  for (std::size_t at = hash & mask;; at = (at + 1) & mask) {
    const Slot& slot = slots_[at];
    if (slot.entry == 0) return kNotFound;
    if (slot.hash == hash && entries_[slot.entry - 1]->first == key) return slot.entry - 1;
  }
}

void TextMap::PrepareIndex() {
  const std::size_t count = entries_.size() + 1;
  if (count <= kScanned || 2 * count <= slots_.size()) return;
  std::size_t size = 4 * kScanned;
  while (size < 2 * count) size *= 2;
  const bool hashed = !slots_.empty();
  std::vector<Slot> previous(size);
  previous.swap(slots_);
  if (hashed) {
    for (const Slot& slot : previous) {
      if (slot.entry != 0) Index(slot.entry - 1, slot.hash);
    }
  } else {
    for (std::size_t i = 0; i < entries_.size(); ++i) Index(i, HashOf(entries_[i]->first));
  }
}

void TextMap::Index(std::size_t position, std::uint32_t hash) noexcept {
  const std::size_t mask = slots_.size() - 1;
  std::size_t at = hash & mask;
  while (slots_[at].entry != 0) at = (at + 1) & mask;
  slots_[at] = Slot{static_cast<std::uint32_t>(position + 1), hash};
}

}  // namespace Zarn
