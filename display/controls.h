// The two panels and the fixed ids of their controls, as the panel resource
// "Vantrel.uir" defines them. Every procedure addresses controls through the
// two panel handles and these ids.
#pragma once

#include <cstdint>

extern int32_t panelHandle;  // main panel (resource panel 1)
extern int32_t panelPopUp;   // sensor settings panel (resource panel 2)

// ---- Main panel ------------------------------------------------------------------
constexpr int DropDCom = 2;  // COM port number
constexpr int BTNRun = 3;    // dimmed while an acquisition loop runs
constexpr int SW_PowerMode = 4;
constexpr int BTNStop = 5;
constexpr int BTNTeach = 6;  // set-point teach
constexpr int BTNSend = 7;
constexpr int BTNSettings = 8;  // shows and hides the settings panel
constexpr int RBTFile = 10;
constexpr int RBTEeprom = 11;
constexpr int RBTRam = 12;
constexpr int SW_Polarity = 13;
constexpr int BTNData = 14;         // dimmed while an acquisition loop runs
constexpr int TEXT_SetSource = 15;  // whose values the panels show (param/transfer.h)
constexpr int BTNGet = 16;          // dimmed while an acquisition loop runs
constexpr int DropDEvalmode = 17;
constexpr int NUM_MeasuredValue = 19;
constexpr int NUM_TeachValue = 20;
constexpr int NUM_Tolerance = 21;
constexpr int NUM_FirstEdge = 22;
constexpr int NUM_SecondEdge = 23;
constexpr int NEDITVideoThreshold = 30;
constexpr int NEDITEdgeRight = 31;
constexpr int NEDITEdgeLeft = 32;
constexpr int TEXT_Status = 33;
constexpr int GRAPH_Data = 34;
constexpr int BINSWITCH_UM = 35;  // 1 = pixels, 0 = micrometres
constexpr int GRAPH_Scope =
    36;  // cursor 1 measured position (teach value at start), 2 eBeg, 3 eEnd
constexpr int NUM_Power = 38;

// ---- Settings panel ----------------------------------------------------------------
constexpr int TEXTBOX_CCDInfo = 2;
constexpr int NSLIDE_PixelStart = 3;
constexpr int NUM_PixelEnd = 4;
constexpr int BTNTeachBackGround = 6;
constexpr int NUM_BGValue = 7;
constexpr int LED_TeachBackGround = 8;
constexpr int BIN_Sw_EnableTol = 9;
constexpr int BIN_Switch_VGain = 10;
constexpr int RING_CCDBGMode = 12;
constexpr int RING_CCDMode = 13;
constexpr int NUM_ScalFact = 14;
constexpr int NEDITTolerance = 15;
constexpr int NEDITTeach = 16;

// ---- Colours of the graphs -------------------------------------------------------------
constexpr int COLOR_BAR = 0xFF0000;        // scope bars, video line
constexpr int COLOR_BAND = 0x00FF00;       // tolerance bands
constexpr int COLOR_FRAME = 0xA0A0A0;      // window frame on the scope
constexpr int COLOR_THRESHOLD = 0x008000;  // threshold line of the data graph
