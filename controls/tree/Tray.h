#pragma once
// The contents tree control as its host sees it: the item model, the
// surface it draws on, its inner scroll bar and hint balloon, its saved
// properties and its events.
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "controls/balloon/PodskazV.h"
#include "controls/scrollbar/VerticalScroll.h"
#include "controls/tree/TextMetrics.h"
#include "controls/tree/TreeKeyboard.h"
#include "controls/tree/TreeLayout.h"
#include "controls/tree/TreeModel.h"
#include "drawing/DesignFile.h"
#include "drawing/HostServices.h"

namespace tree {

// The appearance values painting and interaction read. Forwarded properties
// (the scroll bar's and the surface's) live in those parts, not here.
struct TrayLook {
  std::string Spisok;
  std::int32_t TipTr = 0;
  std::int32_t Kvadrat = 0;
  std::int32_t KvadratNagat = 0;
  drawing::Colour TrCvetText = 0;
  drawing::Colour TrCvetTextVb = 0;
  drawing::Font FontShapka;
  drawing::Font FontElement;
  drawing::Font FontElementVibran;
  std::int32_t TrVisotaPlanki = 0;
  std::int32_t TrOtstSleva = 5;
  std::int32_t TrOtstMegRazdel = 0;
  drawing::Colour TrCvetRazdel = 0;
  drawing::Colour TrCvetRazdelVb = 0;
  drawing::Colour TrCvetPodRazdel = 0;
  std::int32_t ColorRamki = 0;
  std::int32_t TrOtstMegPodRazdel = 0;
  std::int32_t ColorMenuUroven = 0;
  std::int32_t ColorMenuCvRazn = 0;
  std::int32_t ColorRamkiPROZRACHNOST = 255;
  drawing::PicturePtr PicFolderUp;
  drawing::PicturePtr PicFolderOpen;
  drawing::PicturePtr PicFileUp;
  bool ScrollActivate = false;
  drawing::Colour TrCvetPodRazdelVb = 0;
  bool TrVipodaPerviy = false;
  std::int32_t ColorBlackProzShap = 0;
};

// What changed in the tree, for assistive technology.
enum class TreeNotice {
  FocusRow,   // the keyboard row moved, or the tree got or lost the focus
  Selection,  // Vibran changed
  OpenState,  // a section opened or closed
  Rows,       // the visible rows are other entries now
};

class Tray {
 public:
  // Width of the inner scroll bar, pixels.
  static constexpr int kScrollBarWidth = 12;

  // The surface is created through the site's services as a child of parent
  // (null: of the host's own window).
  Tray(const drawing::ControlSite& site, drawing::Surface* parent);
  ~Tray();
  Tray(const Tray&) = delete;
  Tray& operator=(const Tray&) = delete;

  drawing::Surface& Surface() { return *surface_; }
  scrollbar::VerticalScroll& VerticalScroll1() { return *bar_; }
  drawing::Surface& VerticalScroll1Surface() { return *barSurface_; }
  balloon::PodskazV& PodskazV1() { return *balloon_; }

  // Parses and shows a new contents list (UTF-8); the selection is cleared.
  void PoluchiSpisok(const std::string& text);
  std::int32_t VibranO(bool allowSection) const { return model_.VibranO(allowSection); }
  void PrimiTRy() { model_.PrimiTRy(); }
  // "+" scrolls one step down, "-" one step up; any other text does nothing.
  void ScrollM(std::string& nc);
  // Hands the inner scroll bar to the wheel subclassing helper.
  void RRscrfoll();
  // Full repaint into the retained image: lays out every visible row,
  // moves sliding rows one frame on, draws the rows in view and hands the
  // range to the scroll bar.
  void Lina();
  // The background gradient with another drawing context's pixels blended
  // over the whole control at constant opacity Prz (clamped to 0..255),
  // taken from (x, y) of source; kept as the control's picture.
  void setMeFon(const drawing::PixelView& source, std::int32_t x, std::int32_t y, std::int32_t Prz);

