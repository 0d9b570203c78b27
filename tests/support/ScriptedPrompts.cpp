#include "support/ScriptedPrompts.h"

namespace {
QStringList textsOf(const QList<PromptRecord>& records, const QString& kind) {
    QStringList texts;
    for (const PromptRecord& r : records)
        if (r.kind == kind) texts << r.text;
    return texts;
}
PromptRecord record(const char* kind, const QString& text) {
    PromptRecord r;
    r.kind = QString::fromLatin1(kind);
    r.text = text;
    return r;
}
}  // namespace

QStringList ScriptedPrompts::messages() const { return textsOf(shown, QStringLiteral("message")); }
QStringList ScriptedPrompts::questions() const { return textsOf(shown, QStringLiteral("confirm")); }

void ScriptedPrompts::message(const QString& text) { shown.append(record("message", text)); }

bool ScriptedPrompts::confirm(const QString& text) {
    shown.append(record("confirm", text));
    return !confirmAnswers.isEmpty() && confirmAnswers.takeFirst();
}

QStringList ScriptedPrompts::openFiles(const QString& title, const QString& filter, bool multiple) {
    PromptRecord r = record("open", title);
    r.filter = filter;
    r.multiple = multiple;
    shown.append(r);
    return openAnswers.isEmpty() ? QStringList() : openAnswers.takeFirst();
}

QString ScriptedPrompts::saveFile(const QString& title, const QString& filter, const QString& defaultExtension,
                                  const QString& initialName) {
    PromptRecord r = record("save", title);
    r.filter = filter;
    r.defaultExtension = defaultExtension;
    r.initialName = initialName;
    shown.append(r);
    return saveAnswers.isEmpty() ? QString() : saveAnswers.takeFirst();
}

QString ScriptedPrompts::browseFolder(const QString& title) {
    shown.append(record("folder", title));
    return folderAnswers.isEmpty() ? QString() : folderAnswers.takeFirst();
}

bool ScriptedPrompts::runDialog(QDialog& dialog) {
    shown.append(record("dialog", dialog.windowTitle()));
    return !dialogAnswers.isEmpty() && dialogAnswers.takeFirst()(dialog);
}
