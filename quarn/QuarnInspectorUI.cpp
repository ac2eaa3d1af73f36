#include "quarn/QuarnInspectorUI.h"

#include <imgui.h>
#include <imgui_internal.h>
#include <imgui_stdlib.h>

#include <cstdint>

#include "quarn/QuarnCamera.h"
#include "quarn/QuarnCore.h"
#include "quarn/QuarnFogMachine.h"
#include "quarn/QuarnLight.h"
#include "quarn/QuarnNode.h"
#include "quarn/QuarnShader.h"
#include "quarn/QuarnTexture.h"

namespace {

// Tab labels as shown; the identifiers are the controller's.
const char* tabLabel(const std::string& tab) { return tab == "textureLayers" ? "layers" : tab.c_str(); }

const std::vector<std::string>* popupFor(QuarnCoreController& c, const std::string& column) {
  if (column == "geometryType") return &c.geometryTypes();
  if (column == "blendMode") return &c.layerModes();
  if (column == "srcBlendFunc") return &c.srcBlendModes();
  if (column == "dstBlendFunc") return &c.dstBlendModes();
  if (column == "facing") return &QuarnShader::facingModes();
  if (column == "colorMaterialMode") return &QuarnShader::colorMaterialModes();
  return nullptr;
}

bool combo(const char* id, const std::string& current, const std::vector<std::string>& items, std::string& chosen) {
  bool changed = false;
  if (ImGui::BeginCombo(id, current.c_str())) {
    for (const std::string& item : items) {
      if (ImGui::Selectable(item.c_str(), item == current)) {
        chosen = item;
        changed = true;
      }
    }
    ImGui::EndCombo();
  }
  return changed;
}

bool colorEdit(const char* id, QuarnColor& color) {
  float rgba[4] = {color.red, color.green, color.blue, color.alpha};
  // The picker shows an opacity bar, as the colour panel does.
  if (!ImGui::ColorEdit4(id, rgba,
                         ImGuiColorEditFlags_NoInputs | ImGuiColorEditFlags_AlphaBar | ImGuiColorEditFlags_AlphaPreviewHalf))
    return false;
  color = QuarnColor::colorWithCalibratedRed(rgba[0], rgba[1], rgba[2], rgba[3]);
  return true;
}

}  // namespace

void QuarnInspectorUI::remember(const std::string& name) {
  const ImVec2 min = ImGui::GetItemRectMin(), max = ImGui::GetItemRectMax();
  frames_[name] = QuarnRect{{min.x, min.y}, {max.x - min.x, max.y - min.y}};
}

std::optional<QuarnRect> QuarnInspectorUI::controlFrame(const std::string& name) const {
  auto it = frames_.find(name);
  if (it == frames_.end()) return std::nullopt;
  return it->second;
}

bool QuarnInspectorUI::button(const char* label) {
  const bool pressed = ImGui::Button(label);
  remember(label);
  return pressed;
}

void QuarnInspectorUI::queueEdit(const std::string& tab, const std::string& column, int row, QuarnValue value) {
  queue([this, tab, column, row, value = std::move(value)] {
    const std::string shown = controller_.selectedTabIdentifier();
    controller_.selectTabWithIdentifier(tab);
    controller_.setValueForKey(column, row, value);
    controller_.selectTabWithIdentifier(shown);
  });
}

void QuarnInspectorUI::performQueued() {
  std::vector<std::function<void()>> work;
  work.swap(queue_);
  for (auto& fn : work) fn();
}

