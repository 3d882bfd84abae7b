/* Times two commands as whole processes, in turn (A B A B ...), their output
 * to /dev/null, and prints each one's median wall time and the median of the
 * A/B ratios pair by pair. Not peak memory: a child started by vfork or fork
 * reports its parent's resident size as its own peak.
 *
 *   pair RUNS WARMUP A [ARGS...] --vs B [ARGS...] */
#define _GNU_SOURCE
#include <fcntl.h>
#include <spawn.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/wait.h>
#include <time.h>

extern char** environ;

static double run(char** argv)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    struct timespec start, end;
    clock_gettime(CLOCK_MONOTONIC, &start);
    pid_t pid;
    if (posix_spawnp(&pid, argv[0], &actions, NULL, argv, environ) != 0) {
        fprintf(stderr, "pair: cannot start %s\n", argv[0]);
        exit(2);
    }
    int status;
    waitpid(pid, &status, 0);
    clock_gettime(CLOCK_MONOTONIC, &end);
    posix_spawn_file_actions_destroy(&actions);
    return (double)(end.tv_sec - start.tv_sec) * 1e6 + (double)(end.tv_nsec - start.tv_nsec) / 1e3;
}

static int by_value(const void* a, const void* b)
{
    const double x = *(const double*)a, y = *(const double*)b;
    return (x > y) - (x < y);
}

static double median(double* values, int n)
{
    qsort(values, (size_t)n, sizeof *values, by_value);
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

int main(int argc, char** argv)
{
    if (argc < 6) {
        fprintf(stderr, "usage: pair RUNS WARMUP A [ARGS...] --vs B [ARGS...]\n");
        return 2;
    }
    const int runs = atoi(argv[1]), warmup = atoi(argv[2]);
    char **a = argv + 3, **b = NULL;
    for (int i = 3; i < argc; i++) {
        if (strcmp(argv[i], "--vs") == 0) {
            argv[i] = NULL;
            b = argv + i + 1;
        }
    }
    if (runs < 1 || b == NULL || b[0] == NULL) {
        fprintf(stderr, "pair: need RUNS >= 1 and a command after --vs\n");
        return 2;
    }
    double* ta = malloc(sizeof(double) * (size_t)runs);
    double* tb = malloc(sizeof(double) * (size_t)runs);
    double* ratio = malloc(sizeof(double) * (size_t)runs);
    for (int i = 0; i < warmup; i++) {
        run(a);
        run(b);
    }
    for (int i = 0; i < runs; i++) {
        /* Which goes first alternates, so neither always follows the other. */
        if (i % 2 == 0) {
            ta[i] = run(a);
            tb[i] = run(b);
        } else {
            tb[i] = run(b);
            ta[i] = run(a);
        }
        ratio[i] = ta[i] / tb[i];
    }
    const double ma = median(ta, runs), mb = median(tb, runs), mr = median(ratio, runs);
    printf("%.1f %.1f %.3f\n", ma, mb, mr);
    return 0;
}
