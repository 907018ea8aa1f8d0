#include "device/device_dialog.h"

#include "app/app_state.h"

frmDevice2::frmDevice2(AppState &s, QWidget *parent) : QDialog(parent), s_(s) {}
