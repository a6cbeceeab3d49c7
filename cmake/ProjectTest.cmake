include(GoogleTest)

set(QUORVEX_TEST_DATA_DIR "${PROJECT_SOURCE_DIR}/tests/data")

# add_project_test(name SOURCES ... LIBS ... [QT])
# One test executable per area, registered with CTest. The data folder reaches the
# code as QUORVEX_TEST_DATA_DIR; QT tests run on the offscreen platform.
function(add_project_test name)
  cmake_parse_arguments(arg "QT" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${arg_SOURCES})
  target_link_libraries(${name} PRIVATE project_options ${arg_LIBS})
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR} ${PROJECT_SOURCE_DIR}/tests)
  target_compile_definitions(${name} PRIVATE QUORVEX_TEST_DATA_DIR="${QUORVEX_TEST_DATA_DIR}")
  if(arg_QT)
    target_link_libraries(${name} PRIVATE Qt6::Test)
    add_test(NAME ${name} COMMAND ${name})
    set_tests_properties(${name} PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  else()
    target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main)
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60)
  endif()
endfunction()
