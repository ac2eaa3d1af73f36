# How this machine runs i386 programs, decided once at configure time by running a small i386
# probe: natively, under QEMU's user-mode emulator (qemu-i386 -L /) where the kernel has no IA-32
# support, or not at all. The choice is written into bin/run-i386, which every test and benchmark
# that starts an i386 program goes through; it exits 77 (the tests' skip code) when none works.
# -DI386_RUNNER=qemu forces the emulator, to check that path on a machine that runs i386 natively.
set(I386_RUNNER "auto" CACHE STRING "How i386 programs run: auto, native, qemu or none")
set_property(CACHE I386_RUNNER PROPERTY STRINGS auto native qemu none)
find_program(QEMU_I386 qemu-i386)

set(probe_dir ${CMAKE_BINARY_DIR}/i386-probe)
file(WRITE ${probe_dir}/probe.c "int main(void) { return sizeof(void*) == 4 ? 0 : 1; }\n")
unset(I386_PROBE_RUNS CACHE)
unset(I386_PROBE_BUILDS CACHE)
try_run(I386_PROBE_RUNS I386_PROBE_BUILDS ${probe_dir}/build ${probe_dir}/probe.c
  COMPILE_DEFINITIONS -m32 LINK_OPTIONS -m32
  COPY_FILE ${probe_dir}/probe32)

set(native_ok FALSE)
set(qemu_ok FALSE)
if(I386_PROBE_BUILDS AND I386_PROBE_RUNS EQUAL 0)
  set(native_ok TRUE)
endif()
if(I386_PROBE_BUILDS AND QEMU_I386)
  execute_process(COMMAND ${QEMU_I386} -L / ${probe_dir}/probe32 RESULT_VARIABLE qemu_status
                  OUTPUT_QUIET ERROR_QUIET TIMEOUT 30)
  if(qemu_status EQUAL 0)
    set(qemu_ok TRUE)
  endif()
endif()

if(I386_RUNNER STREQUAL "auto")
  if(native_ok)
    set(mode native)
  elseif(qemu_ok)
    set(mode qemu)
  else()
    set(mode none)
  endif()
else()
  set(mode ${I386_RUNNER})
  if((mode STREQUAL "native" AND NOT native_ok) OR (mode STREQUAL "qemu" AND NOT qemu_ok))
    message(WARNING "I386_RUNNER=${mode} was asked for, but an i386 probe does not run that way here")
  endif()
endif()

if(mode STREQUAL "native")
  set(I386_MODE_TEXT "natively")
elseif(mode STREQUAL "qemu")
  set(I386_MODE_TEXT "under QEMU user-mode emulation (${QEMU_I386} -L /)")
else()
  set(I386_MODE_TEXT "not at all: the kernel can't execute i386 programs and qemu-i386 (Debian qemu-user) is missing; the 32-bit tests are skipped")
endif()
message(STATUS "i386 programs run ${I386_MODE_TEXT}")

set(I386_MODE ${mode} CACHE INTERNAL "How i386 programs run here")
set(I386_RUNNER_SCRIPT ${CMAKE_RUNTIME_OUTPUT_DIRECTORY}/run-i386 CACHE INTERNAL "")
configure_file(${CMAKE_CURRENT_LIST_DIR}/run-i386.in ${I386_RUNNER_SCRIPT}
  FILE_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE
  @ONLY)
file(WRITE ${CMAKE_BINARY_DIR}/i386-mode.txt "i386 programs run ${I386_MODE_TEXT}\n")
