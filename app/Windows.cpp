#include "app/Windows.h"

AppWindows AppWindows::create() {
    AppWindows w;
    w.MainForm1 = std::make_unique<TMainForm1>();
    w.ConvertForm1 = std::make_unique<TConvertForm1>(w.MainForm1.get());
    w.ConvertForm2 = std::make_unique<TConvertForm2>(w.MainForm1.get());
    w.ConvertForm3 = std::make_unique<TConvertForm3>(w.MainForm1.get());
    w.ProgressForm1 = std::make_unique<TProgressForm1>(w.MainForm1.get());
    w.MainForm1->ConvertForm1 = w.ConvertForm1.get();
    w.MainForm1->ConvertForm2 = w.ConvertForm2.get();
    w.MainForm1->ConvertForm3 = w.ConvertForm3.get();
    w.MainForm1->ProgressForm1 = w.ProgressForm1.get();
    w.MainForm1->DialogsCreated();
    return w;
}

// The dialogs are children of the main window; they go before it so nothing is deleted twice.
AppWindows::~AppWindows() {
    ProgressForm1.reset();
    ConvertForm3.reset();
    ConvertForm2.reset();
    ConvertForm1.reset();
    MainForm1.reset();
}
