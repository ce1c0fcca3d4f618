#include "sdk/api/TextMap.h"

#include <stdexcept>

namespace Zarn {
namespace {

// Entries of one bucket that a lookup passes before it builds the index. Chains this long are not
// chance at the growth rule's load factor of at most 1.
constexpr std::size_t kLongChain = 16;

}  // namespace

TextMap::TextMap(std::initializer_list<value_type> entries) {
  try {
    for (const value_type& entry : entries) insert_or_assign(entry.first, entry.second);
  } catch (...) {
    Clear();
    throw;
  }
}

TextMap::TextMap(const TextMap& other) {
  try {
    CopyFrom(other);
  } catch (...) {
    Clear();
    throw;
  }
}

TextMap::TextMap(TextMap&& other) noexcept { TakeFrom(other); }

TextMap& TextMap::operator=(const TextMap& other) {
  if (this != &other) {
    TextMap copy(other);
    Clear();
    TakeFrom(copy);
  }
  return *this;
}

TextMap& TextMap::operator=(TextMap&& other) noexcept {
  if (this != &other) {
    Clear();
    TakeFrom(other);
  }
  return *this;
}

TextMap::~TextMap() { Clear(); }

const TextMap::mapped_type& TextMap::at(std::string_view key) const {
  const Node* node = Find(key, Hash(key));
  if (node == nullptr) throw std::out_of_range("TextMap::at");
  return node->entry.second;
}

TextMap::mapped_type& TextMap::at(std::string_view key) {
  return const_cast<mapped_type&>(std::as_const(*this).at(key));
}

TextMap::mapped_type& TextMap::operator[](std::string_view key) {
  const std::size_t hash = Hash(key);
  if (Node* found = Find(key, hash)) return found->entry.second;
  return Insert(hash, std::string(key), std::string())->entry.second;
}

std::pair<TextMap::iterator, bool> TextMap::Put(std::string key, std::string value, bool replace) {
  const std::size_t hash = Hash(key);
  if (Node* found = Find(key, hash)) {
    if (replace) found->entry.second = std::move(value);
    return {iterator(found), false};
  }
  return {iterator(Insert(hash, std::move(key), std::move(value))), true};
}

bool operator==(const TextMap& a, const TextMap& b) {
  if (a.size() != b.size()) return false;
  for (const TextMap::value_type& entry : a) {
    const auto found = b.find(entry.first);
    if (found == b.end() || found->second != entry.second) return false;
  }
  return true;
}

TextMap::Node* TextMap::Find(std::string_view key, std::size_t hash) const {
  if (index_ != nullptr) {
    const auto found = index_->find(key);
    return found == index_->end() ? nullptr : found->second;
  }
  if (size_ == 0) return nullptr;
  const std::size_t bucket = hash % bucketCount_;
  const Link* before = buckets_[bucket];
  if (before == nullptr) return nullptr;
  std::size_t passed = 0;
  for (Link* link = before->next;; link = link->next) {
    auto* node = static_cast<Node*>(link);
    if (node->hash == hash && node->entry.first == key) return node;
    if (++passed == kLongChain) {
      auto index = std::make_unique<Index>();
      for (Link* each = before_.next; each != nullptr; each = each->next) {
        auto* entry = static_cast<Node*>(each);
        index->emplace(entry->entry.first, entry);
      }
      index_ = std::move(index);
      return Find(key, hash);
    }
    if (link->next == nullptr || BucketOf(link->next) != bucket) return nullptr;
  }
}

// As the standard library's table inserts: grow first when the growth rule says so, then link the
// entry at the head of its bucket, or at the very front when its bucket was empty.
TextMap::Node* TextMap::Insert(std::size_t hash, std::string key, std::string value) {
  auto made = std::make_unique<Node>(hash, std::move(key), std::move(value));
  const auto state = growth_._M_state();
  const std::pair<bool, std::size_t> grow = growth_._M_need_rehash(bucketCount_, size_, 1);
  try {
    if (grow.first) Rehash(grow.second);
    if (index_ != nullptr) index_->emplace(made->entry.first, made.get());
  } catch (...) {
    if (grow.first) growth_._M_reset(state);
    throw;
  }
  Node* node = made.release();
  const std::size_t bucket = hash % bucketCount_;
  if (buckets_[bucket] != nullptr) {
    node->next = buckets_[bucket]->next;
    buckets_[bucket]->next = node;
  } else {
    node->next = before_.next;
    before_.next = node;
    if (node->next != nullptr) buckets_[BucketOf(node->next)] = node;
    buckets_[bucket] = &before_;
  }
  ++size_;
  return node;
}

// As the standard library's table rehashes: an entry whose new bucket is still empty goes to the
// very front, any other to the head of its bucket.
void TextMap::Rehash(std::size_t count) {
  std::vector<Link*> buckets(count, nullptr);
  Link* link = before_.next;
  before_.next = nullptr;
  std::size_t frontBucket = 0;
  while (link != nullptr) {
    Link* next = link->next;
    const std::size_t bucket = static_cast<Node*>(link)->hash % count;
    if (buckets[bucket] == nullptr) {
      link->next = before_.next;
      before_.next = link;
      buckets[bucket] = &before_;
      if (link->next != nullptr) buckets[frontBucket] = link;
      frontBucket = bucket;
    } else {
      link->next = buckets[bucket]->next;
      buckets[bucket]->next = link;
    }
    link = next;
  }
  buckets_.swap(buckets);
  bucketCount_ = count;
}

// In the same order and the same buckets, as the standard library copies.
void TextMap::CopyFrom(const TextMap& other) {
  if (other.size_ == 0) return;
  buckets_.assign(other.bucketCount_, nullptr);
  bucketCount_ = other.bucketCount_;
  growth_ = other.growth_;
  Link* last = &before_;
  for (const Link* link = other.before_.next; link != nullptr; link = link->next) {
    const auto* node = static_cast<const Node*>(link);
    auto* copy = new Node(node->hash, node->entry.first, node->entry.second);
    last->next = copy;
    const std::size_t bucket = BucketOf(copy);
    if (buckets_[bucket] == nullptr) buckets_[bucket] = last;
    last = copy;
    ++size_;
  }
}

void TextMap::Clear() noexcept {
  if (bucketCount_ == 1) return;  // never held an entry
  for (Link* link = before_.next; link != nullptr;) {
    Link* next = link->next;
    delete static_cast<Node*>(link);
    link = next;
  }
  before_.next = nullptr;
  buckets_.clear();
  bucketCount_ = 1;
  size_ = 0;
  growth_._M_reset();
  index_.reset();
}

void TextMap::TakeFrom(TextMap& other) noexcept {
  before_.next = other.before_.next;
  buckets_ = std::move(other.buckets_);
  bucketCount_ = other.bucketCount_;
  size_ = other.size_;
  growth_ = other.growth_;
  index_ = std::move(other.index_);
  if (before_.next != nullptr) buckets_[BucketOf(before_.next)] = &before_;
  other.before_.next = nullptr;
  other.buckets_.clear();
  other.bucketCount_ = 1;
  other.size_ = 0;
  other.growth_._M_reset();
}

}  // namespace Zarn
