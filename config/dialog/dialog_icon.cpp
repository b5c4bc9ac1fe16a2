#include "config/dialog/dialog_icon.h"

namespace skyloom {

QIcon ProgramIcon() {
    QIcon icon;
    for (const char* size : {"16x16", "32x32", "48x48", "128x128", "256x256"}) {
        icon.addFile(QStringLiteral(":/skyloom/icons/%1/apps/skyloom.png").arg(QLatin1String(size)));
    }
    return icon;
}

}  // namespace skyloom