void QuarnInspectorUI::draw(QuarnSize displaySize) {
  frames_.clear();
  controller_.refreshContents();
  ImGui::SetNextWindowPos(ImVec2(0, 0));
  ImGui::SetNextWindowSize(ImVec2(displaySize.width, displaySize.height));
  ImGui::Begin("Quarn Inspector", nullptr,
               ImGuiWindowFlags_NoTitleBar | ImGuiWindowFlags_NoResize | ImGuiWindowFlags_NoMove |
                   ImGuiWindowFlags_NoCollapse | ImGuiWindowFlags_NoBringToFrontOnFocus);
  if (!controller_.quarncoreObj()) {
    ImGui::TextUnformatted("No scene: open the inspector from a view.");
    ImGui::End();
    return;
  }
  if (!controller_.inspectorIsFloating()) {
    drawButtons();
    drawFog();
    ImGui::Separator();
  }
  const float outlineWidth = 190;
  ImGui::BeginChild("outline", ImVec2(outlineWidth, -ImGui::GetFrameHeightWithSpacing() * 7), true);
  drawOutline();
  ImGui::EndChild();
  ImGui::SameLine();
  ImGui::BeginChild("registries", ImVec2(0, -ImGui::GetFrameHeightWithSpacing() * 7), false);
  drawTabs();
  ImGui::EndChild();
  if (ImGui::CollapsingHeader("Guide")) {
    remember("Guide");
    ImGui::BeginChild("guide", ImVec2(0, 0), true);
    if (controller_.guideText().empty()) ImGui::TextDisabled("(no guide)");
    else ImGui::TextWrapped("%s", controller_.guideText().c_str());
    ImGui::EndChild();
  } else {
    remember("Guide");
  }
  ImGui::End();

  if (controller_.inspectorIsFloating()) {
    ImGui::SetNextWindowPos(ImVec2(displaySize.width * 0.3f, displaySize.height * 0.3f), ImGuiCond_FirstUseEver);
    ImGui::Begin("Controls", nullptr, ImGuiWindowFlags_AlwaysAutoResize);
    drawButtons();
    drawFog();
    ImGui::End();
  }
}

void QuarnInspectorUI::drawButtons() {
  QuarnCoreController& c = controller_;
  if (button("New Model")) queue([&c] { c.newModel(); });
  ImGui::SameLine();
  if (button("New Light")) queue([&c] { c.newLight(); });
  ImGui::SameLine();
  if (button("New Geometry")) queue([&c] { c.newGeometry(); });
  ImGui::SameLine();
  if (button("New Particles")) queue([&c] { c.newParticles(); });
  ImGui::SameLine();
  if (button("New Shader")) queue([&c] { c.newShader(); });
  ImGui::SameLine();
  if (button("New Texture")) queue([&c] { c.newTexture(); });
  ImGui::SameLine();
  if (button("Add Texture Layer")) queue([&c] { c.addTextureLayer(); });

  const bool suspended = c.quarncoreObj()->suspended();
  if (button(suspended ? "Resume" : "Suspend")) queue([&c] { c.toggleSuspended(); });
  frames_["Suspend"] = frames_[suspended ? "Resume" : "Suspend"];
  ImGui::SameLine();
  if (button("Reset World")) queue([&c] { c.resetWorld(); });
  ImGui::SameLine();
  bool lighting = lightingSwitch_.on;
  if (ImGui::Checkbox("Lighting", &lighting)) queue([this, &c] { c.changeLighting(&lightingSwitch_); });
  remember("Lighting");
  ImGui::SameLine();
  if (button(c.inspectorIsFloating() ? "Dock Controls" : "Float Controls")) queue([&c] { c.floatControls(); });
  frames_["Float Controls"] = frames_[c.inspectorIsFloating() ? "Dock Controls" : "Float Controls"];
}

void QuarnInspectorUI::drawFog() {
  const std::shared_ptr<QuarnCamera> camera = controller_.quarncoreObj()->camera();
  if (!camera || !camera->fog()) return;
  std::shared_ptr<QuarnFogMachine> fog = camera->fog();
  ImGui::PushID("fog");
  ImGui::TextUnformatted("Fog");
  ImGui::SameLine();
  bool enabled = fog->enabled();
  if (ImGui::Checkbox("on", &enabled)) queue([fog, enabled] { fog->setEnabled(enabled); });
  remember("Fog");
  ImGui::SameLine();
  ImGui::SetNextItemWidth(110);
  std::string mode;
  if (combo("mode", fog->mode(), controller_.fogModes(), mode)) queue([fog, mode] { fog->setMode(mode); });
  float values[3] = {fog->near(), fog->far(), fog->density()};
  ImGui::SameLine();
  ImGui::SetNextItemWidth(240);
  if (ImGui::DragFloat3("near, far, density", values, 0.5f))
    queue([fog, near = values[0], far = values[1], density = values[2]] {
      fog->setNear(near);
      fog->setFar(far);
      fog->setDensity(density);
    });
  ImGui::SameLine();
  QuarnColor color = fog->color().value_or(QuarnColor::blackColor());
  if (colorEdit("colour", color)) queue([fog, color] { fog->setColor(color); });
  ImGui::PopID();
}

