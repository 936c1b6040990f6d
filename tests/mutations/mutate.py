#!/usr/bin/env python3
"""One-line faults in the modules above the engine, tried one at a time.

Each fault replaces one exact text (found exactly once) in one source file,
rebuilds the unit and e2e test programs, runs them and records whether any
test failed. The file is restored from git afterwards, so run it on a clean
worktree with a configured build directory:

    tests/mutations/mutate.py [build-dir] [fault-id ...]

It prints one line per fault (id, module, caught or NOT caught) and a count
per module at the end. MUTATE_E2E_FILTER replaces the e2e tests' filter, for
example to count what the suite caught without the operator scenarios:

    MUTATE_E2E_FILTER='-Process*:FaultInjection*:DeviceLost*:Operator/*' \
        tests/mutations/mutate.py build X1 X2
"""
import os
import subprocess
import sys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# id, file, text, replacement
FAULTS = [
    # param/transfer.cpp
    ("T1", "param/transfer.cpp", "(store == EEPROM) ? ORD_READ_EEPROM", "(store != EEPROM) ? ORD_READ_EEPROM"),
    ("T2", "param/transfer.cpp", "      GetRxBuf(PNUM);\n      CopyPPtoVars();", "      GetRxBuf(PNUM);"),
    ("T3", "param/transfer.cpp", 'SetStatusText("Parameter-frame received! - Line Ok!");', ""),
    ("T4", "param/transfer.cpp", "SetCtrlVal(panelHandle, BINSWITCH_UM, 1);", "SetCtrlVal(panelHandle, BINSWITCH_UM, 0);"),
    ("T5", "param/transfer.cpp", "(target == EEPROM) ? ORD_WRITE_EEPROM", "(target != EEPROM) ? ORD_WRITE_EEPROM"),
    ("T6", "param/transfer.cpp", "  GetPanelValues();\n  CopyVarsToPP();\n  FillTxBuf", "  CopyVarsToPP();\n  FillTxBuf"),
    ("T7", "param/transfer.cpp", 'if (nBytesW == FRAME_LEN) ShowStatus("Line Ok!");', ""),
    ("T8", "param/transfer.cpp", "RBTEeprom, store == EEPROM ? 1 : 0", "RBTEeprom, store == RAM ? 1 : 0"),
    ("T9", "param/transfer.cpp", "SelectStore(on != 0 ? store : RAM);", "SelectStore(store);"),
    ("T10", "param/transfer.cpp", 'ShowStatus("Waiting for parameter-frame ...");', ""),
    # param/params.cpp
    ("P1", "param/params.cpp", "{500, 0, 512, 64,", "{501, 0, 512, 64,"),
    ("P2", "param/params.cpp", "&tVal,  &tTol,", "&tTol,  &tVal,"),
    ("P3", "param/params.cpp", "factor * 1000.0f", "factor * 100.0f"),
    # param/parafile.cpp
    ("F1", "param/parafile.cpp", "  CopyPPtoVars();\n  ReportFile", "  ReportFile"),
    ("F2", "param/parafile.cpp", "words[i] & 0xFFFF", "words[i] & 0xFFF"),
    ("F3", "param/parafile.cpp", "    if (line > 0)\n      ReportFile(\"Rejected", "    if (line > 1)\n      ReportFile(\"Rejected"),
    ("F4", "param/parafile.cpp", "void SendParaToFile() {\n  GetPanelValues();", "void SendParaToFile() {"),
    # display/panel_values.cpp
    ("V1", "display/panel_values.cpp", "if (power > 1000)", "if (power >= 1000)"),
    ("V2", "display/panel_values.cpp", "if (eMode > 3) eMode = 4;", "if (eMode > 3) eMode = 3;"),
    ("V3", "display/panel_values.cpp", "if (para15 < 800) para15 = 800;", "if (para15 < 800) para15 = 1200;"),
    ("V4", "display/panel_values.cpp", "pStart + 255)", "pStart + 256)"),
    ("V5", "display/panel_values.cpp", "para15 / 1000.0", "para15 / 100.0"),
    ("V6", "display/panel_values.cpp", "0.0, 0.0, 1023.0, 1.0", "0.0, 0.0, 1024.0, 1.0"),
    ("V7", "display/panel_values.cpp", "NEDITTolerance, UI_ATTR_DIMMED, 1);", "NEDITTolerance, UI_ATTR_DIMMED, 0);"),
    ("V8", "display/panel_values.cpp", "    SetCtrlAttribute(panelPopUp, BTNTeachBackGround, UI_ATTR_DIMMED, 0);\n", ""),
    ("V9", "display/panel_values.cpp", "NEDITTeach, &tVal);", "NEDITTeach, &tTol);"),
    ("V10", "display/panel_values.cpp", "NUM_TeachValue, tVal);", "NUM_TeachValue, tTol);"),
    ("V11", "display/panel_values.cpp", "if (eMode == 2) SetCtrlAttribute(panelPopUp, NUM_ScalFact", "if (eMode == 1) SetCtrlAttribute(panelPopUp, NUM_ScalFact"),
    # display/data_curve.cpp
    ("D1", "display/data_curve.cpp", "UI_SCALE_MANUAL, 0.0, 1023.0", "UI_SCALE_MANUAL, 0.0, 1024.0"),
    ("D2", "display/data_curve.cpp", "pix1 + 256.0", "pix1 + 255.0"),
    ("D3", "display/data_curve.cpp", "(ccdmaxpixel == 1024) ? 4 : 2", "(ccdmaxpixel != 1024) ? 4 : 2"),
    ("D4", "display/data_curve.cpp", "1, COLOR_THRESHOLD", "1, COLOR_BAR"),
    # display/scope.cpp
    ("S1", "display/scope.cpp", "if (eMode == 0) return first;", "if (eMode == 0) return second;"),
    ("S2", "display/scope.cpp", "second == 0) return 1;", "second == 0) return 0;"),
    ("S3", "display/scope.cpp", "? 768 : 256", "? 767 : 256"),
    ("S4", "display/scope.cpp", "if (mvstart < mvend)", "if (mvstart <= mvend)"),
    ("S5", "display/scope.cpp", "DrawBand(centre + half - tolerance, centre + half + tolerance);", "DrawBand(centre + half - tolerance, centre + half);"),
    ("S6", "display/scope.cpp", "pixels ? pp[2] : MicrometresScaled(pp[2])", "pixels ? pp[2] : MicrometresInt(pp[2])"),
    ("S7", "display/scope.cpp", "if (eMode != 2) scaleF = 1.0f;", ""),
    ("S8", "display/scope.cpp", "return left < 0 ? 1 : left;", "return left < 1 ? 1 : left;"),
    ("S9", "display/scope.cpp", "SetGraphCursor(panelHandle, GRAPH_Scope, 3, eEnd", "SetGraphCursor(panelHandle, GRAPH_Scope, 3, eBeg"),
    # display/units.cpp
    ("U1", "display/units.cpp", "static_cast<int32_t>(pixels)) / 1000;", "static_cast<int32_t>(pixels)) / 100;"),
    ("U2", "display/units.cpp", "static_cast<double>(scaleF) * PPITCH", "PPITCH"),
    # display/status.cpp
    ("ST1", "display/status.cpp", "SetCtrlVal(panelHandle, TEXT_Status, szStatus);", ""),
    # app/run_loop.cpp
    ("A1", "app/run_loop.cpp", "  graphrefresh = 0;\n  DimLoopButtons(0);\n  return 0;", "  graphrefresh = 0;\n  return 0;"),
    ("A2", "app/run_loop.cpp", "if (tdiff > TIMEOUT)", "if (tdiff >= TIMEOUT)"),
    ("A3", "app/run_loop.cpp", "  DimBackgroundTeach(1);\n  ForceStoreToRam();", "  DimBackgroundTeach(1);"),
    ("A4", "app/run_loop.cpp", "GRAPH_Data, UI_ATTR_DIMMED, 1);", "GRAPH_Data, UI_ATTR_DIMMED, 0);"),
    ("A5", "app/loop_control.cpp", "if (bMode == 2) DimBackgroundTeach(0);", "if (bMode == 1) DimBackgroundTeach(0);"),
    ("A6", "app/run_loop.cpp", "      FlushOutQ(com);\n      BuildMeasureRequest();", "      FlushOutQ(com);"),
    ("A7", "app/loop_control.cpp", "  SetCtrlAttribute(panelHandle, BTNData, UI_ATTR_DIMMED, dimmed);\n", ""),
    # app/data_loop.cpp
    ("L1", "app/data_loop.cpp", "ref_flag = (block == 3) ? 1 : 0;", "ref_flag = (block == 0) ? 1 : 0;"),
    ("L2", "app/data_loop.cpp", "block < 4;", "block < 3;"),
    ("L3", "app/data_loop.cpp", "pix1 = pp[5];", "pix1 = pp[6];"),
    ("L4", "app/data_loop.cpp", "    if (ccdMode == 1) {\n      pix1 = pStart;\n", "    if (ccdMode == 1) {\n"),
    ("L5", "app/data_loop.cpp", "  HidePanel(panelPopUp);\n", ""),
    ("L6", "app/data_loop.cpp", '      ShowStatus("Timeout RS232-Line!");\n', ""),
    ("L7", "app/data_loop.cpp", "  DimLoopButtons(0);\n  InstallReceiveNotification();", "  InstallReceiveNotification();"),
    # app/teach.cpp
    ("E1", "app/teach.cpp", "if (!(tdiff < TEACH_SETPOINT_LIMIT)) return 0;", "if (tdiff > TEACH_SETPOINT_LIMIT) return 0;"),
    ("E2", "app/teach.cpp", "      PushGET(RAM);\n      return 0;", "      PushGET(EEPROM);\n      return 0;"),
    ("E3", "app/teach.cpp", "  GetPanelValues();\n  CopyVarsToPP();\n  FlushOutQ", "  GetPanelValues();\n  FlushOutQ"),
    ("E4", "app/teach.cpp", "    GetRxBuf(PNUM);\n    SetStatusText(\"Teach", "    SetStatusText(\"Teach"),
    ("E5", "app/teach.cpp", "SetCtrlVal(panelPopUp, LED_TeachBackGround, 0);", ""),
    ("E6", "app/teach.cpp", 'ShowStatus("New setpoint value teached!");', ""),
    # app/parameter_callbacks.cpp
    ("C1", "app/parameter_callbacks.cpp", "NUM_ScalFact, UI_ATTR_DIMMED, mode == 2 ? 0 : 1", "NUM_ScalFact, UI_ATTR_DIMMED, mode == 1 ? 0 : 1"),
    ("C2", "app/parameter_callbacks.cpp", "    eEnd = ccdmaxpixel;\n", ""),
    ("C3", "app/parameter_callbacks.cpp", "NUM_TeachValue, MicrometresScaled(tVal)", "NUM_TeachValue, MicrometresInt(tVal)"),
    ("C4", "app/parameter_callbacks.cpp", "    HidePanel(panelPopUp);\n    hidePopUp = 1;", "    HidePanel(panelPopUp);\n    hidePopUp = 0;"),
    ("C5", "app/parameter_callbacks.cpp", "GRAPH_Scope, 2, left, 1.0", "GRAPH_Scope, 1, left, 1.0"),
    ("C6", "app/parameter_callbacks.cpp", "  SetThresholdArray(threshold);\n", ""),
    # app/popup.cpp
    ("O1", "app/popup.cpp", "WINDOW_SPAN = 255;", "WINDOW_SPAN = 256;"),
    ("O2", "app/popup.cpp", "stop_flag == 1) ? 0 : 1", "stop_flag == 0) ? 0 : 1"),
    ("O3", "app/popup.cpp", "fromSensor == 1 ? 1 : 0", "fromSensor == 1 ? 0 : 1"),
    ("O4", "app/popup.cpp", "NUM_Tolerance, InChosenUnit(tolerance)", "NUM_Tolerance, tolerance"),
    ("O5", "app/popup.cpp", "  scaleF = factor;\n", ""),
    ("O6", "app/popup.cpp", "return inPixels == 0 ? MicrometresInt(pixels) : pixels;", "return inPixels == 0 ? MicrometresScaled(pixels) : pixels;"),
    # link/data_block.cpp
    ("B1", "link/data_block.cpp", "static_cast<uint16_t>(start), static_cast<uint16_t>(last)", "static_cast<uint16_t>(last), static_cast<uint16_t>(start)"),
    ("B2", "link/data_block.cpp", "if (waiting >= DATA_REPLY_LEN) break;", "if (waiting > DATA_REPLY_LEN) break;"),
    ("B3", "link/data_block.cpp", 'if (nBytesR == DATA_REPLY_LEN) SetStatusText("Data[64] block received!");', ""),
    ("B4", "link/data_block.cpp", "WordAt(szReadBuf, 2 * i)", "WordAt(szReadBuf, 2 * i + 2)"),
    ("B5", "link/data_block.cpp", "if (tdiff > TIMEOUT)", "if (tdiff >= TIMEOUT)"),
    ("B6", "link/data_block.cpp", 'ShowStatus("Waiting for Data[64] ...");', ""),
    # app/vantrel.cpp
    ("W1", "app/vantrel.cpp", "if (event == UI_EVENT_CLOSE) QuitUserInterface(0);", ""),
    # Dimmed states a rule must leave alone, or change in one mode only
    ("X1", "display/panel_values.cpp", "if (ePoti == 1) SetCtrlAttribute(panelPopUp, NEDITTolerance, UI_ATTR_DIMMED, 1);", "if (ePoti == 0) SetCtrlAttribute(panelPopUp, NEDITTolerance, UI_ATTR_DIMMED, 1);"),
    ("X2", "display/panel_values.cpp", "if (bMode == 1) SetCtrlAttribute(panelPopUp, NUM_BGValue, UI_ATTR_DIMMED, 0);", "if (bMode >= 1) SetCtrlAttribute(panelPopUp, NUM_BGValue, UI_ATTR_DIMMED, 0);"),
    ("X3", "display/panel_values.cpp", "    SetCtrlAttribute(panelPopUp, NSLIDE_PixelStart, UI_ATTR_DIMMED, 0);\n", ""),
    ("X4", "display/panel_values.cpp", "if (eMode == 2) SetCtrlAttribute(panelPopUp, NUM_ScalFact, UI_ATTR_DIMMED, 0);", "SetCtrlAttribute(panelPopUp, NUM_ScalFact, UI_ATTR_DIMMED, eMode == 2 ? 0 : 1);"),
    ("X5", "app/loop_control.cpp", "if (running == 1 || bMode == 2) DimBackgroundTeach(running);", "DimBackgroundTeach(running);"),
    ("X6", "app/loop_control.cpp", "  if (bMode == 2) DimBackgroundTeach(0);\n", "  DimBackgroundTeach(0);\n"),
    ("X7", "app/loop_control.cpp", "  SetCtrlAttribute(panelHandle, DropDCom, UI_ATTR_DIMMED, running);\n", ""),
    ("X8", "app/loop_control.cpp", "  SetCtrlAttribute(panelHandle, BTNData, UI_ATTR_DIMMED, dimmed);\n", ""),
    ("X9", "app/popup.cpp", "SetDimmed(NUM_BGValue, mode == 1 ? 0 : 1);", "SetDimmed(NUM_BGValue, mode >= 1 ? 0 : 1);"),
    ("X10", "app/popup.cpp", "(mode == 2 && stop_flag == 1) ? 0 : 1", "(mode == 2) ? 0 : 1"),
    ("X11", "app/popup.cpp", "SetDimmed(NEDITTolerance, fromSensor == 1 ? 1 : 0);", "SetDimmed(NEDITTolerance, fromSensor == 1 ? 0 : 1);"),
    ("X12", "app/parameter_callbacks.cpp", "SetCtrlAttribute(panelPopUp, NUM_ScalFact, UI_ATTR_DIMMED, mode == 2 ? 0 : 1);", "SetCtrlAttribute(panelPopUp, NUM_ScalFact, UI_ATTR_DIMMED, mode == 1 ? 0 : 1);"),
    # One past each cut-back and range limit; modes past their last value
    ("X13", "param/range_check.cpp", "if (power > 1000) power = 500;", "if (power > 1001) power = 500;"),
    ("X14", "param/range_check.cpp", "if (eEnd > pixels) eEnd = ccdmaxpixel;", "if (eEnd > pixels + 1) eEnd = ccdmaxpixel;"),
    ("X15", "param/range_check.cpp", "if (eMode > 3) eMode = 4;", "if (eMode > 2) eMode = 4;"),
    ("X16", "param/range_check.cpp", "if (tTol > 512) tTol = 128;", "if (tTol > 513) tTol = 128;"),
    ("X17", "param/range_check.cpp", "if (bVal > 1023) bVal = 60;", "if (bVal > 1023) bVal = 64;"),
    ("X18", "param/range_check.cpp", "if (para15 < 800) para15 = 800;", "if (para15 < 800) para15 = 801;"),
    ("X19", "display/scope.cpp", "const uint16_t highest = (ccdmaxpixel == 1024) ? 768 : 256;", "const uint16_t highest = (ccdmaxpixel == 1024) ? 769 : 256;"),
    ("X20", "display/scope.cpp", "high = (ccdmaxpixel == 1024) ? 1024 : 512;", "high = (ccdmaxpixel == 512) ? 512 : 1024;"),
    # Cursors and read-outs that must not move
    ("X21", "display/scope.cpp", "if (eMode == 1) return second;", "if (eMode == 3) return second;"),
    ("X22", "display/scope.cpp", "  if (position > high) position = high;\n", ""),
    ("X23", "display/scope.cpp", "SetCtrlVal(panelHandle, NUM_SecondEdge, pixels ? pp[1] : MicrometresInt(pp[1]));", "SetCtrlVal(panelHandle, NUM_SecondEdge, pixels ? pp[1] : MicrometresScaled(pp[1]));"),
    ("X24", "display/scope.cpp", "  if (eMode != 2) scaleF = 1.0f;\n", ""),
    # Reading the panels, the unit switch, the tolerance read-out
    ("X25", "display/panel_values.cpp", "  para15 = ScaleFactorToPara15(factor);\n}", "  para15 = ScaleFactorToPara15(factor);\n  scaleF = factor;\n}"),
    ("X26", "app/parameter_callbacks.cpp", "SetCtrlVal(panelHandle, NUM_TeachValue, MicrometresScaled(tVal));", "SetCtrlVal(panelHandle, NUM_TeachValue, MicrometresInt(tVal));"),
    ("X27", "app/parameter_callbacks.cpp", "    SetCtrlVal(panelHandle, NUM_Tolerance, tTol);\n", ""),
    ("X28", "app/popup.cpp", "  SetCtrlVal(panelHandle, NUM_Tolerance, InChosenUnit(tolerance));\n", ""),
    # Files and the video block read
    ("X29", "param/parafile.cpp", "PARA_FILE_FILTER, PARA_FILE_LOAD_TITLE", "\"*.*\", PARA_FILE_LOAD_TITLE"),
    ("X30", "link/data_block.cpp", "  FlushOutQ(com);\n  FlushInQ(com);\n  BuildBlockRequest", "  FlushOutQ(com);\n  BuildBlockRequest"),
    # An independent set, written by someone who had not seen the scenarios:
    # 1. Dimmed states a rule must leave alone, or change in one mode only
    ("Y1", "display/panel_values.cpp", "    SetCtrlAttribute(panelPopUp, NUM_PixelEnd, UI_ATTR_DIMMED, 0);\n", ""),
    ("Y2", "app/popup.cpp", "const int dimmed = mode == 1 ? 0 : 1;", "const int dimmed = mode != 0 ? 0 : 1;"),
    ("Y3", "app/loop_control.cpp", "SetCtrlAttribute(panelHandle, BTNTeach, UI_ATTR_DIMMED, running);", "SetCtrlAttribute(panelHandle, BTNTeach, UI_ATTR_DIMMED, 0);"),
    # 2. One past each cut-back and range limit
    ("Y4", "app/parameter_callbacks.cpp", "if (right > ccdmaxpixel) {", "if (right > ccdmaxpixel + 1) {"),
    ("Y5", "param/range_check.cpp", "if (pStart > 1023) pStart = 1;", "if (pStart > 1024) pStart = 1;"),
    ("Y6", "param/range_check.cpp", "if (para15 > 1200) para15 = 1200;", "if (para15 > 1201) para15 = 1200;"),
    # 3. Cursors that must not move, the band's centre, micrometre read-outs
    ("Y7", "display/scope.cpp", "    const int centre = position;", "    const int centre = EvaluatedPosition(first, second);"),
    ("Y8", "display/scope.cpp", "    high = static_cast<uint16_t>(low + 256);\n", "    high = static_cast<uint16_t>(low + 256);\n    SetGraphCursor(panelHandle, GRAPH_Scope, 2, low, CURSOR_HEIGHT);\n"),
    ("Y9", "display/scope.cpp", "NUM_TeachValue, pixels ? pp[3] : MicrometresScaled(pp[3])", "NUM_TeachValue, pixels ? pp[3] : MicrometresInt(pp[3])"),
    # 4. Press vs commit of the commands; the order of steps in a Data pass
    ("Y10", "app/run_loop.cpp", "if (event != UI_EVENT_COMMIT) return 0;", "if (event != UI_EVENT_LEFT_PRESS) return 0;"),
    ("Y11", "app/loop_control.cpp", "if (event != UI_EVENT_LEFT_PRESS) return 0;", "if (event != UI_EVENT_COMMIT) return 0;"),
    ("Y12", "app/data_loop.cpp", "ReadData64(block * DATA_BLOCK_WORDS, ref_flag);", "ReadData64((3 - block) * DATA_BLOCK_WORDS, ref_flag);"),
    # 5. The read-back after a background teach; the store a Get reads
    ("Y13", "app/teach.cpp", "if (rx_flag != 0) PushGET(RAM);", "if (rx_flag != 0) PushGET(EEPROM);"),
    ("Y14", "app/teach.cpp", "if (rx_flag != 0) PushGET(RAM);", "if (rx_flag == 0) PushGET(RAM);"),
    ("Y15", "param/transfer.cpp", "  PushGET(target);\n", "  PushGET(RAM);\n"),
    # 6. The video block read; the x-axis rule at the start of Video data
    ("Y16", "link/data_block.cpp", "  FlushInQ(com);\n  BuildBlockRequest(start, last);\n  WriteFrame(com);\n", "  BuildBlockRequest(start, last);\n  WriteFrame(com);\n  FlushInQ(com);\n"),
    ("Y17", "link/data_block.cpp", "while reading 64 data-words!\");\n      break;", "while reading 64 data-words!\");\n      waiting = 0;\n      break;"),
    ("Y18", "display/data_curve.cpp", "if (ccdMode != 0) {", "if (ccdMode == 1) {"),
    # 7. Reading the panels, the unit switch, the threshold redraw
    ("Y19", "display/panel_values.cpp", "  para15 = ScaleFactorToPara15(factor);\n", "  para15 = ScaleFactorToPara15(factor);\n  CheckParameterRanges();\n"),
    ("Y20", "app/parameter_callbacks.cpp", "NUM_Tolerance, MicrometresInt(tTol));", "NUM_Tolerance, MicrometresScaled(tTol));"),
    ("Y21", "app/parameter_callbacks.cpp", "  PlotDATACurve(adcbuf);\n", ""),
    # 8. Short writes, the load dialog, parameter-file words of 32768 or more
    ("Y22", "app/run_loop.cpp", "if (nBytesW == FRAME_LEN) ShowStatus(\"Line Ok!\");", "if (nBytesW > 0) ShowStatus(\"Line Ok!\");"),
    ("Y23", "param/parafile.cpp", "PARA_FILE_NAME, PARA_FILE_FILTER, PARA_FILE_LOAD_TITLE", "PARA_FILE_NAME, PARA_FILE_NAME, PARA_FILE_LOAD_TITLE"),
    ("Y24", "param/parafile.cpp", "static_cast<uint16_t>(words[i] & 0xFFFF)", "static_cast<uint16_t>(static_cast<int16_t>(words[i]) < 0 ? 0u : words[i])"),
]

