#pragma once
// The live inspector's controller: serves the core's registries to tables (one tab per registry,
// columns named after object properties), the scene graph to an outline with "Scene" at the top,
// the mode lists to popups, and the actions of the inspector's buttons. The inspector window
// draws from it; a program can drive it directly too.
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "quarn/QuarnTypes.h"

class QuarnCore;
class QuarnGeometry;
class QuarnLight;
class QuarnModel;
class QuarnNode;
class QuarnShader;
class QuarnTexture;
class QuarnTextureLayer;

// A property value shown in a table cell: none, a switch, a number, a text or a colour.
using QuarnValue = std::variant<std::monostate, bool, int, float, std::string, QuarnColor>;

// The content of one table and the selected row.
template <class T>
class QuarnArrayController {
 public:
  const std::vector<std::shared_ptr<T>>& content() const { return content_; }
  // Keeps the selection when it still points inside the new content.
  void setContent(std::vector<std::shared_ptr<T>> content) {
    content_ = std::move(content);
    if (selection_ && *selection_ >= content_.size()) selection_.reset();
  }
  std::optional<std::size_t> selectionIndex() const { return selection_; }
  // An index outside the content clears the selection.
  void setSelectionIndex(std::optional<std::size_t> index) {
    selection_ = index && *index < content_.size() ? index : std::nullopt;
  }
  std::vector<std::shared_ptr<T>> selectedObjects() const {
    if (!selection_) return {};
    return {content_[*selection_]};
  }

 private:
  std::vector<std::shared_ptr<T>> content_;
  std::optional<std::size_t> selection_;
};

// The sender of an action: a button whose on/off state an action may set.
struct QuarnControlState {
  bool on = false;
};

class QuarnCoreController {
 public:
  // Tab identifiers: the core's registry keys, then the selected shader's texture layers.
  static const std::vector<std::string>& tabIdentifiers();  // models, geometries, shaders, textures, lights, textureLayers
  // The columns (property keys) of a tab's table; empty for an unknown tab.
  static const std::vector<std::string>& columnIdentifiers(const std::string& tabIdentifier);
  // Whether a column's cells can be edited (setValueForKey); false for read-only and unknown ones.
  static bool columnIsEditable(const std::string& tabIdentifier, const std::string& columnIdentifier);

  QuarnCoreController() = default;

  // Logs "quarnCoreController awoke from nib" and loads the guide (a missing guide leaves the
  // text empty).
  void awakeFromNib();
  // Where the guide is looked for: only $QUARN_GUIDE when it is set; otherwise
  // share/quarn/Guide.md beside the library (the build tree and any relocated install), then
  // the installed path.
  static std::vector<std::string> guidePaths();
  const std::string& guideText() const { return guideText_; }

  QuarnCore* quarncoreObj() const { return quarncoreObj_; }
  // Also points every table at the new core's registries.
  void setQuarncoreObj(QuarnCore* core);

  // --- Tables (the tab view selects which registry they show)
  const std::string& selectedTabIdentifier() const { return selectedTab_; }
  // "" stands for a tab without identifier, whose table is empty.
  void selectTabWithIdentifier(const std::string& identifier) { selectedTab_ = identifier; }
  void tabViewDidSelectTabViewItem() {}
  // Rows of the selected tab's registry; 0 without a tab identifier or a core.
  int numberOfRowsInTableView() const;
  // The value for the column's key of the object at that row of the selected tab's registry;
  // none for an empty column identifier, an unknown key or a row outside the table.
  QuarnValue tableViewObjectValue(const std::string& columnIdentifier, int row) const;
  // Table edits go through the bindings (setValueForKey), not through the data source.
  void tableViewSetObjectValue(const QuarnValue&, const std::string&, int) {}
  // The binding of a cell: stores the value under the key of that row's object in the selected
  // tab. False when the key is read-only or unknown, the row does not exist, or the value has
  // the wrong kind (a number where text is wanted); the object is then unchanged.
  bool setValueForKey(const std::string& columnIdentifier, int row, const QuarnValue& value);

  // --- Outline of the scene graph (null item: the top level)
  int outlineViewNumberOfChildrenOfItem(const QuarnNode* item) const;
  bool outlineViewIsItemExpandable(const QuarnNode* item) const;
  std::shared_ptr<QuarnNode> outlineViewChildOfItem(int index, const QuarnNode* item) const;
  std::string outlineViewObjectValueByItem(const QuarnNode* item) const;

  // --- Popup contents, copied from the class lists on first request
  const std::vector<std::string>& lightTypes();
  const std::vector<std::string>& fogModes();
  const std::vector<std::string>& geometryTypes();
  const std::vector<std::string>& layerModes();
  const std::vector<std::string>& srcBlendModes();
  const std::vector<std::string>& dstBlendModes();

  // --- Array controllers of the tables
  QuarnArrayController<QuarnModel>& modelsController() { return modelsController_; }
  QuarnArrayController<QuarnGeometry>& geometriesController() { return geometriesController_; }
  QuarnArrayController<QuarnShader>& shadersController() { return shadersController_; }
  QuarnArrayController<QuarnTextureLayer>& shaderTextureLayersController() { return shaderTextureLayersController_; }
  QuarnArrayController<QuarnTexture>& texturesController() { return texturesController_; }
  QuarnArrayController<QuarnLight>& lightsController() { return lightsController_; }
  // Bindings: every table's content from the core's registries, the layers from the selected
  // shader. The inspector window calls it each time it draws.
  void refreshContents();

  // --- Actions (the view's context must be current: they create GL objects or set GL state)
  void newModel(QuarnControlState* sender = nullptr);
  void newLight(QuarnControlState* sender = nullptr);
  void newGeometry(QuarnControlState* sender = nullptr);
  void newShader(QuarnControlState* sender = nullptr);
  void newTexture(QuarnControlState* sender = nullptr);
  void newParticles(QuarnControlState* sender = nullptr);
  // A layer for the core's first texture on the selected shader; nothing without both.
  void addTextureLayer(QuarnControlState* sender = nullptr);
  // Shows or closes the floating controls panel.
  void floatControls(QuarnControlState* sender = nullptr);
  // Logs "toggleSuspended" and inverts the core's suspended state.
  void toggleSuspended(QuarnControlState* sender = nullptr);
  // Inverts the core's suspended state (no log line).
  void resetWorld(QuarnControlState* sender = nullptr);
  // GL_LIGHTING off when the switch is on, else on; the sender shows the new state.
  void changeLighting(QuarnControlState* sender = nullptr);

  bool inspectorIsFloating() const { return inspectorIsFloating_; }
  bool lighting() const { return lighting_; }

 private:
  QuarnCore* quarncoreObj_ = nullptr;  // non-owning: the view owns the core
  QuarnArrayController<QuarnModel> modelsController_;
  QuarnArrayController<QuarnGeometry> geometriesController_;
  QuarnArrayController<QuarnShader> shadersController_;
  QuarnArrayController<QuarnTextureLayer> shaderTextureLayersController_;
  QuarnArrayController<QuarnTexture> texturesController_;
  QuarnArrayController<QuarnLight> lightsController_;
  std::optional<std::vector<std::string>> geometryTypes_, srcBlendModes_, dstBlendModes_, lightTypes_, layerModes_,
      fogModes_;
  std::string selectedTab_;
  std::string guideText_;
  bool inspectorIsFloating_ = false;
  bool lighting_ = false;
};
