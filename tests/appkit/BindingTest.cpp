// Key-value coding of typed values and the bindings of controls with their options.
#include <gtest/gtest.h>

#include "platform/appkit/Slider.h"
#include "tests/appkit/AppKitTestSupport.h"

using namespace appkittest;

namespace {

// A model with a float, a boolean and a text property; setters announce only changes.
class Model : public KeyValueObservable {
 public:
  float level = 0.25f;
  bool allowed = true;
  std::optional<std::string> name;
  int levelChanges = 0;

  void setLevel(float v) {
    if (v == level) return;
    willChangeValueForKey("level");
    level = v;
    ++levelChanges;
    didChangeValueForKey("level");
  }
  void setAllowed(bool v) {
    if (v == allowed) return;
    allowed = v;
    didChangeValueForKey("allowed");
  }
  KVValue valueForKey(const std::string& key) const override {
    if (key == "level") return level;
    if (key == "allowed") return allowed;
    if (key == "name") return name ? KVValue(*name) : KVValue();
    return KeyValueObservable::valueForKey(key);
  }
  void setValueForKey(const std::string& key, const KVValue& value) override {
    if (key == "level")
      setLevel(value.floatValue());
    else if (key == "allowed")
      setAllowed(value.boolValue());
    else
      KeyValueObservable::setValueForKey(key, value);
  }
};

platform::PlistDictionary options(bool conditionallySetsEnabled, bool raises) {
  platform::PlistDictionary o;
  o.set(NSConditionallySetsEnabledBindingOption, conditionallySetsEnabled);
  o.set(NSRaisesForNotApplicableKeysBindingOption, raises);
  return o;
}

}  // namespace

TEST(AppKitKeyValue, TypedValuesConvertAsThePlatformsNumbersDo) {
  EXPECT_TRUE(KVValue().isNil());
  EXPECT_EQ(KVValue().doubleValue(), 0);
  EXPECT_EQ(KVValue(true).doubleValue(), 1);
  EXPECT_EQ(KVValue(0.75f).floatValue(), 0.75f);
  EXPECT_EQ(KVValue(2.9).integerValue(), 2);
  EXPECT_EQ(KVValue(-2.9).integerValue(), -2);
  EXPECT_EQ(KVValue(1e300).integerValue(), INT64_MAX);
  EXPECT_TRUE(KVValue("YES").boolValue());
  EXPECT_FALSE(KVValue("0").boolValue());
  EXPECT_EQ(KVValue("3.5").doubleValue(), 3.5);
  EXPECT_EQ(KVValue(42).stringValue(), "42");
  EXPECT_TRUE(KVValue(3).isInteger());
  EXPECT_TRUE(KVValue(true).isNumber());
  EXPECT_FALSE(KVValue("x").isNumber());
  Model m;
  EXPECT_THROW(m.valueForKey("nothing"), NSUndefinedKeyException);
  EXPECT_THROW(m.setValueForKey("nothing", 1), NSUndefinedKeyException);
}

TEST(AppKitBindings, AValueBindingFollowsTheModelAndCarriesTheUsersValueBack) {
  Model model;
  NSSlider slider(NSMakeRect(0, 0, 100, 20));
  slider.bind(NSValueBinding, &model, "level", options(false, false));
  EXPECT_FLOAT_EQ(slider.floatValue(), 0.25f);
  model.setLevel(0.5f);
  EXPECT_FLOAT_EQ(slider.floatValue(), 0.5f);
  // The user's value reaches the model when the control sends its action, before the action.
  float seenByAction = -1;
  slider.setAction([&](NSControl&) { seenByAction = model.level; });
  slider.setDoubleValue(0.8);
  EXPECT_FLOAT_EQ(model.level, 0.5f);
  slider.sendAction();
  EXPECT_FLOAT_EQ(model.level, 0.8f);
  EXPECT_FLOAT_EQ(seenByAction, 0.8f);
  // Setting the same value again announces nothing.
  const int changes = model.levelChanges;
  slider.sendAction();
  EXPECT_EQ(model.levelChanges, changes);
  slider.unbind(NSValueBinding);
  model.setLevel(0.1f);
  EXPECT_FLOAT_EQ(slider.floatValue(), 0.8f);
}

