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

std::unique_ptr<drawing::Surface> FakeHost::CreateElement(const drawing::Surface& element0) {
  const auto* source = dynamic_cast<const FakeSurface*>(&element0);
  auto element = CreateSurface(source ? source->Parent() : nullptr);
  element->SetFont(element0.GetFont());
  element->SetBackColor(element0.BackColor());
  element->SetForeColor(element0.ForeColor());
  element->SetBorderStyle(element0.BorderStyle());
  element->SetAppearance(element0.Appearance());
  element->SetAutoRedraw(element0.AutoRedraw());
  element->Move(element0.Left(), element0.Top(), element0.Width(), element0.Height());
  return element;
}

bool FakeHost::CaptureScreen(drawing::ScreenRect rect, drawing::Image& out) const {
  if (!screenReadable) return false;
  drawing::Image captured(rect.Width(), rect.Height(), 0xFF000000u);
  for (int y = 0; y < captured.Height(); ++y)
    for (int x = 0; x < captured.Width(); ++x) {
      const int sx = rect.left + x, sy = rect.top + y;
      if (sx >= 0 && sy >= 0 && sx < screen.Width() && sy < screen.Height()) captured.Set(x, y, screen.At(sx, sy));
    }
  out = std::move(captured);
  return true;
}

drawing::WindowHandle FakeHost::WindowFromPoint(drawing::ScreenPoint point) const {
  if (windowAt) return windowAt(point);
  for (auto it = surfaces_.rbegin(); it != surfaces_.rend(); ++it) {
    const FakeSurface* s = *it;
    if (!s->Visible()) continue;
    int left = s->Left(), top = s->Top();
    bool shown = true;
    for (const drawing::Surface* p = s->Lifted() ? nullptr : s->Parent(); p; ) {
      const auto* fp = dynamic_cast<const FakeSurface*>(p);
      if (!fp || !fp->Visible()) { shown = false; break; }
      left += fp->Left();
      top += fp->Top();
      p = fp->Lifted() ? nullptr : fp->Parent();
    }
    if (shown && s->WindowHolds(point.x - left, point.y - top)) return s->hWnd();
  }
  return kForeignWindow;
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
