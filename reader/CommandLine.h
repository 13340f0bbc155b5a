#pragma once
// The options the reader answers on its own, before any window or web engine
// exists: --help and --version print to standard output and end the program.
// Every other argument is left for Qt (-platform, -style, ...).
#include <optional>
#include <ostream>

namespace reader {

// The exit status when an option was answered, nothing when the reader
// should start as usual.
std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out);

}  // namespace reader
