#include "main/saver_dispatch.h"

int main(int argc, char* argv[]) { return skyloom::RunSaverFramework(argc, argv); }
