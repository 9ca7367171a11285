// The smallest Windows program that shows a runner works: it prints and exits.
#include <cstdio>

int main()
{
    std::puts("zandrek wine probe");
    return 0;
}
