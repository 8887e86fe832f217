# End-to-end tests: cross-built GoogleTest programs that run inside a Wine
# prefix and drive the real deliverables there.
#
#   add_e2e_test(NAME settings_e2e SOURCES a.cpp b.cpp [LIBS lib ...])
#
# In the cross build this makes tests/<NAME>.exe linked with the harness. In
# the native build it registers one ctest per TEST()/TEST_F() found in the
# sources, each run in a fresh copy of the template prefix.
set(WIN64_BUILD_DIR "" CACHE PATH "The cross build tree whose programs the e2e tests run")

function(add_e2e_test)
  cmake_parse_arguments(E "" "NAME" "SOURCES;LIBS" ${ARGN})
  if(WIN32)
    add_executable(${E_NAME} ${E_SOURCES})
    target_link_libraries(${E_NAME} PRIVATE tb_harness ${E_LIBS})
    set_target_properties(${E_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${TEST_STAGE})
    return()
  endif()
  if(NOT WIN64_BUILD_DIR)
    return()
  endif()
  foreach(src ${E_SOURCES})
    file(READ ${CMAKE_CURRENT_SOURCE_DIR}/${src} text)
    string(REGEX MATCHALL "\n[ \t]*TEST(_F)?[ \t]*\\([ \t]*[A-Za-z0-9_]+[ \t]*,[ \t]*[A-Za-z0-9_]+[ \t]*\\)" found "\n${text}")
    foreach(t ${found})
      string(REGEX REPLACE ".*\\([ \t]*([A-Za-z0-9_]+)[ \t]*,[ \t]*([A-Za-z0-9_]+)[ \t]*\\).*" "\\1.\\2" tname "${t}")
      add_test(NAME e2e.${E_NAME}.${tname}
               COMMAND ${PROJECT_SOURCE_DIR}/testbed/scripts/wine-test.sh
                       ${WIN64_BUILD_DIR} ${WIN64_BUILD_DIR}/tests/${E_NAME}.exe ${tname})
      set_tests_properties(e2e.${E_NAME}.${tname} PROPERTIES
        FIXTURES_REQUIRED wineprefix TIMEOUT 180 LABELS e2e)
    endforeach()
  endforeach()
endfunction()