# The processes are left out: they check the executable's start and end, not
# these rules, and take much of the suite's time. The faults on the line
# (FaultInjection) and the lost device (DeviceLost) are in: they see the loops'
# and transfers' rules under stress.
E2E_FILTER = os.environ.get("MUTATE_E2E_FILTER", "-Process*")
SHARDS = 8


def run(cmd, **kw):
    return subprocess.run(cmd, cwd=ROOT, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True, **kw)


def module_of(path):
    return os.path.splitext(path)[0]


def try_fault(build, fault):
    ident, path, old, new = fault
    full = os.path.join(ROOT, path)
    with open(full) as f:
        text = f.read()
    if text.count(old) != 1:
        return "NOT APPLICABLE"
    try:
        with open(full, "w") as f:
            f.write(text.replace(old, new))
        built = run(["cmake", "--build", build, "-j2", "--target", "unit_tests", "e2e_tests"])
        if built.returncode != 0:
            return "BUILD FAILED"
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        r = run([os.path.join(build, "tests", "unit_tests"), "--gtest_brief=1"], env=env, timeout=600)
        if r.returncode != 0:
            return "caught"
        # The e2e tests mostly wait on the line, so they run in shards side by side.
        shards = [
            subprocess.Popen([os.path.join(build, "tests", "e2e_tests"), "--gtest_brief=1",
                              "--gtest_filter=" + E2E_FILTER], cwd=ROOT,
                             env=dict(env, GTEST_TOTAL_SHARDS=str(SHARDS), GTEST_SHARD_INDEX=str(i)),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            for i in range(SHARDS)
        ]
        # A shard still running after a minute hangs: the fault is caught.
        failed = False
        for p in shards:
            try:
                failed |= p.wait(timeout=60) != 0
            except subprocess.TimeoutExpired:
                failed = True
        for p in shards:
            if p.poll() is None:
                p.kill()
                p.wait()
        return "caught" if failed else "NOT caught"
    finally:
        with open(full, "w") as f:
            f.write(text)


def main():
    build = sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build")
    wanted = set(sys.argv[2:])
    counts = {}
    for fault in FAULTS:
        if wanted and fault[0] not in wanted:
            continue
        outcome = try_fault(build, fault)
        print(f"{fault[0]}\t{fault[1]}\t{outcome}", flush=True)
        tried, caught = counts.get(module_of(fault[1]), (0, 0))
        counts[module_of(fault[1])] = (tried + 1, caught + (outcome == "caught"))
    run(["cmake", "--build", build, "-j2", "--target", "unit_tests", "e2e_tests"])
    for module, (tried, caught) in counts.items():
        print(f"{module}\t{tried} tried\t{caught} caught")


if __name__ == "__main__":
    main()
