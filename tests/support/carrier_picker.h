// The operator's double-click on the first carrier of the selection dialog,
// on the Qt backend: a timer of the event loop the program runs, which acts
// once the dialog is shown. Header only, for the programs that link the Qt
// backend.
#pragma once

#include "si/select.h"
#include "toolkit/backend.h"
#include "toolkit/toolkit.h"

#include <QObject>
#include <QTimer>

class CarrierPicker {
public:
    CarrierPicker()
    {
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            const int panel = si::selectionPanel();
            if (panel <= 0 || tk::attr(panel, 0, tk::Attr::Visible) <= 0 || tk::core::queued() != 0)
                return;
            tk::core::storeIndex(panel, si::selectionListCtrl(), 0);
            tk::core::queue({tk::core::InputEvent::Type::DoubleClick, panel, si::selectionListCtrl(), 0, 0});
            timer_.stop();
        });
        timer_.start(0);
    }
    CarrierPicker(const CarrierPicker&) = delete;
    CarrierPicker& operator=(const CarrierPicker&) = delete;

private:
    QTimer timer_;
};
