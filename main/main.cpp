#include "platform/x11/saver_framework.h"

int main(int argc, char* argv[]) { return skyloom::RunSaverFramework(argc, argv); }
