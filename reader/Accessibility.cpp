#include "reader/Accessibility.h"

#include <QAccessible>
#include <QAccessibleObject>
#include <QAccessibleWidget>
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QHash>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <climits>
#include <unordered_map>
#include <unordered_set>

#include "controls/slider/Hscroll.h"
#include "controls/tree/Tray.h"
#include "platform/QtSurface.h"

namespace reader {

namespace {

QString Tr(const char* text) { return QCoreApplication::translate("Accessibility", text); }

bool Hidden(const QObject* object) { return object && object->property(platform::kAccessibleHiddenProperty).toBool(); }

QHash<QObject*, tree::Tray*>& Trees() {
  static QHash<QObject*, tree::Tray*> trees;
  return trees;
}
QHash<QObject*, slider::Hscroll*>& Sliders() {
  static QHash<QObject*, slider::Hscroll*> sliders;
  return sliders;
}

// ---- the contents tree ----

class TreeAccessible;

// One visible row of the tree. The row is its entry's index; an entry that
// a new list has replaced, or a row of a tree that is gone, is no longer
// valid and answers nothing.
class TreeRowAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
 public:
  TreeRowAccessible(QWidget* widget, tree::Tray* tray, std::uint64_t list, std::int32_t entry)
      : widget_(widget), tray_(tray), list_(list), entry_(entry) {}

  std::int32_t Entry() const { return entry_; }
  bool isValid() const override { return Item() != nullptr; }
  QObject* object() const override { return nullptr; }
  QWindow* window() const override { return widget_ ? widget_->window()->windowHandle() : nullptr; }
  QAccessibleInterface* parent() const override { return widget_ ? QAccessible::queryAccessibleInterface(widget_) : nullptr; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int childCount() const override { return 0; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  QAccessibleInterface* childAt(int, int) const override { return nullptr; }
  QAccessible::Role role() const override { return QAccessible::TreeItem; }
  void setText(QAccessible::Text, const QString&) override {}

  QString text(QAccessible::Text t) const override {
    const tree::TreeItem* item = Item();
    if (!item) return {};
    if (t == QAccessible::Name) return QString::fromStdString(item->Texts[1]);  // the whole name, never shortened
    if (t == QAccessible::Description) {
      if (item->HasChildren) return Tr("section");
      return Tr("page %1").arg(QString::fromStdString(item->Texts[3]));
    }
    return {};
  }

  QAccessible::State state() const override {
    QAccessible::State s;
    const tree::TreeItem* item = Item();
    if (!item) {
      s.invalid = true;
      return s;
    }
    s.selectable = true;
    s.focusable = true;
    s.selected = tray_->Vibran() == entry_;
    s.focused = tray_->HasFocus() && tray_->KeyboardRow() == entry_;
    if (item->HasChildren) {
      s.expandable = true;
      s.expanded = item->IsOpen;
      s.collapsed = !item->IsOpen;
    }
    const QRect r = rect();
    if (!widget_->isVisible() || !r.intersects(QRect(widget_->mapToGlobal(QPoint(0, 0)), widget_->size())))
      s.offscreen = true;
    return s;
  }

  QRect rect() const override {
    const tree::TreeItem* item = Item();
    if (!item || !widget_) return {};
    const int border = static_cast<platform::QtSurface&>(tray_->Surface()).BorderWidth();
    const int top = item->RowTop - tray_->VerticalScroll1().Value();
    const QPoint origin = widget_->mapToGlobal(QPoint(border, border + top));
    return {origin, QSize(std::max(0, tray_->Surface().ScaleWidth() - tree::Tray::kScrollBarWidth), item->RowHeight)};
  }

  void* interface_cast(QAccessible::InterfaceType type) override {
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this) : nullptr;
  }

  QStringList actionNames() const override {
    const tree::TreeItem* item = Item();
    if (!item) return {};
    QStringList names{pressAction(), setFocusAction()};
    if (item->HasChildren) names.insert(1, toggleAction());
    return names;
  }
  QString localizedActionDescription(const QString& name) const override {
    if (name == pressAction()) return Tr("Choose, as Enter does");
    if (name == toggleAction()) return Tr("Open or close the section");
    if (name == setFocusAction()) return Tr("Make it the keyboard row");
    return {};
  }
  void doAction(const QString& name) override {
    const tree::TreeItem* item = Item();
    if (!item) return;
    if (name == pressAction())
      tray_->ChooseEntry(entry_);
    else if (name == toggleAction())
      tray_->SetEntryOpen(entry_, !item->IsOpen);
    else if (name == setFocusAction())
      tray_->FocusEntry(entry_);
  }
  QStringList keyBindingsForAction(const QString& name) const override {
    if (name == pressAction()) return {QStringLiteral("Return")};
    return {};
  }

 private:
  const tree::TreeItem* Item() const {
    if (!widget_ || !Trees().contains(widget_.data()) || tray_->ListsParsed() != list_) return nullptr;
    const auto& items = tray_->Model().Items();
    if (entry_ < 0 || static_cast<std::size_t>(entry_) >= items.size()) return nullptr;
    return &items[static_cast<std::size_t>(entry_)];
  }

  QPointer<QWidget> widget_;
  tree::Tray* tray_;
  std::uint64_t list_;
  std::int32_t entry_;
};

class TreeAccessible : public QAccessibleWidget {
 public:
  TreeAccessible(QWidget* widget, tree::Tray& tray)
      : QAccessibleWidget(widget, QAccessible::Tree), tray_(tray), list_(tray.ListsParsed()) {
    shown_.insert(tray.VisibleRows().begin() + 1, tray.VisibleRows().end());
  }
  ~TreeAccessible() override {
    for (const auto& [entry, id] : rows_) QAccessible::deleteAccessibleInterface(id);
  }

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return Tr("Contents");
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return static_cast<int>(tray_.VisibleRows().size()) - 1; }
  QAccessibleInterface* child(int index) const override {
    const auto& rows = tray_.VisibleRows();
    if (index < 0 || static_cast<std::size_t>(index) + 1 >= rows.size()) return nullptr;
    return Row(rows[static_cast<std::size_t>(index) + 1]);
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    const auto* row = dynamic_cast<const TreeRowAccessible*>(child);
    if (!row || !row->isValid()) return -1;
    const auto& rows = tray_.VisibleRows();
    for (std::size_t k = 1; k < rows.size(); ++k)
      if (rows[k] == row->Entry()) return static_cast<int>(k) - 1;
    return -1;
  }
  QAccessibleInterface* focusChild() const override {
    if (!tray_.HasFocus()) return nullptr;
    const std::int32_t row = tray_.KeyboardRow();
    return row >= 0 ? Row(row) : nullptr;
  }

