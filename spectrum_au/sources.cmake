# Source lists shared by the native build and the i386 project; paths relative to the project root.
set(SPECTRUM_AU_DSP_SOURCES platform/audio/Fft.cpp)
set(SPECTRUM_AU_FRAME_SOURCES
  spectrum_au/cf/CFTypes.cpp
  spectrum_au/frame/AUBase.cpp
  spectrum_au/frame/AUDispatch.cpp
  spectrum_au/frame/AUEffectBase.cpp
  spectrum_au/frame/AUSavedState.cpp
  spectrum_au/frame/AUScopeElement.cpp
  spectrum_au/frame/ComponentCalls.cpp)
set(SPECTRUM_AU_UNIT_SOURCES spectrum_au/FftAnalyserAU.cpp)
# What a host of the plug-ins needs (auhost and sonogram), and auhost itself.
set(SPECTRUM_AU_HOST_SOURCES spectrum_au/host/SpectrumAnalyserUnit.cpp spectrum_au/host/WavReader.cpp)
set(AUHOST_SOURCES spectrum_au/host/auhost.cpp)
set(INSTALL_LAYOUT_SOURCES platform/foundation/InstallLayout.cpp)
set(SPECTRUM_AU_BENCH_SOURCES bench/spectrum_au/spectrum_au_bench.cpp)
# Test suites built for both architectures (the host tests run only in the native build).
set(SPECTRUM_AU_TEST_SOURCES
  tests/spectrum_au/FftTest.cpp
  tests/spectrum_au/SpectrumUnitTest.cpp
  tests/spectrum_au/ComponentEntryTest.cpp)

# spectrum_au_sources(ROOT): the lists above as absolute paths under ROOT.
macro(spectrum_au_sources root)
  foreach(list SPECTRUM_AU_DSP_SOURCES SPECTRUM_AU_FRAME_SOURCES SPECTRUM_AU_UNIT_SOURCES SPECTRUM_AU_HOST_SOURCES AUHOST_SOURCES
          INSTALL_LAYOUT_SOURCES SPECTRUM_AU_BENCH_SOURCES SPECTRUM_AU_TEST_SOURCES)
    list(TRANSFORM ${list} PREPEND "${root}/")
  endforeach()
endmacro()

# spectrum_au_module(TARGET ENTRY_SOURCE LIBS...): a plug-in module exporting only its entry.
function(spectrum_au_module target entry)
  add_library(${target} MODULE ${entry})
  target_link_libraries(${target} PRIVATE ${ARGN})
  set_target_properties(${target} PROPERTIES PREFIX "" CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON)
  target_link_options(${target} PRIVATE -Wl,--exclude-libs,ALL)
  if(NOT SANITIZE)
    target_link_options(${target} PRIVATE -Wl,--no-undefined)
  endif()
endfunction()
