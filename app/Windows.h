#pragma once
// The program's five windows, created once in a fixed order and alive until the end.

#include "app/Convertwindow1.h"
#include "app/Convertwindow2.h"
#include "app/Convertwindow3.h"
#include "app/Mainwindow1.h"
#include "app/Progresswindow1.h"

#include <memory>

struct AppWindows {
    std::unique_ptr<TMainForm1> MainForm1;
    std::unique_ptr<TConvertForm1> ConvertForm1;
    std::unique_ptr<TConvertForm2> ConvertForm2;
    std::unique_ptr<TConvertForm3> ConvertForm3;
    std::unique_ptr<TProgressForm1> ProgressForm1;

    // Main window first (it becomes the main window), then the three settings dialogs,
    // then the progress window; the dialogs fill their lists before the main window is shown.
    static AppWindows create();
    AppWindows() = default;
    AppWindows(AppWindows&&) = default;
    ~AppWindows();
};
