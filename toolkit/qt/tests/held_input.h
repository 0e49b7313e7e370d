// A click the operator makes while the program pumps no events: queued in
// the window system's events, as a real one is, so that only a pump that
// takes input delivers it.
#pragma once

#ifdef KSIL_HELD_INPUT

#include <QEvent>
#include <QWidget>
#include <QWindow>
#include <qpa/qwindowsysteminterface.h>

namespace heldinput {

// Queues a press and release of the left button at the middle of `widget`.
inline void click(QWidget* widget)
{
    QWindow* window = widget->window()->windowHandle();
    const QPoint middle = widget->rect().center();
    const QPointF local = widget->mapTo(widget->window(), middle);
    const QPointF global = widget->mapToGlobal(middle);
    using Queued = QWindowSystemInterface::AsynchronousDelivery;
    QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::LeftButton, Qt::LeftButton,
                                                     QEvent::MouseButtonPress);
    QWindowSystemInterface::handleMouseEvent<Queued>(window, local, global, Qt::NoButton, Qt::LeftButton,
                                                     QEvent::MouseButtonRelease);
}

} // namespace heldinput

#endif
