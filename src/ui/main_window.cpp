#include "ui/main_window.h"

#include "app/app_state.h"

#include <QCloseEvent>

frmMain::frmMain(AppState &s, QWidget *parent) : QMainWindow(parent), s_(s) {}
void frmMain::showDeviceDisplay() {}
void frmMain::refreshGrids() {}
void frmMain::changeDevice() {}
bool frmMain::isEditMode() const { return true; }
void frmMain::CMDBTN_Muko() {}
void frmMain::CMDBTN_Yuko() {}
void frmMain::ToolBar_Muko() {}
void frmMain::ToolBar_Yuko() {}
void frmMain::Menyu_Muko() {}
void frmMain::Menyu_Yuko() {}
void frmMain::CTModeChange_Muko() {}
void frmMain::CTModeChange_Yuko() {}
bool frmMain::fileSaveAs() { return false; }
void frmMain::closeEvent(QCloseEvent *event) { event->accept(); }
