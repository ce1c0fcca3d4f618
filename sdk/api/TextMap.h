// The string-to-string table of request texts: header arguments, path captures, query arguments,
// reply headers.
#pragma once

#include <cstddef>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <unordered_map>  // the growth rule below
#include <utility>
#include <vector>

#ifndef __GLIBCXX__
#error "TextMap keeps the order of libstdc++'s std::unordered_map and uses its growth rule"
#endif

#include "sdk/base/Fnv1a.h"

namespace Zarn {

// A hash map from text to text, iterated in the order that
// std::unordered_map<std::string, std::string, Fnv1aStringHash> gives for the same insertions:
// the query's binding goes through its entries in that order, and which bad key a call is refused
// for must not change. Unlike that map, it costs no more when the keys were chosen to share one
// FNV-1a hash: once a lookup passes many entries of one bucket, lookups go through an index
// ordered by the texts. Not thread-safe, not even for const lookups (which may build the index).
class TextMap {
  struct Link {
    Link* next = nullptr;
  };
  struct Node;

 public:
  using key_type = std::string;
  using mapped_type = std::string;
  using value_type = std::pair<const std::string, std::string>;
  using size_type = std::size_t;

  template <bool kConst>
  class Iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = TextMap::value_type;
    using difference_type = std::ptrdiff_t;
    using reference = std::conditional_t<kConst, const value_type&, value_type&>;
    using pointer = std::conditional_t<kConst, const value_type*, value_type*>;

    Iterator() noexcept = default;
    // The const iterator of a mutable one.
    template <bool kOther, class = std::enable_if_t<kConst && !kOther>>
    Iterator(const Iterator<kOther>& other) noexcept : link_(other.link_) {}

    reference operator*() const noexcept { return static_cast<Node*>(link_)->entry; }
    pointer operator->() const noexcept { return &static_cast<Node*>(link_)->entry; }
    Iterator& operator++() noexcept {
      link_ = link_->next;
      return *this;
    }
    Iterator operator++(int) noexcept {
      Iterator before = *this;
      link_ = link_->next;
      return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) noexcept {
      return a.link_ == b.link_;
    }

   private:
    friend class TextMap;
    template <bool>
    friend class Iterator;
    explicit Iterator(Link* link) noexcept : link_(link) {}
    Link* link_ = nullptr;
  };
  using iterator = Iterator<false>;
  using const_iterator = Iterator<true>;

  TextMap() noexcept = default;
  TextMap(std::initializer_list<value_type> entries);
  TextMap(const TextMap& other);
  TextMap(TextMap&& other) noexcept;
  TextMap& operator=(const TextMap& other);
  TextMap& operator=(TextMap&& other) noexcept;
  ~TextMap();

  [[nodiscard]] bool empty() const noexcept { return size_ == 0; }
  [[nodiscard]] size_type size() const noexcept { return size_; }

  iterator begin() noexcept { return iterator(before_.next); }
  iterator end() noexcept { return iterator(); }
  const_iterator begin() const noexcept { return const_iterator(before_.next); }
  const_iterator end() const noexcept { return const_iterator(); }

  [[nodiscard]] iterator find(std::string_view key) { return iterator(Find(key, Hash(key))); }
  [[nodiscard]] const_iterator find(std::string_view key) const {
    return const_iterator(Find(key, Hash(key)));
  }
  // The value of `key`; throws std::out_of_range when there is none.
  [[nodiscard]] const mapped_type& at(std::string_view key) const;
  [[nodiscard]] mapped_type& at(std::string_view key);
  // The value of `key`, made empty when there is none.
  mapped_type& operator[](std::string_view key);

  // Adds the entry when its key is new (true), else leaves the map as it was (false). Key and
  // value are anything a string is made of.
  template <class K, class V>
  std::pair<iterator, bool> emplace(K&& key, V&& value) {
    return Put(std::string(std::forward<K>(key)), std::string(std::forward<V>(value)), false);
  }
  // Adds the entry when its key is new (true), else replaces the key's value (false).
  template <class K, class V>
  std::pair<iterator, bool> insert_or_assign(K&& key, V&& value) {
    return Put(std::string(std::forward<K>(key)), std::string(std::forward<V>(value)), true);
  }

  // The same entries, whatever their order.
  friend bool operator==(const TextMap& a, const TextMap& b);

 private:
  struct Node : Link {
    Node(std::size_t h, std::string key, std::string value)
        : hash(h), entry(std::move(key), std::move(value)) {}
    std::size_t hash;
    value_type entry;
  };
  using Index = std::map<std::string_view, Node*, std::less<>>;

  [[nodiscard]] static std::size_t Hash(std::string_view key) noexcept { return Fnv1a32(key); }
  [[nodiscard]] std::size_t BucketOf(const Link* node) const noexcept {
    return static_cast<const Node*>(node)->hash % bucketCount_;
  }
  std::pair<iterator, bool> Put(std::string key, std::string value, bool replace);
  // The entry of `key`, or null.
  [[nodiscard]] Node* Find(std::string_view key, std::size_t hash) const;
  // Links a new entry, whose key the map does not hold, at the head of its bucket.
  Node* Insert(std::size_t hash, std::string key, std::string value);
  // Places every entry in `count` buckets, visiting them in order.
  void Rehash(std::size_t count);
  void CopyFrom(const TextMap& other);
  void Clear() noexcept;
  void TakeFrom(TextMap& other) noexcept;

  Link before_;                  // its next is the first entry
  std::vector<Link*> buckets_;   // per bucket, the link before its first entry; null when empty
  std::size_t bucketCount_ = 1;  // the buckets' count, 1 before the first entry
  std::size_t size_ = 0;
  // The standard library's own growth rule, on which the order of the entries depends.
  std::__detail::_Prime_rehash_policy growth_;
  mutable std::unique_ptr<Index> index_;  // every entry, once a lookup went a long way
};

}  // namespace Zarn
