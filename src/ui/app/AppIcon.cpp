#include "ui/app/AppIcon.h"

namespace vellumo {

QIcon AppIcon() {
    static const QIcon icon(QStringLiteral(":/vellumo.png"));
    return icon;
}

}  // namespace vellumo
