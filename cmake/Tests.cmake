# pczn_add_test(NAME <name> LABEL <label> SOURCES <files...> LIBS <targets...>)
# Builds one GoogleTest program and registers it with CTest under the label of
# its folder, so that `ctest -L <label>` runs one folder's tests.
function(pczn_add_test)
  cmake_parse_arguments(T "OWN_MAIN" "NAME;LABEL;TIMEOUT" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${T_NAME} ${T_SOURCES})
  target_link_libraries(${T_NAME} PRIVATE ${T_LIBS} GTest::gtest Threads::Threads)
  if(NOT T_OWN_MAIN)
    target_link_libraries(${T_NAME} PRIVATE GTest::gtest_main)
  endif()
  add_test(NAME ${T_NAME} COMMAND ${T_NAME})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 300)
  endif()
  set_tests_properties(${T_NAME} PROPERTIES LABELS ${T_LABEL} TIMEOUT ${T_TIMEOUT}
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;${T_ENV}")
endfunction()
