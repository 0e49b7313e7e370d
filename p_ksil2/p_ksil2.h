// Panel and control ids of the panel resource p_ksil2.uir.
// Panels: resource ids. Controls: <PANEL>_<CONSTANT>. Menu bar: MENUBAR_<MENU>_<ITEM>.
// The resource test holds this file and the resource together.
#pragma once

// Panels
inline constexpr int ABOUT = 1;
inline constexpr int CHLP = 2;
inline constexpr int CP = 3;
inline constexpr int DP = 4;
inline constexpr int MP = 5;
inline constexpr int PP = 6;
inline constexpr int PP5 = 7;
inline constexpr int ST = 8;
inline constexpr int TP = 9;
inline constexpr int HI = 10;

// ABOUT "О программе..."
inline constexpr int ABOUT_COMMANDBUTTON = 2; // callback ClosePanelCB
inline constexpr int ABOUT_CERT_MSG = 3;
inline constexpr int ABOUT_SOFT_VERSION = 4;
inline constexpr int ABOUT_DRVR_VERSION = 5;
inline constexpr int ABOUT_DECORATION = 6;
inline constexpr int ABOUT_PICTURE_2 = 7;
inline constexpr int ABOUT_TEXTMSG = 8;
inline constexpr int ABOUT_DECORATION_2 = 9;
inline constexpr int ABOUT_VXI_LOGO = 10;
inline constexpr int ABOUT_TEXTMSG_2 = 11;

// CHLP "Поверка"
inline constexpr int CHLP_LOG = 2;
inline constexpr int CHLP_COMMANDBUTTON_2 = 3; // callback cancelP

// CP "Калибровка"
inline constexpr int CP_DEFAULT = 2; // callback defaultFlash
inline constexpr int CP_WRITE = 3;   // callback writeFlash
inline constexpr int CP_READ = 4;    // callback readFlash
inline constexpr int CP_TABLE = 5;   // callback selectR
inline constexpr int CP_PROGRESS = 6; // where the automatic calibration is
inline constexpr int CP_UNSAVED = 7;  // the table holds what the flash does not

// DP "Измерьте точное значение"
inline constexpr int DP_R = 2;
inline constexpr int DP_I = 3;
inline constexpr int DP_OK = 4;              // callback inputVal
inline constexpr int DP_COMMANDBUTTON_2 = 5; // callback closePopup
inline constexpr int DP_CHAN = 6;

// MP "КСИЛ2-4л" (panel callback CloseCB)
inline constexpr int MP_PICTURE_2 = 2;
inline constexpr int MP_PICTURE = 3;
inline constexpr int MP_DECORATION_2 = 4;
inline constexpr int MP_DECORATION = 5;
inline constexpr int MP_LED = 6;
inline constexpr int MP_DECORATION_4 = 7;
inline constexpr int MP_DECORATION_3 = 8;
inline constexpr int MP_EXIT = 9;      // callback exitCB
inline constexpr int MP_RESET = 10;    // callback ResetCB
inline constexpr int MP_SELFTEST = 11; // callback SelftestCB
inline constexpr int MP_MSG = 12;
inline constexpr int MP_MEZ_NUMold = 13;
inline constexpr int MP_S = 14;
inline constexpr int MP_K = 15;
inline constexpr int MP_MODE_R = 16;   // callback modeR
inline constexpr int MP_AUTO_POV = 17; // callback auto_measureCB
inline constexpr int MP_MSG_OK = 18;   // callback messageCB
inline constexpr int MP_TEXTMSG_2 = 19;
inline constexpr int MP_CANVAS = 20;   // callback tabCB
inline constexpr int MP_TEXTMSG_3 = 21;
inline constexpr int MP_MEZ_NUM = 22;  // callback selMezonin
inline constexpr int MP_VER = 23;
inline constexpr int MP_CARRIER = 24; // the carrier in use
inline constexpr int MP_METER = 25;   // the multimeter in use

