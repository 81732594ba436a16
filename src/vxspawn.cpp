// vxspawn: gives each incoming connection a free node and starts vxnode on it.
#include "console/spawn_main.h"

int main(int argc, char** argv) { return vx::console::SpawnMain(argc, argv); }
