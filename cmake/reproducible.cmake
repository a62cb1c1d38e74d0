# The same commit builds to the same bytes wherever and whenever it is built: no link time in the
# PE header, and no source or build folder in the programs.
add_link_options(LINKER:--no-insert-timestamp)
# The build folder is usually inside the source folder, so it is mapped after (and wins over) it.
add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_SOURCE_DIR}/=>"
                    "$<$<COMPILE_LANGUAGE:C,CXX>:-ffile-prefix-map=${CMAKE_BINARY_DIR}/=>")
