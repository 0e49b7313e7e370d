// One adapter per control kind: how the Qt backend makes the kind's widget,
// shows a change of the model on it, and turns the operator's use of it into
// input for the core. The backend's own code (controls.cpp) does what every
// kind shares: position, colours, state, the label beside the widget.
#pragma once

#include "toolkit/qt/qt_backend.h"

#include <QWidget>

namespace tk::qtui {

enum class CaptionPlace {
    None,  // the label is on the widget, or there is none
    Above, // a label above the field
    Right, // a label to the right (an LED)
};

class Adapter {
public:
    virtual ~Adapter() = default;

    virtual QWidget* make(const model::Control& c, QWidget* parent) const = 0;
    virtual CaptionPlace caption() const { return CaptionPlace::None; }
    // An indicator only shows its value: by default it takes no mouse and no focus.
    virtual void makeIndicator(QWidget* field) const;
    // Where the widget goes: by default the control's rectangle, or the widget's
    // own size where the resource gives none.
    virtual void place(const model::Control& c, QWidget* field) const;

    // Shows everything the model holds for the control but the shared attributes.
    virtual void showAll(QtBackend& be, int panel, const model::Control& c, QWidget* field) const;
    virtual void showValue(QtBackend& be, int panel, const model::Control& c, QWidget* field) const {}
    virtual void showItems(const model::Control& c, QWidget* field) const {}
    // The kind's own part of the attributes (text on a button, the scroll position).
    virtual void showLook(const model::Control& c, QWidget* field) const {}
    // A change the kind follows in detail: lines appended, a cell, rows, pages.
    virtual void showChange(QtBackend& be, int panel, const model::Control& c, QWidget* field, Change what,
                            int a, int b) const;

    // Connects the widget's signals: what the operator does is stored in the
    // core and queued as an event, never handled here.
    virtual void connect(QtBackend& be, int panel, const model::Control& c, QWidget* field) const {}
};

const Adapter& adapterFor(Kind kind);

// The adapters, by family (adapters_*.cpp).
const Adapter& commandAdapter();
const Adapter& toggleAdapter();
const Adapter& binarySwitchAdapter();
const Adapter& ledAdapter();
const Adapter& numericAdapter();
const Adapter& stringAdapter();
const Adapter& textMessageAdapter();
const Adapter& listBoxAdapter();
const Adapter& ringAdapter();
const Adapter& textBoxAdapter();
const Adapter& tableAdapter();
const Adapter& decorationAdapter();
const Adapter& pictureAdapter();
const Adapter& canvasAdapter();
const Adapter& tabAdapter();

// Queues one input event for the core.
void post(core::InputEvent::Type type, int panel, int ctrl, int a = 0, int b = 0);

} // namespace tk::qtui
