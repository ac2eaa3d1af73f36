#pragma once
// The GL entry points the windowed context and its overlays use, looked up through the context
// (so they reach the library that made it, whatever the program links).
#include <GL/gl.h>
#include <GL/glext.h>

namespace platform::gl {

class GLContext;

#define MT_GL_FUNCTIONS(X)                                                                                      \
  X(glBegin) X(glBindTexture) X(glBlendFunc) X(glClear) X(glClearColor) X(glColor4f) X(glDeleteTextures)       \
  X(glDisable) X(glEnable) X(glEnd) X(glFinish) X(glGenTextures) X(glGetIntegerv) X(glLoadIdentity)            \
  X(glMatrixMode) X(glOrtho) X(glPixelStorei) X(glPopAttrib) X(glPopClientAttrib) X(glPopMatrix)               \
  X(glPushAttrib) X(glPushClientAttrib) X(glPushMatrix) X(glReadPixels) X(glTexCoord2f) X(glTexEnvi)           \
  X(glTexImage2D) X(glTexParameteri) X(glVertex2f) X(glViewport)

// Newer entry points, present from GL 1.3 / 1.5 / 2.0 / 3.0 on; null where the context lacks them.
#define MT_GL_OPTIONAL_FUNCTIONS(X) \
  X(glActiveTexture, PFNGLACTIVETEXTUREPROC) X(glBindBuffer, PFNGLBINDBUFFERPROC)   \
  X(glBindFramebuffer, PFNGLBINDFRAMEBUFFERPROC) X(glUseProgram, PFNGLUSEPROGRAMPROC)

struct GLFunctions {
#define MT_GL_MEMBER(name) decltype(&::name) name = nullptr;
  MT_GL_FUNCTIONS(MT_GL_MEMBER)
#undef MT_GL_MEMBER
#define MT_GL_OPTIONAL_MEMBER(name, type) type name = nullptr;
  MT_GL_OPTIONAL_FUNCTIONS(MT_GL_OPTIONAL_MEMBER)
#undef MT_GL_OPTIONAL_MEMBER
  // Looks every function up; false when one of the required ones is missing.
  bool load(const GLContext& context);
};

}  // namespace platform::gl