void QuarnInspectorUI::drawOutline() {
  ImGui::TextUnformatted("Scene graph");
  ImGui::Separator();
  for (int i = 0; i < controller_.outlineViewNumberOfChildrenOfItem(nullptr); ++i) {
    const std::shared_ptr<QuarnNode> root = controller_.outlineViewChildOfItem(i, nullptr);
    ImGui::SetNextItemOpen(true, ImGuiCond_Once);
    drawOutlineNode(root.get());
  }
}

void QuarnInspectorUI::drawOutlineNode(const QuarnNode* item) {
  const int children = controller_.outlineViewNumberOfChildrenOfItem(item);
  ImGuiTreeNodeFlags flags = ImGuiTreeNodeFlags_OpenOnArrow | ImGuiTreeNodeFlags_SpanAvailWidth;
  if (children == 0) flags |= ImGuiTreeNodeFlags_Leaf | ImGuiTreeNodeFlags_NoTreePushOnOpen;
  const std::string label = controller_.outlineViewObjectValueByItem(item);
  const bool open = ImGui::TreeNodeEx(item, flags, "%s", label.c_str());
  remember("outline:" + label);
  if (open && children > 0) {
    for (int i = 0; i < children; ++i) drawOutlineNode(controller_.outlineViewChildOfItem(i, item).get());
    ImGui::TreePop();
  }
}

void QuarnInspectorUI::drawTabs() {
  if (!ImGui::BeginTabBar("registries")) return;
  for (const std::string& tab : QuarnCoreController::tabIdentifiers()) {
    if (!ImGui::BeginTabItem(tabLabel(tab))) continue;
    if (controller_.selectedTabIdentifier() != tab) {
      controller_.selectTabWithIdentifier(tab);
      controller_.tabViewDidSelectTabViewItem();
    }
    drawTable(tab);
    if (tab == "textures") drawTexturePreview();
    ImGui::EndTabItem();
  }
  // Tab buttons are not items ImGui reports a rectangle for: take them from the bar's layout.
  if (const ImGuiTabBar* bar = ImGui::GetCurrentContext()->CurrentTabBar) {
    for (const std::string& tab : QuarnCoreController::tabIdentifiers())
      for (const ImGuiTabItem& item : bar->Tabs)
        if (item.NameOffset >= 0 && std::string(bar->GetTabName(&item)) == tabLabel(tab))
          frames_["tab:" + tab] = QuarnRect{{bar->BarRect.Min.x + item.Offset - bar->ScrollingAnim, bar->BarRect.Min.y},
                                            {item.Width, bar->BarRect.GetHeight()}};
  }
  ImGui::EndTabBar();
}

void QuarnInspectorUI::drawTable(const std::string& tab) {
  const std::vector<std::string>& columns = QuarnCoreController::columnIdentifiers(tab);
  const bool lights = tab == "lights";
  const int columnCount = static_cast<int>(columns.size()) + 1 + (lights ? 1 : 0);
  const int rows = controller_.numberOfRowsInTableView();
  if (tab == "textureLayers" && controller_.shadersController().selectedObjects().empty())
    ImGui::TextDisabled("Select a shader in the shaders tab to see its layers.");
  const ImGuiTableFlags flags = ImGuiTableFlags_Borders | ImGuiTableFlags_RowBg | ImGuiTableFlags_ScrollX |
                                ImGuiTableFlags_ScrollY | ImGuiTableFlags_SizingFixedFit;
  if (!ImGui::BeginTable(tab.c_str(), columnCount, flags, ImVec2(0, tab == "textures" ? -150.0f : 0.0f))) return;
  ImGui::TableSetupScrollFreeze(2, 1);
  ImGui::TableSetupColumn("#");
  for (const std::string& column : columns) ImGui::TableSetupColumn(column.c_str());
  if (lights) ImGui::TableSetupColumn("type");
  ImGui::TableHeadersRow();

  for (int row = 0; row < rows; ++row) {
    ImGui::TableNextRow();
    ImGui::PushID(row);
    ImGui::TableSetColumnIndex(0);
    std::optional<std::size_t> selection;
    if (tab == "models") selection = controller_.modelsController().selectionIndex();
    else if (tab == "geometries") selection = controller_.geometriesController().selectionIndex();
    else if (tab == "shaders") selection = controller_.shadersController().selectionIndex();
    else if (tab == "textures") selection = controller_.texturesController().selectionIndex();
    else if (tab == "lights") selection = controller_.lightsController().selectionIndex();
    else selection = controller_.shaderTextureLayersController().selectionIndex();
    const bool isSelected = selection && *selection == static_cast<std::size_t>(row);
    if (ImGui::Selectable(std::to_string(row + 1).c_str(), isSelected,
                          ImGuiSelectableFlags_SpanAllColumns | ImGuiSelectableFlags_AllowItemOverlap)) {
      const std::optional<std::size_t> index = static_cast<std::size_t>(row);
      if (tab == "models") controller_.modelsController().setSelectionIndex(index);
      else if (tab == "geometries") controller_.geometriesController().setSelectionIndex(index);
      else if (tab == "shaders") controller_.shadersController().setSelectionIndex(index);
      else if (tab == "textures") controller_.texturesController().setSelectionIndex(index);
      else if (tab == "lights") controller_.lightsController().setSelectionIndex(index);
      else controller_.shaderTextureLayersController().setSelectionIndex(index);
    }
    remember("row:" + tab + ":" + std::to_string(row));
    for (std::size_t col = 0; col < columns.size(); ++col) {
      ImGui::TableSetColumnIndex(static_cast<int>(col) + 1);
      drawCell(tab, columns[col], row);
    }
    if (lights) {
      // Every light is sent as a directional one; the other kinds are listed but not offered.
      ImGui::TableSetColumnIndex(static_cast<int>(columns.size()) + 1);
      ImGui::BeginDisabled();
      ImGui::SetNextItemWidth(110);
      std::string ignored;
      combo("##type", controller_.lightTypes().front(), controller_.lightTypes(), ignored);
      ImGui::EndDisabled();
    }
    ImGui::PopID();
  }
  ImGui::EndTable();
}

