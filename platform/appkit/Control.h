#pragma once
// NSControl: a view that shows a cell, sends its action to its target, and follows key-value
// bindings. A control is itself key-value observable ("doubleValue", "floatValue", "intValue",
// "enabled"), so changes announced around its own setters reach observers.
//
// Bindings: "value", "enabled" and "hidden" follow a property of another object. The value the
// user sets travels back to the bound property when the control sends its action (before the
// action itself). Options:
//   "NSConditionallySetsEnabled" (default yes): a value binding whose key is not applicable
//       disables the control, and enables it again when it is;
//   "NSRaisesForNotApplicableKeys" (default yes): a bound key the object doesn't have raises
//       NSUndefinedKeyException; with no, the binding shows its not-applicable placeholder;
//   "NSNullPlaceholder", "NSNotApplicablePlaceholder": values shown for nil and not applicable;
//   "NSValueTransformerName": "NSNegateBoolean", "NSIsNil" or "NSIsNotNil".
#include <memory>
#include <string>
#include <vector>

#include "platform/appkit/Cell.h"
#include "platform/appkit/KeyValue.h"
#include "platform/appkit/View.h"
#include "platform/foundation/PropertyList.h"

namespace platform::appkit {

inline const std::string NSValueBinding = "value";
inline const std::string NSEnabledBinding = "enabled";
inline const std::string NSHiddenBinding = "hidden";
inline const std::string NSConditionallySetsEnabledBindingOption = "NSConditionallySetsEnabled";
inline const std::string NSRaisesForNotApplicableKeysBindingOption = "NSRaisesForNotApplicableKeys";
inline const std::string NSNullPlaceholderBindingOption = "NSNullPlaceholder";
inline const std::string NSNotApplicablePlaceholderBindingOption = "NSNotApplicablePlaceholder";
inline const std::string NSValueTransformerNameBindingOption = "NSValueTransformerName";
inline const std::string NSNegateBooleanTransformerName = "NSNegateBoolean";
inline const std::string NSIsNilTransformerName = "NSIsNil";
inline const std::string NSIsNotNilTransformerName = "NSIsNotNil";

class NSControl : public NSView, public KeyValueObservable {
 public:
  using Action = NSAction;
  explicit NSControl(NSRect frame = {}) : NSView(frame) {}
  ~NSControl() override;

  // The cell, made on first use by makeCell() (the control's cell class).
  NSCell* cell();
  const NSCell* cell() const { return const_cast<NSControl*>(this)->cell(); }
  // Installs a cell (the control owns it) and redraws.
  void setCell(std::unique_ptr<NSCell> cell);
  virtual std::unique_ptr<NSCell> makeCell() const { return std::make_unique<NSCell>(); }

  long tag() const override { return tag_; }
  void setTag(long tag) { tag_ = tag; }

  double doubleValue() const { return cell()->doubleValue(); }
  float floatValue() const { return cell()->floatValue(); }
  int intValue() const { return cell()->intValue(); }
  void setDoubleValue(double value);
  void setFloatValue(float value) { setDoubleValue(value); }
  void setIntValue(int value) { setDoubleValue(value); }
  // The value as bindings carry it; controls with other kinds of value override both.
  virtual KVValue objectValue() const { return KVValue(doubleValue()); }
  virtual void setObjectValue(const KVValue& value) { setDoubleValue(value.doubleValue()); }

  bool isEnabled() const { return cell()->isEnabled(); }
  void setEnabled(bool enabled);
  bool isContinuous() const { return cell()->isContinuous(); }
  void setContinuous(bool continuous) { cell()->setContinuous(continuous); }
  NSControlSize controlSize() const { return cell()->controlSize(); }
  void setControlSize(NSControlSize size);

  const Action& action() const { return cell()->action(); }
  void setAction(Action action) { cell()->setAction(std::move(action)); }
  void* target() const { return cell()->target(); }
  void setTarget(void* target) { cell()->setTarget(target); }

  // sendAction:to: — brings the value binding's property up to date, then calls the action.
  // False when there is no action.
  bool sendAction(const Action& action, void* target);
  bool sendAction() { return sendAction(Action(cell()->action()), cell()->target()); }

  // Bindings (see above). bind replaces an earlier binding of the same name.
  void bind(const std::string& binding, KeyValueObservable* object, const std::string& key,
            const platform::PlistDictionary& options = {});
  void unbind(const std::string& binding);
  void unbindAll();
  bool isBound(const std::string& binding) const;

  // Drawing and events go to the cell.
  void drawRect(NSRect dirtyRect) override;
  void mouseDown(const NSEvent& event) override;
  bool mouseDownCanMoveWindow() const override { return false; }

  // Key-value coding of the control's own value and state.
  KVValue valueForKey(const std::string& key) const override;
  void setValueForKey(const std::string& key, const KVValue& value) override;

 private:
  struct Binding {
    std::string name;
    KeyValueObservable* object;
    std::string key;
    platform::PlistDictionary options;
    KeyValueObservable::ObserverId observer;
  };
  void refreshBinding(const std::string& name);
  void updateEnabledFromBindings();
  bool option(const Binding& b, const std::string& name, bool byDefault) const;
  KVValue transformed(const Binding& b, const KVValue& value, bool reverse) const;
  void pushValueBinding();

  std::unique_ptr<NSCell> cell_;
  long tag_ = 0;
  std::vector<Binding> bindings_;
  bool valueApplicable_ = true;
  bool enabledByBinding_ = true;
};

}  // namespace platform::appkit
