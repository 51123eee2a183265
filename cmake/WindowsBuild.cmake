# Windows build: RemoveKM.exe, a self-contained 32-bit GUI program, and the
# UI driver that the end-to-end tests run beside it under Wine.
enable_language(RC)

set(REMOVEKM_SIZE_FLAGS -Os -ffunction-sections -fdata-sections -fno-exceptions -fno-rtti
  -fno-asynchronous-unwind-tables -fno-threadsafe-statics -flto=auto)
set(REMOVEKM_LINK_FLAGS -flto=auto -Os -static -s -Wl,--gc-sections
  -Wl,--major-subsystem-version,4 -Wl,--minor-subsystem-version,0)

add_executable(RemoveKM WIN32
  ${REMOVEKM_LOGIC_SOURCES} ${REMOVEKM_FRAMEWORK_SOURCES}
  platform/win32/WinMain.cpp platform/win32/RuntimeSupport.cpp
  res/RemoveKM.rc)
target_include_directories(RemoveKM PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
target_compile_options(RemoveKM PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${REMOVEKM_SIZE_FLAGS}>)
target_link_options(RemoveKM PRIVATE ${REMOVEKM_LINK_FLAGS})
target_link_libraries(RemoveKM PRIVATE shell32 ole32 advapi32 user32 gdi32 kernel32)
set_target_properties(RemoveKM PROPERTIES OUTPUT_NAME RemoveKM SUFFIX .exe)

# The UI driver: a console program that works RemoveKM's windows under Wine
# the way a person does, following a scenario.
file(GLOB REMOVEKM_UIDRIVER_SOURCES CONFIGURE_DEPENDS e2e/driver/*.cpp)
add_executable(uidriver ${REMOVEKM_UIDRIVER_SOURCES})
target_link_options(uidriver PRIVATE -static)
set_target_properties(uidriver PROPERTIES SUFFIX .exe)

# A stand-in for a running Kelmora program, which the end-to-end tests place in
# the install folder (beside the driver: run-case.sh finds it there).
add_executable(standin e2e/standin/StandIn.cpp)
target_link_options(standin PRIVATE -static -mwindows)
set_target_properties(standin PROPERTIES SUFFIX .exe)

enable_testing()

# The rules of the executable itself: PE32 GUI, subsystem 4.0, size, imports.
add_test(NAME build.check-exe
  COMMAND sh ${CMAKE_SOURCE_DIR}/scripts/check-exe.sh $<TARGET_FILE:RemoveKM>)
set_tests_properties(build.check-exe PROPERTIES LABELS build)

# End-to-end cases under Wine and Xvfb: e2e/cases/NAME.scn with NAME.sh, each
# in a 32-bit prefix (e2e.NAME) and in a 64-bit one (e2e64.NAME), where the
# product lies where its 32-bit installer puts it on 64-bit Windows. Each kind
# of template prefix is made once for all cases; `ctest -L win64` runs one pass.
set(REMOVEKM_E2E_WORK ${CMAKE_BINARY_DIR}/e2e)
# Software emulation of the processor (scripts/emulated-machine.sh) makes
# them several times slower; scripts/windows-side.sh gives the factor.
set(REMOVEKM_E2E_TIME_FACTOR 1 CACHE STRING "Multiplies the end-to-end tests' time limits")
math(EXPR REMOVEKM_E2E_PREFIX_TIMEOUT "300 * ${REMOVEKM_E2E_TIME_FACTOR}")
math(EXPR REMOVEKM_E2E_CASE_TIMEOUT "180 * ${REMOVEKM_E2E_TIME_FACTOR}")
# A case is its checks, NAME.sh, with or without a scenario NAME.scn.
file(GLOB REMOVEKM_E2E_CASES CONFIGURE_DEPENDS e2e/cases/*.sh)
foreach(arch win32 win64)
  set(pass e2e)
  if(arch STREQUAL win64)
    set(pass e2e64)
  endif()
  add_test(NAME ${pass}.prefix
    COMMAND bash ${CMAKE_SOURCE_DIR}/e2e/make-prefix.sh ${REMOVEKM_E2E_WORK} ${arch})
  # The two kinds are never made at once: two first wineboots side by side on
  # a slow machine have failed where one alone did not.
  set_tests_properties(${pass}.prefix PROPERTIES LABELS "e2e;${arch}" FIXTURES_SETUP ${pass}_prefix
    RESOURCE_LOCK wineboot TIMEOUT ${REMOVEKM_E2E_PREFIX_TIMEOUT} SKIP_RETURN_CODE 77)
  foreach(case_checks ${REMOVEKM_E2E_CASES})
    get_filename_component(case ${case_checks} NAME_WE)
    add_test(NAME ${pass}.${case}
      COMMAND bash ${CMAKE_SOURCE_DIR}/e2e/run-case.sh --arch ${arch} --exe $<TARGET_FILE:RemoveKM>
        --driver $<TARGET_FILE:uidriver> --work ${REMOVEKM_E2E_WORK} ${case})
    set_tests_properties(${pass}.${case} PROPERTIES LABELS "e2e;${arch}"
      FIXTURES_REQUIRED ${pass}_prefix TIMEOUT ${REMOVEKM_E2E_CASE_TIMEOUT} SKIP_RETURN_CODE 77)
  endforeach()
endforeach()

# --- bench/: the benchmark's floor programs and its progress recorder, built
# only when named (bench/run.sh does); not part of the tests ---
add_executable(floor-removal EXCLUDE_FROM_ALL bench/floor/FloorRemoval.cpp bench/floor/BareTree.cpp
  bench/floor/Stopwatch.cpp res/RemoveKM.rc)
add_executable(floor-cleanup EXCLUDE_FROM_ALL bench/floor/FloorCleanup.cpp bench/floor/BareTree.cpp
  bench/floor/Stopwatch.cpp res/RemoveKM.rc)
add_executable(floor-dialog WIN32 EXCLUDE_FROM_ALL bench/floor/FloorDialog.cpp res/RemoveKM.rc)
add_executable(progress-recorder EXCLUDE_FROM_ALL bench/probe/ProgressRecorder.cpp
  bench/floor/Stopwatch.cpp)
foreach(bench_target floor-removal floor-cleanup floor-dialog progress-recorder)
  target_include_directories(${bench_target} PRIVATE ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
  target_link_libraries(${bench_target} PRIVATE shell32 advapi32 user32)
  target_link_options(${bench_target} PRIVATE -static)
  set_target_properties(${bench_target} PROPERTIES SUFFIX .exe)
endforeach()
# The start-up floor is built as RemoveKM is, so that only their work differs.
target_compile_options(floor-dialog PRIVATE $<$<COMPILE_LANGUAGE:CXX>:${REMOVEKM_SIZE_FLAGS}>)
target_link_options(floor-dialog PRIVATE ${REMOVEKM_LINK_FLAGS})
# --- end of bench/ ---