  // Properties, in the order they are saved.
  const std::string& Spisok() const { return look_.Spisok; }
  void SetSpisok(const std::string& text);
  std::int32_t TipTr() const { return look_.TipTr; }
  void SetTipTr(std::int32_t value);
  std::int32_t Kvadrat() const { return look_.Kvadrat; }
  void SetKvadrat(std::int32_t value);
  std::int32_t KvadratNagat() const { return look_.KvadratNagat; }
  void SetKvadratNagat(std::int32_t value);
  drawing::Colour TrCvetText() const { return look_.TrCvetText; }
  void SetTrCvetText(drawing::Colour colour);
  drawing::Colour TrCvetTextVb() const { return look_.TrCvetTextVb; }
  void SetTrCvetTextVb(drawing::Colour colour);
  const drawing::Font& FontShapka() const { return look_.FontShapka; }
  void SetFontShapka(const drawing::Font& font);
  const drawing::Font& FontElement() const { return look_.FontElement; }
  void SetFontElement(const drawing::Font& font);
  const drawing::Font& FontElementVibran() const { return look_.FontElementVibran; }
  void SetFontElementVibran(const drawing::Font& font);
  std::int32_t TrVisotaPlanki() const { return look_.TrVisotaPlanki; }
  void SetTrVisotaPlanki(std::int32_t value);
  std::int32_t TrOtstSleva() const { return look_.TrOtstSleva; }
  void SetTrOtstSleva(std::int32_t value);
  std::int32_t TrOtstMegRazdel() const { return look_.TrOtstMegRazdel; }
  void SetTrOtstMegRazdel(std::int32_t value);
  drawing::Colour TrCvetRazdel() const { return look_.TrCvetRazdel; }
  void SetTrCvetRazdel(drawing::Colour colour);
  drawing::Colour TrCvetRazdelVb() const { return look_.TrCvetRazdelVb; }
  void SetTrCvetRazdelVb(drawing::Colour colour);
  drawing::Colour TrCvetPodRazdel() const { return look_.TrCvetPodRazdel; }
  void SetTrCvetPodRazdel(drawing::Colour colour);
  std::int32_t ColorRamki() const { return look_.ColorRamki; }
  void SetColorRamki(std::int32_t value);
  std::int32_t TrOtstMegPodRazdel() const { return look_.TrOtstMegPodRazdel; }
  void SetTrOtstMegPodRazdel(std::int32_t value);
  std::int32_t ColorMenuUroven() const { return look_.ColorMenuUroven; }
  void SetColorMenuUroven(std::int32_t value);
  std::int32_t ColorMenuCvRazn() const { return look_.ColorMenuCvRazn; }
  void SetColorMenuCvRazn(std::int32_t value);
  std::int32_t ColorRamkiPROZRACHNOST() const { return look_.ColorRamkiPROZRACHNOST; }
  void SetColorRamkiPROZRACHNOST(std::int32_t value);  // clamps to 0..255
  std::int32_t SHagScrl() const;
  void SetSHagScrl(std::int32_t value);
  const drawing::PicturePtr& PicFolderUp() const { return look_.PicFolderUp; }
  void SetPicFolderUp(drawing::PicturePtr picture);
  const drawing::PicturePtr& PicFolderOpen() const { return look_.PicFolderOpen; }
  void SetPicFolderOpen(drawing::PicturePtr picture);
  const drawing::PicturePtr& PicFileUp() const { return look_.PicFileUp; }
  void SetPicFileUp(drawing::PicturePtr picture);
  bool ScrollActivate() const { return look_.ScrollActivate; }
  void SetScrollActivate(bool value);
  drawing::Colour TrScrlCvBG() const;
  void SetTrScrlCvBG(drawing::Colour colour);
  drawing::Colour TrScrlCvFon() const;
  void SetTrScrlCvFon(drawing::Colour colour);
  std::int32_t ScrolBegunokVisota() const;
  void SetScrolBegunokVisota(std::int32_t value);
  std::int32_t Vibran() const { return model_.Vibran(); }
  void SetVibran(std::int32_t index);  // does not repaint
  drawing::Colour TrCvetPodRazdelVb() const { return look_.TrCvetPodRazdelVb; }
  void SetTrCvetPodRazdelVb(drawing::Colour colour);
  bool TrVipodaPerviy() const { return look_.TrVipodaPerviy; }
  void SetTrVipodaPerviy(bool value);
  std::int32_t ColorBlackProzShap() const { return look_.ColorBlackProzShap; }
  void SetColorBlackProzShap(std::int32_t value);  // clamps to 0..255
  std::int16_t BorderStyle() const { return surface_->BorderStyle(); }
  void SetBorderStyle(std::int16_t value);
  std::int16_t Appearance() const { return surface_->Appearance(); }
  void SetAppearance(std::int16_t value);
  drawing::Colour TrCvetFon() const { return surface_->BackColor(); }
  void SetTrCvetFon(drawing::Colour colour);

