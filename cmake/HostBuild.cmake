# Host build: the logic linked against the simulated Windows machine, with the
# unit tests. Sanitizers catch what a test would not see.
option(REMOVEKM_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" ON)
if(REMOVEKM_SANITIZE)
  add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=all)
  add_link_options(-fsanitize=address,undefined)
endif()

file(GLOB REMOVEKM_SIM_SOURCES CONFIGURE_DEPENDS platform/sim/*.cpp)

add_library(removekm_host STATIC
  ${REMOVEKM_LOGIC_SOURCES} ${REMOVEKM_FRAMEWORK_SOURCES} ${REMOVEKM_SIM_SOURCES})
target_include_directories(removekm_host PUBLIC ${CMAKE_SOURCE_DIR} ${CMAKE_SOURCE_DIR}/res)
# The simulated machine reads the dialog templates and strings from the
# resource script, as Windows reads them from the executable.
target_compile_definitions(removekm_host PRIVATE REMOVEKM_RES_DIR="${CMAKE_SOURCE_DIR}/res")

enable_testing()
add_subdirectory(tests)

# The calls one protected-folder judgement makes (a benchmark figure, no test).
add_executable(judgement-calls bench/probe/JudgementCalls.cpp)
target_link_libraries(judgement-calls PRIVATE removekm_host)

# The counted benchmark: the calls of RemoveKM's run and of the floor, phase
# by phase, on the simulated machine (bench/run.sh --counted).
add_library(removekm_counted STATIC bench/counted/PhaseCounter.cpp bench/counted/Installation.cpp
  bench/counted/CountedRuns.cpp bench/floor/HeldFloor.cpp)
target_link_libraries(removekm_counted PUBLIC removekm_host)
add_executable(counted-table bench/counted/CountedTable.cpp)
target_link_libraries(counted-table PRIVATE removekm_counted)
