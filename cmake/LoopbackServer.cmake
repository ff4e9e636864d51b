# tallowin_loopback_server(NAME ROOT dir [TLS]): a CTest fixture NAME that runs
# tests/support/loopback_server.py on 127.0.0.1 for the tests that require it.
# The state folder ${CMAKE_CURRENT_BINARY_DIR}/NAME holds "port", "pid",
# "requests.log" and, with TLS, "cert.pem"; its path is returned in
# NAME_STATE_DIR.
function(tallowin_loopback_server name)
  cmake_parse_arguments(arg "TLS" "ROOT" "" ${ARGN})
  set(state ${CMAKE_CURRENT_BINARY_DIR}/${name})
  set(ctl ${CMAKE_SOURCE_DIR}/tests/support/loopback_ctl)
  set(tls)
  if(arg_TLS)
    set(tls tls)
  endif()
  add_test(NAME ${name}_start COMMAND ${ctl} start ${state} ${arg_ROOT} ${tls})
  add_test(NAME ${name}_stop COMMAND ${ctl} stop ${state})
  set_tests_properties(${name}_start PROPERTIES FIXTURES_SETUP ${name})
  set_tests_properties(${name}_stop PROPERTIES FIXTURES_CLEANUP ${name})
  set(${name}_STATE_DIR ${state} PARENT_SCOPE)
endfunction()
