# What players' machines expect of a downloaded program: randomised addresses and no execution of
# data (said explicitly, not left to the linker's default), stack protection for functions with
# buffers, and the C library's checked string and memory functions. The checks come from GCC's
# libssp, linked statically like the rest of the runtime; the guard and the failure calls are the
# programs' own (src/win/stack_guard.cpp), which keeps libssp's slow guard set-up out of the launch.
add_compile_options($<$<COMPILE_LANGUAGE:C,CXX>:-fstack-protector-strong>)
add_compile_definitions($<$<NOT:$<CONFIG:Debug>>:_FORTIFY_SOURCE=2>)
add_link_options(-fstack-protector-strong LINKER:--dynamicbase,--nxcompat)
if(SKELVANE_ARCH STREQUAL "amd64")
  add_link_options(LINKER:--high-entropy-va)
endif()
