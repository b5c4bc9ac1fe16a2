// Stands in for `skyloom /c` in the dialog tests: CommonStartup, then the
// configuration window. "--message TEXT" shows the saver's warning box.
#include "config/configure_sheet_entry.h"
#include "config/message_box.h"
#include "saver/entry.h"

#include <cstring>

int main(int argc, char* argv[]) {
    if (argc == 3 && std::strcmp(argv[1], "--message") == 0) {
        skyloom::ShowMessageBox(argv[2], skyloom::MessageKind::Warning);
        return 0;
    }
    skyloom::CommonStartup();
    return skyloom::RunConfigurationSheet();
}
