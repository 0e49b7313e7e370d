// What the program needs of its panel resource: every control it addresses by
// id, with the kind it treats it as (and for tables the cells it fills), and
// the menu items it dispatches or dims. Checked at start-up, so that a resource
// that does not fit ends the start instead of losing values or messages later.
#pragma once

#include "p_ksil2/p_ksil2.h"
#include "toolkit/toolkit.h"

#include <array>
#include <functional>
#include <string>

struct ExpectedControl {
    int panel;        // resource id of the panel
    const char* name; // the control's constant, without the panel's
    int id;
    tk::Kind kind;
    int rows = -1;    // tables: rows the program needs; -1 any number
    int columns = -1; // tables: columns the program needs; -1 any number
};

inline constexpr std::array kExpectedControls{
    ExpectedControl{ABOUT, "CERT_MSG", ABOUT_CERT_MSG, tk::Kind::String},
    ExpectedControl{ABOUT, "SOFT_VERSION", ABOUT_SOFT_VERSION, tk::Kind::String},
    ExpectedControl{ABOUT, "DRVR_VERSION", ABOUT_DRVR_VERSION, tk::Kind::String},
    ExpectedControl{ABOUT, "TEXTMSG_2", ABOUT_TEXTMSG_2, tk::Kind::TextMessage},
    ExpectedControl{CHLP, "LOG", CHLP_LOG, tk::Kind::TextBox},
    ExpectedControl{CP, "DEFAULT", CP_DEFAULT, tk::Kind::Command},
    ExpectedControl{CP, "WRITE", CP_WRITE, tk::Kind::Command},
    ExpectedControl{CP, "READ", CP_READ, tk::Kind::Command},
    ExpectedControl{CP, "TABLE", CP_TABLE, tk::Kind::Table, 19, 2},
    ExpectedControl{CP, "PROGRESS", CP_PROGRESS, tk::Kind::TextMessage},
    ExpectedControl{CP, "UNSAVED", CP_UNSAVED, tk::Kind::TextMessage},
    ExpectedControl{DP, "R", DP_R, tk::Kind::Numeric},
    ExpectedControl{DP, "I", DP_I, tk::Kind::Numeric},
    ExpectedControl{DP, "OK", DP_OK, tk::Kind::Command},
    ExpectedControl{DP, "COMMANDBUTTON_2", DP_COMMANDBUTTON_2, tk::Kind::Command},
    ExpectedControl{DP, "CHAN", DP_CHAN, tk::Kind::Numeric},
    ExpectedControl{MP, "LED", MP_LED, tk::Kind::Led},
    ExpectedControl{MP, "MSG", MP_MSG, tk::Kind::String},
    ExpectedControl{MP, "MEZ_NUMold", MP_MEZ_NUMold, tk::Kind::Numeric},
    ExpectedControl{MP, "S", MP_S, tk::Kind::Numeric},
    ExpectedControl{MP, "K", MP_K, tk::Kind::Numeric},
    ExpectedControl{MP, "MODE_R", MP_MODE_R, tk::Kind::Toggle},
    ExpectedControl{MP, "AUTO_POV", MP_AUTO_POV, tk::Kind::Toggle},
    ExpectedControl{MP, "TEXTMSG_2", MP_TEXTMSG_2, tk::Kind::TextMessage},
    ExpectedControl{MP, "CANVAS", MP_CANVAS, tk::Kind::Canvas},
    ExpectedControl{MP, "TEXTMSG_3", MP_TEXTMSG_3, tk::Kind::TextMessage},
    ExpectedControl{MP, "MEZ_NUM", MP_MEZ_NUM, tk::Kind::ListBox},
    ExpectedControl{MP, "VER", MP_VER, tk::Kind::Numeric},
    ExpectedControl{MP, "CARRIER", MP_CARRIER, tk::Kind::TextMessage},
    ExpectedControl{MP, "METER", MP_METER, tk::Kind::TextMessage},
    ExpectedControl{PP, "CHAN", PP_CHAN, tk::Kind::Numeric},
    ExpectedControl{PP, "R_Z", PP_R_Z, tk::Kind::Numeric},
    ExpectedControl{PP, "SET", PP_SET, tk::Kind::Command},
    ExpectedControl{PP, "R_I", PP_R_I, tk::Kind::Numeric},
    ExpectedControl{PP, "FILE_NAME", PP_FILE_NAME, tk::Kind::String},
    ExpectedControl{PP, "INPUT", PP_INPUT, tk::Kind::Command},
    ExpectedControl{PP, "TABLE_R", PP_TABLE_R, tk::Kind::Table, -1, 5},
    ExpectedControl{PP, "ED_IZM_2", PP_ED_IZM_2, tk::Kind::TextMessage},
    ExpectedControl{PP, "ED_IZM", PP_ED_IZM, tk::Kind::TextMessage},
    ExpectedControl{PP, "AUTO_POV", PP_AUTO_POV, tk::Kind::Toggle},
    ExpectedControl{PP, "PROGRESS", PP_PROGRESS, tk::Kind::TextMessage},
    ExpectedControl{PP, "CHARTS", PP_CHARTS, tk::Kind::Command},
    ExpectedControl{PP5, "CHAN", PP5_CHAN, tk::Kind::Ring},
    ExpectedControl{PP5, "MEAS_MODE", PP5_MEAS_MODE, tk::Kind::BinarySwitch},
    ExpectedControl{PP5, "START", PP5_START, tk::Kind::Command},
    ExpectedControl{PP5, "NEXT_STEP", PP5_NEXT_STEP, tk::Kind::Command},
    ExpectedControl{PP5, "LINE_PROT", PP5_LINE_PROT, tk::Kind::String},
    ExpectedControl{PP5, "SET_R", PP5_SET_R, tk::Kind::Numeric},
    ExpectedControl{PP5, "MEAS_R", PP5_MEAS_R, tk::Kind::Numeric},
    ExpectedControl{PP5, "BOX_PROT", PP5_BOX_PROT, tk::Kind::TextBox},
    ExpectedControl{PP5, "RING_TEMP", PP5_RING_TEMP, tk::Kind::Ring},
    ExpectedControl{PP5, "NUMERIC_TEMP", PP5_NUMERIC_TEMP, tk::Kind::Numeric},
    ExpectedControl{PP5, "TEXTMSG", PP5_TEXTMSG, tk::Kind::TextMessage},
    ExpectedControl{ST, "RESULT", ST_RESULT, tk::Kind::Numeric},
    ExpectedControl{ST, "CANCEL", ST_CANCEL, tk::Kind::Command},
    ExpectedControl{ST, "STOP", ST_STOP, tk::Kind::Command},
    ExpectedControl{ST, "CLOSE", ST_CLOSE, tk::Kind::Command},
    ExpectedControl{ST, "MSG", ST_MSG, tk::Kind::TextBox},
    ExpectedControl{HI, "LIST", HI_LIST, tk::Kind::ListBox},
    ExpectedControl{HI, "DETAIL", HI_DETAIL, tk::Kind::TextBox},
    ExpectedControl{HI, "LOAD", HI_LOAD, tk::Kind::Command},
};

