#include "drawing/PropertyBag.h"

#include <algorithm>
#include <cctype>
#include <cstdint>

namespace drawing {

std::optional<std::int16_t> StoredInt16(std::int32_t stored) {
  if (stored < INT16_MIN || stored > INT16_MAX) return std::nullopt;
  return static_cast<std::int16_t>(stored);
}

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::tolower(static_cast<unsigned char>(x)) < std::tolower(static_cast<unsigned char>(y));
  });
}

PropertyValue PropertyBag::ReadValue(std::string_view key, const PropertyValue& fallback) const {
  auto it = values_.find(key);
  if (it == values_.end()) return fallback;
  if (it->second.index() != fallback.index()) throw PropertyTypeError(std::string(key));
  return it->second;
}

void PropertyBag::WriteValue(std::string_view key, const PropertyValue& value, const PropertyValue& fallback) {
  if (value == fallback)
    Erase(key);
  else
    Set(key, value);
}

void PropertyBag::Set(std::string_view key, PropertyValue value) {
  auto it = values_.find(key);
  if (it != values_.end()) {
    it->second = std::move(value);
    return;
  }
  values_.emplace(std::string(key), std::move(value));
  order_.emplace_back(key);
}

void PropertyBag::Erase(std::string_view key) {
  auto it = values_.find(key);
  if (it == values_.end()) return;
  const std::string stored = it->first;
  values_.erase(it);
  order_.erase(std::remove(order_.begin(), order_.end(), stored), order_.end());
}

}  // namespace drawing
