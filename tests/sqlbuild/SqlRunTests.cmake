# The live build on real servers. The servers start once per test process,
# so the binary runs as one test: a process per test case would start them
# again for each.
add_executable(sqlrun_tests
  ${CMAKE_CURRENT_LIST_DIR}/SqlRunTest.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SqlConnectionTest.cpp
)
target_link_libraries(sqlrun_tests PRIVATE veska_test_sqlservers veska_sqlbuild)
add_test(NAME sqlrun_tests COMMAND sqlrun_tests)
set_tests_properties(sqlrun_tests PROPERTIES ENVIRONMENT "QT_QPA_PLATFORM=offscreen" TIMEOUT 300)
