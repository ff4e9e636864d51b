# tallowin_test(NAME src...): one GoogleTest executable linked with the core;
# on the host it runs natively, on the target CTest runs it through Wine.
function(tallowin_test name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE tallowin_core GTest::gtest_main GTest::gmock)
  target_compile_definitions(${name} PRIVATE
    TALLOWIN_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  add_test(NAME ${name} COMMAND ${name})
endfunction()

# tallowin_header_check(NAME headers...): compiles each header alone, so
# every header includes what it needs.
function(tallowin_header_check name)
  set(sources)
  foreach(header ${ARGN})
    string(MAKE_C_IDENTIFIER ${header} id)
    set(tu ${CMAKE_CURRENT_BINARY_DIR}/header_check/${id}.cpp)
    file(WRITE ${tu}.new "#include \"${header}\"\n")
    file(COPY_FILE ${tu}.new ${tu} ONLY_IF_DIFFERENT)
    list(APPEND sources ${tu})
  endforeach()
  add_library(${name} OBJECT ${sources})
  target_include_directories(${name} PRIVATE ${CMAKE_SOURCE_DIR})
endfunction()
