// The game makes its timers with `new (std::nothrow)` and names a failure in
// a box. The test program's own nothrow allocation refuses once told to.
#pragma once

// How many more nothrow allocations succeed before each is refused; below
// zero, none is.
extern int nothrow_allocations_left;
