# The SQL build on real servers: the live build, and the scripts applied
# with the servers' own clients. The servers start once per test process, so
# the binary runs as one test: a process per test case would start them
# again for each.
add_executable(sqlserver_tests
  ${CMAKE_CURRENT_LIST_DIR}/SqlModel.h
  ${CMAKE_CURRENT_LIST_DIR}/SqlRunTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SqlConnectionTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SqlTestDatabases.h
  ${CMAKE_CURRENT_LIST_DIR}/SqlScriptApplyTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SqlEndToEndTest.cpp
)
target_link_libraries(sqlserver_tests PRIVATE veska_test_sqlservers veska_sqlbuild veska_diagramfile)
target_compile_definitions(sqlserver_tests PRIVATE VESKA_SHIPPED_INI="${PROJECT_SOURCE_DIR}/src/shell/VESKA.INI"
                                                   VESKA_EXAMPLES_DIR="${PROJECT_SOURCE_DIR}/examples")
add_test(NAME sqlserver_tests COMMAND sqlserver_tests)
set_tests_properties(sqlserver_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
