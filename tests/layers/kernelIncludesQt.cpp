// Compiled as a file of the kernel layer: must not find Qt.
#include <QWidget>
