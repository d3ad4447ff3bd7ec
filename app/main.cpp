#include "app/program.h"
#include "runtime/console/startup.h"

int main(int argc, char** argv) {
    rt_run(argc, argv, program_main);
}
