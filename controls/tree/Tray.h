#pragma once
// The contents tree control as its host sees it: the item model, the
// surface it draws on, its saved properties and its events. Rows are not
// drawn yet; the control paints its background gradient.
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "controls/tree/TreeModel.h"
#include "drawing/HostServices.h"

namespace tree {

class Tray {
 public:
  // The surface is created through the site's services as a child of parent
  // (null: of the host's own window).
  Tray(const drawing::ControlSite& site, drawing::Surface* parent);
  ~Tray();

  drawing::Surface& Surface() { return *surface_; }

  // Parses and shows a new contents list (UTF-8); the selection is cleared.
  void PoluchiSpisok(const std::string& text);
  std::int32_t VibranO(bool allowSection) const { return model_.VibranO(allowSection); }
  void PrimiTRy() { model_.PrimiTRy(); }
  // Full repaint into the retained image.
  void Lina();

  std::int32_t Vibran() const { return model_.Vibran(); }
  void SetVibran(std::int32_t index);
  drawing::Colour TrCvetFon() const { return surface_->BackColor(); }
  void SetTrCvetFon(drawing::Colour colour);
  bool TrVipodaPerviy() const { return openFirst_; }
  void SetTrVipodaPerviy(bool open);

  void ReadProperties(const drawing::PropertyBag& bag);

  const TreeModel& Model() const { return model_; }
  std::int32_t LastItemIndex() const { return model_.LastItemIndex(); }

  // A page entry was chosen: index, name, field 1, field 2.
  std::function<void(std::int32_t&, std::string&, std::string&, std::string&)> VibranFil;

 private:
  void PaintBackground();

  drawing::ControlSite site_;
  std::unique_ptr<drawing::Surface> surface_;
  TreeModel model_;
  bool openFirst_ = false;
};

}  // namespace tree
