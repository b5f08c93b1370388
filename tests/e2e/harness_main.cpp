// The test programs' entry point: an optional argument picks tests by "Suite.Name" pattern.
#include "tests/e2e/harness.h"

int main(int argc, char** argv) { return e2e::RunAll(argc > 1 ? argv[1] : nullptr); }