  // The interface of a visible entry's row, made once per entry and list.
  QAccessibleInterface* Row(std::int32_t entry) const {
    if (list_ != tray_.ListsParsed()) Forget();
    if (const auto known = rows_.find(entry); known != rows_.end())
      if (QAccessibleInterface* iface = QAccessible::accessibleInterface(known->second)) return iface;
    auto* row = new TreeRowAccessible(widget(), &tray_, tray_.ListsParsed(), entry);
    rows_[entry] = QAccessible::registerAccessibleInterface(row);
    return row;
  }

  void Notice(tree::TreeNotice notice, std::int32_t entry) {
    switch (notice) {
      case tree::TreeNotice::FocusRow:
        if (tray_.HasFocus() && entry >= 0) {
          QAccessibleEvent focus(Row(entry), QAccessible::Focus);
          QAccessible::updateAccessibility(&focus);
        }
        break;
      case tree::TreeNotice::Selection:
        if (entry >= 0 && tray_.VisibleRows().size() > 1) {
          QAccessibleEvent selection(Row(entry), QAccessible::Selection);
          QAccessible::updateAccessibility(&selection);
        }
        break;
      case tree::TreeNotice::OpenState: {
        // Every known section row whose state differs from the one it told.
        for (std::size_t k = 1; k < tray_.VisibleRows().size(); ++k) {
          const std::int32_t e = tray_.VisibleRows()[k];
          const tree::TreeItem& item = tray_.Model().Items()[static_cast<std::size_t>(e)];
          if (!item.HasChildren) continue;
          const auto told = opened_.find(e);
          if (told != opened_.end() && told->second == item.IsOpen) continue;
          opened_[e] = item.IsOpen;
          QAccessible::State changed;
          changed.expanded = true;
          changed.collapsed = true;
          QAccessibleStateChangeEvent event(Row(e), changed);
          QAccessible::updateAccessibility(&event);
        }
        break;
      }
      case tree::TreeNotice::Rows: {
        // Rows that came into sight are new children, rows that went out of
        // it (their section closed) are gone, as a client's cache sees it.
        if (list_ != tray_.ListsParsed()) Forget();  // a new list: every row is new
        const std::vector<std::int32_t>& now = tray_.VisibleRows();
        const std::unordered_set<std::int32_t> visible(now.begin() + 1, now.end());
        for (auto known = rows_.begin(); known != rows_.end();) {
          if (visible.count(known->first)) {
            ++known;
            continue;
          }
          if (QAccessibleInterface* gone = QAccessible::accessibleInterface(known->second)) {
            QAccessibleEvent destroyed(gone, QAccessible::ObjectDestroyed);
            QAccessible::updateAccessibility(&destroyed);
          }
          QAccessible::deleteAccessibleInterface(known->second);
          opened_.erase(known->first);
          known = rows_.erase(known);
        }
        for (std::size_t k = 1; k < now.size(); ++k) {
          if (shown_.count(now[k])) continue;
          QAccessibleEvent created(Row(now[k]), QAccessible::ObjectCreated);
          QAccessible::updateAccessibility(&created);
        }
        // No ObjectReorder on top: Qt's AT-SPI bridge sends that one with a
        // signature clients reject.
        shown_ = visible;
        break;
      }
    }
  }

