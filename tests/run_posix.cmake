# The test programs of this machine's own build, run directly.

# The folder of the tests' own lighttpd and msmtpd, which scripts/test-tools
# unpacks from Debian's packages (scripts/install-deps test runs it), so that
# neither is installed as a service.
execute_process(COMMAND ${PROJECT_SOURCE_DIR}/scripts/test-tools --where
  OUTPUT_VARIABLE ORLAVO_TEST_TOOLS OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE tools_result)
if(NOT tools_result EQUAL 0)
  message(WARNING "scripts/test-tools --where failed; the lighttpd and msmtpd tests will fail")
elseif(NOT EXISTS ${ORLAVO_TEST_TOOLS}/.done)
  message(STATUS "No test tools in ${ORLAVO_TEST_TOOLS} yet: run scripts/install-deps test")
endif()

# Enters the private namespaces; exits 77 (skipped) where this user may make
# none (see the script).
set(ORLAVO_PRIVATE_NET ${CMAKE_CURRENT_LIST_DIR}/support/private-net)

set(ORLAVO_SILENT_NAME_SERVERS ON)

function(orlavo_run_cases target)
  gtest_discover_tests(${target} DISCOVERY_TIMEOUT 30 PROPERTIES ${ARGN} TIMEOUT 120)
endfunction()

function(orlavo_run_whole name target labels)
  add_test(NAME ${name} COMMAND ${ORLAVO_PRIVATE_NET} ${ARGN} $<TARGET_FILE:${target}>)
  set_tests_properties(${name} PROPERTIES LABELS "${labels}" TIMEOUT 120
    SKIP_RETURN_CODE 77)
endfunction()
