#include "Measure.h"
#include <cstring>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

std::string runSelf(const std::vector<std::string> &args)
{
    return runChild("/proc/self/exe", args);
}

std::string runChild(const std::string &program, const std::vector<std::string> &args)
{
    int out[2];
    if (pipe(out) != 0)
        return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::string path = program;
    std::vector<char *> argv{path.data()};
    std::vector<std::string> copies = args;
    for (std::string &arg : copies)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    pid_t child = -1;
    const int failed = posix_spawn(&child, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string printed;
    char buffer[4096];
    for (ssize_t n; !failed && (n = read(out[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, size_t(n));
    close(out[0]);
    int status = 0;
    if (!failed)
        waitpid(child, &status, 0);
    return !failed && WIFEXITED(status) && WEXITSTATUS(status) == 0 ? printed : std::string();
}

bool smoke = false;

bool takeSmokeFlag(int &argc, char **argv)
{
    bool found = false;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--smoke") == 0)
            found = true;
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return found;
}

benchmark::internal::Benchmark *set(benchmark::internal::Benchmark *b, int iterations)
{
    b->Unit(benchmark::kMillisecond)->UseManualTime();
    if (smoke)
        return b->Iterations(1)->Repetitions(1);
    return iterations ? b->Iterations(iterations) : b;
}

bool startBenchmarks(int &argc, char **argv)
{
    smoke = takeSmokeFlag(argc, argv);
    benchmark::Initialize(&argc, argv);
    return !benchmark::ReportUnrecognizedArguments(argc, argv);
}