void QuarnInspectorUI::drawCell(const std::string& tab, const std::string& column, int row) {
  const QuarnValue value = controller_.tableViewObjectValue(column, row);
  const bool editable = QuarnCoreController::columnIsEditable(tab, column);
  ImGui::PushID(column.c_str());
  ImGui::SetNextItemWidth(column == "name" || column == "sourceImagePath" ? 140.0f : 80.0f);
  if (const float* f = std::get_if<float>(&value)) {
    float v = *f;
    if (!editable) ImGui::Text("%.3f", v);
    else if (ImGui::DragFloat("##v", &v, 0.05f)) queueEdit(tab, column, row, v);
  } else if (const int* i = std::get_if<int>(&value)) {
    int v = *i;
    if (!editable) ImGui::Text("%d", v);
    else if (ImGui::DragInt("##v", &v, 1.0f, 0, 100000)) queueEdit(tab, column, row, v);
  } else if (const bool* b = std::get_if<bool>(&value)) {
    bool v = *b;
    if (!editable) ImGui::TextUnformatted(v ? "yes" : "no");
    else if (ImGui::Checkbox("##v", &v)) queueEdit(tab, column, row, v);
  } else if (const std::string* s = std::get_if<std::string>(&value)) {
    const std::vector<std::string>* popup = editable ? popupFor(controller_, column) : nullptr;
    std::string v = *s;
    if (!editable) {
      ImGui::TextUnformatted(v.c_str());
    } else if (popup) {
      std::string chosen;
      if (combo("##v", v, *popup, chosen)) queueEdit(tab, column, row, chosen);
    } else if (ImGui::InputText("##v", &v, ImGuiInputTextFlags_EnterReturnsTrue)) {
      queueEdit(tab, column, row, v);
    }
  } else if (const QuarnColor* color = std::get_if<QuarnColor>(&value)) {
    QuarnColor v = *color;
    if (colorEdit("##v", v) && editable) queueEdit(tab, column, row, v);
  } else {
    ImGui::TextDisabled("-");
  }
  ImGui::PopID();
}

void QuarnInspectorUI::drawTexturePreview() {
  const auto selected = controller_.texturesController().selectedObjects();
  if (selected.empty()) {
    ImGui::TextDisabled("Select a texture to preview it.");
    return;
  }
  const std::shared_ptr<QuarnTexture>& texture = selected.front();
  ImGui::Text("%s  %s", texture->name().c_str(), texture->sourceImagePath().c_str());
  // Texture row 0 is the image's bottom row: show it the right way up.
  ImGui::Image(reinterpret_cast<ImTextureID>(static_cast<std::intptr_t>(texture->textureID())), ImVec2(128, 128),
               ImVec2(0, 1), ImVec2(1, 0));
  remember("preview");
}
