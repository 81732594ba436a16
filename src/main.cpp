// vxnode: the node program. One process serves one call.
#include "console/node_main.h"

int main(int argc, char** argv) { return vx::console::NodeMain(argc, argv); }
