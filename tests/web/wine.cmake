# The real WinInet path under Wine against two loopback servers, plain and
# TLS with a self-signed certificate, started as CTest fixtures. The root
# holds the remote files under their Chinese names.
set(web_root ${CMAKE_CURRENT_BINARY_DIR}/web_root)
file(MAKE_DIRECTORY ${web_root}/tallowin/raw/master)
file(WRITE ${web_root}/tallowin/raw/master/版本.txt "\"6.2\"\r\n")
file(WRITE ${web_root}/tallowin/raw/master/公告.txt "公告：今天更新。\r\nline 2\r\n")
tallowin_loopback_server(web_http ROOT ${web_root})
tallowin_loopback_server(web_https ROOT ${web_root} TLS)

string(REPLACE "/" "\\\\" http_state_win "Z:${web_http_STATE_DIR}")
string(REPLACE "/" "\\\\" https_state_win "Z:${web_https_STATE_DIR}")
add_executable(wine_web_tests wine_web_test.cpp)
target_link_libraries(wine_web_tests PRIVATE tallowin_web tallowin_win32 GTest::gtest_main ws2_32)
target_link_options(wine_web_tests PRIVATE -static)
target_compile_definitions(wine_web_tests PRIVATE
  WEB_HTTP_STATE="${http_state_win}" WEB_HTTPS_STATE="${https_state_win}")
add_test(NAME wine_web_tests COMMAND wine_web_tests)
set_tests_properties(wine_web_tests PROPERTIES FIXTURES_REQUIRED "web_http;web_https")

# open_in_browser starts this probe instead of a browser.
add_executable(shell_probe shell_probe.cpp)
target_link_options(shell_probe PRIVATE -static)
add_dependencies(wine_web_tests shell_probe)
string(REPLACE "/" "\\\\" shell_probe_win "Z:${CMAKE_CURRENT_BINARY_DIR}/shell_probe.exe")
target_compile_definitions(wine_web_tests PRIVATE SHELL_PROBE="${shell_probe_win}")