 private:
  // A new list: the old rows' interfaces go, and clients learn of it.
  void Forget() const {
    for (const auto& [entry, id] : rows_) QAccessible::deleteAccessibleInterface(id);
    rows_.clear();
    opened_.clear();
    shown_.clear();
    list_ = tray_.ListsParsed();
  }

  tree::Tray& tray_;
  mutable std::uint64_t list_ = 0;
  mutable std::unordered_map<std::int32_t, QAccessible::Id> rows_;
  mutable std::unordered_map<std::int32_t, bool> opened_;
  mutable std::unordered_set<std::int32_t> shown_;  // the visible entries clients were told of
};

// ---- the zoom slider ----

class SliderAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  SliderAccessible(QWidget* widget, slider::Hscroll& slider)
      : QAccessibleWidget(widget, QAccessible::Slider), slider_(slider) {}

  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name) return Tr("Zoom");
    if (t == QAccessible::Value) return Tr("%1 %").arg(slider_.Value());
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }
  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }

  QVariant currentValue() const override { return slider_.Value(); }
  // Through the Value setter: the slider repaints and raises Scroll, and the
  // window zooms the page, as after a drag.
  void setCurrentValue(const QVariant& value) override {
    bool ok = false;
    const qlonglong wanted = value.toLongLong(&ok);
    if (!ok) return;
    slider_.SetValue(static_cast<std::int32_t>(std::clamp<qlonglong>(wanted, INT32_MIN, INT32_MAX)));
  }
  QVariant maximumValue() const override { return slider_.Max(); }
  QVariant minimumValue() const override { return slider_.Min(); }
  QVariant minimumStepSize() const override { return slider_.SmallChange(); }

 private:
  slider::Hscroll& slider_;
};

// ---- the hint balloon ----

class BalloonAccessible : public QAccessibleWidget {
 public:
  BalloonAccessible(QWidget* widget, tree::Tray& tray) : QAccessibleWidget(widget, QAccessible::ToolTip), tray_(tray) {}
  QString text(QAccessible::Text t) const override {
    if (t == QAccessible::Name || t == QAccessible::Description)
      return QString::fromStdString(tray_.PodskazV1().Caption());
    return QAccessibleWidget::text(t);
  }
  int childCount() const override { return 0; }
  QAccessibleInterface* child(int) const override { return nullptr; }
  int indexOfChild(const QAccessibleInterface*) const override { return -1; }

 private:
  tree::Tray& tray_;
};

// ---- windows ----

