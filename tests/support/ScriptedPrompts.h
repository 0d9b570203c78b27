#pragma once
// Prompts answered from a script: each kind of prompt takes its answers from its own queue
// (an empty queue answers "No" or "cancelled"), and every prompt shown is recorded.

#include "platform/desktop/Prompts.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

struct PromptRecord {
    QString kind;  // "message", "confirm", "open", "save", "folder", "dialog"
    QString text;  // message text or dialog title
    QString filter;
    QString defaultExtension;
    QString initialName;
    bool multiple = false;
};

class ScriptedPrompts final : public platform::Prompts {
public:
    ScriptedPrompts() { platform::setPrompts(this); }
    ~ScriptedPrompts() override { platform::setPrompts(nullptr); }
    ScriptedPrompts(const ScriptedPrompts&) = delete;
    ScriptedPrompts& operator=(const ScriptedPrompts&) = delete;

    QList<bool> confirmAnswers;
    QList<QStringList> openAnswers;
    QStringList saveAnswers;
    QStringList folderAnswers;
    // Each answer may set the dialog's controls and returns whether it closes with OK.
    QList<std::function<bool(QDialog&)>> dialogAnswers;

    QList<PromptRecord> shown;

    QStringList messages() const;
    QStringList questions() const;

    void message(const QString& text) override;
    bool confirm(const QString& text) override;
    QStringList openFiles(const QString& title, const QString& filter, bool multiple) override;
    QString saveFile(const QString& title, const QString& filter, const QString& defaultExtension,
                     const QString& initialName) override;
    QString browseFolder(const QString& title) override;
    bool runDialog(QDialog& dialog) override;
};
