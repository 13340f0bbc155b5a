#pragma once
// The stored design of a window: one section per control ("[Tray1]") holding
// that control's saved properties, plus the window's own ("[Form1]"). The
// text is compiled into the program; pictures are named and handed to a
// loader, so this parser needs no image library.
//
//   # comment
//   [Tray1]
//   TrCvetText   = 0x00C0C0C0
//   ScrollActivate = true
//   Caption      = "Сбор базы"
//   FontShapka   = font("Arial", 9, 400, 204)          # face, points, weight, charset
//   PicFileUp    = picture("page.png")
//
// A control's inner controls have sections of their own: [Tray1.PodskazV1].
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "drawing/PropertyBag.h"

namespace drawing {

struct DesignError : std::runtime_error {
  DesignError(int line, const std::string& what)
      : std::runtime_error("design line " + std::to_string(line) + ": " + what), line(line) {}
  int line;
};

using PictureLoader = std::function<PicturePtr(const std::string& name)>;

class Design {
 public:
  // Throws DesignError on the first malformed line.
  static Design Parse(std::string_view text, const PictureLoader& loadPicture);

  // The saved properties of one control; an absent section reads as empty.
  const PropertyBag& Section(std::string_view name) const;
  PropertyBag& MutableSection(std::string_view name);
  const std::vector<std::string>& SectionNames() const { return names_; }

 private:
  std::map<std::string, PropertyBag, CaseInsensitiveLess> sections_;
  std::vector<std::string> names_;
};

}  // namespace drawing
