// The string-to-string table of request texts: header arguments, path captures, query arguments,
// reply headers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

namespace Zarn {

// A map from text to text, iterated in the order its keys were first added: a key added again
// keeps its place. The query's binding goes through its entries in that order, so a call is
// refused for the first bad key the caller wrote. Small maps are searched entry by entry; larger
// ones through an index placed by the keyed hash, so keys chosen to collide cost no more than
// others. Entries stay where they are while the map lives: pointers to them stay valid.
class TextMap {
 public:
  using key_type = std::string;
  using mapped_type = std::string;
  using value_type = std::pair<const std::string, std::string>;
  using size_type = std::size_t;

 private:
  using Entries = std::vector<std::unique_ptr<value_type>>;

 public:
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
    Iterator(const Iterator<kOther>& other) noexcept : at_(other.at_) {}

    reference operator*() const noexcept { return **at_; }
    pointer operator->() const noexcept { return at_->get(); }
    Iterator& operator++() noexcept {
      ++at_;
      return *this;
    }
    Iterator operator++(int) noexcept {
      Iterator before = *this;
      ++at_;
      return before;
    }
    friend bool operator==(const Iterator& a, const Iterator& b) noexcept { return a.at_ == b.at_; }

   private:
    friend class TextMap;
    template <bool>
    friend class Iterator;
    explicit Iterator(const std::unique_ptr<value_type>* at) noexcept : at_(at) {}
    const std::unique_ptr<value_type>* at_ = nullptr;
  };
  using iterator = Iterator<false>;
  using const_iterator = Iterator<true>;

  TextMap() noexcept = default;
  TextMap(std::initializer_list<value_type> entries);
  TextMap(const TextMap& other);
  TextMap(TextMap&& other) noexcept = default;
  TextMap& operator=(const TextMap& other);
  TextMap& operator=(TextMap&& other) noexcept = default;
  ~TextMap() = default;

  [[nodiscard]] bool empty() const noexcept { return entries_.empty(); }
  [[nodiscard]] size_type size() const noexcept { return entries_.size(); }

  iterator begin() noexcept { return iterator(entries_.data()); }
  iterator end() noexcept { return iterator(entries_.data() + entries_.size()); }
  const_iterator begin() const noexcept { return const_iterator(entries_.data()); }
  const_iterator end() const noexcept { return const_iterator(entries_.data() + entries_.size()); }

  [[nodiscard]] iterator find(std::string_view key) { return At(Find(key)); }
  [[nodiscard]] const_iterator find(std::string_view key) const { return At(Find(key)); }
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
  // One place of the index: the entry's position + 1 (0 when free) and its key's hash.
  struct Slot {
    std::uint32_t entry = 0;
    std::uint32_t hash = 0;
  };
  static constexpr std::size_t kNotFound = ~std::size_t{0};

  iterator At(std::size_t position) noexcept {
    return position == kNotFound ? end() : iterator(entries_.data() + position);
  }
  const_iterator At(std::size_t position) const noexcept {
    return position == kNotFound ? end() : const_iterator(entries_.data() + position);
  }
  std::pair<iterator, bool> Put(std::string key, std::string value, bool replace);
  // The position of `key`'s entry, or kNotFound.
  [[nodiscard]] std::size_t Find(std::string_view key) const noexcept;
  // Makes room in the index for one more entry when the map is large enough to have one.
  void PrepareIndex();
  // Enters the entry at `position` into the index, which has room for it.
  void Index(std::size_t position, std::uint32_t hash) noexcept;

  Entries entries_;  // in the order their keys were first added
  // Open addressing, a power of two at least twice the entries; empty while the map is small.
  std::vector<Slot> slots_;
};

}  // namespace Zarn
