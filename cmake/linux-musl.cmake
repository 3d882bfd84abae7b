# x86-64 Linux against musl (Debian's musl-tools), linked statically: the
# executable that Linux users install. The tool uses only the C library, so
# g++ builds it with musl's headers and libc and no C++ runtime. GoogleTest
# needs libstdc++, which Debian has only for glibc, so the unit tests run in
# the other presets; the end-to-end tests run here.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
set(musl_specs /usr/lib/x86_64-linux-musl/musl-gcc.specs)
set(CMAKE_C_FLAGS_INIT "-specs=${musl_specs}")
set(CMAKE_CXX_FLAGS_INIT "-specs=${musl_specs}")
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(PNGPROBE_UNIT_TESTS OFF CACHE BOOL "GoogleTest needs libstdc++")