  drawing::WindowHandle hdc() const { return surface_->hdc(); }
  bool HasDC() const { return surface_->HasDC(); }
  drawing::WindowHandle hWnd() const { return surface_->hWnd(); }

  // Saved properties: reading assigns directly (no clamping, nothing
  // forwarded to the balloon); writing leaves out values equal to defaults.
  void ReadProperties(const drawing::PropertyBag& bag);
  void WriteProperties(drawing::PropertyBag& bag) const;
  // The tree's own section and its inner controls' ("name.PodskazV1",
  // "name.VerticalScroll1") from a window design.
  void ReadDesign(const drawing::Design& design, const std::string& name);

  const TreeModel& Model() const { return model_; }
  const TrayLook& Look() const { return look_; }
  std::int32_t LastItemIndex() const { return model_.LastItemIndex(); }
  std::int32_t HotIndex() const { return hotIndex_; }
  const std::string& HotText() const { return hotText_; }
  // Element 0 is a placeholder; the visible entries follow in list order.
  const std::vector<std::int32_t>& VisibleRows() const { return visibleRows_; }
  double SlideStep() const { return slideStep_; }
  drawing::Surface& Pe1() { return *pe1_; }
  drawing::Surface& Pe2() { return *pe2_; }
  drawing::Timer& Timer1() { return *timer1_; }
  drawing::Timer& Timer2() { return *timer2_; }
  drawing::Timer& Timer3() { return *timer3_; }
  // Text measurements are remembered between repaints (the default); off,
  // every repaint measures anew. The picture is the same either way.
  void SetTextCaching(bool on) { metrics_.SetCaching(on); }

  // ---- the keyboard ----
  // The row keys act on (see EffectiveKeyboardRow), -1 with no visible row.
  std::int32_t KeyboardRow() const;
  bool HasFocus() const { return focused_; }
  // The focus rectangle shows once the keyboard has been used: a reader
  // who only clicks sees the tree exactly as it is drawn without the focus.
  bool ShowsFocus() const { return focused_ && focusCues_; }
  // A key for the tree, as its surface delivers them; true when used.
  bool KeyDown(const drawing::KeyPress& key);
  // What Enter does on a visible entry: a button release over its row.
  void ChooseEntry(std::int32_t entry);
  // Opens or closes a visible section, as Right and Left do.
  void SetEntryOpen(std::int32_t entry, bool open);
  // Makes a visible entry the keyboard row and scrolls it into view.
  void FocusEntry(std::int32_t entry);
  std::function<void(TreeNotice, std::int32_t entry)> Notice;
  // How many lists PoluchiSpisok has been given: an entry index means the
  // same row only within one list.
  std::uint64_t ListsParsed() const { return listsParsed_; }

  // Events, in the control's order.
  std::function<void(float&, float&)> MovTray;
  std::function<void(std::int32_t&, std::string&, bool&)> HoverItem;
  // The arguments of the selection events and HoverItem's name are the
  // tree's own HotIndex, HotText and the entry's Texts[2] and Texts[3]:
  // a handler that changes them changes what the tree holds.
  using SelectionEvent = std::function<void(std::int32_t&, std::string&, std::string&, std::string&)>;
  SelectionEvent VibranPapka;
  SelectionEvent VibranFil;
  SelectionEvent VibranFilDbl;
  std::function<void()> FoksGo;
  std::function<void()> FoksEx;

 private:
  friend struct TrayProperties;
  void PaintBackground();
  void Changed(std::string_view key) const { site_.PropertyChanged(key); }
  void OnResize();

  // Painting (TrayPaint.cpp).
  struct Frame;
  void LayOutRow(Frame& frame, std::int32_t e, RowLayout& row, const RowLayout& before);
  void SyncRowLayouts();
  void DrawRow(Frame& frame, std::int32_t e, const RowStyle& style);
  static void ClearStrip(drawing::Surface& box, std::int32_t rows);
  void SelectFont(const drawing::Font& wanted);
  std::int32_t Available() const;
  drawing::Colour Plain(drawing::Colour colour) const { return site_.services->ResolveColour(colour); }

