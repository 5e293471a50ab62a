#include "tools/qvtool/QvTool.h"

int main(int argc, char** argv) { return RunQvTool(argc, argv); }
