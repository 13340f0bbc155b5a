#include "tests/fakes/FakeHost.h"

#include <algorithm>

namespace fakes {

drawing::Font FakeHost::DefaultAmbientFont() {
  drawing::Font font;
  font.face = "Liberation Serif";
  font.sizePoints = 12;
  font.charset = 204;
  font.weight = 400;
  return font;
}

std::unique_ptr<drawing::Surface> FakeHost::CreateSurface(drawing::Surface* parent) {
  auto surface = std::make_unique<FakeSurface>(parent, [this](drawing::Colour c) { return ResolveColour(c); });
  surface->SetFont(ambientFont_);
  FakeSurface* raw = surface.get();
  surface->onDestroyed = [this, raw] { surfaces_.erase(std::remove(surfaces_.begin(), surfaces_.end(), raw), surfaces_.end()); };
  surfaces_.push_back(raw);
  return surface;
}

std::unique_ptr<drawing::Timer> FakeHost::CreateTimer() { return std::make_unique<FakeTimer>(clock_); }

void FakeHost::DoEvents() {
  ++doEventsCalls_;
  if (onDoEvents) onDoEvents();
}

std::vector<FakeSurface*> FakeHost::ChildrenOf(const drawing::Surface* parent) const {
  std::vector<FakeSurface*> children;
  for (FakeSurface* s : surfaces_)
    if (s->Parent() == parent) children.push_back(s);
  return children;
}

RecordingSite::RecordingSite(FakeHost& host) {
  site.services = &host;
  site.bag = &bag;
  site.propertyChanged = [this](std::string_view property) { changed.emplace_back(property); };
}

}  // namespace fakes
