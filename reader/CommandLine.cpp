#include "reader/CommandLine.h"

#include <string_view>

#ifndef READER_VERSION
#error "READER_VERSION must give the program's version"
#endif

namespace reader {
namespace {

constexpr std::string_view kUsage =
    "Usage: studyguide-reader [--help] [--version] [Qt options]\n"
    "\n"
    "Shows the study guide kept in Data.dat beside the program: the contents\n"
    "tree on the left, the chosen page on the right, the zoom slider below.\n"
    "\n"
    "Options:\n"
    "  --help        show this text and exit\n"
    "  --version     show the program's name and version and exit\n"
    "Qt's own options (for example -platform wayland) are passed on to Qt.\n"
    "\n"
    "Environment:\n"
    "  QT_QPA_PLATFORM   the window system: xcb (X11), wayland or offscreen\n"
    "  QT_SCALE_FACTOR   scale the whole window (high-density screens)\n"
    "  LANGUAGE, LC_ALL, LC_MESSAGES, LANG\n"
    "                    the interface's language, in this order\n"
    "  XDG_RUNTIME_DIR   the private folder where the page shown is written\n"
    "                    (tmp.html); without one, TMPDIR (else /tmp) holds a\n"
    "                    private folder studyguide-reader-UID for it\n"
    "\n"
    "See studyguide-reader(1) for the keys and files.\n";

}  // namespace

std::optional<int> AnswerCommandLine(int argc, const char* const* argv, std::ostream& out) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] ? argv[i] : "";
    if (arg == "--help" || arg == "-h") {
      out << kUsage;
      return 0;
    }
    if (arg == "--version") {
      out << "studyguide-reader " << READER_VERSION << '\n';
      return 0;
    }
  }
  return std::nullopt;
}

}  // namespace reader
