#pragma once
// Scene-graph element: a named transform with optional per-frame velocities and child nodes.
// Nodes are always held by std::shared_ptr (make them with std::make_shared); child lists own
// their children, the parent link is weak.
#include <memory>
#include <string>
#include <vector>

#include "quarn/QuarnVector.h"

class QuarnNode : public std::enable_shared_from_this<QuarnNode> {
 public:
  using NodeList = std::vector<std::shared_ptr<QuarnNode>>;

  QuarnNode();
  virtual ~QuarnNode();
  QuarnNode(const QuarnNode&) = delete;
  QuarnNode& operator=(const QuarnNode&) = delete;

  // Tree.
  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }
  std::shared_ptr<QuarnNode> parent() const { return parent_.lock(); }
  // Moves this node under newParent; ignored for the current parent, this node itself or this
  // node's own child. Null detaches the node from its parent.
  void setParent(const std::shared_ptr<QuarnNode>& newParent);
  void setParentSilently(const std::shared_ptr<QuarnNode>& newParent) { parent_ = newParent; }
  // Appends the child and takes it from its old parent, unless it is already a child of this node.
  void addChild(const std::shared_ptr<QuarnNode>& child);
  // Appends only: no duplicate check, parent link untouched.
  void addChildSilently(const std::shared_ptr<QuarnNode>& child);
  // Removes every occurrence; the child's parent link is left as it was.
  void removeChild(const std::shared_ptr<QuarnNode>& child);
  const NodeList& children() const { return children_; }
  int numberOfChildren() const { return static_cast<int>(children_.size()); }
  // This node's child count; the argument is not used.
  int countForNode(const std::shared_ptr<QuarnNode>& node) const;
  // Throws std::out_of_range outside 0 … count-1.
  std::shared_ptr<QuarnNode> childAtIndex(int index) const;
  // Children erase their own subtrees first, then this node drops its child list.
  void eraseNode();

  // Transform.
  Vector position() const { return position_; }
  Vector rotation() const { return rotation_; }
  Vector scale() const { return scale_; }
  void setPosition(Vector v) { position_ = v; }
  void setRotation(Vector v) { rotation_ = v; }
  void setScale(Vector v) { scale_ = v; }
  float pX() const { return position_.x; }
  float pY() const { return position_.y; }
  float pZ() const { return position_.z; }
  float rX() const { return rotation_.x; }
  float rY() const { return rotation_.y; }
  float rZ() const { return rotation_.z; }
  float sX() const { return scale_.x; }
  float sY() const { return scale_.y; }
  float sZ() const { return scale_.z; }
  void setPX(float v) { position_.x = v; }
  void setPY(float v) { position_.y = v; }
  void setPZ(float v) { position_.z = v; }
  void setRX(float v) { rotation_.x = v; }
  void setRY(float v) { rotation_.y = v; }
  void setRZ(float v) { rotation_.z = v; }
  void setSX(float v) { scale_.x = v; }
  void setSY(float v) { scale_.y = v; }
  void setSZ(float v) { scale_.z = v; }
  void translate(float x, float y, float z);
  void translateByVector(Vector v) { translate(v.x, v.y, v.z); }
  void rotate(float x, float y, float z);
  void rotateByVector(Vector v) { rotate(v.x, v.y, v.z); }
  // Additive: scale += (x, y, z).
  void inflate(float x, float y, float z);
  void inflateByVector(Vector v) { inflate(v.x, v.y, v.z); }

  // Motion, per rendered frame.
  Vector linearVelocity() const { return linearVelocity_; }
  Vector angularVelocity() const { return angularVelocity_; }
  void setLinearVelocity(Vector v) { linearVelocity_ = v; }
  void setAngularVelocity(Vector v) { angularVelocity_ = v; }
  float lvX() const { return linearVelocity_.x; }
  float lvY() const { return linearVelocity_.y; }
  float lvZ() const { return linearVelocity_.z; }
  float avX() const { return angularVelocity_.x; }
  float avY() const { return angularVelocity_.y; }
  float avZ() const { return angularVelocity_.z; }
  void setLvX(float v) { linearVelocity_.x = v; }
  void setLvY(float v) { linearVelocity_.y = v; }
  void setLvZ(float v) { linearVelocity_.z = v; }
  void setAvX(float v) { angularVelocity_.x = v; }
  void setAvY(float v) { angularVelocity_.y = v; }
  void setAvZ(float v) { angularVelocity_.z = v; }
  void applyImpulse(float x, float y, float z);
  void applyImpulseByVector(Vector v) { applyImpulse(v.x, v.y, v.z); }
  void applyAngularImpulse(float x, float y, float z);
  void applyAngularImpulseByVector(Vector v) { applyAngularImpulse(v.x, v.y, v.z); }
  bool isAnimated() const { return isAnimated_; }
  void setAnimated(bool flag) { isAnimated_ = flag; }
  bool isInWorld() const { return isInWorld_; }
  void setIsInWorld(bool flag) { isInWorld_ = flag; }
  void addToWorld() { isInWorld_ = true; }
  void removeFromWorld() { isInWorld_ = false; }

  // position += linearVelocity, rotation += angularVelocity when animated.
  void animate();
  // Frame walk: animate, push T·Rx·Ry·Rz·S, draw this node, render the children, pop.
  void render();
  // Draws this node only; nothing for a plain node.
  virtual void drawOpenGL() {}

 protected:
  Vector position_{0, 0, 0};
  Vector rotation_{0, 0, 0};
  Vector scale_{1, 1, 1};
  Vector bufferVector_{0, 0, 0};  // reserved scratch vector
  bool isInWorld_ = true;
  bool isAnimated_ = false;
  Vector linearVelocity_{0, 0, 0};
  Vector angularVelocity_{0, 0, 0};
  NodeList children_;
  std::weak_ptr<QuarnNode> parent_;
  std::string name_ = "New Node";
};
