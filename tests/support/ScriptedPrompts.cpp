#include "support/ScriptedPrompts.h"

namespace {
QStringList textsOf(const QList<PromptRecord>& records, const QString& kind) {
    QStringList texts;
    for (const PromptRecord& r : records)
        if (r.kind == kind) texts << r.text;
    return texts;
}
}  // namespace

QStringList ScriptedPrompts::messages() const { return textsOf(shown, QStringLiteral("message")); }
QStringList ScriptedPrompts::questions() const { return textsOf(shown, QStringLiteral("confirm")); }

void ScriptedPrompts::message(const QString& text) { shown.append({QStringLiteral("message"), text}); }

bool ScriptedPrompts::confirm(const QString& text) {
    shown.append({QStringLiteral("confirm"), text});
    return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
}

QStringList ScriptedPrompts::openFiles(const QString& title, const QString& filter, bool multiple) {
    shown.append({QStringLiteral("open"), title, filter, QString(), QString(), multiple});
    return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
}

QString ScriptedPrompts::saveFile(const QString& title, const QString& filter, const QString& defaultExtension,
                                  const QString& initialName) {
    shown.append({QStringLiteral("save"), title, filter, defaultExtension, initialName});
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

QString ScriptedPrompts::browseFolder(const QString& title) {
    shown.append({QStringLiteral("folder"), title});
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}