// PP "Поверка"
inline constexpr int PP_CHAN = 2;        // callback setChan
inline constexpr int PP_R_Z = 3;         // callback vavChgU_Z
inline constexpr int PP_SET = 4;         // callback setP
inline constexpr int PP_R_I = 5;         // callback vavChgU_I
inline constexpr int PP_FILE_NAME_S = 6; // callback selFName
inline constexpr int PP_FILE_NAME = 7;
inline constexpr int PP_INPUT = 8;       // callback inputP
inline constexpr int PP_WRITE_LOG = 9;   // callback writeLogCB
inline constexpr int PP_TABLE_R = 10;
inline constexpr int PP_ED_IZM_2 = 11;
inline constexpr int PP_ED_IZM = 12;
inline constexpr int PP_AUTO_POV = 13;   // callback auto_pov
inline constexpr int PP_PROGRESS = 14;   // where the automatic verification is
inline constexpr int PP_CHARTS = 15;     // callback openCharts

// PP5 "Поверка КСИЛ5"
inline constexpr int PP5_CHAN = 2;
inline constexpr int PP5_MEAS_MODE = 3;
inline constexpr int PP5_START = 4;     // callback start
inline constexpr int PP5_SET_PROT = 5;  // callback set_prot
inline constexpr int PP5_OPEN_PROT = 6; // callback open_prot
inline constexpr int PP5_NEXT_STEP = 7; // callback next_step
inline constexpr int PP5_LINE_PROT = 8;
inline constexpr int PP5_SET_R = 9;
inline constexpr int PP5_MEAS_R = 10;
inline constexpr int PP5_BOX_PROT = 11;
inline constexpr int PP5_RING_TEMP = 12;
inline constexpr int PP5_NUMERIC_TEMP = 13;
inline constexpr int PP5_TEXTMSG = 14;

// ST "Самоконтроль"
inline constexpr int ST_RESULT = 2;
inline constexpr int ST_CANCEL = 3; // callback continueSelftest
inline constexpr int ST_STOP = 4;   // callback stopSelftest
inline constexpr int ST_CLOSE = 5;  // callback ClosePopupCB
inline constexpr int ST_MSG = 6;

// TP "Поверка 2"
inline constexpr int TP_CHAN = 2;        // callback setChan
inline constexpr int TP_FILE_NAME_S = 3; // callback selFName
inline constexpr int TP_STOP_POV = 4;    // callback stopPov
inline constexpr int TP_START_POV = 5;   // callback startPov
inline constexpr int TP_R_STEP = 6;
inline constexpr int TP_R_LAST = 7;
inline constexpr int TP_R_FIRST = 8;
inline constexpr int TP_FILE_NAME = 9;
inline constexpr int TP_WRITE_LOG = 10;  // callback writeLogCB
inline constexpr int TP_TABLE_R = 11;
inline constexpr int TP_ED_IZM_3 = 12;
inline constexpr int TP_ED_IZM = 13;
inline constexpr int TP_ED_IZM_2 = 14;

// HI "История мезонина"
inline constexpr int HI_LIST = 2;   // callback historyListCB
inline constexpr int HI_DETAIL = 3;
inline constexpr int HI_LOAD = 4;   // callback loadBackupCB
inline constexpr int HI_CLOSE = 5;  // callback ClosePanelCB

// Menu bar (every item's callback is MenuCallback)
inline constexpr int MENUBAR = 1;
inline constexpr int MENUBAR_INSTR = 2;
inline constexpr int MENUBAR_INSTR_SELECT = 3;
inline constexpr int MENUBAR_INSTR_SELECT_HP = 4;
inline constexpr int MENUBAR_INSTR_OSNOWN = 5;
inline constexpr int MENUBAR_INSTR_SEPARATOR = 6;
inline constexpr int MENUBAR_INSTR_EXIT = 7;
inline constexpr int MENUBAR_EXE = 8;
inline constexpr int MENUBAR_EXE_CALIBR = 9;
inline constexpr int MENUBAR_EXE_RESET = 10;
inline constexpr int MENUBAR_EXE_SELFTEST = 11;
inline constexpr int MENUBAR_HELP = 12;
inline constexpr int MENUBAR_HELP_ABOUT = 13;
inline constexpr int MENUBAR_HIST = 14;
inline constexpr int MENUBAR_HIST_BACKUPS = 15;
inline constexpr int MENUBAR_HIST_RUNS = 16;
