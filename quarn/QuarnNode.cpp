#include "quarn/QuarnNode.h"

#include "quarn/QuarnVector.h"

#include <GL/gl.h>

#include <algorithm>
#include <stdexcept>

QuarnNode::QuarnNode() = default;

QuarnNode::~QuarnNode() { eraseNode(); }

void QuarnNode::setParent(const std::shared_ptr<QuarnNode>& newParent) {
  const std::shared_ptr<QuarnNode> current = parent_.lock();
  if (newParent == current || newParent.get() == this) return;
  if (newParent && newParent->parent_.lock().get() == this) return;
  // Holds this node while it is in neither child list.
  const std::shared_ptr<QuarnNode> self = weak_from_this().lock();
  if (current) current->removeChild(self);
  parent_ = newParent;
  if (newParent && self) newParent->addChildSilently(self);
}

void QuarnNode::addChild(const std::shared_ptr<QuarnNode>& child) {
  // A node under itself would make the walk endless.
  if (!child || child.get() == this) return;
  const std::shared_ptr<QuarnNode> oldParent = child->parent_.lock();
  if (oldParent.get() == this) return;
  children_.push_back(child);
  if (oldParent) oldParent->removeChild(child);
  child->parent_ = weak_from_this();
}

void QuarnNode::addChildSilently(const std::shared_ptr<QuarnNode>& child) {
  if (child && child.get() != this) children_.push_back(child);
}

void QuarnNode::removeChild(const std::shared_ptr<QuarnNode>& child) {
  std::erase(children_, child);
}

int QuarnNode::countForNode(const std::shared_ptr<QuarnNode>&) const { return numberOfChildren(); }

std::shared_ptr<QuarnNode> QuarnNode::childAtIndex(int index) const {
  if (index < 0 || index >= numberOfChildren())
    throw std::out_of_range("QuarnNode childAtIndex: index " + std::to_string(index) + " beyond bounds");
  return children_[static_cast<size_t>(index)];
}

void QuarnNode::eraseNode() {
  // Take the list first so that nothing re-entering this node sees it half erased.
  NodeList children;
  children.swap(children_);
  for (const auto& child : children)
    if (child) child->eraseNode();
}

void QuarnNode::translate(float x, float y, float z) {
  const Vector d{x, y, z};
  vectorAddVector(&position_, &d);
}

void QuarnNode::rotate(float x, float y, float z) {
  const Vector d{x, y, z};
  vectorAddVector(&rotation_, &d);
}

void QuarnNode::inflate(float x, float y, float z) {
  const Vector d{x, y, z};
  vectorAddVector(&scale_, &d);
}

void QuarnNode::applyImpulse(float x, float y, float z) {
  const Vector d{x, y, z};
  vectorAddVector(&linearVelocity_, &d);
}

void QuarnNode::applyAngularImpulse(float x, float y, float z) {
  const Vector d{x, y, z};
  vectorAddVector(&angularVelocity_, &d);
}

void QuarnNode::animate() {
  if (!isAnimated_) return;
  vectorAddVector(&position_, &linearVelocity_);
  vectorAddVector(&rotation_, &angularVelocity_);
}

void QuarnNode::render() {
  if (!isInWorld_) return;
  animate();
  glPushMatrix();
  glTranslatef(position_.x, position_.y, position_.z);
  glRotatef(rotation_.x, 1, 0, 0);
  glRotatef(rotation_.y, 0, 1, 0);
  glRotatef(rotation_.z, 0, 0, 1);
  glScalef(scale_.x, scale_.y, scale_.z);
  drawOpenGL();
  // By index, holding each child: drawing may rearrange the tree.
  for (size_t i = 0; i < children_.size(); ++i) {
    const std::shared_ptr<QuarnNode> child = children_[i];
    if (child) child->render();
  }
  glPopMatrix();
}
