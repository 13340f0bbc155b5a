#pragma once
// The saved properties of one control: keys match without regard to (ASCII)
// case, a value equal to its default is not stored, and a missing key reads
// as the default. Reading a key stored with another kind of value is an
// error the host sees (a damaged design), never a silent default.
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "drawing/Font.h"
#include "drawing/Image.h"

namespace drawing {

using PropertyValue = std::variant<std::int32_t, bool, std::string, Font, PicturePtr>;

struct PropertyTypeError : std::runtime_error {
  explicit PropertyTypeError(const std::string& key)
      : std::runtime_error("stored property \"" + key + "\" has the wrong kind of value") {}
};

// A stored value of a 16-bit property (a border style, an appearance). A
// value outside -32768..32767 cannot have been written for such a property:
// it is refused (empty) and the caller keeps the default, where a cast
// would wrap it into a valid-looking one (65537 into 1).
std::optional<std::int16_t> StoredInt16(std::int32_t stored);

struct CaseInsensitiveLess {
  using is_transparent = void;
  bool operator()(std::string_view a, std::string_view b) const;
};

class PropertyBag {
 public:
  template <typename T>
  T Read(std::string_view key, const T& fallback) const {
    auto it = values_.find(key);
    if (it == values_.end()) return fallback;
    if (const T* v = std::get_if<T>(&it->second)) return *v;
    throw PropertyTypeError(std::string(key));
  }

  template <typename T>
  void Write(std::string_view key, const T& value, const T& fallback) {
    if (Equal(value, fallback))
      Erase(key);
    else
      Set(key, PropertyValue(value));
  }

  // Two text literals would be compared by address; write std::string.
  void Write(std::string_view, const char*, const char*) = delete;

  // The same for a value of any kind, for controls that keep their
  // properties in one table.
  PropertyValue ReadValue(std::string_view key, const PropertyValue& fallback) const;
  void WriteValue(std::string_view key, const PropertyValue& value, const PropertyValue& fallback);

  void Set(std::string_view key, PropertyValue value);
  void Erase(std::string_view key);
  bool Contains(std::string_view key) const { return values_.find(key) != values_.end(); }
  std::size_t Size() const { return values_.size(); }
  // Keys in the order they were first written; saving follows a control's
  // own order, and tests read it back from here.
  const std::vector<std::string>& WriteOrder() const { return order_; }

 private:
  template <typename T>
  static bool Equal(const T& a, const T& b) {
    return a == b;
  }

  std::map<std::string, PropertyValue, CaseInsensitiveLess> values_;
  std::vector<std::string> order_;
};

}  // namespace drawing
