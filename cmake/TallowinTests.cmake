# tallowin_test(NAME src...): one GoogleTest executable linked with the core;
# on the host it runs natively, on the target CTest runs it through Wine.
function(tallowin_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE tallowin_core GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    TALLOWIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()
