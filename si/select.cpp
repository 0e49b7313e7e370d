// The instrument selection dialog: built in code on first use and kept; the
// caller waits by pumping events, so the other panels stay usable meanwhile.
#include "si/select.h"
#include "si/reset.h"

#include "toolkit/toolkit.h"
#include "toolkit/wait_cursor.h"

#include <cstring>
#include <string>
#include <string_view>

namespace {

struct CtrlSpec {
    const char* constant;
    tk::Kind kind;
    const char* label;
    int top, left, height, width;
};
constexpr const char* kPanelConstant = "SI";
constexpr int kPanelHeight = 335, kPanelWidth = 517;
// Creation order is the tab order: "Выбрать", "Отмена", the list.
constexpr CtrlSpec kOk{"OK", tk::Kind::Command, "Выбрать", 41, 408, 25, 103};
constexpr CtrlSpec kCancel{"CANCEL", tk::Kind::Command, "Отмена", 84, 408, 25, 103};
constexpr CtrlSpec kList{"LIST", tk::Kind::ListBox, "", 3, 14, 323, 385};

int panel = 0;
int okCtrl = 0, cancelCtrl = 0, listCtrl = 0;
InstrInfo* selectedInstr = nullptr;
bool waiting = false; // a caller waits on the dialog

bool takeSelection()
{
    if (tk::numListItems(panel, listCtrl) <= 0)
        return false;
    const int index = tk::listIndex(panel, listCtrl);
    int value = -1;
    if (index < 0 || tk::listItemValue(panel, listCtrl, index, value) < 0)
        return false;
    if (value < 0 || value >= si::kInstrTableSize)
        return false;
    selectedInstr = &instrTable[static_cast<std::size_t>(value)];
    return true;
}

int okCB(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT && takeSelection())
        tk::hidePanel(panel);
    return 0;
}

// A double-click chooses; a new row (arrows, one click) only moves the choice,
// which Enter ("Выбрать", the default button) then takes.
int listCB(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_LEFT_DOUBLE_CLICK && takeSelection())
        tk::hidePanel(panel);
    return 0;
}

int cancelCB(int, int, int event, void*, int, int)
{
    if (event == tk::EVENT_COMMIT || event == tk::EVENT_DISCARD) {
        tk::hidePanel(panel);
        selectedInstr = nullptr;
    }
    return 0;
}

int addCtrl(const CtrlSpec& def, tk::CtrlCallback cb)
{
    const int id = tk::newCtrl(panel, def.kind, def.label, def.top, def.left, def.height, def.width);
    if (id < 0)
        return id;
    tk::setAttr(panel, id, tk::Attr::ConstantName, def.constant);
    tk::setCtrlCallback(panel, id, cb, nullptr);
    return id;
}

bool makeSelectPanel()
{
    const int p = tk::newPanel(0, "", tk::kCentered, tk::kCentered, kPanelHeight, kPanelWidth);
    if (p < 0)
        return false;
    panel = p;
    tk::setAttr(panel, 0, tk::Attr::ConstantName, kPanelConstant);
    tk::setAttr(panel, 0, tk::Attr::BackColor, tk::kLightGrey);
    okCtrl = addCtrl(kOk, okCB);
    cancelCtrl = addCtrl(kCancel, cancelCB);
    listCtrl = addCtrl(kList, listCB);
    if (okCtrl < 0 || cancelCtrl < 0 || listCtrl < 0) {
        tk::discardPanel(panel);
        panel = 0;
        return false;
    }
    tk::setPanelCloseCtrl(panel, cancelCtrl);
    tk::setAttr(panel, 0, tk::Attr::DefaultCtrl, okCtrl); // Enter chooses
    return true;
}

std::string itemLabel(const InstrInfo& e)
{
    std::string label;
    for (const char c : std::string_view(e.Descr, strnlen(e.Descr, sizeof e.Descr))) {
        if (c == '\n')
            label += "  ";
        else
            label += c;
    }
    return label;
}

template <class Offered>
int fillList(Offered offered)
{
    tk::clearList(panel, listCtrl);
    int n = 0;
    for (int i = 0; i < si::kInstrTableSize; ++i) {
        const InstrInfo& e = instrTable[static_cast<std::size_t>(i)];
        if (e.ModelCode != 0 && offered(e)) {
            tk::insertListItem(panel, listCtrl, -1, itemLabel(e), i);
            ++n;
        }
    }
    return n;
}

int fillBaseList()
{
    return fillList([](const InstrInfo& e) { return e.Kind == si::KIND_CARRIER; });
}

int fillModelList(int modelCode)
{
    return fillList([modelCode](const InstrInfo& e) { return e.ModelCode == modelCode; });
}

InstrInfo* runDialog()
{
    selectedInstr = nullptr;
    tk::setListIndex(panel, listCtrl, 0);
    // Over the main window and modal to it: nothing else takes input until
    // the operator chooses; the keyboard in the list: arrows move the choice,
    // Enter takes it, Escape cancels.
    tk::setActiveCtrl(panel, listCtrl);
    tk::installPopup(panel);
    struct Waiting {
        Waiting() { waiting = true; }
        ~Waiting() { waiting = false; }
    } wait;
    while (tk::attr(panel, 0, tk::Attr::Visible) > 0)
        tk::processEvents();
    return selectedInstr;
}

// A second choice while one waits would refill the dialog under the first
// caller, and both waits would end on one pick: the waiting dialog is brought
// to the front instead, and the second caller gets nothing.
bool alreadyWaiting()
{
    if (!waiting)
        return false;
    tk::displayPanel(panel);
    return true;
}

bool prepare(const char* title)
{
    if (panel == 0 && !makeSelectPanel())
        return false;
    tk::setAttr(panel, 0, tk::Attr::Title, title ? title : "");
    return true;
}

} // namespace

InstrInfo* selBase(const char* title)
{
    if (alreadyWaiting() || !prepare(title) || fillBaseList() == 0)
        return nullptr;
    return runDialog();
}

InstrInfo* selByModel(const char* title, int modelCode)
{
    if (alreadyWaiting() || !prepare(title) || fillModelList(modelCode) == 0)
        return nullptr;
    tk::WaitCursor normalCursor(false); // the operator chooses with the normal cursor
    return runDialog();
}

bool si::selectionWaiting()
{
    return alreadyWaiting();
}

void si::forgetSelection()
{
    panel = 0;
    okCtrl = cancelCtrl = listCtrl = 0;
    selectedInstr = nullptr;
    waiting = false;
}

int si::selectionPanel() { return panel; }
int si::selectionListCtrl() { return listCtrl; }
int si::selectionOkCtrl() { return okCtrl; }
int si::selectionCancelCtrl() { return cancelCtrl; }