  // Interaction (TrayInput.cpp).
  void WireInput();
  void OnMouseMove(double x, double y);
  // The hit test and hot-entry steps of a pointer move at (x, y); true when
  // the hot entry changed to another entry. Throws on a failed hit test.
  bool UpdateHotEntry(float x, float y);
  // After a repaint: the hot entry again from where the pointer rests.
  void RecheckHotEntry();
  // A release at (x, y): the hot entry from there, then the release steps
  // on it (OnMouseUp()).
  void OnMouseUp(double x, double y);
  void OnMouseUp();
  void RaiseSelection(const SelectionEvent& event, std::int32_t entry);
  // While a selection event runs, a table the handler replaces is kept,
  // since the handler holds references into it.
  struct RaisingEvent {
    explicit RaisingEvent(Tray& tray);
    ~RaisingEvent();
    RaisingEvent(const RaisingEvent&) = delete;
    RaisingEvent& operator=(const RaisingEvent&) = delete;
    Tray& tray_;
  };
  void OnDoubleClick();
  void OnHintTick();
  const TreeItem* ItemAt(std::int32_t index) const;

  // The keyboard (TrayKeys.cpp).
  void WireKeyboard();
  void FocusMoved(bool focused);
  void ShowFocusCues();
  void MoveKeyboardRow(std::int32_t entry);
  bool KeepInView(std::int32_t entry);
  bool IsVisibleRow(std::int32_t entry) const;
  void PaintKeyboardFocus(std::int32_t scrollValue);
  void AnnounceChanges();
  void Announce(TreeNotice notice, std::int32_t entry) {
    if (Notice) Notice(notice, entry);
  }

  drawing::ControlSite site_;
  drawing::ControlSite innerSite_;
  std::unique_ptr<drawing::Surface> surface_;
  std::unique_ptr<drawing::Surface> barSurface_;
  std::unique_ptr<drawing::Surface> balloonFace_;
  std::unique_ptr<scrollbar::VerticalScroll> bar_;
  std::unique_ptr<balloon::PodskazV> balloon_;
  std::unique_ptr<drawing::Surface> pe1_;
  std::unique_ptr<drawing::Surface> pe2_;
  std::unique_ptr<drawing::Timer> timer1_;
  std::unique_ptr<drawing::Timer> timer2_;
  std::unique_ptr<drawing::Timer> timer3_;
  TreeModel model_;
  TrayLook look_;
  TextMetrics metrics_;
  std::vector<std::int32_t> visibleRows_{0};
  std::vector<RowLayout> rows_;  // mirrors the item table's layout fields
  bool rowsStale_ = true;
  // What the last repaint's layout depended on, kept when it left every row
  // placed: the same inputs lay the rows out the same way again, so such a
  // repaint only draws the rows in view.
  struct LayoutInputs {
    std::size_t entries = 0;
    std::uint64_t openings = 0;
    std::int32_t vibran = -1;
    std::int32_t height = 0;
    std::int32_t otstSleva = 0, visotaPlanki = 0, otstMegRazdel = 0, otstMegPodRazdel = 0;
    drawing::Font shapka, element, elementVibran;
    bool operator==(const LayoutInputs&) const = default;
  };
  LayoutInputs CurrentLayoutInputs() const;
  bool DrawSettledRows(Frame& frame);
  std::optional<LayoutInputs> settled_;
  std::uint64_t openings_ = 0;  // section openings and closings so far

  double slideStep_ = 1.0;
  MarkerRect marker_;
  std::int32_t hotIndex_ = -1;
  std::string hotText_;
  float mouseX_[2] = {0, 0};
  float mouseY_[2] = {0, 0};
  bool pointerSeen_ = false;  // a pointer position has been reported
  int raising_ = 0;
  std::vector<std::vector<TreeItem>> retiredTables_;
  // Pe2 holds the in-view rows of the last drawn strip, from view row
  // stripTop_ down for stripRows_ rows.
  std::int32_t stripTop_ = 0;
  std::int32_t stripRows_ = 0;

  std::int32_t keyboardRow_ = -1;
  std::uint64_t listsParsed_ = 0;
  bool focused_ = false;
  bool focusCues_ = false;
  TypeAheadBuffer typed_;
  std::unique_ptr<drawing::Timer> typeAheadTimer_;
  std::vector<std::int32_t> announcedRows_{0};
  std::uint64_t announcedOpenings_ = 0;
};

}  // namespace tree
