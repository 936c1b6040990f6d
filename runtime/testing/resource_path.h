// Where tests, benchmarks and fuzzers find the panel resource: the file named
// by the environment variable VANTREL_UIR when it is set, else the source
// tree's own Vantrel.uir (the one the build copies beside the program).
#pragma once

const char* PanelResourcePath();
