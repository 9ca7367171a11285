// Every native test program in one run, so that one command (the mutation
// check among them) sees what each catches, the tool's commands included.
#include <cstdlib>
#include <initializer_list>

int main()
{
    int failed = 0;
    for (const char* program : {ZANDREK_TESTS, ZANDREK_TOOL_TESTS})
        failed += std::system(program) != 0;
    return failed == 0 ? EXIT_SUCCESS : EXIT_FAILURE;
}
