#include "reader/core/UiLanguage.h"

#include <algorithm>
#include <string_view>

namespace reader {

namespace {

// "ru_RU.UTF-8@euro" -> "ru_RU"
std::string WithoutCodesetAndModifier(std::string_view name) {
  return std::string(name.substr(0, name.find_first_of(".@")));
}

void AddLocale(std::string_view name, std::vector<std::string>& out) {
  const std::string full = WithoutCodesetAndModifier(name);
  if (full.empty() || full == "C" || full == "POSIX") return;
  const std::string bare = full.substr(0, full.find('_'));
  for (const std::string& entry : {full, bare})
    if (!entry.empty() && std::find(out.begin(), out.end(), entry) == out.end()) out.push_back(entry);
}

}  // namespace

std::vector<std::string> UiLanguages(const std::function<std::string(const char* name)>& environment) {
  std::string locale;
  for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
    locale = environment(name);
    if (!locale.empty()) break;
  }
  const std::string plain = WithoutCodesetAndModifier(locale);
  if (locale.empty() || plain == "C" || plain == "POSIX") return {};
  std::vector<std::string> out;
  const std::string list = environment("LANGUAGE");
  for (std::size_t from = 0; from <= list.size();) {
    const std::size_t colon = std::min(list.find(':', from), list.size());
    AddLocale(std::string_view(list).substr(from, colon - from), out);
    from = colon + 1;
  }
  AddLocale(locale, out);
  return out;
}

}  // namespace reader
