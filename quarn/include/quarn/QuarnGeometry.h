#pragma once
// A shareable shape: one of seven named types compiled into a display list, replayed on demand;
// or, when switched to vertex arrays, a fixed colour-per-vertex cube.
#include <string>
#include <vector>

#include <GL/gl.h>
#include <GL/glu.h>

class QuarnGeometry {
 public:
  // "quad", "box", "sphere", "cone", "cylinder", "disc", "geosphere".
  static const std::vector<std::string>& geometryTypes();

  QuarnGeometry();
  virtual ~QuarnGeometry();
  QuarnGeometry(const QuarnGeometry&) = delete;
  QuarnGeometry& operator=(const QuarnGeometry&) = delete;

  // A listed name rebuilds the list (even the current one); other names change nothing.
  void setGeometryType(const std::string& type);
  const std::string& geometryType() const { return geometryType_; }
  const std::string& name() const { return name_; }
  void setName(const std::string& name) { name_ = name; }

  void generateQuadric();
  void setupCubeArrays();
  void setupIcosahedron() {}
  virtual void drawGeometry();

  bool useVertexArrays() const { return useVertexArrays_; }
  void toggleVertexArrays() { useVertexArrays_ = !useVertexArrays_; }
  bool animating() const { return animating_; }
  void setAanimating(bool flag) { animating_ = flag; }
  bool isParticleSystem() const { return isParticleSystem_; }
  void setIsParticleSystem(bool flag) { isParticleSystem_ = flag; }
  // Nothing here; particle systems resize their particle array.
  virtual void setNumParticles(int count) { (void)count; }

  GLuint displayList() const { return displayList_; }

 protected:
  void drawBaseGeometry();

  std::string geometryType_;
  unsigned short geoType_ = 0;  // reserved
  float cubeIndexedVerts_[64] = {};
  GLubyte cubeFaceIndexes_[24] = {};
  float icosahedronIndexedVerts_[36] = {};  // reserved
  GLubyte icosahedronFaceIndexes_[60] = {};  // reserved
  GLuint displayList_ = 0;
  GLUquadric* quadObj_ = nullptr;  // owned, gluDeleteQuadric on teardown
  double radius_ = 0;
  int slices_ = 0;
  int stacks_ = 0;
  double base_ = 0;
  double top_ = 0;
  double height_ = 0;
  double loops_ = 0;
  double inner_ = 0;
  double outer_ = 0;
  bool animating_ = false;
  bool useVertexArrays_ = false;
  std::string name_ = "New Geometry";
  bool isParticleSystem_ = false;
};

// A geometry under another name; adds nothing.
class QuarnMesh : public QuarnGeometry {};
