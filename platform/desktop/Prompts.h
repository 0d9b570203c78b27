#pragma once
// Every question, message and file dialog of the program goes through one Prompts object,
// so that tests can answer them from a script while the program uses Qt's dialogs.

#include <QString>
#include <QStringList>

class QDialog;
class QWidget;

namespace platform {

class Prompts {
public:
    virtual ~Prompts() = default;

    // Plain message box titled with the application title, OK button.
    virtual void message(const QString& text) = 0;
    // Confirmation box titled "確認" with Yes and No; true only for Yes.
    virtual bool confirm(const QString& text) = 0;
    // Open dialog; the filter is in the "description|patterns|description|patterns" form.
    // Returns the chosen paths, empty when cancelled.
    virtual QStringList openFiles(const QString& title, const QString& filter, bool multiple) = 0;
    // Save dialog that does not ask about overwriting; empty when cancelled.
    virtual QString saveFile(const QString& title, const QString& filter, const QString& defaultExtension,
                             const QString& initialName) = 0;
    // Folder browser; empty when cancelled.
    virtual QString browseFolder(const QString& title) = 0;
    // Shows one of the program's own modal dialogs; true when it closed with OK.
    virtual bool runDialog(QDialog& dialog) = 0;
};

// The prompts in use; Qt's dialogs unless a test installed its own.
Prompts& prompts();
// Installs a replacement (not owned); nullptr restores Qt's dialogs.
void setPrompts(Prompts* replacement);

// Dialogs are parented to this window when set (the main window).
void setPromptParent(QWidget* parent);

// The title of plain message boxes ("VidiraZorod" until set).
QString applicationTitle();
void setApplicationTitle(const QString& title);

// "Images|*.bmp;*.jpg|All|*.*" → "Images (*.bmp *.jpg);;All (*)".
QString qtFilterFromKitFilter(const QString& kitFilter);

// The name with the default extension appended when it has none ("a" + "tif" → "a.tif").
QString withDefaultExtension(const QString& path, const QString& defaultExtension);

class QtPrompts final : public Prompts {
public:
    void message(const QString& text) override;
    bool confirm(const QString& text) override;
    QStringList openFiles(const QString& title, const QString& filter, bool multiple) override;
    QString saveFile(const QString& title, const QString& filter, const QString& defaultExtension,
                     const QString& initialName) override;
    QString browseFolder(const QString& title) override;
    bool runDialog(QDialog& dialog) override;
};

}  // namespace platform
