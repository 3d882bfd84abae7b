# Cross build for Linux with Debian's <triple>-g++ cross compilers; included
# by linux-<arch>.cmake, which sets cross_triple, qemu_arch and
# CMAKE_SYSTEM_PROCESSOR. Every executable, the tests' too, is linked
# statically, so it needs none of the target's libraries at run time: the
# tests run natively where this machine's kernel can run them (32-bit x86),
# and under qemu-user elsewhere.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${cross_triple}-gcc)
set(CMAKE_CXX_COMPILER ${cross_triple}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${cross_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-${qemu_arch}-static -L /usr/${cross_triple})