// A window without the widgets it covers or hides: its children are what
// the reader can see.
class WindowAccessible : public QAccessibleWidget {
 public:
  explicit WindowAccessible(QWidget* widget) : QAccessibleWidget(widget, QAccessible::Window) {}
  int childCount() const override { return static_cast<int>(Shown().size()); }
  QAccessibleInterface* child(int index) const override {
    const QList<QWidget*> shown = Shown();
    return index >= 0 && index < shown.size() ? QAccessible::queryAccessibleInterface(shown[index]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child ? static_cast<int>(Shown().indexOf(qobject_cast<QWidget*>(child->object()))) : -1;
  }

 private:
  QList<QWidget*> Shown() const {
    QList<QWidget*> shown;
    for (QObject* o : widget()->children()) {
      auto* w = qobject_cast<QWidget*>(o);
      if (w && !w->isWindow() && !w->isHidden() && !Hidden(w)) shown.append(w);
    }
    return shown;
  }
};

// The application's windows less those nobody sees: windows not shown (the
// web engine keeps an offscreen one for its drawing, named "Offscreen"),
// and the balloon's drop shadow.
class ApplicationAccessible : public QAccessibleApplication {
 public:
  int childCount() const override { return static_cast<int>(Windows().size()); }
  QAccessibleInterface* child(int index) const override {
    const QObjectList windows = Windows();
    return index >= 0 && index < windows.size() ? QAccessible::queryAccessibleInterface(windows[index]) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child ? static_cast<int>(Windows().indexOf(child->object())) : -1;
  }

 private:
  static QObjectList Windows() {
    QObjectList list;
    for (QWindow* w : QGuiApplication::topLevelWindows()) {
      if (w->type() == Qt::Popup || w->type() == Qt::Desktop || !w->isVisible()) continue;
      QAccessibleInterface* root = w->accessibleRoot();
      if (root && root->object() && !Hidden(root->object())) list.append(root->object());
    }
    return list;
  }
};

QAccessibleInterface* ApplicationFactory(const QString&, QObject* object) {
  return object && object == qApp ? new ApplicationAccessible : nullptr;
}

QAccessibleInterface* WidgetFactory(const QString& className, QObject* object) {
  if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className())) return nullptr;
  auto* widget = static_cast<QWidget*>(object);
  if (tree::Tray* tray = Trees().value(object)) return new TreeAccessible(widget, *tray);
  if (slider::Hscroll* slider = Sliders().value(object)) return new SliderAccessible(widget, *slider);
  if (auto* surface = dynamic_cast<platform::SurfaceWidget*>(widget)) {
    for (tree::Tray* tray : Trees()) {
      const drawing::Surface* balloon = tray->PodskazV1().BalloonWindow();
      if (balloon && balloon->hWnd() == surface->Owner().hWnd()) return new BalloonAccessible(widget, *tray);
    }
  }
  if (widget->isWindow() && !widget->windowFlags().testFlag(Qt::ToolTip) && !qobject_cast<QDialog*>(widget)) {
    // Only a window that has covered widgets needs the filtering one.
    for (QObject* o : widget->children())
      if (Hidden(o)) return new WindowAccessible(widget);
  }
  return nullptr;
}

// Interfaces made before a control was registered (assistive technology
// may ask while the window is still being built) are the plain ones: they
// go, and the next question gets the control's own.
void Renew(QObject& object) {
  // Factories are asked newest first, and the application installs one for
  // every widget class when it starts: ours goes in after that.
  static const bool installed = [] {
    QAccessible::installFactory(WidgetFactory);
    return true;
  }();
  (void)installed;
  if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&object))
    QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

}  // namespace

void InstallAccessibility() { QAccessible::installFactory(ApplicationFactory); }

void ExposeTree(QWidget& widget, tree::Tray& tray) {
  Trees().insert(&widget, &tray);
  QObject::connect(&widget, &QObject::destroyed, [object = &widget] { Trees().remove(object); });
  tray.Notice = [&widget](tree::TreeNotice notice, std::int32_t entry) {
    if (!QAccessible::isActive()) return;
    if (auto* iface = dynamic_cast<TreeAccessible*>(QAccessible::queryAccessibleInterface(&widget)))
      iface->Notice(notice, entry);
  };
  Renew(widget);
}

void ExposeSlider(QWidget& widget, slider::Hscroll& slider) {
  Sliders().insert(&widget, &slider);
  QObject::connect(&widget, &QObject::destroyed, [object = &widget] { Sliders().remove(object); });
  Renew(widget);
}

void HideFromAccessibility(QWidget& widget) {
  widget.setProperty(platform::kAccessibleHiddenProperty, true);
  if (QWidget* parent = widget.parentWidget()) Renew(*parent);
}

}  // namespace reader
