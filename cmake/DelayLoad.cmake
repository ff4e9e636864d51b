# System DLLs that only some actions need are delay-loaded: Windows loads
# WinInet at the first update check, WinMM at the first sign-in sound and
# Shell32 at the first web page opened, not at start-up, where they and what
# they pull in (Winsock, OLE, the audio codecs) are a tenth of the start time
# under Wine. The program still imports nothing but system DLLs.
#
# tallowin_delay_load(NAME) makes the library tallowin_delay_NAME from
# cmake/delay-load/NAME.def, which lists the functions the program calls.
function(tallowin_delay_load name)
  set(def_in ${CMAKE_SOURCE_DIR}/cmake/delay-load/${name}.def)
  set(dir ${CMAKE_BINARY_DIR}/delay-load)
  set(def ${dir}/${name}.def)
  set(lib ${dir}/lib${name}_delay.a)
  file(READ ${def_in} text)
  if(CMAKE_SYSTEM_PROCESSOR STREQUAL "x86_64")
    # 64-bit names carry no argument sizes.
    string(REGEX REPLACE "@[0-9]+" "" text "${text}")
    set(kill_at)
  else()
    # Linked by the decorated name, imported by the plain one.
    set(kill_at --kill-at)
  endif()
  file(CONFIGURE OUTPUT ${def} CONTENT "${text}" @ONLY)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${def_in})
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} ${kill_at} --input-def ${def} --output-delaylib ${lib}
    DEPENDS ${def}
    COMMENT "Delay-load library for ${name}")
  add_custom_target(tallowin_delay_${name}_lib DEPENDS ${lib})
  add_library(tallowin_delay_${name} INTERFACE)
  target_link_libraries(tallowin_delay_${name} INTERFACE ${lib})
  add_dependencies(tallowin_delay_${name} tallowin_delay_${name}_lib)
endfunction()
