# Cross build for Linux with Debian's <triple>-g++ cross compilers; included
# by linux-<arch>.cmake, which sets cross_triple, qemu_arch and
# CMAKE_SYSTEM_PROCESSOR. Tests run under qemu-user with the target's
# libraries from /usr/<triple>.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_C_COMPILER ${cross_triple}-gcc)
set(CMAKE_CXX_COMPILER ${cross_triple}-g++)
set(CMAKE_FIND_ROOT_PATH /usr/${cross_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR /usr/bin/qemu-${qemu_arch}-static -L /usr/${cross_triple})
