// Every native test program in one run, so that one command (the mutation
// check among them) sees what each catches, the tool's commands included.
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <initializer_list>

namespace
{

// A program killed for taking too long must not leave its child running, so
// each child dies with this process.
bool passes(const char* program)
{
    const pid_t child = fork();
    if (child == 0) {
        prctl(PR_SET_PDEATHSIG, SIGKILL);
        execl(program, program, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    return child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

} // namespace

int main()
{
    bool all = true;
    for (const char* program : {ZANDREK_TESTS, ZANDREK_TOOL_TESTS})
        all = passes(program) && all;
    return all ? EXIT_SUCCESS : EXIT_FAILURE;
}
