// Mesa keeps some records of its drivers (the off-screen one, the software rasteriser behind EGL
// and GLX) for the life of the process; LeakSanitizer is told so.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libOSMesa.so\n"
         "leak:swrast_dri.so\n"
         "leak:libEGL_mesa.so\n"
         "leak:libGLX_mesa.so\n";
}
