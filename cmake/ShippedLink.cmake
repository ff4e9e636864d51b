# How a program that is handed out is linked: statically, as a GUI program,
# without debug sections, and with every section starting on a page boundary
# in the file. Under Wine a section that does not start on a page boundary is
# copied into private memory instead of being mapped from the file, and debug
# sections, which lie inside the image, are copied along with it: 4 MB of
# debug information became 4 MB of private memory.
function(tallowin_shipped_link target)
  target_link_options(${target} PRIVATE -static -mwindows -s -Wl,--file-alignment,4096)
endfunction()
