#pragma once

// frmMain: the program's one top-level window, with its Edit and Move modes.

#include <QMainWindow>

struct AppState;

class frmMain : public QMainWindow {
    Q_OBJECT
public:
    // Runs the window's load sequence (settings, captions, grids, title).
    explicit frmMain(AppState &s, QWidget *parent = nullptr);

    // Model label, type selector, old-type marker, status panels 2 and 3.
    void showDeviceDisplay();
    // Position grid (and program grid) from the run-wide tables.
    void refreshGrids();
    // cmdChangeDev: device dialog, then applying the change.
    void changeDevice();

    bool isEditMode() const;
    void CMDBTN_Muko();
    void CMDBTN_Yuko();
    void ToolBar_Muko();
    void ToolBar_Yuko();
    void Menyu_Muko();
    void Menyu_Yuko();
    void CTModeChange_Muko();
    void CTModeChange_Yuko();

    // Save As of the position file; false when the user cancelled it.
    bool fileSaveAs();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    AppState &s_;
};
