#pragma once
// The languages the user asked for, from the environment, in the order
// gettext consults them: LC_ALL, else LC_MESSAGES, else LANG names the
// locale; "C" or "POSIX" there means untranslated, whatever LANGUAGE says;
// otherwise LANGUAGE's colon-separated list comes first.
#include <functional>
#include <string>
#include <vector>

namespace reader {

// Each entry as a full name and its bare language ("ru_RU.UTF-8" gives
// "ru_RU" then "ru"), without duplicates, best first. Empty: no
// translation.
std::vector<std::string> UiLanguages(const std::function<std::string(const char* name)>& environment);

}  // namespace reader