TEST(AppKitBindings, EnabledFollowsABooleanAndTheNegateTransformer) {
  Model model;
  NSSlider slider, inverse;
  slider.bind(NSEnabledBinding, &model, "allowed");
  platform::PlistDictionary negate;
  negate.set(NSValueTransformerNameBindingOption, NSNegateBooleanTransformerName);
  inverse.bind(NSEnabledBinding, &model, "allowed", negate);
  EXPECT_TRUE(slider.isEnabled());
  EXPECT_FALSE(inverse.isEnabled());
  model.setAllowed(false);
  EXPECT_FALSE(slider.isEnabled());
  EXPECT_TRUE(inverse.isEnabled());
}

TEST(AppKitBindings, NotApplicableKeysRaiseOrDisableAsTheOptionsSay) {
  Model model;
  NSSlider raising;
  EXPECT_THROW(raising.bind(NSValueBinding, &model, "missing"), NSUndefinedKeyException);
  EXPECT_FALSE(raising.isBound(NSValueBinding));

  // Not raising: the control shows the placeholder and, setting enabled conditionally, is disabled.
  NSSlider conditional;
  conditional.setDoubleValue(0.9);
  platform::PlistDictionary o = options(true, false);
  o.set(NSNotApplicablePlaceholderBindingOption, 0.0);
  conditional.bind(NSValueBinding, &model, "missing", o);
  EXPECT_EQ(conditional.doubleValue(), 0);
  EXPECT_FALSE(conditional.isEnabled());
  conditional.sendAction();  // nothing goes back to a key that isn't there
  // The controller's options: neither raise nor touch the enabled state.
  NSSlider plain;
  plain.bind(NSValueBinding, &model, "missing", options(false, false));
  EXPECT_TRUE(plain.isEnabled());
  plain.setEnabled(false);
  model.setLevel(0.6f);
  EXPECT_FALSE(plain.isEnabled());
  NSSlider applicable;
  applicable.setEnabled(false);
  applicable.bind(NSValueBinding, &model, "level", options(false, false));
  EXPECT_FALSE(applicable.isEnabled());  // left as it was
  NSSlider enabling;
  enabling.setEnabled(false);
  enabling.bind(NSValueBinding, &model, "level");
  EXPECT_TRUE(enabling.isEnabled());  // conditionally set: the key applies
}

TEST(AppKitBindings, NilShowsTheNullPlaceholder) {
  Model model;
  NSSlider slider;
  slider.setDoubleValue(0.7);
  platform::PlistDictionary o;
  o.set(NSNullPlaceholderBindingOption, 0.4);
  slider.bind(NSValueBinding, &model, "name", o);
  EXPECT_DOUBLE_EQ(slider.doubleValue(), 0.4);
}

TEST(AppKitBindings, AControlAnnouncesChangesOfItsOwnValue) {
  NSSlider slider;
  int heard = 0;
  slider.addObserver("floatValue", [&] { ++heard; });
  // As a slider stepping its own value does: announce, set, announce done.
  slider.willChangeValueForKey("floatValue");
  slider.setFloatValue(0.5f);
  slider.didChangeValueForKey("floatValue");
  EXPECT_EQ(heard, 1);
  EXPECT_FLOAT_EQ(slider.valueForKey("floatValue").floatValue(), 0.5f);
  slider.setValueForKey("floatValue", 0.25);
  EXPECT_EQ(heard, 2);
  EXPECT_TRUE(slider.valueForKey("enabled").boolValue());
  // Controls bind to controls.
  NSSlider follower;
  follower.bind(NSValueBinding, &slider, "doubleValue");
  slider.setValueForKey("doubleValue", 0.75);
  EXPECT_DOUBLE_EQ(follower.doubleValue(), 0.75);
}
