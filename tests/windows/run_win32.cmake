# The Windows build's test programs, run under Wine (cmake/windows.cmake) with
# the same loopback servers as on Linux.

# Wine reads the resolver configuration as Linux programs do.
set(ORLAVO_SILENT_NAME_SERVERS ON)

# The cases that run in the build's prefix share its Wine server, which stays
# up from the first of them to the last (see wine-run).
add_test(NAME wine_server_start COMMAND ${ORLAVO_WINE_RUN} --start-server ${ORLAVO_WINEPREFIX})
add_test(NAME wine_server_stop COMMAND ${ORLAVO_WINE_RUN} --stop-server ${ORLAVO_WINEPREFIX})
set_tests_properties(wine_server_start PROPERTIES FIXTURES_SETUP wine_server TIMEOUT 120)
set_tests_properties(wine_server_stop PROPERTIES FIXTURES_CLEANUP wine_server TIMEOUT 120)

# Every test program starts Windows Sockets once, as the program does at
# start-up, and needs the prefix set up.
function(orlavo_prepare_wine_program target)
  target_sources(${target} PRIVATE ${PROJECT_SOURCE_DIR}/tests/windows/sockets_environment.cpp)
  add_dependencies(${target} orlavo_wine_prefix)
endfunction()

# Its cases listed by running the program under Wine.
function(orlavo_run_cases target)
  orlavo_prepare_wine_program(${target})
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 300
    PROPERTIES ${ARGN} TIMEOUT 300 FIXTURES_REQUIRED wine_server)
endfunction()

# The whole program under Wine in a private network namespace with only
# loopback up, on a server and a copy of the prefix of its own.
function(orlavo_run_whole name target labels)
  orlavo_prepare_wine_program(${target})
  add_test(NAME ${name}
    COMMAND ${ORLAVO_WINE_RUN} --isolated ${ARGN} ${ORLAVO_WINEPREFIX} $<TARGET_FILE:${target}>)
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT 300
    SKIP_RETURN_CODE 77)
endfunction()
