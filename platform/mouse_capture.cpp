#include "platform/mouse_capture.h"

#include <QWidget>

void ReleaseMouseCapture() {
    if (QWidget* grabber = QWidget::mouseGrabber()) grabber->releaseMouse();
}
