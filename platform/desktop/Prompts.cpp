#include "platform/desktop/Prompts.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLocale>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QStyledItemDelegate>

namespace platform {

namespace {

Prompts* g_replacement = nullptr;
QPointer<QWidget> g_parent;

QString& titleOfMessages() {
    static QString title = QStringLiteral("VidiraZorod");
    return title;
}

// Qt's file dialog writes the modification time in the user's system locale ("10 Dec 2026");
// this writes it in the program's language like every other text of the dialog.
class FileDateDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        constexpr int kDateColumn = 3;
        const auto* files = qobject_cast<const QFileSystemModel*>(index.model());
        if (!files || index.column() != kDateColumn) return;
        option->text = QLocale().toString(files->lastModified(index), QLocale::ShortFormat);
    }
};

// Qt's own file dialog (its texts come from Qt's Japanese catalogue), with the dates above.
void prepareFileDialog(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setItemDelegate(new FileDateDelegate(&dialog));
}

}  // namespace

QString applicationTitle() { return titleOfMessages(); }

void setApplicationTitle(const QString& title) { titleOfMessages() = title; }

Prompts& prompts() {
    static QtPrompts qtPrompts;
    return g_replacement ? *g_replacement : qtPrompts;
}

void setPrompts(Prompts* replacement) { g_replacement = replacement; }

void setPromptParent(QWidget* parent) { g_parent = parent; }

QString qtFilterFromKitFilter(const QString& kitFilter) {
    const QStringList parts = kitFilter.split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(u';', Qt::SkipEmptyParts);
        for (QString& p : patterns) {
            p = p.trimmed();
            if (p == QLatin1String("*.*")) p = QStringLiteral("*");
        }
        filters << parts[i] + QStringLiteral(" (") + patterns.join(u' ') + u')';
    }
    return filters.join(QStringLiteral(";;"));
}

QString withDefaultExtension(const QString& path, const QString& defaultExtension) {
    if (path.isEmpty() || defaultExtension.isEmpty()) return path;
    if (!QFileInfo(path).suffix().isEmpty()) return path;
    return path + u'.' + defaultExtension;
}

void QtPrompts::message(const QString& text) {
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, g_parent);
    box.exec();
}

bool QtPrompts::confirm(const QString& text) {
    QMessageBox box(QMessageBox::Question, QStringLiteral("確認"), text, QMessageBox::NoButton, g_parent);
    QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    return box.clickedButton() == yes;
}

QStringList QtPrompts::openFiles(const QString& title, const QString& filter, bool multiple) {
    QFileDialog dialog(g_parent, title, QString(), qtFilterFromKitFilter(filter));
    prepareFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(multiple ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted) return QStringList();
    return dialog.selectedFiles();
}

QString QtPrompts::saveFile(const QString& title, const QString& filter, const QString& defaultExtension,
                            const QString& initialName) {
    QFileDialog dialog(g_parent, title, QString(), qtFilterFromKitFilter(filter));
    prepareFileDialog(dialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(defaultExtension);
    if (!initialName.isEmpty()) dialog.selectFile(initialName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return withDefaultExtension(dialog.selectedFiles().first(), defaultExtension);
}

QString QtPrompts::browseFolder(const QString& title) {
    QFileDialog dialog(g_parent, title);
    prepareFileDialog(dialog);
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return QString();
    return dialog.selectedFiles().first();
}

bool QtPrompts::runDialog(QDialog& dialog) { return dialog.exec() == QDialog::Accepted; }

}  // namespace platform
