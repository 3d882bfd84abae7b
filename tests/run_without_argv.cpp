// Starts a program with an empty argument vector (argc 0, argv[0] null), as
// a hostile parent process can.
#include <stdio.h>

#include <unistd.h>

int main(int argc, char** argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: run_without_argv PROGRAM\n");
        return 2;
    }
    char* no_args[] = {nullptr};
    char* no_env[] = {nullptr};
    execve(argv[1], no_args, no_env);
    perror("execve");
    return 2;
}
