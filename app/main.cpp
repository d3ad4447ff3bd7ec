#include "app/program.h"
#include "runtime/runtime.h"

int main(int argc, char** argv) {
    rt_run(argc, argv, program_main);
}
