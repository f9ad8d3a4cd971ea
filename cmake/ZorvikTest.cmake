# zorvik_add_test(NAME SOURCES src... LIBS lib... [GUI] [SERIAL])
# Registers one GoogleTest executable with CTest; GUI tests get a QApplication and run on the
# offscreen platform. SERIAL tests run alone: they measure how the program keeps up, which
# another test sharing the two cores would decide instead.
find_package(GTest REQUIRED)
find_package(Qt6 REQUIRED COMPONENTS Test)
include(GoogleTest)

function(zorvik_add_test name)
  cmake_parse_arguments(ARG "GUI;SERIAL" "" "SOURCES;LIBS" ${ARGN})
  set(env "ZORVIK_TEST=1")
  if(ARG_GUI)
    add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/tests/gui/gui_main.cpp)
    target_link_libraries(${name} PRIVATE GTest::gtest Qt6::Test Qt6::Widgets)
    list(APPEND env "QT_QPA_PLATFORM=offscreen")
  else()
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE GTest::gtest_main)
  endif()
  target_include_directories(${name} PRIVATE ${PROJECT_SOURCE_DIR}/tests)
  target_link_libraries(${name} PRIVATE zorvik_common ${ARG_LIBS} GTest::gmock)
  set(serial FALSE)
  if(ARG_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
                       PROPERTIES ENVIRONMENT "${env}" TIMEOUT 180 RUN_SERIAL ${serial})
endfunction()