struct ExpectedMenuItem {
    const char* name; // MENU_ITEM, as in p_ksil2.h without MENUBAR_
    int id;
};

inline constexpr std::array kExpectedMenuItems{
    ExpectedMenuItem{"INSTR_SELECT", MENUBAR_INSTR_SELECT},
    ExpectedMenuItem{"INSTR_SELECT_HP", MENUBAR_INSTR_SELECT_HP},
    ExpectedMenuItem{"INSTR_OSNOWN", MENUBAR_INSTR_OSNOWN},
    ExpectedMenuItem{"INSTR_EXIT", MENUBAR_INSTR_EXIT},
    ExpectedMenuItem{"EXE_CALIBR", MENUBAR_EXE_CALIBR},
    ExpectedMenuItem{"EXE_RESET", MENUBAR_EXE_RESET},
    ExpectedMenuItem{"EXE_SELFTEST", MENUBAR_EXE_SELFTEST},
    ExpectedMenuItem{"HELP_ABOUT", MENUBAR_HELP_ABOUT},
    ExpectedMenuItem{"HIST_BACKUPS", MENUBAR_HIST_BACKUPS},
    ExpectedMenuItem{"HIST_RUNS", MENUBAR_HIST_RUNS},
};

// The loaded panels (panelHandle: the handle of a panel's resource id) and
// menu bar against the lists above. Empty when they hold everything; else one
// line naming the first control or item that is missing or of another kind or
// shape, and what the program needs.
std::string checkResource(const std::function<int(int resourceId)>& panelHandle, int menuBar);
